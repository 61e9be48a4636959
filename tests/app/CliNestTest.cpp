#include <gtest/gtest.h>

#include "app/CliTestSupport.h"

namespace plavo {

using namespace cli_test;
using namespace nest_test;

namespace {

double TotalHeight(const TJsonValue& J) {
  double sum = 0;
  for (const TJsonValue& h : J["used_heights"].Items) sum += h.NumberValue;
  return sum;
}

std::string PlacementsText(const TJsonValue& J) {
  std::string text;
  for (const TJsonValue& p : J["placements"].Items) {
    text += std::to_string(p["sheet"].NumberValue) + "," + std::to_string(p["x"].NumberValue) +
            "," + std::to_string(p["y"].NumberValue) + "," +
            std::to_string(p["angle"].NumberValue) + ";";
  }
  return text;
}

}  // namespace

TEST(CliNest, StripPackingReportIsConsistent) {
  const TCliResult r = RunCli(FuStrip());
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_TRUE(r.Err.empty()) << "no progress on a stderr that is not a terminal: " << r.Err;
  const TJsonValue j = ParseOutput(r);
  ExpectConsistentReport(j);
  EXPECT_EQ(j["shapes"].NumberValue, 12);
  EXPECT_EQ(j["placed"].NumberValue, 12) << "a 10 m strip holds every part of fu";
  EXPECT_EQ(j["sheets"].NumberValue, 1);
  // The README gives fu's total part area as 750000 mm2.
  EXPECT_NEAR(j["placed_area"].NumberValue, 750000.0, 50.0);
  // Nothing can be packed denser than solid, and fu is not packed at under half its area.
  EXPECT_GT(j["height_density"].NumberValue, 0.5);
  // The layout as cut: the gap between a named pair, within the promised bounds.
  ASSERT_EQ(j["min_gap"].Kind, TJsonValue::Number);
  EXPECT_GE(j["min_gap"].NumberValue, 1.0 - 2.5);
  ASSERT_EQ(j["gap_shapes"].Size(), 2u);
  EXPECT_NE(j["gap_shapes"][0].NumberValue, j["gap_shapes"][1].NumberValue);
  EXPECT_GE(j["overhang"].NumberValue, 0.0);
  EXPECT_LE(j["overhang"].NumberValue, 1.0);
}

TEST(CliNest, TextReportNamesTheFigures) {
  const TCliResult r = RunCli({"nest", kFu, "--distance", "1"});
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  for (const char* label : {"Shapes:", "Placed:", "Unplaced:", "Sheets:", "Used heights:",
                            "Utilisation:", "Height density:", "Smallest gap:", "Overhang:"}) {
    EXPECT_NE(r.Out.find(label), std::string::npos) << label << "\n" << r.Out;
  }
}

TEST(CliNest, SmallSheetsSpreadShapesOverSeveralAndLeaveTooLargeOnesOut) {
  TTempDir dir("cli-nest-small");
  WriteText(dir.File("small.ai"), kSmallDrawing);
  // 50 x 50 mm sheets: the 70 mm frame fits nowhere, the triangle and the line do.
  const TCliResult r = RunCli({"nest", dir.File("small.ai"), "--width", "50", "--height", "50",
                               "--distance", "1", "--json"});
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  const TJsonValue j = ParseOutput(r);
  ExpectConsistentReport(j);
  EXPECT_FALSE(j["placements"][0]["placed"].BoolValue) << "the frame is larger than a sheet";
  EXPECT_GE(j["unplaced"].NumberValue, 1);
}

TEST(CliNest, WrittenLayoutReadsBackWithOneShapePerPlacedShape) {
  TTempDir dir("cli-nest-out");
  const TCliResult r = RunCli(FuStrip({"-o", dir.File("fu-nested.AI")}));
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  const TJsonValue nest = ParseOutput(r);
  const TCliResult info = RunCli({"info", dir.File("fu-nested.AI"), "--json"});
  ASSERT_EQ(info.ExitCode, 0) << info.Err;
  const TJsonValue read = ParseOutput(info);
  EXPECT_EQ(read["shapes"].Size(), static_cast<size_t>(nest["placed"].NumberValue));
  // The layout is as high as the report says: the shapes' box spans the used height.
  const double height = read["bbox"][1].NumberValue - read["bbox"][3].NumberValue;
  EXPECT_NEAR(height, nest["used_heights"][0].NumberValue, 3.0);

  ASSERT_EQ(RunCli(FuStrip({"-o", dir.File("fu.svg")})).ExitCode, 0);
  EXPECT_EQ(ReadText(dir.File("fu.svg")).rfind("<?xml", 0), 0u);
}

TEST(CliNest, ContainerOptionNestsTheOthersIntoThatShape) {
  TTempDir dir("cli-nest-container");
  WriteText(dir.File("c.ai"), kContainerDrawing);
  const TCliResult r =
      RunCli({"nest", dir.File("c.ai"), "--container", "2", "--distance", "2", "--json"});
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  const TJsonValue j = ParseOutput(r);
  ExpectConsistentReport(j);
  EXPECT_EQ(j["sheets"].NumberValue, 1) << "a container is the only sheet";
  EXPECT_EQ(j["placed"].NumberValue, 4) << "three small squares fit into the large one";
  // After the exchange the container is record 0.
  EXPECT_TRUE(j["placements"][0]["placed"].BoolValue);
  const TCliResult bad = RunCli({"nest", dir.File("c.ai"), "--container", "4"});
  EXPECT_EQ(bad.ExitCode, 1);
  EXPECT_NE(bad.Err.find("--container"), std::string::npos) << bad.Err;
}

TEST(CliNest, SeededSearchRepeatsAndMoreRunsNeverEndHigher) {
  const TCliResult a = RunCli(FuStrip({"--search", "--seed", "7"}));
  const TCliResult b = RunCli(FuStrip({"--search", "--seed", "7"}));
  ASSERT_EQ(a.ExitCode, 0) << a.Err;
  ASSERT_EQ(b.ExitCode, 0) << b.Err;
  const TJsonValue ja = ParseOutput(a);
  ExpectConsistentReport(ja);
  EXPECT_EQ(PlacementsText(ja), PlacementsText(ParseOutput(b)));

  // Run 0 of three uses the same seed as the single run, and a later run is kept only when
  // strictly lower, so the kept total height is never above the single run's.
  const TCliResult three = RunCli(FuStrip({"--search", "--seed", "7", "--runs", "3"}));
  ASSERT_EQ(three.ExitCode, 0) << three.Err;
  const TJsonValue j3 = ParseOutput(three);
  ExpectConsistentReport(j3);
  EXPECT_LE(TotalHeight(j3), TotalHeight(ja));
}

TEST(CliNest, DrawingWithoutShapesIsRefused) {
  TTempDir dir("cli-nest-empty");
  WriteText(dir.File("empty.ai"), "%!PS-Adobe-3.0\n%%EOF\n");
  const TCliResult r = RunCli({"nest", dir.File("empty.ai")});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_NE(r.Err.find("no shape"), std::string::npos) << r.Err;
  EXPECT_EQ(RunCli({"nest", dir.File("missing.ai")}).ExitCode, 1);
}

TEST(CliNest, UnwritableOutputIsReported) {
  TTempDir dir("cli-nest-unwritable");
  const std::string target = dir.File("no-such-folder/out.ai");
  const TCliResult r = RunCli({"nest", kFu, "-o", target, "--json"});
  EXPECT_EQ(r.ExitCode, 3);
  EXPECT_NE(r.Err.find(target), std::string::npos) << r.Err;
  EXPECT_TRUE(r.Out.empty()) << "a failed save prints no report: " << r.Out;
}

}  // namespace plavo
