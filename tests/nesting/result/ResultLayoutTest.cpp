#include "nesting/result/ResultLayout.h"

#include <numbers>

#include <gtest/gtest.h>

#include "nesting/NestRunTestSupport.h"

namespace plavo {

using namespace nest_test;

namespace {

constexpr double kPi = std::numbers::pi;

// One 20 x 10 rectangle whose box centre is (10, 5).
std::unique_ptr<TQarvShapes> OneRectangle() {
  auto shapes = std::make_unique<TQarvShapes>();
  AddShape(*shapes, {Rect(0, 0, 20, 10)}, 0, 0);
  shapes->ApproximateShapes(4, true);
  return shapes;
}

void ExpectPoint(TNodeSimple P, double X, double Y) {
  EXPECT_NEAR(P.X, X, 1e-9);
  EXPECT_NEAR(P.Y, Y, 1e-9);
}

}  // namespace

TEST(ResultLayout, PlacedPointIsTurnedAboutTheBoxCentreAndMovedOntoItsSheet) {
  auto shapes = OneRectangle();
  TEngineState E;
  HandBuiltResult(E, 1, {{1000, 2000}, {100, 200}});
  Place(E, 0, 1, 50, 60, 0.0, 70);
  E.NestRecords.Shape[0].OptimalAngle = 90.0;

  TPlacementTransform t;
  ASSERT_TRUE(PlacementTransform(*shapes, Result(E), 0, t));
  // (20, 5) lies 10 mm right of the centre; a quarter turn puts it 10 mm above.
  ExpectPoint(PlacePoint(t, {20, 5}), 150, 270);
  ExpectPoint(PlacePoint(t, {10, 5}), 150, 260);

  // The base orientation and the trial angle add up: half a turn in all.
  E.NestRecords.Shape[0].Place.a = kPi / 2;
  ASSERT_TRUE(PlacementTransform(*shapes, Result(E), 0, t));
  ExpectPoint(PlacePoint(t, {20, 5}), 140, 260);
  ExpectPoint(PlacePoint(t, {0, 0}), 160, 265);
}

TEST(ResultLayout, DirectionIsTakenOnTheTenThousandthGrid) {
  TPlacementTransform t;  // no turn, no offset, centre at the origin
  // 0.00004 mm truncates to 0 on the grid, so the point lies straight above the centre.
  const TNodeSimple p = PlacePoint(t, {0.00004, 1.0});
  EXPECT_NEAR(p.X, 0.0, 1e-12);
  EXPECT_NEAR(p.Y, std::hypot(0.00004, 1.0), 1e-12);
  // A point that truncates to the centre itself has the direction straight down.
  const TNodeSimple near = PlacePoint(t, {0.00004, 0.00003});
  EXPECT_NEAR(near.X, 0.0, 1e-12);
  EXPECT_NEAR(near.Y, -0.00005, 1e-12);
  // Far beyond the 32-bit grid the direction is still well defined.
  const TNodeSimple far = PlacePoint(t, {3.0e6, 4.0e6});
  EXPECT_NEAR(far.X, 3.0e6, 1e-3);
  EXPECT_NEAR(far.Y, 4.0e6, 1e-3);
}

TEST(ResultLayout, TransformIsRefusedWhenThereIsNothingToPlace) {
  auto shapes = OneRectangle();
  TEngineState E;
  HandBuiltResult(E, 1, {{0, 0}});
  TPlacementTransform t;
  EXPECT_FALSE(PlacementTransform(*shapes, Result(E), 0, t)) << "not placed";

  Place(E, 0, 1, 10, 10, 0.0, 20);
  EXPECT_FALSE(PlacementTransform(*shapes, Result(E), 0, t)) << "sheet 1 does not exist";
  E.NestRecords.Shape[0].Place.sheetNo = -1;
  EXPECT_FALSE(PlacementTransform(*shapes, Result(E), 0, t)) << "negative sheet";

  E.NestRecords.Shape[0].Place.sheetNo = 0;
  EXPECT_TRUE(PlacementTransform(*shapes, Result(E), 0, t));
  EXPECT_FALSE(PlacementTransform(*shapes, Result(E), 1, t)) << "index beyond the drawing";

  TEngineState other;
  HandBuiltResult(other, 2, {{0, 0}});
  Place(other, 0, 0, 10, 10, 0.0, 20);
  EXPECT_FALSE(PlacementTransform(*shapes, Result(other), 0, t)) << "records of another drawing";
}

TEST(ResultLayout, ClosedOutlinesStayClosedAndSegmentsKeepTheirType) {
  auto shapes = MixedDrawing();
  TEngineState E;
  HandBuiltResult(E, shapes->ShapeCount(), {{-500, 0}});
  Place(E, 2, 0, 77, 33, 0.7, 0);
  E.NestRecords.Shape[2].OptimalAngle = 13.0;
  TPlacementTransform t;
  ASSERT_TRUE(PlacementTransform(*shapes, Result(E), 2, t));
  const std::vector<TPlacedPath> paths = PlaceShapePaths(t, *shapes->GetShape(2));
  ASSERT_EQ(paths.size(), 1u);
  ASSERT_EQ(paths[0].Segments.size(), 4u);
  EXPECT_TRUE(paths[0].Closed);
  const TPlacedSegment& first = paths[0].Segments.front();
  const TPlacedSegment& last = paths[0].Segments.back();
  EXPECT_EQ(first.Start.X, last.End.X);
  EXPECT_EQ(first.Start.Y, last.End.Y);
  EXPECT_EQ(first.Type_, 1);
  // The disc's centre lands on the placement's cell; its radius is kept.
  const TNodeSimple centre{-500 + 77.0, 33.0};
  for (const TPlacedSegment& s : paths[0].Segments) {
    EXPECT_NEAR(std::hypot(s.Start.X - centre.X, s.Start.Y - centre.Y), 30.0, 1e-6);
  }
}

TEST(ResultLayout, SheetOutlinesReportTheirUsedHeight) {
  auto shapes = MixedDrawing();
  TEngineState E;
  HandBuiltResult(E, shapes->ShapeCount(), {{0, 0}, {300, 0}, {600, 0}, {900, 0}}, 200, 1000);
  EXPECT_EQ(UsedSheetCount(Result(E)), 0);

  Place(E, 0, 0, 50, 50, 0, 120);
  Place(E, 1, 0, 50, 150, 0, 90);
  Place(E, 2, 2, 50, 50, 0, 1000);
  EXPECT_EQ(UsedSheetCount(Result(E)), 3) << "the trailing empty sheet 3 is not shown";

  const TSheetOutline s0 = SheetOutline(Result(E), 0);
  EXPECT_TRUE(s0.HasShape);
  EXPECT_EQ(s0.UsedTop, 120);
  EXPECT_DOUBLE_EQ(s0.UsedHeight, 121.0) << "crossed out from 121 mm up";
  EXPECT_DOUBLE_EQ(s0.Width, 200.0);
  EXPECT_DOUBLE_EQ(s0.Height, 1000.0);

  const TSheetOutline s1 = SheetOutline(Result(E), 1);
  EXPECT_FALSE(s1.HasShape);
  EXPECT_EQ(s1.UsedTop, 0);
  EXPECT_DOUBLE_EQ(s1.UsedHeight, 0.0) << "an empty sheet is crossed out whole";
  EXPECT_DOUBLE_EQ(s1.Position.x, 300.0);

  EXPECT_DOUBLE_EQ(SheetOutline(Result(E), 2).UsedHeight, 1000.0) << "capped at the sheet height";
}

TEST(ResultLayout, UnplacedShapesLineUpAboveTheSheets) {
  auto shapes = std::make_unique<TQarvShapes>();
  AddShape(*shapes, {Rect(0, 0, 40, 40)}, 0, 0);
  AddShape(*shapes, {Rect(5, 7, 15, 17)}, 0, 0);        // width 10
  AddShape(*shapes, {Rect(50, -3, 70, 9)}, 0, 0);       // width 20
  AddShape(*shapes, {Rect(100, 100, 130, 150)}, 0, 0);  // width 30
  shapes->ApproximateShapes(4, true);
  TEngineState E;
  HandBuiltResult(E, 4, {{-200, 50}, {-500, 80}}, 200, 300);
  EXPECT_TRUE(UnplacedRow(*shapes, Result(E)).empty()) << "nothing placed: nothing is moved";

  Place(E, 0, 1, 20, 20, 0, 40);
  const std::vector<TUnplacedSlot> row = UnplacedRow(*shapes, Result(E));
  ASSERT_EQ(row.size(), 3u);
  // x0: the leftmost sheet; y0: the highest sheet top plus the block distance.
  const double x0 = -500.0;
  const double y0 = 300.0 + 80.0 + 100.0;
  const double lefts[] = {5, 50, 100};
  const double bottoms[] = {7, -3, 100};
  const double expectedLeft[] = {x0, x0 + 110, x0 + 230};
  for (size_t k = 0; k < row.size(); ++k) {
    EXPECT_EQ(row[k].Index, static_cast<int>(k) + 1);
    EXPECT_DOUBLE_EQ(lefts[k] + row[k].Shift.X, expectedLeft[k]);
    EXPECT_DOUBLE_EQ(bottoms[k] + row[k].Shift.Y, y0);
  }
  // A shape left out on purpose follows those that found no place, marked.
  TOneNestingResult marked = Result(E);
  marked.LeftOut = {false, true, false, false};
  const std::vector<TUnplacedSlot> after = UnplacedRow(*shapes, marked);
  ASSERT_EQ(after.size(), 3u);
  EXPECT_EQ(after[0].Index, 2);
  EXPECT_FALSE(after[0].LeftOut);
  EXPECT_EQ(after[2].Index, 1);
  EXPECT_TRUE(after[2].LeftOut);
}

TEST(ResultLayout, LayoutBoundsCoverTurnedShapesAndUsedSheets) {
  auto shapes = OneRectangle();
  TEngineState E;
  HandBuiltResult(E, 1, {{-300, 10}}, 200, 100);
  const TRectDbl none = LayoutBounds(*shapes, Result(E));
  EXPECT_GT(none.Left, none.Right) << "empty when nothing is placed";

  // A quarter turn stands the 20 x 10 rectangle up; placed near the sheet's top right corner
  // it reaches beyond the sheet (a hand-built placement), so the box must grow past the sheet.
  // The written layout has the sheet's corner (-300, 10) at (0, 0).
  Place(E, 0, 0, 198, 99, kPi / 2, 109);
  const TRectDbl box = LayoutBounds(*shapes, Result(E));
  EXPECT_NEAR(box.Left, 0.0, 1e-9);
  EXPECT_NEAR(box.Bottom, 0.0, 1e-9);
  EXPECT_NEAR(box.Right, 198 + 5, 1e-9);
  EXPECT_NEAR(box.Top, 99 + 10, 1e-9);
}

}  // namespace plavo
