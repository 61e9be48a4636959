// The layouts the engine makes, measured as they are cut: random settings over the test
// drawings keep the promised bounds (the distance less 0.01 mm, 0.01 mm over the sheet), and the
// layouts once reported as too close or over the sheet's edge now keep the minimum distance.
#include <memory>
#include <random>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "formats/ai/VecFrmtAI.h"
#include "nesting/NestJob.h"
#include "nesting/result/RandomNestCase.h"
#include "nesting/result/ResultCheck.h"

namespace plavo {

using namespace nest_case;

namespace {

class TQuietMessages : public TMessageSink {
 public:
  void ShowError(const std::string&) override {}
};

TLayoutCheck NestAndCheck(const TNestCase& c) {
  TNestJob job;
  TSilentProgress progress;
  TQuietMessages messages;
  std::unique_ptr<TQarvShapes> shapes;
  const std::string path = std::string(PLAVO_TESTDATA_DIR) + "/" + c.Drawing;
  EXPECT_TRUE(LoadAIFile(path, shapes, progress, messages)) << path;
  job.Load(std::move(shapes));
  if (c.Container >= 0 && c.Container < job.ShapeCount()) {
    job.ApplyUserCode(c.Container, kUserContainer, true);
  }
  const TRunOutcome run = job.Run(c.Settings, TRunOptions{});
  EXPECT_TRUE(run.Complete()) << Describe(c) << ": " << run.Reason;
  return CheckLayout(job.Drawing(), run.Result);
}

// Small drawings, with curves and holes and without, so that a case stays quick under the
// sanitizers.
const char* const kDrawings[] = {"real-ai/tcl-powered-logo-ai55.eps",
                                 "real-ai/tcl-tk-logo-ai55.eps",
                                 "esicup-ai/fu.ai",
                                 "esicup-ai/jakobs1.ai",
                                 "esicup-ai/marques.ai",
                                 "esicup-ai/dagli.ai"};

}  // namespace

TEST(LayoutBounds, RandomSettingsKeepTheDistanceAndTheSheet) {
  std::mt19937_64 random(20261209);
  for (int k = 0; k < 60; ++k) {
    const TNestCase c = RandomNestCase(random, kDrawings);
    const TLayoutCheck check = NestAndCheck(c);
    EXPECT_LE(check.Overhang, kOverhangAllowance) << Describe(c);
    if (check.MinGap != kNoGap) {
      EXPECT_GE(check.MinGap, c.Settings.Distance - kGapAllowance) << Describe(c);
    }
  }
}

TEST(LayoutBounds, ReportedLayoutsKeepTheDistanceToTheCellRounding) {
  // Each was closer than the distance less 1.5 mm, or reached over the sheet's edge.
  TNestCase logo{"real-ai/tcl-powered-logo-ai55.eps", {}, -1};
  logo.Settings.Rotate_90 = 3;
  TLayoutCheck check = NestAndCheck(logo);  // shapes 2 and 5 were 2.17 mm apart
  EXPECT_GE(check.MinGap, 5 - kGapAllowance);
  EXPECT_LE(check.Overhang, kOverhangAllowance);

  logo.Settings.Rotate_90 = 1;
  logo.Settings.Distance = 20;
  check = NestAndCheck(logo);  // shape 2 reached 1.5 mm below the sheet
  EXPECT_LE(check.Overhang, kOverhangAllowance);
  EXPECT_GE(check.MinGap, 20 - kGapAllowance);

  TNestCase middle{"real-ai/tcl-powered-logo-ai55.eps", {}, -1};
  middle.Settings.Media_Width = 300;
  middle.Settings.Media_Height = 500;
  middle.Settings.Distance = 10;
  middle.Settings.Padding = 20;
  middle.Settings.Approximation_CB = 2;
  check = NestAndCheck(middle);  // shapes 2 and 9 were 7.68 mm apart
  EXPECT_GE(check.MinGap, 10 - kGapAllowance);

  TNestCase shirts{"esicup-ai/shirts.ai", {}, -1};
  shirts.Settings.Media_Width = 500;
  shirts.Settings.Media_Height = 500;
  shirts.Settings.Distance = 2;
  shirts.Settings.Padding = 20;
  shirts.Settings.Origin_point = 1;
  shirts.Settings.Media_ByColor = 3;
  check = NestAndCheck(shirts);  // shapes 12 and 31 were 0.67 mm apart
  EXPECT_GE(check.MinGap, 2 - kGapAllowance);
  EXPECT_LE(check.Overhang, kOverhangAllowance);

  // Straight edges facing each other: with nodes cut toward each shape's centre both lost
  // almost a cell and the gap was 0.33 mm.
  TNestCase trousers{"esicup-ai/trousers.ai", {}, -1};
  trousers.Settings.Media_Width = 579;
  trousers.Settings.Media_Height = 869;
  trousers.Settings.Distance = 2;
  trousers.Settings.Rotate_90 = 3;
  trousers.Settings.Origin_point = 1;
  trousers.Settings.Fitting_CB = 2;
  check = NestAndCheck(trousers);
  EXPECT_GE(check.MinGap, 2 - kGapAllowance);
}

}  // namespace plavo
