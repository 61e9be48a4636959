#include "settings/Translate.h"

#include <gtest/gtest.h>

#include "settings/Options.h"

namespace plavo {

TEST(Translate, LooksUpTrimmedTextsInAnyLetterCase) {
  const TLanguage german(TIniFile::Parse(
      "[Other]\nApply=Wrong section\n[Language]\nopen FILE first.=Zuerst eine Datei öffnen.\n"
      "Apply=Anwenden\nAPPLY=Second spelling\n"));
  EXPECT_EQ(TranslateText(german, "Open file first."), "Zuerst eine Datei öffnen.");
  EXPECT_EQ(TranslateText(german, "\t Apply \r"), "Anwenden");
  EXPECT_EQ(TranslateText(german, " Stop. "), "Stop.");  // no entry: the trimmed text
  EXPECT_EQ(TranslateText(german, "   "), "");
  EXPECT_EQ(TranslateText(german, ""), "");
}

TEST(Translate, MissingFileOrSectionMeansEnglish) {
  const TLanguage none = TLanguage::Load("/nonexistent/ini/Language.ini");
  EXPECT_TRUE(none.Empty());
  EXPECT_EQ(TranslateText(none, "Apply"), "Apply");
  EXPECT_TRUE(TLanguage(TIniFile::Parse("[Sprache]\nApply=Anwenden\n")).Empty());
}

}  // namespace plavo
