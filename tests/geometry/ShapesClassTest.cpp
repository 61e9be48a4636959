#include "geometry/ShapesClass.h"

#include <memory>

#include <gtest/gtest.h>

#include "GeometryTestUtil.h"

namespace plavo {

namespace {

using geometry_test::ExpectBox;
using geometry_test::ExpectNode;
using geometry_test::Polyline;
using geometry_test::Square10;

TEST(ShapesClassSegmentTest, MakeLineSetsEndsMidControlsAndChordWithoutApproximating) {
  TQarvOneSegment s;
  s.MakeCurve(0, 0, 0, 5, 5, 5, 5, 0);
  const int curveNodes = s.ApproxNodeCount();
  EXPECT_EQ(s.LengthFromCDR(), s.ApproxLength());
  s.MakeLine(1, 2, 4, 6);
  EXPECT_EQ(s.Type_(), 0);
  EXPECT_FALSE(s.Approximated());
  EXPECT_EQ(s.StartNodeType() + s.EndNodeType(), 0);
  ExpectNode(s.StartControlNode(), 2.5, 4);
  ExpectNode(s.EndControlNode(), 2.5, 4);
  EXPECT_DOUBLE_EQ(s.LengthFromCDR(), 5.0);
  EXPECT_EQ(s.ApproxNodeCount(), curveNodes);  // the old polyline stays until approximated
}

TEST(ShapesClassSegmentTest, ApproxNodeIndexOutsideFallsBackToNodeZeroOrOrigin) {
  TQarvOneSegment s;
  ExpectNode(s.GetApproxNode(-1), 0, 0);
  s.SetApproxNode(0, {9, 9});  // ignored: there is no node 0
  EXPECT_EQ(s.ApproxNodeCount(), 0);

  s.MakeLine(3, 4, 7, 8);
  s.ApproximateSegment(4);
  ExpectNode(s.GetApproxNode(-1), 3, 4);
  ExpectNode(s.GetApproxNode(2), 3, 4);
  s.SetApproxNode(2, {9, 9});
  s.SetApproxNode(-1, {9, 9});
  ExpectNode(s.GetApproxNode(0), 3, 4);
  ExpectNode(s.GetApproxNode(1), 7, 8);
  s.SetApproxNode(1, {9, 9});
  ExpectNode(s.GetApproxNode(1), 9, 9);
}

TEST(ShapesClassPathTest, ClosedOnlyWhenEndsMatchExactly) {
  EXPECT_FALSE(TQarvOnePath().Closed());
  EXPECT_TRUE(Square10()->Closed());
  auto almostY = Polyline({{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 1e-12}});
  EXPECT_FALSE(almostY->Closed());
  EXPECT_EQ(almostY->Area(), 0.0);
  EXPECT_FALSE(Polyline({{0, 0}, {0, 10}, {10, 10}, {-1e-12, 0}})->Closed());
}

TEST(ShapesClassPathTest, AreaSignAndLengthApproximateOnDemand) {
  auto square = Square10();
  EXPECT_DOUBLE_EQ(square->Area(), 100.0);  // clockwise
  EXPECT_TRUE(square->Approximated());
  EXPECT_DOUBLE_EQ(Polyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}})->Area(), -100.0);
  auto open = Polyline({{0, 0}, {3, 4}, {3, 10}});
  EXPECT_DOUBLE_EQ(open->Length(), 11.0);
  ExpectBox(open->BoundBox(), 0, 10, 3, 0);
}

TEST(ShapesClassPathTest, CreatePathFromTwoPoints) {
  TQarvOnePath path;
  path.CreatePathFromTwoPoints(1, 1, 4, 5);
  ASSERT_EQ(path.SegmentCount(), 1);
  EXPECT_FALSE(path.Approximated());
  EXPECT_DOUBLE_EQ(path.LengthFromCDR(), 5.0);
  ExpectNode(path.GetSegment(0)->EndNode(), 4, 5);
  EXPECT_DOUBLE_EQ(path.Length(), 5.0);
}

TEST(ShapesClassPathTest, ContainersStoreDeepCopies) {
  TQarvOnePath path;
  TQarvOneSegment s;
  s.MakeLine(0, 0, 1, 0);
  path.AddSegment(s);
  s.MakeLine(5, 5, 6, 6);
  ExpectNode(path.GetSegment(0)->EndNode(), 1, 0);
  path.SetSegment(0, s);
  s.MakeLine(7, 7, 8, 8);
  ExpectNode(path.GetSegment(0)->EndNode(), 6, 6);
  path.SetSegment(3, s);  // outside the path: nothing to replace
  EXPECT_EQ(path.SegmentCount(), 1);

  auto square = Square10();
  square->SetTag(42);
  square->SetType_(-1);
  square->SetLengthFromCDR(7.5);
  square->ApproximatePath(4);
  auto copy = square->GetCopy();
  EXPECT_EQ(copy->Tag(), 42);
  EXPECT_EQ(copy->Type_(), -1);
  EXPECT_TRUE(copy->Approximated());
  EXPECT_DOUBLE_EQ(copy->Length(), 40.0);
  EXPECT_DOUBLE_EQ(copy->LengthFromCDR(), 7.5);
  copy->EditSegment(0)->SetApproxNode(0, {-5, -5});
  ExpectNode(square->GetSegment(0)->GetApproxNode(0), 0, 0);

  TQarvOneShape shape;
  shape.SetColor({255, 65280, 0.5});
  shape.Curve()->AddPath(*square);
  shape.ApproximateShape(4);
  auto shapeCopy = shape.GetCopy();
  EXPECT_EQ(shapeCopy->Color().Outline, 65280);
  ExpectBox(shapeCopy->BoundBox(), 0, 10, 10, 0);
  shapeCopy->Curve()->GetPath(0)->SetTag(3);
  shapeCopy->Curve()->AddPathLine(0, 0, 1, 1);
  EXPECT_EQ(shape.Curve()->GetPath(0)->Tag(), 42);
  EXPECT_EQ(shape.Curve()->PathCount(), 1);
}

TEST(ShapesClassCurveTest, RectangleSidesInOrderWithPositiveArea) {
  TQarvOneCurve curve;
  curve.AddPathRectangle(10, 0, 0, 5);
  TQarvOnePath* path = curve.GetPath(0);
  ASSERT_EQ(path->SegmentCount(), 4);
  const TNodeSimple corners[] = {{0, 0}, {0, 5}, {10, 5}, {10, 0}};
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    const TSegmentView s = path->GetSegment(k);
    EXPECT_EQ(s->Type_(), 0);
    ExpectNode(s->StartNode(), corners[k].X, corners[k].Y);
    ExpectNode(s->EndNode(), corners[(k + 1) % 4].X, corners[(k + 1) % 4].Y);
    ExpectNode(s->StartControlNode(), 0, 0);  // only the ends are set
  }
  EXPECT_FALSE(path->Approximated());
  EXPECT_DOUBLE_EQ(path->Area(), 50.0);
}

TEST(ShapesClassCurveTest, NodesArrayNeedsOnePlusThreePerSegment) {
  const TNodeSimple n[] = {{0, 0}, {1, 1}, {2, 1}, {3, 0}, {4, 1}, {5, 1}, {6, 0}};
  TQarvOneCurve curve;
  for (int count : {0, 1, 2, 3, 5, 6}) curve.AddPathFromNodesArray(n, count, 1.0);
  curve.AddPathFromNodesArray(nullptr, 4, 1.0);
  EXPECT_EQ(curve.PathCount(), 0);

  curve.AddPathFromNodesArray(n, 4, 1.0);
  ASSERT_EQ(curve.PathCount(), 1);
  EXPECT_EQ(curve.GetPath(0)->SegmentCount(), 1);
  curve.AddPathFromNodesArray(n, 7, 2.0);
  TQarvOnePath* two = curve.GetPath(1);
  ASSERT_EQ(two->SegmentCount(), 2);
  const TSegmentView a = two->GetSegment(0);
  EXPECT_EQ(a->Type_(), 1);
  ExpectNode(a->StartControlNode(), 2, 2);
  ExpectNode(a->EndControlNode(), 4, 2);
  ExpectNode(a->EndNode(), 6, 0);
  ExpectNode(two->GetSegment(1)->StartNode(), 6, 0);  // node 3 is shared
  EXPECT_EQ(a->ApproxNodeCount(), 0);

  // Both controls on their end points make a line; one alone does not.
  const TNodeSimple m[] = {{0, 0}, {0, 0}, {5, 5}, {5, 5}, {5, 5}, {6, 5}, {9, 0}};
  curve.AddPathFromNodesArray(m, 7, 1.0);
  EXPECT_EQ(curve.GetPath(2)->GetSegment(0)->Type_(), 0);
  EXPECT_EQ(curve.GetPath(2)->GetSegment(1)->Type_(), 1);
}

TEST(ShapesClassCurveTest, GetPathOutsideYieldsPathZeroOrAnEmptyPath) {
  TQarvOneCurve curve;
  TQarvOnePath* none = curve.GetPath(3);
  ASSERT_NE(none, nullptr);
  none->AddSegment(TQarvOneSegment());
  EXPECT_EQ(curve.GetPath(0)->SegmentCount(), 0);  // empty again for the next caller
  EXPECT_EQ(curve.PathCount(), 0);

  curve.AddPathLine(0, 0, 1, 0);
  curve.AddPathRectangle(0, 0, 1, 1);
  EXPECT_EQ(curve.GetPath(2), curve.GetPath(0));
  EXPECT_EQ(curve.GetPath(-1), curve.GetPath(0));
  curve.SetPath(0, *Square10());
  EXPECT_EQ(curve.GetPath(0)->SegmentCount(), 4);
  curve.SetPathCount(3);
  EXPECT_EQ(curve.GetPath(2)->SegmentCount(), 0);
  curve.SetPathCount(-2);
  EXPECT_FALSE(curve.HasPath());
}

// n rectangles; shape i spans x from i to i + 1 and has fill colour i.
void FillRectangles(TQarvShapes& Shapes, int n) {
  for (int i = 0; i < n; ++i) {
    TQarvOneShape shape;
    shape.Curve()->AddPathRectangle(i, 0, i + 1, 1);
    shape.SetColor({i, -1, -1.0});
    Shapes.AddShape(shape, false);
  }
  Shapes.ApproximateShapes(4, true);
}

TEST(ShapesClassShapesTest, BoundBoxZeroAtFirstEmptyOverNothingThenCurveBoxes) {
  TQarvShapes shapes;
  ExpectBox(shapes.BoundBox(), 0, 0, 0, 0);
  shapes.UpdateBoundBox();
  ExpectBox(shapes.BoundBox(), 2147483647.0, -2147483647.0, -2147483647.0, 2147483647.0);
  FillRectangles(shapes, 3);
  shapes.GetShape(0)->SetBoundBox(
      TRectDbl::MakeLTRB(-100, 100, 100, -100));  // not what the union reads
  shapes.UpdateBoundBox();
  ExpectBox(shapes.BoundBox(), 0, 1, 3, 0);

  shapes.AddShapeLine(1, 2, 5, 2, false);
  EXPECT_TRUE(shapes.GetShape(3)->Curve()->GetPath(0)->Approximated());
  shapes.ApproximateShapes(4, true);
  ExpectBox(shapes.BoundBox(), 0, 2, 5, 0);
}

TEST(ShapesClassShapesTest, SetShapeExchangePatternSwapsBothIntact) {
  TQarvShapes shapes;
  FillRectangles(shapes, 4);
  TQarvOneShape* a = shapes.GetShape(0);
  TQarvOneShape* b = shapes.GetShape(3);
  shapes.SetShape(0, *b);
  shapes.SetShape(3, *a);  // a was displaced by the first call and must still be valid
  EXPECT_EQ(shapes.GetShape(0)->Color().Fill, 3);
  EXPECT_EQ(shapes.GetShape(3)->Color().Fill, 0);
  EXPECT_DOUBLE_EQ(shapes.GetShape(3)->Curve()->BoundBox().Left, 0.0);
  EXPECT_EQ(shapes.GetShape(3)->Curve()->GetPath(0)->SegmentCount(), 4);

  shapes.SetShape(1, *shapes.GetShape(1));  // a shape onto its own slot
  EXPECT_EQ(shapes.GetShape(1)->Curve()->PathCount(), 1);
  shapes.SetShape(4, *shapes.GetShape(0));  // outside: ignored
  EXPECT_EQ(shapes.ShapeCount(), 4);

  TQarvOneShape* first = shapes.GetShape(0);
  shapes.ExchangeShapes(0, 2);
  EXPECT_EQ(shapes.GetShape(2), first);
  shapes.ExchangeShapes(0, 7);
  EXPECT_EQ(shapes.GetShape(2), first);
}

}  // namespace

}  // namespace plavo
