// Helpers of the writer tests: a nested result made by the real engine, and reading a written
// drawing back with our own reader.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formats/ai/VecFrmtAI.h"
#include "nesting/NestJob.h"
#include "nesting/NestRun.h"
#include "nesting/NestRunTestSupport.h"
#include "nesting/result/ResultLayout.h"

namespace plavo {

namespace writer_test {

class TKeptMessages : public TMessageSink {
 public:
  void ShowError(const std::string& Text) override { Texts.push_back(Text); }
  std::vector<std::string> Texts;
};

// A drawing nested by the engine, as the window holds it after Apply. Shapes holds the drawing
// until Nest hands it to the job.
struct TNested {
  std::unique_ptr<TQarvShapes> Shapes;
  TNestJob Job;
  TOneNestingResult R;

  const TQarvShapes& Drawing() const { return Job.Drawing(); }
};

inline void Nest(TNested& N, const TNestSettings& Settings) {
  ASSERT_TRUE(N.Job.Load(std::move(N.Shapes)).Complete());
  const TRunOutcome run = N.Job.Run(Settings, TRunOptions{});
  ASSERT_TRUE(run.Complete()) << run.Reason;
  N.R = run.Result;
}

inline TNestSettings Sheets(double W, double H, int FixAngle = 0) {
  TNestSettings s;
  s.Media_Width = W;
  s.Media_Height = H;
  s.Distance = 2;
  s.Rotate_90 = FixAngle;
  return s;
}

inline std::unique_ptr<TQarvShapes> ReadBack(const std::string& FileName) {
  std::unique_ptr<TQarvShapes> shapes;
  TSilentProgress progress;
  TKeptMessages messages;
  EXPECT_TRUE(LoadAIFile(FileName, shapes, progress, messages)) << FileName;
  EXPECT_TRUE(messages.Texts.empty());
  if (shapes == nullptr) shapes = std::make_unique<TQarvShapes>();
  return shapes;
}

// The placed shapes in index order, each as its placed paths where a file holds them: moved
// from the window's layout so that sheet 1's lower-left corner lies at (0, 0).
inline std::vector<std::vector<TPlacedPath>> PlacedLayout(const TNested& N) {
  std::vector<std::vector<TPlacedPath>> layout;
  const TBezierNode corner = N.R.Block.Item.at(0).Position;
  for (int i = 0; i < N.Drawing().ShapeCount(); ++i) {
    TPlacementTransform t;
    if (PlacementTransform(N.Drawing(), N.R, i, t)) {
      t.OffsetX -= corner.x;
      t.OffsetY -= corner.y;
      layout.push_back(PlaceShapePaths(t, *RecordShape(N.Drawing(), N.R, i)));
    }
  }
  return layout;
}

inline void ExpectNear(TNodeSimple Read, TNodeSimple Expected, double Tol,
                       const std::string& What) {
  EXPECT_NEAR(Read.X, Expected.X, Tol) << What;
  EXPECT_NEAR(Read.Y, Expected.Y, Tol) << What;
}

}  // namespace writer_test

}  // namespace plavo
