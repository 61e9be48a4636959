#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "GeometryTestUtil.h"
#include "geometry/ShapesClass.h"

namespace plavo {

namespace {

using geometry_test::ExpectBox;
using geometry_test::ExpectNode;
using geometry_test::Nodes;

TQarvOneSegment Curve(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                      double y4, int Level) {
  TQarvOneSegment s;
  s.MakeCurve(x1, y1, x2, y2, x3, y3, x4, y4);
  s.ApproximateSegment(Level);
  return s;
}

// A straight curve along the X axis, its nodes compared exactly.
void ExpectNodesX(const TQarvOneSegment& s, const std::vector<double>& Xs) {
  const std::vector<TNodeSimple> nodes = Nodes(s);
  ASSERT_EQ(nodes.size(), Xs.size());
  for (size_t i = 0; i < Xs.size(); ++i) EXPECT_EQ(nodes[i].X, Xs[i]) << "node " << i;
}

TEST(CurveApproximationSegmentTest, LineGetsItsTwoEndsAndChordLength) {
  TQarvOneSegment s;
  s.MakeLine(1, 1, 4, -3);
  s.ApproximateSegment(4);
  EXPECT_TRUE(s.Approximated());
  ASSERT_EQ(s.ApproxNodeCount(), 2);
  ExpectNode(s.GetApproxNode(1), 4, -3);
  EXPECT_DOUBLE_EQ(s.ApproxLength(), 5.0);
  ExpectBox(s.BoundBox(), 1, 1, 4, -3);
}

TEST(CurveApproximationSegmentTest, StraightCurvesOnTheGrid) {
  // Controls at the thirds: flat at once on the collinear test.
  ExpectNodesX(Curve(0, 0, 32, 0, 64, 0, 96, 0, 4), {0, 24, 72, 96});
  // Controls on the ends: the curve's midpoint is never the chord's, so nothing is flat.
  EXPECT_EQ(Curve(0, 0, 0, 0, 100, 0, 100, 0, 4).ApproxNodeCount(), 34);
  ExpectNodesX(Curve(0, 0, 0, 0, 100, 0, 100, 0, 1), {0, 4.2968, 31.6406, 68.3593, 95.7031, 100});
  // Truncation toward zero, also for negative values and in the midpoints.
  ExpectNodesX(Curve(0, 0, 0, 0, -100, 0, -100, 0, 1),
               {0, -4.2968, -31.6406, -68.3593, -95.7031, -100});
  // The start is kept as it is; the interior is computed from its truncated value 0.
  ExpectNodesX(Curve(0.00009, 0, 0, 0, 100, 0, 100, 0, 1),
               {0.00009, 4.2968, 31.6406, 68.3593, 95.7031, 100});
}

TEST(CurveApproximationSegmentTest, ControlCoordinatesTruncateTowardZero) {
  // A curve shrunk to one point: 1.9 and -1.9 grid units become 1 and -1.
  const double p = 0.00019;
  const TQarvOneSegment s = Curve(p, -p, p, -p, p, -p, p, -p, 4);
  ASSERT_EQ(s.ApproxNodeCount(), 4);
  ExpectNode(s.GetApproxNode(0), p, -p, 0);
  ExpectNode(s.GetApproxNode(1), 0.0001, -0.0001, 1e-15);
}

TEST(CurveApproximationSegmentTest, ArchNodesAtParametersInOrder) {
  const TQarvOneSegment deep = Curve(0, 0, 0, 100, 100, 100, 100, 0, 4);
  const std::vector<TNodeSimple> nodes = Nodes(deep);
  ASSERT_EQ(nodes.size(), 34u);
  // No piece is ever flat: the interior nodes are the points at parameters (2k + 1) / 64,
  // off only by the truncation to the grid.
  for (int k = 0; k < 32; ++k) {
    const double t = (2 * k + 1) / 64.0;
    SCOPED_TRACE(k);
    ExpectNode(nodes[k + 1], 100 * (3 * t * t - 2 * t * t * t), 300 * t * (1 - t), 0.001);
  }
  double length = 0.0;
  TRectDbl box = EmptyBox();
  for (size_t i = 0; i < nodes.size(); ++i) {
    if (i > 0) length += std::hypot(nodes[i].X - nodes[i - 1].X, nodes[i].Y - nodes[i - 1].Y);
    WidenBox(box, nodes[i]);
  }
  EXPECT_DOUBLE_EQ(deep.ApproxLength(), length);
  ExpectBox(deep.BoundBox(), box.Left, box.Top, box.Right, box.Bottom);

  const TQarvOneSegment shallow = Curve(0, 0, 0, 100, 100, 100, 100, 0, 1);
  ASSERT_EQ(shallow.ApproxNodeCount(), 6);
  ExpectNode(shallow.GetApproxNode(1), 4.2968, 32.8125, 1e-12);
  // Level 0 or below: just the chord.
  EXPECT_EQ(Curve(0, 0, 0, 100, 100, 100, 100, 0, 0).ApproxNodeCount(), 2);
  EXPECT_EQ(Curve(0, 0, 0, 100, 100, 100, 100, 0, -3).ApproxNodeCount(), 2);
}

TEST(CurveApproximationSegmentTest, CollinearPiecesBelowLevelFiveAreDropped) {
  // At level 5 every piece down to depth 5 is still split, giving the full 2^6 + 2 nodes; at
  // level 6 the pieces at depth 6 are dropped without a node and only the ends remain.
  EXPECT_EQ(Curve(0, 0, 0, 0, 1, 0, 1, 0, 5).ApproxNodeCount(), 66);
  ExpectNodesX(Curve(0, 0, 0, 0, 1, 0, 1, 0, 6), {0, 1});
}

TEST(CurveApproximationSegmentTest, DeepAndHugeLevelsStayOrderedAndBounded) {
  for (int level : {6, 1000000}) {
    SCOPED_TRACE(level);
    const TQarvOneSegment s = Curve(0, 0, 0, 1000, 1000, -1000, 1000, 0, level);
    const std::vector<TNodeSimple> nodes = Nodes(s);
    EXPECT_GT(nodes.size(), 72u);  // beyond the room kept on the stack
    EXPECT_LE(nodes.size(), (1u << 17) + 2);
    ExpectNode(nodes.back(), 1000, 0);
    for (size_t i = 1; i < nodes.size(); ++i) ASSERT_GE(nodes[i].X, nodes[i - 1].X) << i;
  }
}

TEST(CurveApproximationSegmentTest, CoordinatesAtAndBeyondTheIntegerLimit) {
  // 214000 scales to 2.14e9: the sum of two such integers exceeds 32 bits.
  const TQarvOneSegment s =
      Curve(214000, 214000, 214000, 214100, 214100, 214100, 214100, 214000, 1);
  for (const TNodeSimple& n : Nodes(s)) {
    EXPECT_TRUE(n.X >= 214000.0 && n.X <= 214100.0 && n.Y >= 214000.0 && n.Y <= 214100.0);
  }
  // Outside the model's limits the result is meaningless but defined.
  const TQarvOneSegment far = Curve(-1e12, 0, 1e12, 5e11, 3e15, -7e11, 1e300, 1e300, 4);
  ExpectNode(far.GetApproxNode(0), -1e12, 0);
  for (const TNodeSimple& n : Nodes(far)) EXPECT_TRUE(std::isfinite(n.X) && std::isfinite(n.Y));
  EXPECT_GE(Curve(NAN, 0, 1, 1, 2, 1, 3, 0, 4).ApproxNodeCount(), 4);
}

TEST(CurveApproximationSegmentTest, ReapproximationFollowsEveryChange) {
  TQarvOneSegment s;
  s.MakeCurve(0, 0, 0, 100, 100, 100, 100, 0);
  const std::vector<TNodeSimple> original = Nodes(s);
  s.SetApproxNode(3, {-7, -7});
  s.ApproximateSegment(4);
  ExpectNode(s.GetApproxNode(3), original[3].X, original[3].Y, 0);
  s.SetEndControlNode({100, 0});
  s.ApproximateSegment(4);
  EXPECT_NE(s.GetApproxNode(3).Y, original[3].Y);
  s.SetType_(0);
  s.ApproximateSegment(4);
  EXPECT_EQ(s.ApproxNodeCount(), 2);
  s.SetType_(1);
  s.SetEndControlNode({100, 100});
  s.ApproximateSegment(1);
  EXPECT_EQ(s.ApproxNodeCount(), 6);
  s.ApproximateSegment(4);
  ExpectNode(s.GetApproxNode(3), original[3].X, original[3].Y, 0);
  s.SetStartNode({-0.0, 0});  // copied as it is, down to the sign of zero
  s.ApproximateSegment(4);
  EXPECT_TRUE(std::signbit(s.GetApproxNode(0).X));
}

TEST(CurveApproximationSegmentTest, NodesOutlivedByTheGeometryStayUntilTheNextApproximation) {
  TQarvOneSegment s;
  s.MakeCurve(0, 0, 0, 100, 100, 100, 100, 0);
  const std::vector<TNodeSimple> original = Nodes(s);
  s.SetEndNode({300, 0});
  const TQarvOneSegment copy = s;
  for (const TQarvOneSegment* segment : std::vector<const TQarvOneSegment*>{&s, &copy}) {
    const std::vector<TNodeSimple> kept = Nodes(*segment);
    ASSERT_EQ(kept.size(), original.size());
    for (size_t i = 0; i < kept.size(); ++i) ExpectNode(kept[i], original[i].X, original[i].Y, 0);
  }
  s.ApproximateSegment(4);
  ExpectNode(s.GetApproxNode(s.ApproxNodeCount() - 1), 300, 0, 0);
}

TEST(CurveApproximationPathTest, PathSumsLengthsAndUnitesBoxes) {
  TQarvOnePath path;
  path.ApproximatePath(4);
  ExpectBox(path.BoundBox(), 2147483647.0, -2147483647.0, -2147483647.0, 2147483647.0);
  // A path of many thousand segments, as the largest drawings have.
  TQarvOneSegment s;
  for (int k = 0; k < 20000; ++k) {
    s.MakeCurve(k, 0, k, 1, k + 1, 1, k + 1, 0);
    path.AddSegment(s);
  }
  s.MakeLine(20000, 0, 20000, -6);
  path.AddSegment(s);
  path.ApproximatePath(4);
  double length = 0.0;
  for (int k = 0; k < path.SegmentCount(); ++k) length += path.GetSegment(k)->ApproxLength();
  EXPECT_DOUBLE_EQ(path.Length(), length);
  EXPECT_GT(length, 20000 * 2 * 0.75 + 6);  // up and down in every arch
  ExpectBox(path.BoundBox(), 0, path.BoundBox().Top, 20000, -6);
  EXPECT_NEAR(path.BoundBox().Top, 0.75, 0.02);
}

TEST(CurveApproximationCurveTest, NestedContoursAlternateBetweenOuterAndHole) {
  TQarvOneCurve curve;
  curve.AddPathRectangle(20, 20, 80, 80);  // listed before the contours around it
  curve.AddPathRectangle(0, 0, 100, 100);
  curve.AddPathRectangle(10, 10, 90, 90);
  curve.AddPathLine(30, 30, 40, 40);        // open: never a contour
  curve.AddPathRectangle(200, 0, 210, 10);  // beside everything
  curve.AddPathRectangle(205, -5, 215, 5);  // overlaps it, but starts outside it
  curve.ApproximateCurve(4);
  const int expected[] = {1, 1, -1, 0, 1, 1};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(curve.GetPath(i)->Type_(), expected[i]) << "path " << i;
  ExpectBox(curve.BoundBox(), 0, 100, 215, -5);
}

TEST(CurveApproximationCurveTest, PathsApproximatedEarlierKeepTheirNodes) {
  TQarvOneCurve curve;
  curve.AddPathLine(0, 0, 10, 0);
  curve.AddPathLine(0, 5, 10, 5);
  TQarvOnePath* first = curve.GetPath(0);
  first->ApproximatePath(4);
  first->EditSegment(0)->SetApproxNode(1, {20, 0});
  curve.ApproximateCurve(4);
  ExpectNode(first->GetSegment(0)->GetApproxNode(1), 20, 0);
  EXPECT_EQ(curve.GetPath(1)->GetSegment(0)->ApproxNodeCount(), 2);
  ExpectBox(curve.BoundBox(), 0, 5, 10, 0);  // the path's box was taken before the move
}

TEST(CurveApproximationShapeTest, ShapeAndCollectionTakeTheCurveBoxes) {
  TQarvShapes shapes;
  TQarvOneShape shape;
  shape.Curve()->AddPathRectangle(0, 0, 2, 3);
  shapes.AddShape(shape, false);
  TQarvOneSegment s;
  s.MakeCurve(5, 0, 5, 10, 9, 10, 9, 0);
  TQarvOnePath path;
  path.AddSegment(s);
  shapes.GetShape(0)->Curve()->AddPath(path);

  shapes.ApproximateShapes(4, false);
  ExpectBox(shapes.BoundBox(), 0, 0, 0, 0);  // not asked to recompute
  const TQarvOneShape* sh = shapes.GetShape(0);
  EXPECT_TRUE(sh->Approximated());
  const double top = sh->Curve()->BoundBox().Top;
  EXPECT_NEAR(top, 7.5, 0.01);  // the arch's highest point, not its control points
  ExpectBox(sh->BoundBox(), 0, top, 9, 0);
  shapes.ApproximateShapes(4, true);
  ExpectBox(shapes.BoundBox(), 0, top, 9, 0);
}

}  // namespace

}  // namespace plavo
