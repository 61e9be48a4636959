#include "geometry/QarvMath.h"

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

namespace plavo {

namespace {

constexpr double kPi = std::numbers::pi;

TEST(QarvMathTest, PointDistancePlainAndSquared) {
  EXPECT_DOUBLE_EQ(PointDistance(1, 2, 4, 6), 5.0);
  EXPECT_DOUBLE_EQ(PointDistance(1, 2, 4, 6, true), 25.0);
  EXPECT_DOUBLE_EQ(PointDistance(-3, 0, -3, 0), 0.0);
}

TEST(QarvMathTest, LineAngleCoversEveryQuadrantAndAxis) {
  EXPECT_DOUBLE_EQ(LineAngle(0, 0, 0, 0), -kPi / 2);  // equal points
  EXPECT_DOUBLE_EQ(LineAngle(0, 0, 0, 1), kPi / 2);
  EXPECT_DOUBLE_EQ(LineAngle(0, 0, 0, -1), -kPi / 2);
  EXPECT_DOUBLE_EQ(LineAngle(0, 0, 1, 0), 0.0);
  EXPECT_DOUBLE_EQ(LineAngle(0, 0, -1, 0), kPi);
  EXPECT_DOUBLE_EQ(LineAngle(0, 0, 1, 1), kPi / 4);
  EXPECT_DOUBLE_EQ(LineAngle(0, 0, -1, 1), 3 * kPi / 4);
  EXPECT_DOUBLE_EQ(LineAngle(0, 0, 1, -1), -kPi / 4);
  EXPECT_DOUBLE_EQ(LineAngle(0, 0, -1, -1), -3 * kPi / 4);
  // Relative to the start point, not the origin.
  EXPECT_DOUBLE_EQ(LineAngle(5, 5, 5 + std::sqrt(3.0), 6), kPi / 6);
}

TEST(QarvMathTest, LineIntersectionOfUnboundedLines) {
  double x = -1, y = -1;
  ASSERT_TRUE(LineIntersection(x, y, 0, 0, 1, 1, 10, 0, 9, 1));
  EXPECT_DOUBLE_EQ(x, 5.0);
  EXPECT_DOUBLE_EQ(y, 5.0);
  // The crossing lies beyond both given pieces.
  ASSERT_TRUE(LineIntersection(x, y, 0, 0, 1, 0, 3, 5, 3, 4));
  EXPECT_DOUBLE_EQ(x, 3.0);
  EXPECT_DOUBLE_EQ(y, 0.0);
}

TEST(QarvMathTest, LineIntersectionRejectsNearlyParallelLines) {
  double x = 7, y = 7;
  EXPECT_FALSE(LineIntersection(x, y, 0, 0, 1, 0, 0, 1, 1, 1));
  // det = 0.0009 falls below the 0.001 threshold; the outputs are left alone.
  EXPECT_FALSE(LineIntersection(x, y, 0, 0, 1, 0, 0, 1, 1, 1.0009));
  EXPECT_EQ(x, 7);
  EXPECT_EQ(y, 7);
  // det = 0.002 is enough.
  EXPECT_TRUE(LineIntersection(x, y, 0, 0, 1, 0, 0, 1, 1, 1.002));
  EXPECT_NEAR(x, -500.0, 1e-6);
}

TEST(QarvMathTest, SegmentIntersectionIsBoundedAndInclusive) {
  double x = 0, y = 0;
  ASSERT_TRUE(SegmentIntersection(x, y, 1e-5, {0, 0}, {10, 10}, {0, 10}, {10, 0}));
  EXPECT_DOUBLE_EQ(x, 5.0);
  EXPECT_DOUBLE_EQ(y, 5.0);
  // Touching at an end point counts.
  ASSERT_TRUE(SegmentIntersection(x, y, 1e-5, {0, 0}, {10, 0}, {10, 0}, {10, 5}));
  EXPECT_DOUBLE_EQ(x, 10.0);
  EXPECT_DOUBLE_EQ(y, 0.0);
  // The lines cross, but outside one or the other piece.
  EXPECT_FALSE(SegmentIntersection(x, y, 1e-5, {0, 0}, {4, 4}, {0, 10}, {10, 0}));
  EXPECT_FALSE(SegmentIntersection(x, y, 1e-5, {0, 0}, {10, 10}, {0, 10}, {4, 6.1}));
  // Parallel and collinear pieces never report a point.
  EXPECT_FALSE(SegmentIntersection(x, y, 1e-5, {0, 0}, {10, 0}, {0, 1}, {10, 1}));
  EXPECT_FALSE(SegmentIntersection(x, y, 1e-5, {0, 0}, {10, 0}, {5, 0}, {15, 0}));
}

TEST(QarvMathTest, BoxesOverlapWithTolerance) {
  const TRectDbl a = TRectDbl::MakeLTRB(0, 10, 10, 0);
  EXPECT_TRUE(BoxesOverlap(a, TRectDbl::MakeLTRB(5, 15, 15, 5), 0));
  EXPECT_TRUE(BoxesOverlap(a, TRectDbl::MakeLTRB(2, 8, 8, 2), 0));       // inside
  EXPECT_TRUE(BoxesOverlap(a, TRectDbl::MakeLTRB(-5, 20, 20, -5), 0));   // around
  EXPECT_TRUE(BoxesOverlap(a, TRectDbl::MakeLTRB(10, 10, 20, 0), 0));    // shared side
  EXPECT_FALSE(BoxesOverlap(a, TRectDbl::MakeLTRB(11, 10, 20, 0), 0));   // apart in X
  EXPECT_FALSE(BoxesOverlap(a, TRectDbl::MakeLTRB(0, 30, 10, 20), 0));   // apart in Y
  EXPECT_FALSE(BoxesOverlap(a, TRectDbl::MakeLTRB(-20, 10, -1, 0), 0));  // left of it
  // A gap smaller than the tolerance still overlaps.
  EXPECT_TRUE(BoxesOverlap(a, TRectDbl::MakeLTRB(10.000005, 10, 20, 0), 0.00001));
  EXPECT_FALSE(BoxesOverlap(a, TRectDbl::MakeLTRB(10.00002, 10, 20, 0), 0.00001));
}

}  // namespace

}  // namespace plavo
