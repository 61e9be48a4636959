#include "settings/Translate.h"

#include <gtest/gtest.h>

#include "formats/ReadNotes.h"
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

// The German file we ship: UTF-8 read intact, every entry reachable (no key lost to another
// of the same spelling in other letter case).
TEST(Translate, ShippedGermanFileTranslatesTheProgramsTexts) {
  const std::string file = PLAVO_SOURCE_DIR "/translations/German.ini";
  TIniFile ini;
  ASSERT_EQ(LoadIniFile(file, ini), TIniLoad::Loaded);
  const TLanguage german = TLanguage::Load(file);
  const auto entries = ini.SectionValues("Language");
  EXPECT_GT(entries.size(), 70u);
  for (const auto& [english, translation] : entries) {
    EXPECT_EQ(TranslateText(german, english), translation) << english;
  }
  EXPECT_EQ(TranslateText(german, "Sheet size"), "Blattgröße");
  EXPECT_EQ(TranslateText(german, "Error opening file!"), "Fehler beim Öffnen der Datei!");
  // The readers' reasons and warnings, as the program spells them.
  for (const char* text : {kNoDrawingFound, kOverBudgetProblem, kSelfInsertWarning,
                           kDeepGroupsWarning, kDeepInsertsWarning, kHugeArraysWarning}) {
    EXPECT_NE(TranslateText(german, text), text);
  }
}

}  // namespace plavo
