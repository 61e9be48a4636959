#include "nesting/result/LayoutCheck.h"

#include <cmath>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "geometry/PathFlattening.h"

namespace plavo {

namespace {

TCheckRing Square(double Left, double Bottom, double Side, bool Hole = false) {
  TCheckRing r;
  r.Points = {
      {Left, Bottom}, {Left + Side, Bottom}, {Left + Side, Bottom + Side}, {Left, Bottom + Side}};
  r.Hole = Hole;
  return r;
}

TCheckShape Shape(int Index, std::vector<TCheckRing> Rings, int Sheet = 0) {
  return TCheckShape{Index, Sheet, std::move(Rings)};
}

// Two sheets of 100 x 100, the second 200 mm to the right.
TLayoutCheckInput Layout(std::vector<TCheckShape> Shapes) {
  TLayoutCheckInput in;
  in.Shapes = std::move(Shapes);
  in.Sheets = {TRectDbl::MakeLTRB(0, 100, 100, 0), TRectDbl::MakeLTRB(200, 100, 300, 0)};
  return in;
}

}  // namespace

TEST(LayoutCheck, GapBetweenNeighboursAndWhoTheyAre) {
  // Squares 3 apart side by side, a third one far away; diagonal neighbours 3 x 4 apart.
  TLayoutCheck c =
      CheckLayoutGeometry(Layout({Shape(4, {Square(10, 10, 20)}), Shape(7, {Square(33, 10, 20)}),
                                  Shape(9, {Square(70, 70, 20)})}));
  EXPECT_DOUBLE_EQ(c.MinGap, 3.0);
  EXPECT_EQ(c.GapShapes[0], 4);
  EXPECT_EQ(c.GapShapes[1], 7);
  EXPECT_EQ(c.Overhang, 0.0);
  EXPECT_EQ(c.OverhangShape, -1);
  c = CheckLayoutGeometry(Layout({Shape(0, {Square(10, 10, 20)}), Shape(1, {Square(33, 34, 20)})}));
  EXPECT_DOUBLE_EQ(c.MinGap, 5.0);
  // Shapes on different sheets are never compared; nothing to compare gives no gap.
  c = CheckLayoutGeometry(
      Layout({Shape(0, {Square(10, 10, 20)}), Shape(1, {Square(210, 10, 20)}, 1)}));
  EXPECT_EQ(c.MinGap, kNoGap);
  EXPECT_EQ(c.GapShapes[0], -1);
}

TEST(LayoutCheck, TouchingCrossingAndCoveringShapesHaveNoGap) {
  const auto gap = [](const TCheckRing& A, const TCheckRing& B) {
    return CheckLayoutGeometry(Layout({Shape(0, {A}), Shape(1, {B})})).MinGap;
  };
  EXPECT_EQ(gap(Square(10, 10, 20), Square(30, 15, 20)), 0.0);  // touching along an edge
  EXPECT_EQ(gap(Square(10, 10, 20), Square(25, 25, 20)), 0.0);  // overlapping corners
  EXPECT_EQ(gap(Square(10, 10, 50), Square(20, 20, 5)), 0.0);   // one lies on the other
  EXPECT_EQ(gap(Square(20, 20, 5), Square(10, 10, 50)), 0.0);
}

TEST(LayoutCheck, ShapeInAnothersHoleCountsOnlyWithAllowInside) {
  // A 60 frame with a 40 hole; a 30 square in the hole keeps 5 to the hole's edges.
  TLayoutCheckInput in = Layout(
      {Shape(0, {Square(10, 10, 60), Square(20, 20, 40, true)}), Shape(1, {Square(25, 25, 30)})});
  in.AllowInside = true;
  EXPECT_DOUBLE_EQ(CheckLayoutGeometry(in).MinGap, 5.0);
  in.AllowInside = false;
  EXPECT_EQ(CheckLayoutGeometry(in).MinGap, 0.0);
}

TEST(LayoutCheck, OverhangBeyondTheSheetOrOutsideTheContainer) {
  // 1.5 beyond the right edge of sheet 1; a corner 3 x 4 beyond sheet 0's top right corner.
  TLayoutCheck c = CheckLayoutGeometry(Layout({Shape(2, {Square(281.5, 40, 20)}, 1)}));
  EXPECT_NEAR(c.Overhang, 1.5, 1e-12);
  EXPECT_EQ(c.OverhangShape, 2);
  c = CheckLayoutGeometry(Layout({Shape(3, {Square(10, 10, 20)}), Shape(5, {Square(83, 84, 20)})}));
  EXPECT_NEAR(c.Overhang, 5.0, 1e-12);
  EXPECT_EQ(c.OverhangShape, 5);
  // Inside its sheet but 2 outside the container's outline.
  TLayoutCheckInput in = Layout({Shape(1, {Square(10, 10, 20)}), Shape(2, {Square(48, 20, 10)})});
  in.HasContainer = true;
  in.Container = Shape(0, {Square(5, 5, 50)});
  c = CheckLayoutGeometry(in);
  EXPECT_NEAR(c.Overhang, 3.0, 1e-12);
  EXPECT_EQ(c.OverhangShape, 2);
}

TEST(LayoutCheck, FlatteningFollowsTheCurve) {
  // A quarter circle of radius 100 as one cubic: every point within the tolerance of the arc
  // (the cubic itself is off the circle by 0.027 at most).
  const double k = 0.5522847498 * 100;
  std::vector<TNodeSimple> points{{100, 0}};
  FlattenCubicInto(points, {100, 0}, {100, k}, {k, 100}, {0, 100}, 0.01);
  EXPECT_GT(points.size(), 10u);
  EXPECT_EQ(points.back().X, 0.0);
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    const TNodeSimple m{(points[i].X + points[i + 1].X) / 2, (points[i].Y + points[i + 1].Y) / 2};
    EXPECT_NEAR(std::hypot(m.X, m.Y), 100.0, 0.04) << i;
  }
}

}  // namespace plavo
