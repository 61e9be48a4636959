#include "nesting/NestRun.h"

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include "nesting/NestJob.h"
#include "nesting/NestJobProbe.h"
#include "nesting/NestRunTestSupport.h"
#include "nesting/result/NestResult.h"
#include "nesting/result/ResultLayout.h"

namespace plavo {

using namespace nest_test;

namespace {

TNestSettings SmallSheets() {
  TNestSettings s;
  s.Media_Width = 300;
  s.Media_Height = 200;
  s.Distance = 2;
  return s;
}

// Every corner of every placed outline lies on its sheet, and a cell next to it is occupied in
// the sheet's raster: the layout shows the shapes where the engine drew them. The engine cuts
// node offsets toward the centre to whole cells, so the drawn outline may sit one cell inside
// the exact one.
bool OccupiedNear(const TBooleanMatrix& M, int X, int Y) {
  for (int dx = -1; dx <= 1; ++dx) {
    for (int dy = -1; dy <= 1; ++dy) {
      if (M.GetSafe(X + dx, Y + dy)) return true;
    }
  }
  return false;
}

// The engine's own placements (a run's result is settled beyond the raster) against its sheets.
void ExpectLayoutMatchesRasters(const TNestJob& Job, const TOneNestingResult& Settled) {
  const TEngineState& E = TNestJobProbe::Engine(Job);
  TOneNestingResult R = Settled;
  for (size_t i = 0; i < R.Place.size(); ++i) R.Place[i] = E.NestRecords.Shape[i].Place;
  for (int i = 0; i < Job.ShapeCount(); ++i) {
    TPlacementTransform t;
    if (!PlacementTransform(Job.Drawing(), R, i, t)) continue;
    const TNestOneRec& r = E.NestRecords.Shape[static_cast<size_t>(i)];
    const TBlockSingle& sheet = E.Blocks.Item[static_cast<size_t>(r.Place.sheetNo)];
    for (const TPlacedPath& path : PlaceShapePaths(t, *RecordShape(Job.Drawing(), R, i))) {
      for (const TPlacedSegment& s : path.Segments) {
        const double x = s.End.X - sheet.Position.x;
        const double y = s.End.Y - sheet.Position.y;
        EXPECT_GE(x, -1.0) << "shape " << i;
        EXPECT_GE(y, -1.0) << "shape " << i;
        EXPECT_LE(x, E.NestParams.Media_W + 1.0) << "shape " << i;
        EXPECT_LE(y, E.NestParams.Media_H + 1.0) << "shape " << i;
        const int cx = static_cast<int>(std::lround(x));
        const int cy = static_cast<int>(std::lround(y));
        EXPECT_TRUE(OccupiedNear(sheet.m, cx, cy)) << "shape " << i << " corner at cell " << cx
                                                   << ", " << cy << " is not drawn on its sheet";
      }
    }
  }
}

}  // namespace

TEST(NestReport, FiguresOfAHandBuiltResult) {
  TEngineState E;
  HandBuiltResult(E, 4, {{0, 0}, {300, 0}, {600, 0}}, 200, 500);
  Place(E, 0, 0, 10, 20, 0.0, 120);
  Place(E, 1, 0, 40, 50, std::numbers::pi / 2, 80);
  Place(E, 3, 1, 70, 80, 0.0, 250);
  E.NestRecords.Shape[0].Original.Scale = 1000.0;
  E.NestRecords.Shape[1].Original.Scale = 500.0;
  E.NestRecords.Shape[2].Original.Scale = 9999.0;  // unplaced: not counted
  E.NestRecords.Shape[3].Original.Scale = 1500.0;
  E.NestRecords.Shape[1].OptimalAngle = 90.0;

  const TNestReport R = ComputeNestReport(Result(E), 1.25);
  EXPECT_EQ(R.Shapes, 4);
  EXPECT_EQ(R.Placed, 3);
  EXPECT_EQ(R.Unplaced, 1);
  EXPECT_EQ(R.Sheets, 2) << "the empty third sheet is not counted";
  EXPECT_EQ(R.UsedHeights, (std::vector<int>{120, 250}));
  EXPECT_EQ(HeightSum(Result(E)), 370);
  EXPECT_DOUBLE_EQ(R.PlacedArea, 3000.0);
  EXPECT_DOUBLE_EQ(R.Utilisation, 3000.0 / (2 * 200.0 * 500.0));
  EXPECT_DOUBLE_EQ(R.HeightDensity, 3000.0 / (200.0 * 120 + 200.0 * 250));
  EXPECT_DOUBLE_EQ(R.Seconds, 1.25);

  ASSERT_EQ(R.Placements.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(R.Placements[static_cast<size_t>(i)].Index, i);
  EXPECT_FALSE(R.Placements[2].Placed);
  EXPECT_EQ(R.Placements[3].Sheet, 1);
  EXPECT_EQ(R.Placements[3].X, 70);
  EXPECT_EQ(R.Placements[3].Y, 80);
  EXPECT_NEAR(R.Placements[1].Angle, 180.0, 1e-9) << "base orientation plus the trial angle";
}

TEST(NestReport, RatiosStayFiniteWhenThereIsNothingToDivideBy) {
  TEngineState empty;
  const TNestReport none = ComputeNestReport(Result(empty), 0.0);
  EXPECT_EQ(none.Shapes, 0);
  EXPECT_EQ(none.Sheets, 0);
  EXPECT_TRUE(none.UsedHeights.empty());
  EXPECT_EQ(none.Utilisation, 0.0);
  EXPECT_EQ(none.HeightDensity, 0.0);

  // A placed shape whose top edge is at 0 leaves no used height to divide by.
  TEngineState flat;
  HandBuiltResult(flat, 1, {{0, 0}}, 0, 0);
  Place(flat, 0, 0, 0, 0, 0.0, 0);
  flat.NestRecords.Shape[0].Original.Scale = 10.0;
  const TNestReport r = ComputeNestReport(Result(flat), 0.0);
  EXPECT_EQ(r.Placed, 1);
  EXPECT_TRUE(std::isfinite(r.Utilisation));
  EXPECT_TRUE(std::isfinite(r.HeightDensity));
  EXPECT_EQ(r.HeightDensity, 0.0);
}

TEST(NestRun, PlacesEveryShapeWhereTheLayoutShowsIt) {
  TNestJob job;
  ASSERT_TRUE(job.Load(MixedDrawing()).Complete());
  const TRunOutcome run = job.Run(SmallSheets(), TRunOptions{});
  ASSERT_TRUE(run.Complete()) << run.Reason;
  const TOneNestingResult& result = run.Result;

  const TNestReport R = ComputeNestReport(result, 0.0);
  EXPECT_EQ(R.Shapes, 5);
  EXPECT_EQ(R.Placed, 5);
  EXPECT_GE(R.Sheets, 1);
  EXPECT_GT(R.Utilisation, 0.0);
  EXPECT_LE(R.Utilisation, 1.0);
  EXPECT_GT(R.HeightDensity, 0.0);
  EXPECT_LE(R.HeightDensity, 1.0);
  ExpectLayoutMatchesRasters(job, result);
}

TEST(NestRun, AStopLastsUntilTheHostClearsTheRequests) {
  TNestJob job;
  ASSERT_TRUE(job.Load(MixedDrawing()).Complete());
  TNestControl control;
  control.RequestStop();
  control.RequestSkipSearch();
  TRunOptions options;
  options.Control = &control;
  const TRunOutcome stopped = job.Run(SmallSheets(), options);
  EXPECT_TRUE(stopped.Complete()) << "a stop is no failure";
  EXPECT_TRUE(stopped.Stopped);
  EXPECT_EQ(ComputeNestReport(stopped.Result, 0.0).Placed, 0);
  // Cleared, as a host does before its next run: the stop left from before does not cut it
  // short.
  control.ClearRequests();
  const TRunOutcome next = job.Run(SmallSheets(), options);
  ASSERT_TRUE(next.Complete()) << next.Reason;
  EXPECT_FALSE(next.Stopped);
  EXPECT_EQ(ComputeNestReport(next.Result, 0.0).Placed, 5);
}

TEST(NestRun, AnEmptyDrawingPlacesNothing) {
  TNestJob job;
  EXPECT_TRUE(job.Load(std::make_unique<TQarvShapes>()).Complete());
  const TRunOutcome run = job.Run(SmallSheets(), TRunOptions{});
  EXPECT_TRUE(run.Refused());
  EXPECT_NE(run.Reason.find("no shape"), std::string::npos) << run.Reason;
  const TNestReport R = ComputeNestReport(run.Result, 0.0);
  EXPECT_EQ(R.Shapes, 0);
  EXPECT_EQ(R.Placed, 0);
  EXPECT_EQ(R.Sheets, 0);
}

}  // namespace plavo
