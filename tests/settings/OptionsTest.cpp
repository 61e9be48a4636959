#include "settings/Options.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace plavo {

namespace {

namespace fs = std::filesystem;

class TTempFolder {
 public:
  TTempFolder() {
    std::string pattern = (fs::temp_directory_path() / "plavo-options-XXXXXX").string();
    FPath = ::mkdtemp(pattern.data());
  }
  ~TTempFolder() { fs::remove_all(FPath); }
  std::string File(const std::string& Name) const { return (fs::path(FPath) / Name).string(); }
  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
};

std::string ReadText(const std::string& FileName) {
  std::ifstream in(FileName, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const std::string& FileName, const std::string& Text) {
  std::ofstream(FileName, std::ios::binary) << Text;
}

}  // namespace

TEST(IniFile, ParseKeepsFileOrderAndIgnoresCaseCommentsAndRepeats) {
  const TIniFile ini = TIniFile::Parse(
      "\xEF\xBB\xBF"
      "stray=ignored\r\n[Preset #2]\r\n; comment\r\n Distance = 5 \r\nno equals sign\r\n"
      "[Preset #1]\nMargin=1\nmargin=2\n[preset #2]\nPadding=3\n");
  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"Preset #2", "Preset #1"}));
  EXPECT_EQ(ini.ReadString("PRESET #2", "distance", "-"), "5");
  EXPECT_EQ(ini.ReadString("Preset #2", "Padding", "-"), "3");  // repeated section continues
  EXPECT_EQ(ini.ReadString("Preset #1", "Margin", "-"), "1");   // first of repeated keys
  EXPECT_EQ(ini.ReadString("Preset #1", "Width", "-"), "-");
  EXPECT_FALSE(ini.Value("Nowhere", "stray"));
}

TEST(IniFile, WriteEraseAndRoundTripThroughText) {
  TIniFile ini;
  ini.WriteString("Form", "preset_CB", "1");
  ini.WriteString("Preset #1", "Media_Width", "1000");
  ini.WriteString("FORM", "PRESET_CB", "2");  // same key, other case: replaced in place
  ini.WriteString("Form", "OpenDialogInitialDir", "/home/a\nb");
  ini.WriteString("Preset #2", "Distance", "5");
  ini.EraseSection("preset #1");

  const TIniFile back = TIniFile::Parse(ini.Text());
  EXPECT_EQ(back.SectionNames(), (std::vector<std::string>{"Form", "Preset #2"}));
  EXPECT_EQ(back.SectionValues("Form"),
            (std::vector<std::pair<std::string, std::string>>{
                {"preset_CB", "2"}, {"OpenDialogInitialDir", "/home/a b"}}));
  EXPECT_EQ(back.ReadString("Preset #2", "Distance", ""), "5");
}

TEST(IniFile, LookupsStayRightAfterSectionsAreErasedAndAdded) {
  TIniFile ini;
  for (int i = 0; i < 50; ++i)
    ini.WriteString("Preset " + std::to_string(i), "Width", std::to_string(i));
  ini.EraseSection("PRESET 10");
  ini.EraseSection("Preset 0");
  ini.WriteString("preset 10", "width", "again");
  EXPECT_FALSE(ini.SectionExists("Preset 0"));
  EXPECT_EQ(ini.ReadString("Preset 49", "WIDTH", ""), "49");
  EXPECT_EQ(ini.ReadString("Preset 11", "Width", ""), "11");
  EXPECT_EQ(ini.ReadString("Preset 10", "Width", ""), "again");
  EXPECT_EQ(ini.SectionNames().back(), "preset 10");
  EXPECT_EQ(ini.SectionNames().size(), 49u);
}

TEST(IniFile, IntegersAndBooleansFallBackOnDamage) {
  const TIniFile ini = TIniFile::Parse(
      "[S]\nseven=7\nminus=-5\nspaced= 12 \nletters=abc\ntail=12abc\nempty=\nhuge=99999999999\n"
      "two=2\nzero=0\n");
  EXPECT_EQ(ReadIniInteger(ini, "S", "seven", 0), 7);
  EXPECT_EQ(ReadIniInteger(ini, "S", "minus", 0), -5);
  EXPECT_EQ(ReadIniInteger(ini, "S", "spaced", 0), 12);
  for (const char* key : {"letters", "tail", "empty", "huge", "missing"}) {
    EXPECT_EQ(ReadIniInteger(ini, "S", key, 42), 42) << key;
  }
  EXPECT_TRUE(ReadIniBool(ini, "S", "two", false));
  EXPECT_FALSE(ReadIniBool(ini, "S", "zero", true));
  EXPECT_TRUE(ReadIniBool(ini, "S", "letters", true));
}

TEST(IniFile, LoadTellsMissingFromUnreadable) {
  TTempFolder folder;
  TIniFile ini = TIniFile::Parse("[Old]\nk=v\n");
  EXPECT_EQ(LoadIniFile(folder.File("none.ini"), ini), TIniLoad::Missing);
  EXPECT_TRUE(ini.SectionNames().empty());
  EXPECT_EQ(LoadIniFile(folder.Path(), ini), TIniLoad::Failed);  // a folder, not a file

  std::ofstream(folder.File("huge.ini")).seekp(kMaxIniFileSize) << 'x';
  EXPECT_EQ(LoadIniFile(folder.File("huge.ini"), ini), TIniLoad::Failed);
}

// A save must replace the file, never rewrite it in place: a second name for the old file
// (a hard link) still shows the old content afterwards, and no temporary file is left over.
TEST(IniFile, SaveReplacesTheFileInsteadOfRewritingIt) {
  TTempFolder folder;
  const std::string file = folder.File("preset.ini");
  WriteText(file, "[Preset #1]\nDistance=5\n");
  ASSERT_EQ(::link(file.c_str(), folder.File("old-copy").c_str()), 0);

  TIniFile ini;
  ASSERT_EQ(LoadIniFile(file, ini), TIniLoad::Loaded);
  ini.WriteString("Preset #1", "Distance", "7");
  std::string error;
  ASSERT_TRUE(SaveIniFile(file, ini, error)) << error;

  EXPECT_EQ(ReadText(file), "[Preset #1]\nDistance=7\n");
  EXPECT_EQ(ReadText(folder.File("old-copy")), "[Preset #1]\nDistance=5\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 2);
}

TEST(IniFile, RenameSectionChangesOnlyItsHeaderLine) {
  TTempFolder folder;
  const std::string file = folder.File("preset.ini");
  WriteText(file, "[A]\r\nx=1\r\n; keep me\r\n[Preset #1]\r\ny=2\r\n[B]\r\n");
  EXPECT_TRUE(RenameIniSection(file, "preset #1", "Sheets 3 mm"));
  EXPECT_EQ(ReadText(file), "[A]\r\nx=1\r\n; keep me\r\n[Sheets 3 mm]\r\ny=2\r\n[B]\r\n");

  EXPECT_FALSE(RenameIniSection(file, "Missing", "Other"));
  EXPECT_FALSE(RenameIniSection(file, "y=2", "Other"));  // only header lines match
  EXPECT_EQ(ReadText(file), "[A]\r\nx=1\r\n; keep me\r\n[Sheets 3 mm]\r\ny=2\r\n[B]\r\n");
  EXPECT_FALSE(RenameIniSection(folder.File("none.ini"), "A", "B"));
}

}  // namespace plavo
