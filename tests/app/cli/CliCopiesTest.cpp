// Copies and several drawings on the command line, and nesting a job file.
#include <filesystem>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "app/cli/CliTestSupport.h"
#include "nesting/JobFile.h"
#include "nesting/NestRunTestSupport.h"

namespace plavo {

using namespace cli_test;
using namespace nest_test;

namespace {

// Per (file, index): the copies the placements name.
std::map<std::pair<std::string, int>, std::set<int>> CopiesByShape(const nlohmann::json& J) {
  std::map<std::pair<std::string, int>, std::set<int>> copies;
  for (const nlohmann::json& p : J.at("placements")) {
    EXPECT_TRUE(p.at("placed").get<bool>());
    copies[{p.at("file").get<std::string>(), p.at("index").get<int>()}].insert(
        p.at("copy").get<int>());
  }
  return copies;
}

const std::vector<std::string> kLarge = {"--width", "3000", "--height", "3000",
                                         "--seed",  "4",    "--json"};

std::vector<std::string> Nest(std::vector<std::string> Files, std::vector<std::string> More) {
  std::vector<std::string> args = {"nest"};
  args.insert(args.end(), Files.begin(), Files.end());
  args.insert(args.end(), More.begin(), More.end());
  args.insert(args.end(), kLarge.begin(), kLarge.end());
  return args;
}

}  // namespace

TEST(CliCopies, CopiesOfEveryShapeAndOfOne) {
  TTempDir dir("cli-copies");
  const std::string small = dir.File("small.ai");
  WriteText(small, kSmallDrawing);
  const TCliResult five = RunCli(Nest({small}, {"--copies", "5"}));
  ASSERT_EQ(five.ExitCode, 0) << five.Err;
  const auto fives = CopiesByShape(ParseOutput(five));
  ASSERT_EQ(fives.size(), 3u);
  for (const auto& [shape, copies] : fives) {
    EXPECT_EQ(shape.first, small);
    EXPECT_EQ(copies, (std::set<int>{0, 1, 2, 3, 4})) << shape.second;
  }
  const TCliResult one = RunCli(Nest({small}, {"--copies", "1=20", "--copies", "2=2"}));
  ASSERT_EQ(one.ExitCode, 0) << one.Err;
  const nlohmann::json j = ParseOutput(one);
  EXPECT_EQ(j.at("parts").get<int>(), 1 + 20 + 2);
  const auto ones = CopiesByShape(j);
  EXPECT_EQ(ones.at({small, 0}).size(), 1u);
  EXPECT_EQ(ones.at({small, 1}).size(), 20u);
  EXPECT_EQ(ones.at({small, 2}).size(), 2u);
}

TEST(CliCopies, BadCopiesAreNamed) {
  TTempDir dir("cli-copies-bad");
  const std::string small = dir.File("small.ai");
  WriteText(small, kSmallDrawing);
  for (const char* bad : {"0", "10001", "x", "3=2", "1=0"}) {
    const TCliResult r = RunCli(Nest({small}, {"--copies", bad}));
    EXPECT_EQ(r.ExitCode, 1) << bad;
    EXPECT_NE(r.Err.find("--copies"), std::string::npos) << bad << ": " << r.Err;
  }
}

TEST(CliCopies, TwoDrawingsNestTogetherAndTheReportCountsParts) {
  TTempDir dir("cli-two");
  const std::string a = dir.File("a.ai");
  const std::string b = dir.File("b.ai");
  WriteText(a, kSmallDrawing);
  WriteText(b, kSmallDrawing);
  const TCliResult r = RunCli(Nest({a, b}, {"--copies", "4=3"}));
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  const auto shapes = CopiesByShape(ParseOutput(r));
  ASSERT_EQ(shapes.size(), 6u);
  EXPECT_EQ(shapes.count({a, 2}), 1u);
  EXPECT_EQ(shapes.count({b, 3}), 1u);
  EXPECT_EQ(shapes.at({b, 4}).size(), 3u);
  // A sheet too small for the frame: the text report names its copies that found no place.
  const TCliResult text = RunCli({"nest", a, "--copies", "0=6", "--width", "50", "--height", "50"});
  ASSERT_EQ(text.ExitCode, 0) << text.Err;
  EXPECT_NE(text.Out.find("placed 2 of 8 parts, 6 copies of shape 0 did not fit"),
            std::string::npos)
      << text.Out;
}

TEST(CliCopies, AJobFileNestsAsItsDrawingsWithItsCopies) {
  TTempDir dir("cli-job");
  const std::string small = dir.File("small.ai");
  WriteText(small, kSmallDrawing);
  TNestJob job;
  ASSERT_NO_FATAL_FAILURE(OpenDrawingInto(job, small));
  ASSERT_TRUE(job.SetCopies(1, 3).Complete());
  TNestSettings settings;
  settings.Distance = 2;
  std::string error;
  const std::string file = dir.File("job.plavo");
  ASSERT_TRUE(SaveJobFile(file, job, settings, error)) << error;
  const TCliResult fromJob = RunCli(Nest({file}, {}));
  const TCliResult direct = RunCli(Nest({small}, {"--copies", "1=3", "--distance", "2"}));
  ASSERT_EQ(fromJob.ExitCode, 0) << fromJob.Err;
  ASSERT_EQ(direct.ExitCode, 0) << direct.Err;
  EXPECT_EQ(ParseOutput(fromJob).at("placements"), ParseOutput(direct).at("placements"));
  std::filesystem::remove(small);
  const TCliResult missing = RunCli(Nest({file}, {}));
  EXPECT_EQ(missing.ExitCode, 1);
  EXPECT_NE(missing.Err.find(small), std::string::npos) << missing.Err;
}

}  // namespace plavo
