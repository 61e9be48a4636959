// Written layouts as cutting software takes them: sheet 1's lower-left corner at (0, 0) in
// every format, the other sheets beside it, and one file per sheet on request.
#include <filesystem>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "app/cli/CliTestSupport.h"

namespace plavo {

using namespace cli_test;
using namespace nest_test;

namespace {

const std::string kSample = std::string(PLAVO_SOURCE_DIR) + "/examples/sample.ai";

// The sample on sheets small enough for three of them.
std::vector<std::string> SmallSheets(const std::string& Out, std::vector<std::string> More = {}) {
  std::vector<std::string> args = {"nest", kSample,  "--width", "400", "--height",
                                   "300",  "--json", "-o",      Out};
  args.insert(args.end(), More.begin(), More.end());
  return args;
}

double Number(const std::string& Text, size_t At) {
  return std::stod(Text.substr(At, Text.find('\n', At) - At));
}

// The first corner of the first sheet outline a written file holds, in mm.
TNodeSimple FirstSheetCorner(const std::string& Text) {
  std::smatch m;
  if (std::regex_search(Text, m, std::regex("<rect id=\"sheet0\" x=\"([^\"]+)\" y=\"([^\"]+)\"")))
    return {std::stod(m[1]), std::stod(m[2])};
  const size_t dxf = Text.find("  8\nSHEET_OUTLINES\n");
  if (dxf != std::string::npos) {
    const size_t x = Text.find("\n 10\n", dxf) + 5;
    return {Number(Text, x), Number(Text, Text.find("\n 20\n", x) + 5)};
  }
  const size_t ai = Text.find("(Sheets) Ln");
  if (ai != std::string::npos &&
      std::regex_search(Text.begin() + static_cast<std::ptrdiff_t>(ai), Text.end(), m,
                        std::regex("\n(\\S+) (\\S+) m\n")))
    return {std::stod(m[1]) * kMillimetresPerPoint, std::stod(m[2]) * kMillimetresPerPoint};
  ADD_FAILURE() << "no sheet outline found";
  return {-1, -1};
}

void ExpectAtZero(const std::string& File) {
  const TNodeSimple corner = FirstSheetCorner(ReadText(File));
  EXPECT_NEAR(corner.X, 0.0, 1e-3) << File;
  EXPECT_NEAR(corner.Y, 0.0, 1e-3) << File;
}

}  // namespace

TEST(CliSheetFiles, EveryFormatPutsSheetOneAtTheMachineZero) {
  TTempDir dir("cli-sheet-zero");
  for (const char* name : {"out.ai", "out.svg", "out.dxf"}) {
    const TCliResult r = RunCli(SmallSheets(dir.File(name)));
    ASSERT_EQ(r.ExitCode, 0) << name << r.Err;
    ASSERT_EQ(ParseOutput(r).at("sheets").get<int>(), 3) << name;
    ExpectAtZero(dir.File(name));
  }
  // The next sheet lies one sheet width and the block distance to the right.
  EXPECT_NE(ReadText(dir.File("out.svg")).find("<rect id=\"sheet1\" x=\"500\" y=\"0\""),
            std::string::npos);
}

TEST(CliSheetFiles, OneFilePerSheetEachAtTheMachineZero) {
  TTempDir dir("cli-sheet-files");
  const TCliResult r = RunCli(SmallSheets(dir.File("cut.dxf"), {"--sheet-files"}));
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  ASSERT_EQ(ParseOutput(r).at("sheets").get<int>(), 3);
  EXPECT_FALSE(std::filesystem::exists(dir.File("cut.dxf")));
  size_t shapes = 0;
  for (const char* name : {"cut-1.dxf", "cut-2.dxf", "cut-3.dxf"}) {
    ExpectAtZero(dir.File(name));
    const TCliResult info = RunCli({"info", dir.File(name), "--json"});
    ASSERT_EQ(info.ExitCode, 0) << name << info.Err;
    shapes += ParseOutput(info).at("shapes").size();
  }
  // DXF keeps outlines, not groups: the parts of the whole layout in one file.
  ASSERT_EQ(RunCli(SmallSheets(dir.File("whole.dxf"))).ExitCode, 0);
  EXPECT_EQ(shapes,
            ParseOutput(RunCli({"info", dir.File("whole.dxf"), "--json"})).at("shapes").size());
  EXPECT_FALSE(std::filesystem::exists(dir.File("cut-4.dxf")));

  const TCliResult alone = RunCli({"nest", kSample, "--sheet-files"});
  EXPECT_EQ(alone.ExitCode, 1);
  EXPECT_NE(alone.Err.find("--sheet-files"), std::string::npos) << alone.Err;
}

}  // namespace plavo
