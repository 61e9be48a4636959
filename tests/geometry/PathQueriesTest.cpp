#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "GeometryTestUtil.h"
#include "geometry/ShapesClass.h"

namespace plavo {

namespace {

using geometry_test::ExpectNode;
using geometry_test::Polyline;
using geometry_test::Square10;

constexpr double kNoDistance = 2147483647.0;

TEST(PathQueriesInsideTest, SquareInteriorAndBorders) {
  auto square = Square10();
  EXPECT_TRUE(square->IsPointInsidePath(5, 5));
  EXPECT_TRUE(square->Approximated());  // approximated on demand
  // The right and top sides belong to the square, the left and bottom sides do not.
  EXPECT_TRUE(square->IsPointInsidePath(10, 5));
  EXPECT_TRUE(square->IsPointInsidePath(5, 10));
  EXPECT_FALSE(square->IsPointInsidePath(0, 5));
  EXPECT_FALSE(square->IsPointInsidePath(5, 0));
  EXPECT_FALSE(square->IsPointInsidePath(-1, 5));
  EXPECT_FALSE(square->IsPointInsidePath(11, 5));
  EXPECT_FALSE(Polyline({{0, 0}, {0, 10}, {10, 10}, {10, 0}})->IsPointInsidePath(5, 5));
  EXPECT_FALSE(TQarvOnePath().IsPointInsidePath(0, 0));
}

TEST(PathQueriesInsideTest, EdgesAndVerticesAtThePointsHeight) {
  // A step: the edge (0,5)-(5,5) lies level with the point, left of it, and does not count.
  auto step = Polyline({{0, 0}, {0, 5}, {5, 5}, {5, 10}, {10, 10}, {10, 0}, {0, 0}});
  EXPECT_TRUE(step->IsPointInsidePath(7, 5));
  EXPECT_FALSE(step->IsPointInsidePath(2, 7));
  // The contour passes through (-2, 5): counted once.
  auto bulge = Polyline({{0, 0}, {-2, 5}, {0, 10}, {10, 10}, {10, 0}, {0, 0}});
  EXPECT_TRUE(bulge->IsPointInsidePath(5, 5));
  // The valley (5, 5) of an M: a local extreme counts zero times.
  auto m = Polyline({{0, 0}, {0, 10}, {5, 5}, {10, 10}, {10, 0}, {0, 0}});
  EXPECT_TRUE(m->IsPointInsidePath(7, 5));
  EXPECT_FALSE(m->IsPointInsidePath(7, 8));
  // The apex (5, 5) of a triangle: counted twice.
  auto peak = Polyline({{0, 0}, {5, 5}, {10, 0}, {0, 0}});
  EXPECT_FALSE(peak->IsPointInsidePath(7, 5));
  EXPECT_FALSE(peak->IsPointInsidePath(3, 5));
  EXPECT_TRUE(peak->IsPointInsidePath(5, 2));
}

// Plain even-odd count, for points that lie on no vertex height.
bool EvenOdd(const std::vector<TNodeSimple>& Ring, double X, double Y) {
  bool inside = false;
  for (size_t i = 0, j = Ring.size() - 1; i < Ring.size(); j = i++) {
    const TNodeSimple a = Ring[i], b = Ring[j];
    if ((a.Y > Y) != (b.Y > Y) && X > a.X + (Y - a.Y) * (b.X - a.X) / (b.Y - a.Y)) {
      inside = !inside;
    }
  }
  return inside;
}

TEST(PathQueriesInsideTest, AgreesWithPlainEvenOddOnRandomStar) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<double> radius(2.0, 10.0);
  std::vector<TNodeSimple> ring;
  TQarvOnePath path;
  const int corners = 23;
  for (int k = 0; k < corners; ++k) {
    const double angle = -2 * std::numbers::pi * k / corners;  // clockwise
    const double r = radius(random);
    ring.push_back({r * std::cos(angle), r * std::sin(angle)});
  }
  for (int k = 0; k < corners; ++k) {
    TQarvOneSegment s;
    s.MakeLine(ring[k].X, ring[k].Y, ring[(k + 1) % corners].X, ring[(k + 1) % corners].Y);
    path.AddSegment(s);
  }
  std::uniform_real_distribution<double> coordinate(-11.0, 11.0);
  int inside = 0;
  for (int n = 0; n < 2000; ++n) {
    const double x = coordinate(random), y = coordinate(random);
    const bool expected = EvenOdd(ring, x, y);
    ASSERT_EQ(path.IsPointInsidePath(x, y), expected) << n << ": (" << x << ", " << y << ")";
    inside += expected;
  }
  EXPECT_GT(inside, 100);  // the sample probes both sides
}

TEST(PathQueriesInsideTest, CurveCountsNestedContours) {
  TQarvOneCurve curve;
  EXPECT_FALSE(curve.IsPointInsideCurve(0, 0));
  curve.AddPathRectangle(0, 0, 30, 30);
  curve.AddPathRectangle(10, 10, 20, 20);
  curve.AddPathLine(0, 15, 30, 15);
  EXPECT_TRUE(curve.IsPointInsideCurve(5, 15));
  EXPECT_FALSE(curve.IsPointInsideCurve(15, 15));
  EXPECT_FALSE(curve.IsPointInsideCurve(35, 15));
}

TEST(PathQueriesDistanceTest, ToEdgesEndsAndDegenerateEdges) {
  auto line = Polyline({{0, 0}, {10, 0}});
  EXPECT_DOUBLE_EQ(line->DistanceToPoint(5, 5), 5.0);
  EXPECT_DOUBLE_EQ(line->DistanceToPoint(15, 0), 5.0);
  EXPECT_DOUBLE_EQ(line->DistanceToPoint(-3, -4), 5.0);
  EXPECT_DOUBLE_EQ(Square10()->DistanceToPoint(5, 6), 4.0);
  EXPECT_DOUBLE_EQ(Polyline({{2, 2}, {2, 2}})->DistanceToPoint(5, 6), 5.0);
  EXPECT_EQ(TQarvOnePath().DistanceToPoint(1, 1), kNoDistance);

  TQarvOneCurve curve;
  EXPECT_EQ(curve.DistanceToPoint(1, 1), kNoDistance);
  curve.AddPathRectangle(0, 0, 10, 10);
  curve.AddPathLine(20, 0, 20, 10);
  EXPECT_DOUBLE_EQ(curve.DistanceToPoint(17, 5), 3.0);
  EXPECT_DOUBLE_EQ(curve.DistanceToPoint(12, 5), 2.0);
}

struct TNearest {
  double Distance, Xp, Yp, Offset;
};
TNearest Nearest(TQarvOnePath& Path, double X, double Y) {
  TNearest n{0, -1, -1, -1};
  n.Distance = Path.GetNearestPoint(X, Y, n.Xp, n.Yp, n.Offset);
  return n;
}
void ExpectNearest(const TNearest& n, double Distance, double Xp, double Yp, double Offset) {
  EXPECT_DOUBLE_EQ(n.Distance, Distance);
  EXPECT_DOUBLE_EQ(n.Xp, Xp);
  EXPECT_DOUBLE_EQ(n.Yp, Yp);
  EXPECT_DOUBLE_EQ(n.Offset, Offset);
}

TEST(PathQueriesNearestTest, FootAndOffsetAlongThePath) {
  auto line = Polyline({{0, 0}, {10, 0}});
  ExpectNearest(Nearest(*line, 5, 5), 5, 5, 0, 5);
  ExpectNearest(Nearest(*line, 15, 0), 5, 10, 0, 10);
  ExpectNearest(Nearest(*line, -3, 4), 5, 0, 0, 0);
  auto square = Square10();
  ExpectNearest(Nearest(*square, 12, 3), 2, 10, 3, 27);  // two sides, then 7 down the third
  ExpectNearest(Nearest(*square, 5, 5), 5, 0, 5, 5);     // a tie keeps the earlier edge
  // A zero-length edge adds nothing to the walk.
  ExpectNearest(Nearest(*Polyline({{0, 0}, {4, 0}, {4, 0}, {4, 6}}), 6, 3), 2, 4, 3, 7);
  TQarvOnePath empty;
  ExpectNearest(Nearest(empty, 1, 1), kNoDistance, -1, -1, 0);  // Xp, Yp left alone
}

TEST(PathQueriesPositionTest, PointAtLengthAlongTheEdges) {
  auto square = Square10();
  square->ApproximatePath(4);
  double x = -1, y = -1;
  ExpectNode(square->GetPointPositionAt_New(x, y, 5), 0, 5);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 5);
  ExpectNode(square->GetPointPositionAt_New(x, y, 32.5), 7.5, 0);
  ExpectNode(square->GetPointPositionAt_New(x, y, 10), 0, 10);  // the earlier edge's end
  // Outside the length: the end point.
  auto open = Polyline({{0, 0}, {0, 10}, {10, 10}});
  open->ApproximatePath(4);
  ExpectNode(open->GetPointPositionAt_New(x, y, -1), 10, 10);
  ExpectNode(open->GetPointPositionAt_New(x, y, 20.5), 10, 10);
  EXPECT_EQ(x, 10);
}

TEST(PathQueriesPositionTest, EmptyPathZeroLengthEdgeAndNoApproximation) {
  double x = 3, y = 4;
  ExpectNode(TQarvOnePath().GetPointPositionAt_New(x, y, 1), 0, 0);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  // The first edge has no length and is met exactly at offset 0: its start, not 0/0.
  auto path = Polyline({{3, 3}, {3, 3}, {8, 3}});
  path->ApproximatePath(4);
  ExpectNode(path->GetPointPositionAt_New(x, y, 0), 3, 3);
  EXPECT_EQ(x, 3);
  ExpectNode(path->GetPointPositionAt_New(x, y, 2), 5, 3);
  // Both walks read the nodes as they are; an unapproximated path has none.
  auto raw = Polyline({{0, 0}, {10, 0}});
  ExpectNode(raw->GetPointPositionAt_New(x, y, 5), 0, 0);
  EXPECT_EQ(raw->GetTangentAt_New(5), 0.0);
  EXPECT_FALSE(raw->Approximated());
}

TEST(PathQueriesTangentTest, DirectionInDegrees) {
  auto up = Polyline({{0, 0}, {0, 10}});
  up->ApproximatePath(4);
  EXPECT_DOUBLE_EQ(up->GetTangentAt_New(5), 90.0);
  auto left = Polyline({{0, 0}, {-10, 0}});
  left->ApproximatePath(4);
  EXPECT_DOUBLE_EQ(left->GetTangentAt_New(5), 180.0);
  auto square = Square10();
  square->ApproximatePath(4);
  EXPECT_DOUBLE_EQ(square->GetTangentAt_New(25), -90.0);
  EXPECT_DOUBLE_EQ(square->GetTangentAt_New(10), 90.0);   // the earlier edge at a shared length
  EXPECT_DOUBLE_EQ(square->GetTangentAt_New(55), 180.0);  // outside: the last edge
  EXPECT_DOUBLE_EQ(square->GetTangentAt_New(-5), 180.0);
  EXPECT_EQ(TQarvOnePath().GetTangentAt_New(0), 0.0);
}

TEST(PathQueriesIntersectionTest, CrossingsOfEveryEdgePair) {
  auto a = Polyline({{0, 0}, {10, 10}});
  auto b = Polyline({{0, 10}, {10, 0}});
  TNodeSimpleArr points = a->GetIntersections(*b);
  ASSERT_EQ(points.size(), 1u);
  ExpectNode(points[0], 5, 5);
  EXPECT_TRUE(b->Approximated());
  EXPECT_TRUE(a->GetIntersections(*Polyline({{0, 1}, {10, 11}})).empty());
  TQarvOnePath empty;
  EXPECT_TRUE(a->GetIntersections(empty).empty());

  auto square = Square10();
  points = square->GetIntersections(*Polyline({{-5, 3}, {15, 3}}), 123.0);
  ASSERT_EQ(points.size(), 2u);
  ExpectNode(points[0], 0, 3);  // the left side comes first
  ExpectNode(points[1], 10, 3);
  // Through the corner (0, 10): both sides meeting there report it.
  points = square->GetIntersections(*Polyline({{-5, 5}, {5, 15}}));
  ASSERT_EQ(points.size(), 2u);
  ExpectNode(points[0], 0, 10);
  ExpectNode(points[1], 0, 10);
}

}  // namespace

}  // namespace plavo
