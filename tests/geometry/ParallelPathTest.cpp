#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "GeometryTestUtil.h"
#include "geometry/ShapesClass.h"

namespace plavo {

namespace {

using geometry_test::ExpectBox;
using geometry_test::ExpectNode;
using geometry_test::Nodes;
using geometry_test::Polyline;
using geometry_test::Square10;

// Every segment's nodes, joined without repeating the shared ends.
std::vector<TNodeSimple> Corners(const TQarvOnePath& Path) {
  std::vector<TNodeSimple> corners;
  for (int k = 0; k < Path.SegmentCount(); ++k) {
    const TSegmentView segment = Path.GetSegment(k);
    const std::vector<TNodeSimple> nodes = Nodes(*segment);
    const bool shared = !corners.empty() && !nodes.empty();
    corners.insert(corners.end(), nodes.begin() + (shared ? 1 : 0), nodes.end());
  }
  return corners;
}

void ExpectCorners(const TQarvOnePath& Path, const std::vector<TNodeSimple>& Expected) {
  const std::vector<TNodeSimple> corners = Corners(Path);
  ASSERT_EQ(corners.size(), Expected.size());
  for (size_t i = 0; i < Expected.size(); ++i) {
    SCOPED_TRACE(i);
    ExpectNode(corners[i], Expected[i].X, Expected[i].Y, 1e-9);
  }
}

TEST(ParallelPathTest, ClockwiseSquareGrowsLeftOfTravelAndShrinksRight) {
  auto square = Square10();
  auto outer = square->GetParallelPath(1, true);
  ExpectCorners(*outer, {{-1, -1}, {-1, 11}, {11, 11}, {11, -1}, {-1, -1}});
  EXPECT_DOUBLE_EQ(outer->Length(), 48.0);
  EXPECT_DOUBLE_EQ(outer->GetSegment(1)->ApproxLength(), 12.0);
  ExpectBox(outer->BoundBox(), -1, 11, 11, -1);
  auto inner = square->GetParallelPath(1, false);
  ExpectCorners(*inner, {{1, 1}, {1, 9}, {9, 9}, {9, 1}, {1, 1}});
  EXPECT_DOUBLE_EQ(inner->Length(), 32.0);
  // Only the copies were approximated.
  EXPECT_FALSE(square->Approximated());
}

TEST(ParallelPathTest, OpenEndsCornersAndCollinearEdges) {
  auto line = Polyline({{0, 0}, {10, 0}});
  ExpectCorners(*line->GetParallelPath(2, true), {{0, 2}, {10, 2}});
  ExpectCorners(*line->GetParallelPath(2, false), {{0, -2}, {10, -2}});
  ExpectCorners(*Polyline({{0, 0}, {3, 4}})->GetParallelPath(5, true), {{-4, 3}, {-1, 7}});
  ExpectCorners(*Polyline({{0, 0}, {10, 0}, {10, 10}})->GetParallelPath(1, true),
                {{0, 1}, {9, 1}, {9, 10}});
  // Parallel offset lines: the middle point moves by the first offset.
  ExpectCorners(*Polyline({{0, 0}, {5, 0}, {10, 0}})->GetParallelPath(1, true),
                {{0, 1}, {5, 1}, {10, 1}});
}

TEST(ParallelPathTest, KeepsStructureControlsAndSegmentBoxesButNotTag) {
  auto square = Square10();
  square->SetTag(17);
  square->SetLengthFromCDR(3.5);
  square->ApproximatePath(4);
  auto result = square->GetParallelPath(1, true);
  EXPECT_EQ(result->Tag(), 0);
  EXPECT_DOUBLE_EQ(result->LengthFromCDR(), 3.5);
  ASSERT_EQ(result->SegmentCount(), 4);
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    const TSegmentView src = square->GetSegment(k);
    const TSegmentView dst = result->GetSegment(k);
    EXPECT_EQ(dst->ApproxNodeCount(), src->ApproxNodeCount());
    ExpectNode(dst->StartNode(), src->StartNode().X, src->StartNode().Y, 0);
    const TRectDbl& b = src->BoundBox();
    ExpectBox(dst->BoundBox(), b.Left, b.Top, b.Right, b.Bottom);
  }
  ExpectNode(square->GetSegment(0)->GetApproxNode(0), 0, 0);  // the source is untouched
  // Approximating the result again brings back the nodes of its geometry.
  result->ApproximatePath(4);
  ExpectCorners(*result, {{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}});
}

TEST(ParallelPathTest, SmoothContourNodesLieAtTheOffset) {
  // A circle of radius 10 from four quarter arcs, clockwise with Y upward.
  const double k = 10 * 0.5522847498;
  TQarvOnePath circle;
  TQarvOneSegment s;
  s.MakeCurve(-10, 0, -10, k, -k, 10, 0, 10);
  circle.AddSegment(s);
  s.MakeCurve(0, 10, k, 10, 10, k, 10, 0);
  circle.AddSegment(s);
  s.MakeCurve(10, 0, 10, -k, k, -10, 0, -10);
  circle.AddSegment(s);
  s.MakeCurve(0, -10, -k, -10, -10, -k, -10, 0);
  circle.AddSegment(s);
  for (bool right : {true, false}) {
    SCOPED_TRACE(right);
    auto offset = circle.GetParallelPath(2, right);
    const double radius = right ? 12.0 : 8.0;
    for (const TNodeSimple& n : Corners(*offset)) {
      EXPECT_NEAR(circle.DistanceToPoint(n.X, n.Y), 2.0, 0.01);
      EXPECT_NEAR(std::hypot(n.X, n.Y), radius, 0.02);
    }
    EXPECT_NEAR(offset->Length(), 2 * std::numbers::pi * radius, 0.2);
  }
}

TEST(ParallelPathTest, DegeneratePathsStayFinite) {
  EXPECT_EQ(TQarvOnePath().GetParallelPath(1, true)->SegmentCount(), 0);
  for (const TNodeSimple& n : Corners(*Polyline({{2, 2}, {2, 2}})->GetParallelPath(1, true))) {
    EXPECT_TRUE(std::isfinite(n.X) && std::isfinite(n.Y));
  }
  // A segment added after the path was approximated has no nodes and takes no part.
  auto path = Polyline({{0, 0}, {10, 0}});
  path->ApproximatePath(4);
  TQarvOneSegment bare;
  bare.MakeLine(10, 0, 10, 10);
  path->AddSegment(bare);
  auto moved = path->GetParallelPath(2, true);
  EXPECT_EQ(moved->GetSegment(1)->ApproxNodeCount(), 0);
  ExpectCorners(*moved, {{0, 2}, {10, 2}});
}

}  // namespace

}  // namespace plavo
