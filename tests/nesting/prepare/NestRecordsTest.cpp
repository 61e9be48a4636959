#include "nesting/prepare/NestRecords.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace plavo {

namespace {

TQarvOneShape RectangleShape(double x1, double y1, double x2, double y2) {
  TQarvOneShape s;
  s.Curve()->AddPathRectangle(x1, y1, x2, y2);
  return s;
}

// n rectangles of w x h side by side, like letters of a line of text.
TQarvOneShape LetterRow(int n, double w, double h) {
  TQarvOneShape s;
  for (int k = 0; k < n; ++k) s.Curve()->AddPathRectangle(k * 20.0, 0.0, k * 20.0 + w, h);
  return s;
}

// A closed path of Segments straight segments around a circle, as a cubic node list.
TQarvOneShape Polygon(int Segments) {
  std::vector<TNodeSimple> nodes;
  const auto corner = [Segments](int k) {
    const double t = 2.0 * M_PI * (k % Segments) / Segments;
    return TNodeSimple{50.0 * std::cos(t), 50.0 * std::sin(t)};
  };
  nodes.push_back(corner(0));
  for (int k = 0; k < Segments; ++k) {
    nodes.push_back(corner(k));
    nodes.push_back(corner(k + 1));
    nodes.push_back(corner(k + 1));
  }
  TQarvOneShape s;
  s.Curve()->AddPathFromNodesArray(nodes, 1.0);
  return s;
}

// A record with one outer contour of each given size and its rectangle.
TNestOneRec ContourRecord(const std::vector<std::pair<double, double>>& Sizes) {
  TNestOneRec r;
  for (const auto& [w, h] : Sizes) {
    TNestSbpOneRec bez;
    bez.Attr = 0x111;
    r.SbpBez.push_back(bez);
    TNestSbpOneRec rec;
    rec.Attr = 0x101;
    rec.Rect = TNestRect::MakeLRBT(0.0, w, 0.0, h);
    r.SbpRec.push_back(rec);
  }
  r.SbpBezCount = r.SbpRecCount = static_cast<int32_t>(Sizes.size());
  return r;
}

TEngineState BuildFrom(TQarvShapes& Shapes) {
  TEngineState E;
  EXPECT_TRUE(BuildNestRecords(E, Shapes));
  return E;
}

// Builds the records of a drawing made of the given shapes.
template <typename... TShape>
TEngineState Build(const TShape&... List) {
  TQarvShapes shapes;
  (shapes.AddShape(List, true), ...);
  return BuildFrom(shapes);
}

void ExpectNodes(const TNestSbpOneRec& Sbp, const std::vector<TBezierNode>& Nodes) {
  ASSERT_EQ(Sbp.BezierCount, Nodes.size());
  ASSERT_EQ(Sbp.Bezier.size(), Nodes.size());
  for (size_t k = 0; k < Nodes.size(); ++k) {
    EXPECT_DOUBLE_EQ(Sbp.Bezier[k].x, Nodes[k].x) << "node " << k;
    EXPECT_DOUBLE_EQ(Sbp.Bezier[k].y, Nodes[k].y) << "node " << k;
  }
}

int TextLikeness(const TNestOneRec& r) {
  TEngineState E;
  E.NestRecords.Shape.push_back(r);
  E.NestRecords.Count = 1;
  return AnalyzeTextLikeness(E, 0);
}

}  // namespace

TEST(NestRecords, SquareOfFourLinesGivesThreeOutlines) {
  const TEngineState E = Build(RectangleShape(0.0, 0.0, 10.0, 10.0));
  ASSERT_EQ(E.NestRecords.Count, 1);
  const TNestOneRec& r = E.NestRecords.Shape[0];
  EXPECT_EQ(r.UserAttr, 0x111);
  EXPECT_TRUE(r.CenterIsOnShape);
  EXPECT_EQ(r.AnalyzeVal, 1);
  EXPECT_TRUE(r.SbpBezAdded && r.SbpRecAdded && r.SbpComAdded);
  EXPECT_DOUBLE_EQ(r.Original.CenterX, 5.0);
  EXPECT_DOUBLE_EQ(r.Original.Height, 10.0);
  ASSERT_EQ(r.SbpBezCount, 1);
  EXPECT_EQ(r.SbpBez[0].Attr, 0x111);
  EXPECT_EQ(r.SbpBez[0].Center.x, 50000);
  // A straight segment's control points lie on its ends, whatever its control nodes hold.
  ExpectNodes(r.SbpBez[0], {{0, 0},
                            {0, 0},
                            {0, 10},
                            {0, 10},
                            {0, 10},
                            {10, 10},
                            {10, 10},
                            {10, 10},
                            {10, 0},
                            {10, 0},
                            {10, 0},
                            {0, 0},
                            {0, 0}});
  ASSERT_EQ(r.SbpRecCount, 1);
  EXPECT_EQ(r.SbpRec[0].Attr, 257);
  EXPECT_DOUBLE_EQ(r.SbpRec[0].Rect.Right, 10.0);
  ASSERT_EQ(r.SbpComCount, 1);
  EXPECT_EQ(r.SbpCom[0].Attr, 257);
  EXPECT_DOUBLE_EQ(r.SbpCom[0].Rect.Top, 10.0);
}

TEST(NestRecords, CurveSegmentsKeepTheirControlPoints) {
  TQarvOnePath path;
  TQarvOneSegment curve;
  curve.MakeCurve(0, 0, 0, 10, 10, 10, 10, 0);
  TQarvOneSegment line;
  line.MakeLine(10, 0, 0, 0);
  path.AddSegment(curve);
  path.AddSegment(line);
  TQarvOneShape s;
  s.Curve()->AddPath(path);
  const TEngineState E = Build(s);
  ExpectNodes(E.NestRecords.Shape[0].SbpBez[0],
              {{0, 0}, {0, 10}, {10, 10}, {10, 0}, {10, 0}, {0, 0}, {0, 0}});
}

TEST(NestRecords, HoleIsExactButHasNoRectangle) {
  TQarvOneShape frame = RectangleShape(0.0, 0.0, 40.0, 40.0);
  frame.Curve()->AddPathRectangle(10.0, 10.0, 30.0, 30.0);
  const TEngineState E = Build(frame);
  const TNestOneRec& r = E.NestRecords.Shape[0];
  ASSERT_EQ(r.SbpBezCount, 2);
  EXPECT_EQ(r.SbpBez[0].Attr, 0x111);
  EXPECT_EQ(r.SbpBez[1].Attr, 0x11);
  ASSERT_EQ(r.SbpRecCount, 1);
  EXPECT_DOUBLE_EQ(r.SbpRec[0].Rect.Right, 40.0);
  EXPECT_EQ(r.SbpComCount, 1);
  EXPECT_FALSE(r.CenterIsOnShape) << "the centre lies in the hole";
}

TEST(NestRecords, HoleReachingOutOfEveryOtherPathGetsItsRectangleLast) {
  // The second path starts inside the frame, so it counts as a hole, but most of it lies
  // outside: the rectangles must cover it, after the frame's own.
  TQarvOneShape shape = RectangleShape(0.0, 0.0, 40.0, 40.0);
  shape.Curve()->AddPathRectangle(30.0, 30.0, 80.0, 80.0);
  const TEngineState E = Build(shape);
  const TNestOneRec& r = E.NestRecords.Shape[0];
  ASSERT_EQ(r.SbpBez[1].Attr & kSbpOuter, 0);
  ASSERT_EQ(r.SbpRecCount, 2);
  EXPECT_DOUBLE_EQ(r.SbpRec[0].Rect.Right, 40.0);
  EXPECT_DOUBLE_EQ(r.SbpRec[1].Rect.Right, 80.0);
}

TEST(NestRecords, CentreTruncatesTowardZeroAndFrameCoversTheDrawing) {
  const TEngineState E =
      Build(RectangleShape(0.0, 0.0, 10.00005, 10.0), RectangleShape(-10.00003, -4.0, 0.0, 30.0));
  EXPECT_EQ(E.NestRecords.Shape[0].SbpBez[0].Center.x, 50000);
  EXPECT_EQ(E.NestRecords.Shape[1].SbpBez[0].Center.x, -50000);
  EXPECT_EQ(E.NestRecords.Shape[1].SbpRec[0].Center.y, 130000);
  EXPECT_DOUBLE_EQ(E.DrawingFrame.Left, -10.00003);
  EXPECT_DOUBLE_EQ(E.DrawingFrame.Right, 10.00005);
  EXPECT_DOUBLE_EQ(E.DrawingFrame.Width, 20.00008);
  EXPECT_DOUBLE_EQ(E.DrawingFrame.Height, 34.0);
}

TEST(NestRecords, ColourIsFillElseOutlineElseZero) {
  TQarvShapes shapes;
  for (const TShapeColor& c : {TShapeColor{-1, 255, 1.0}, TShapeColor{-1, -1, 1.0},
                               TShapeColor{0, 255, 1.0}, TShapeColor{0x00FF00, -1, 1.0}}) {
    TQarvOneShape s = RectangleShape(0.0, 0.0, 5.0, 5.0);
    s.SetColor(c);
    shapes.AddShape(s, true);
  }
  const TEngineState E = BuildFrom(shapes);
  const int expected[] = {255, 0, 0, 0x00FF00};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(E.NestRecords.Shape[i].Original.Color, expected[i]) << i;
}

TEST(NestRecords, StraightLineAndEmptyDrawingBuildWithoutFault) {
  TQarvShapes shapes;
  shapes.AddShapeLine(0.0, 5.0, 10.0, 5.0, true);
  TEngineState E;
  ASSERT_TRUE(BuildNestRecords(E, shapes));
  const TNestOneRec& r = E.NestRecords.Shape[0];
  EXPECT_DOUBLE_EQ(r.Original.Height, 0.0);
  ASSERT_EQ(r.SbpBezCount, 1);
  EXPECT_EQ(r.SbpBez[0].Attr, 0x10) << "open path: neither closed nor outer";
  EXPECT_EQ(r.SbpRecCount, 1) << "an open path is not a hole";
  EXPECT_EQ(r.SbpComCount, 1);

  // A group with nothing drawn keeps a record without outlines.
  const TEngineState Empty = Build(TQarvOneShape{});
  EXPECT_FALSE(Empty.ErrorFlag());
  const TNestOneRec& blank = Empty.NestRecords.Shape[0];
  EXPECT_EQ(blank.SbpBezCount + blank.SbpRecCount + blank.SbpComCount, 0);
  EXPECT_DOUBLE_EQ(blank.Original.Width, 0.0);

  TQarvShapes none;
  E.Blocks.Item.resize(1);
  E.Blocks.Count = 1;
  EXPECT_TRUE(BuildNestRecords(E, none));
  EXPECT_EQ(E.NestRecords.Count, 0);
  EXPECT_TRUE(E.NestRecords.Shape.empty());
  EXPECT_EQ(E.Blocks.Count, 0);
}

TEST(NestRecords, FailingShapeKeepsAnEmptyRecordAndTheOthersAreBuilt) {
  TQarvShapes shapes;
  shapes.AddShape(RectangleShape(0.0, 0.0, 10.0, 10.0), false);
  shapes.AddShape(RectangleShape(0.0, 0.0, 10.0, 10.0), false);
  // About a kilometre away: beyond what the records' integer units can hold.
  shapes.AddShape(RectangleShape(1e6, 0.0, 1e6 + 10.0, 10.0), false);
  shapes.AddShape(RectangleShape(20.0, 0.0, 30.0, 10.0), true);
  shapes.GetShape(1)->SetCurve(nullptr);
  TEngineState E;
  EXPECT_FALSE(BuildNestRecords(E, shapes));
  EXPECT_TRUE(E.ErrorFlag());
  EXPECT_EQ(E.Failure.Source, TFailureSource::Drawing);
  ASSERT_EQ(E.Failure.Lost.size(), 2u) << "every shape lost is named";
  EXPECT_EQ(E.Failure.Lost[0].Shape, 1);
  EXPECT_EQ(E.Failure.Lost[1].Shape, 2);
  ASSERT_EQ(E.NestRecords.Count, 4);
  for (int i : {1, 2}) {
    const TNestOneRec& r = E.NestRecords.Shape[i];
    EXPECT_FALSE(r.SbpBezAdded) << i;
    EXPECT_FALSE(r.SbpRecAdded) << i;
    EXPECT_FALSE(r.SbpComAdded) << i;
    EXPECT_EQ(r.SbpComCount, 0) << i;
    EXPECT_TRUE(r.SbpCom.empty()) << i;
  }
  for (int i : {0, 3}) {
    const TNestOneRec& r = E.NestRecords.Shape[i];
    EXPECT_TRUE(r.SbpBezAdded && r.SbpRecAdded && r.SbpComAdded) << i;
    EXPECT_EQ(r.SbpComCount, 1) << i;
  }
  EXPECT_DOUBLE_EQ(E.NestRecords.Shape[3].Original.CenterX, 25.0);

  // Opening a good drawing afterwards clears the error.
  TQarvShapes good;
  good.AddShape(RectangleShape(0.0, 0.0, 10.0, 10.0), true);
  EXPECT_TRUE(BuildNestRecords(E, good));
  EXPECT_FALSE(E.ErrorFlag());
}

TEST(NestRecords, DrawingWithMoreShapesThanRecordsIsRefused) {
  TQarvShapes shapes;
  for (int i = 0; i < 65536; ++i) shapes.AddShape(TQarvOneShape{}, false);
  TEngineState E;
  EXPECT_FALSE(BuildNestRecords(E, shapes));
  EXPECT_TRUE(E.ErrorFlag());
  EXPECT_EQ(E.NestRecords.Count, 0);
  EXPECT_TRUE(E.NestRecords.Shape.empty());
}

TEST(NestRecords, PathTooLongForTheNodeCountFallsBackToRectangles) {
  // 21844 segments give 65533 nodes, the most that fit; one more segment does not fit.
  const TEngineState E = Build(Polygon(21844), Polygon(21845));
  const TNestOneRec& fits = E.NestRecords.Shape[0];
  EXPECT_TRUE(fits.SbpBezAdded);
  EXPECT_EQ(fits.SbpBez[0].BezierCount, 65533);
  const TNestOneRec& tooLong = E.NestRecords.Shape[1];
  EXPECT_FALSE(tooLong.SbpBezAdded);
  EXPECT_TRUE(tooLong.SbpRecAdded);
  EXPECT_EQ(tooLong.SbpRecCount, 1);
  EXPECT_EQ(tooLong.SbpComCount, 1);
}

TEST(NestRecords, ProgressMovesPerShapeAndEndsAtZero) {
  TQarvShapes shapes;
  for (int i = 0; i < 4; ++i) shapes.AddShape(RectangleShape(i * 20.0, 0, i * 20.0 + 5, 5), true);
  TEngineState E;
  std::vector<int> positions;
  TNestControl control([&](int Position) { positions.push_back(Position); });
  E.Control = &control;
  ASSERT_TRUE(BuildNestRecords(E, shapes));
  EXPECT_EQ(positions, (std::vector<int>{25, 50, 75, 0}));
}

TEST(NestRecords, SevenSimilarLettersMakeAShapeTextLike) {
  // In the third shape outer contours and holes alternate in the exact list, while the
  // rectangle list holds the outer contours only.
  TQarvOneShape holes;
  for (int k = 0; k < 7; ++k) {
    holes.Curve()->AddPathRectangle(k * 20.0, 0.0, k * 20.0 + 10.0, 12.0);
    holes.Curve()->AddPathRectangle(k * 20.0 + 3.0, 3.0, k * 20.0 + 7.0, 9.0);
  }
  const TEngineState E = Build(LetterRow(6, 10.0, 12.0), LetterRow(7, 10.0, 12.0), holes);
  EXPECT_EQ(E.NestRecords.Shape[0].AnalyzeVal, 1);
  EXPECT_EQ(E.NestRecords.Shape[1].AnalyzeVal, 2);
  const TNestOneRec& r = E.NestRecords.Shape[2];
  ASSERT_EQ(r.SbpBezCount, 14);
  ASSERT_EQ(r.SbpRecCount, 7);
  EXPECT_EQ(r.AnalyzeVal, 2);
}

TEST(NestRecords, TextLikenessNeedsMoreThanSeventyPercentSimilar) {
  // Seven widths of about 10; the heights never group more than three.
  std::vector<std::pair<double, double>> sizes = {
      {10.0, 10.0}, {10.5, 20.0}, {11.0, 30.0}, {9.5, 40.0},  {10.2, 50.0},
      {10.8, 60.0}, {10.1, 70.0}, {20.0, 80.0}, {30.0, 90.0}, {40.0, 100.0}};
  EXPECT_EQ(TextLikeness(ContourRecord(sizes)), 1) << "7 of 10 is not above 0.7";
  sizes[7].first = 10.3;
  EXPECT_EQ(TextLikeness(ContourRecord(sizes)), 2) << "8 of 10";
  // The same holds for heights.
  for (auto& [w, h] : sizes) std::swap(w, h);
  EXPECT_EQ(TextLikeness(ContourRecord(sizes)), 2);
}

TEST(NestRecords, TextLikenessBoundaryOfFifteenPercent) {
  // Seen from 100, the widths 87 and 100 are similar and 115 lies exactly 15 % away, which
  // does not count: 7 of 10. Seen from 115, only the 100s are near (5), from 87 also 7.
  std::vector<std::pair<double, double>> sizes;
  const double widths[10] = {87, 87, 87, 100, 100, 100, 100, 115, 1000, 5000};
  for (int k = 0; k < 10; ++k) sizes.push_back({widths[k], std::pow(2.0, k)});
  EXPECT_EQ(TextLikeness(ContourRecord(sizes)), 1);
  sizes[7].first = 114.9;
  EXPECT_EQ(TextLikeness(ContourRecord(sizes)), 2) << "8 of 10";
}

TEST(NestRecords, ZeroSizedContoursAreSimilarOnlyToEachOther) {
  std::vector<std::pair<double, double>> sizes;
  for (int k = 0; k < 7; ++k) sizes.push_back({k < 6 ? 0.0 : 1.0, std::pow(2.0, k)});
  EXPECT_EQ(TextLikeness(ContourRecord(sizes)), 2) << "six zero widths of seven";
  for (int k = 3; k < 7; ++k) sizes[k].first = 1e-9;
  EXPECT_EQ(TextLikeness(ContourRecord(sizes)), 1) << "zero is not near a tiny width";
}

TEST(NestRecords, TextLikenessIgnoresHolesOpenPathsAndBrokenRecords) {
  TNestOneRec r = ContourRecord(std::vector<std::pair<double, double>>(7, {5.0, 5.0}));
  EXPECT_EQ(TextLikeness(r), 2);
  r.SbpBez[6].Attr = 0x10;  // an open path: it has a rectangle but is not a contour
  EXPECT_EQ(TextLikeness(r), 1);
  r.SbpBez.resize(3);  // lists that disagree with their counts
  EXPECT_EQ(TextLikeness(r), 1);
  TEngineState E;
  EXPECT_EQ(AnalyzeTextLikeness(E, 0), 1);
}

}  // namespace plavo
