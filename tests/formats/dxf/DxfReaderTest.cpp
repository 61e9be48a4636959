// The DXF reader: joining loose pieces into parts with holes, the entities and their
// colours and units, block inserts, and files that are empty, broken or hostile.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "formats/DrawingTestSupport.h"
#include "formats/dxf/DxfReader.h"

namespace plavo {

namespace {

constexpr const char* kMillimetres = "9\n$INSUNITS\n70\n4\n";

// A 100 x 60 plate with corners of radius 5, a round hole of radius 10 drawn as two arcs and a
// slot of two lines and two half circles: 14 pieces, shuffled, some lines drawn backwards.
TDxfText PlateWithTwoHoles(uint32_t Seed) {
  struct TPiece {
    bool IsLine;
    double A, B, C, D, E;
  };
  std::vector<TPiece> pieces = {
      {true, 5, 0, 95, 0, 0},        {true, 100, 5, 100, 55, 0},  {true, 95, 60, 5, 60, 0},
      {true, 0, 55, 0, 5, 0},        {false, 95, 5, 5, 270, 360}, {false, 95, 55, 5, 0, 90},
      {false, 5, 55, 5, 90, 180},    {false, 5, 5, 5, 180, 270},  {false, 25, 30, 10, 0, 180},
      {false, 25, 30, 10, 180, 360}, {true, 60, 25, 80, 25, 0},   {true, 80, 35, 60, 35, 0},
      {false, 80, 30, 5, 270, 90},   {false, 60, 30, 5, 90, 270}};
  std::mt19937 random(Seed);
  std::shuffle(pieces.begin(), pieces.end(), random);
  TDxfText t;
  for (const TPiece& p : pieces) {
    if (!p.IsLine) {
      t.Arc(p.A, p.B, p.C, p.D, p.E);
    } else if (random() % 2 == 0) {
      t.Line(p.A, p.B, p.C, p.D);
    } else {
      t.Line(p.C, p.D, p.A, p.B);
    }
  }
  return t;
}

}  // namespace

TEST(DxfReader, LinesAndArcsInAnyOrderJoinIntoOnePartWithTwoHoles) {
  for (uint32_t seed : {1u, 2u, 3u, 4u}) {
    const TDrawing d = ReadDrawing(DxfFile(PlateWithTwoHoles(seed), kMillimetres));
    ASSERT_TRUE(d.Ok);
    ASSERT_EQ(d.Count(), 1) << "seed " << seed;
    ASSERT_EQ(d.Paths(0), 3) << "seed " << seed;
    EXPECT_EQ(d.Path(0, 0).Type_(), 1);
    EXPECT_EQ(d.Path(0, 1).Type_(), -1);
    EXPECT_EQ(d.Path(0, 2).Type_(), -1);
    EXPECT_NEAR(std::abs(d.Path(0, 0).Area()), 6000 - (4 - std::numbers::pi) * 25, 0.5);
    ExpectBox(d.Shape(0).BoundBox(), 0, 0, 100, 60, 1e-3);
  }
}

TEST(DxfReader, GapsJoinOnlyWithinOneHundredthOfAMillimetre) {
  auto square = [](double Gap) {
    TDxfText t;
    t.Line(0, 0, 10, 0).Line(10, 0, 10, 10).Line(10, 10, 0, 10).Line(0, 10, 0, Gap);
    return ReadDrawing(DxfFile(t, kMillimetres));
  };
  const TDrawing open = square(0.02);
  ASSERT_EQ(open.Count(), 1);
  EXPECT_EQ(open.Path(0, 0).SegmentCount(), 4);
  EXPECT_FALSE(open.Path(0, 0).Closed());
  const TDrawing closed = square(0.009);
  ASSERT_EQ(closed.Count(), 1);
  EXPECT_TRUE(closed.Path(0, 0).Closed());
}

TEST(DxfReader, SelfTouchingContourAndIslandInAHole) {
  // Two triangles meeting in one point: every piece ends up in a closed contour.
  TDxfText bow;
  bow.Line(0, 0, 10, 5).Line(10, 5, 0, 10).Line(0, 10, 0, 0);
  bow.Line(10, 5, 20, 0).Line(20, 0, 20, 10).Line(20, 10, 10, 5);
  TDrawing d = ReadDrawing(DxfFile(bow));
  ASSERT_TRUE(d.Ok);
  int segments = 0;
  for (int i = 0; i < d.Count(); ++i) {
    for (int p = 0; p < d.Paths(i); ++p) {
      EXPECT_TRUE(d.Path(i, p).Closed());
      segments += d.Path(i, p).SegmentCount();
    }
  }
  EXPECT_EQ(segments, 6);
  // Frame, hole, island: the island is a part of its own.
  TDxfText nested;
  nested.Square(20, 20, 80, 80).Square(0, 0, 100, 100).Square(10, 10, 90, 90);
  d = ReadDrawing(DxfFile(nested));
  ASSERT_EQ(d.Count(), 2);
  EXPECT_EQ(d.Paths(0), 1);  // the island came first in the file
  EXPECT_EQ(d.Paths(1), 2);
  ExpectBox(d.Shape(0).BoundBox(), 20, 20, 80, 80);
}

TEST(DxfReader, EntitiesUnitsAndColours) {
  TDxfText t;
  // A closed polyline of two half circles (bulge 1): a circle of diameter 10 about (5, 0).
  t.G(0, "LWPOLYLINE").G(8, "L").G(62, "1").G(90, "2").G(70, "1");
  t.G(10, 0.0).G(20, 0.0).G(42, 1.0).G(10, 10.0).G(20, 0.0).G(42, 1.0);
  // An arc seen from below: mirrored in X.
  t.G(0, "ARC").G(8, "L").G(420, std::to_string(0xFF8000)).G(10, 50.0).G(20, 0.0).G(40, 5.0);
  t.G(50, 0.0).G(51, 90.0).G(230, -1.0);
  // A full ellipse on the layer's colour, and a line on a layer that is switched off.
  t.G(0, "ELLIPSE").G(8, "L").G(10, 0.0).G(20, 50.0).G(11, 10.0).G(21, 0.0).G(40, 0.5);
  t.G(41, 0.0).G(42, 2 * std::numbers::pi);
  t.G(0, "LINE").G(8, "OFF").G(10, 0.0).G(20, 0.0).G(11, 1.0).G(21, 1.0);
  t.G(0, "TEXT").G(8, "L").G(1, "label");
  const std::string tables =
      "0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nL\n70\n0\n62\n5\n0\nLAYER\n2\nOFF\n70\n0\n62\n-3\n"
      "0\nENDTAB\n";
  // Inches: every length times 25.4.
  const TDrawing d = ReadDrawing(DxfFile(t, "9\n$INSUNITS\n70\n1\n", tables));
  ASSERT_TRUE(d.Ok);
  ASSERT_EQ(d.Count(), 3);
  // The text, and the open arc that lies in no part.
  EXPECT_EQ(d.Messages.Warnings.size(), 2u);
  EXPECT_EQ(d.Messages.Warnings.back(), OpenChainWarning(1));
  EXPECT_TRUE(d.Path(0, 0).Closed());
  EXPECT_LT(CircleError(d.Path(0, 0), {5 * 25.4, 0}, 5 * 25.4), 1e-3);
  EXPECT_EQ(d.Shape(0).Color().Outline, 255);  // index 1, red
  EXPECT_LT(CircleError(d.Path(1, 0), {-50 * 25.4, 0}, 5 * 25.4), 1e-3);
  EXPECT_NEAR(d.Path(1, 0).GetSegment(0)->StartNode().X, -55 * 25.4, 1e-9);
  EXPECT_EQ(d.Shape(1).Color().Outline, 255 + 128 * 256);  // true colour
  EXPECT_TRUE(d.Path(2, 0).Closed());
  ExpectBox(d.Shape(2).BoundBox(), -10 * 25.4, 45 * 25.4, 10 * 25.4, 55 * 25.4, 0.05);
  EXPECT_EQ(d.Shape(2).Color().Outline, 255 * 65536);  // by layer: index 5, blue
  EXPECT_EQ(DxfIndexColor(10), 255);
  EXPECT_EQ(DxfIndexColor(50), 255 + 255 * 256);
  EXPECT_DOUBLE_EQ(DxfUnitMm(6), 1000.0);
  EXPECT_DOUBLE_EQ(DxfUnitMm(0), 1.0);
}

TEST(DxfReader, BlockInsertsWithScaleRotationAndArrays) {
  const std::string blocks =
      "0\nBLOCK\n2\nB\n10\n5\n20\n5\n0\nLWPOLYLINE\n8\n0\n90\n4\n70\n1\n"
      "10\n5\n20\n5\n10\n15\n20\n5\n10\n15\n20\n15\n10\n5\n20\n15\n0\nENDBLK\n"
      "0\nBLOCK\n2\nLOOP\n0\nINSERT\n2\nLOOP\n0\nENDBLK\n";
  TDxfText t;
  t.G(0, "INSERT").G(2, "B").G(10, 100.0).G(20, 0.0).G(41, 2.0).G(42, 2.0).G(50, 90.0);
  t.G(70, "2").G(71, "1").G(44, 50.0);
  TDrawing d = ReadDrawing(DxfFile(t, kMillimetres, "", blocks));
  ASSERT_TRUE(d.Ok);
  ASSERT_EQ(d.Count(), 2);
  ExpectBox(d.Shape(0).BoundBox(), 80, 0, 100, 20, 1e-9);
  ExpectBox(d.Shape(1).BoundBox(), 80, 50, 100, 70, 1e-9);
  // A block that inserts itself is not expanded forever: its insert of itself is left out.
  TDxfText loop;
  loop.G(0, "INSERT").G(2, "LOOP");
  d = ReadDrawing(DxfFile(loop, kMillimetres, "", blocks));
  EXPECT_TRUE(d.Ok);
  EXPECT_EQ(d.Count(), 0);
  EXPECT_EQ(d.Messages.Warnings, std::vector<std::string>{kSelfInsertWarning});
  // Arrays of a thousand by a thousand of arrays of an empty block build nothing, yet would run
  // for days: refused with a reason, as is an array of a square that builds millions of pieces.
  const std::string arrays =
      "0\nBLOCK\n2\nE\n0\nENDBLK\n"
      "0\nBLOCK\n2\nA\n0\nINSERT\n2\nE\n70\n1000\n71\n1000\n0\nENDBLK\n";
  for (const char* name : {"A", "B"}) {
    TDxfText bomb;
    bomb.G(0, "INSERT").G(2, name).G(70, "1000").G(71, "1000");
    d = ReadDrawing(DxfFile(bomb, kMillimetres, "", blocks + arrays));
    EXPECT_FALSE(d.Ok) << name;
    EXPECT_EQ(d.Problem.Text, kOverBudgetProblem);
  }
  // An array beyond a million copies, and blocks nested 20 deep (each holding B), are left out
  // with a warning; what lies within reach is read.
  std::string chain = blocks;
  for (int k = 1; k <= 20; ++k) {
    chain += "0\nBLOCK\n2\nN" + std::to_string(k) + "\n0\nINSERT\n2\nB\n10\n" +
             std::to_string(30 * k) + "\n";
    if (k > 1) chain += "0\nINSERT\n2\nN" + std::to_string(k - 1) + "\n";
    chain += "0\nENDBLK\n";
  }
  TDxfText deep;
  deep.G(0, "INSERT").G(2, "N20").G(0, "INSERT").G(2, "B").G(70, "1001").G(71, "1000");
  d = ReadDrawing(DxfFile(deep, kMillimetres, "", chain));
  EXPECT_TRUE(d.Ok);
  EXPECT_EQ(d.Count(), 15);
  EXPECT_EQ(d.Messages.Warnings,
            (std::vector<std::string>{kDeepInsertsWarning, kHugeArraysWarning}));
}

TEST(DxfReader, SplinesConvertExactlyOrWithinTolerance) {
  // A clamped cubic with one inner knot: two Bezier pieces whose ends are on the curve.
  TDxfText t;
  t.G(0, "SPLINE").G(8, "0").G(70, "8").G(71, "3").G(72, "9").G(73, "5");
  for (double k : {0.0, 0.0, 0.0, 0.0, 0.5, 1.0, 1.0, 1.0, 1.0}) t.G(40, k);
  for (auto [x, y] : {std::pair{0.0, 0.0}, {10.0, 20.0}, {20.0, 0.0}, {30.0, 20.0}, {40.0, 0.0}})
    t.G(10, x).G(20, y);
  // A quarter circle of radius 10 as a rational quadratic: followed by straight pieces.
  t.G(0, "SPLINE").G(8, "0").G(70, "8").G(71, "2").G(72, "6").G(73, "3");
  for (double k : {0.0, 0.0, 0.0, 1.0, 1.0, 1.0}) t.G(40, k);
  t.G(41, 1.0).G(41, std::sqrt(0.5)).G(41, 1.0);
  t.G(10, 110.0).G(20, 0.0).G(10, 110.0).G(20, 10.0).G(10, 100.0).G(20, 10.0);
  const TDrawing d = ReadDrawing(DxfFile(t, kMillimetres));
  ASSERT_EQ(d.Count(), 2);
  const TQarvOnePath& cubic = d.Path(0, 0);
  ASSERT_EQ(cubic.SegmentCount(), 2);
  EXPECT_EQ(cubic.GetSegment(0)->StartNode().X, 0.0);
  EXPECT_EQ(cubic.GetSegment(1)->EndNode().X, 40.0);
  // Knot insertion: the first piece's controls are P1 and (P1 + P2) / 2.
  EXPECT_NEAR(cubic.GetSegment(0)->StartControlNode().X, 10.0, 1e-12);
  EXPECT_NEAR(cubic.GetSegment(0)->EndControlNode().X, 15.0, 1e-12);
  EXPECT_NEAR(cubic.GetSegment(0)->EndNode().X, 20.0, 1e-12);
  EXPECT_NEAR(cubic.GetSegment(0)->EndNode().Y, 10.0, 1e-12);
  const TQarvOnePath& arc = d.Path(1, 0);
  ASSERT_GT(arc.SegmentCount(), 4);
  for (int i = 0; i < arc.SegmentCount(); ++i) {
    const TNodeSimple p = arc.GetSegment(i)->EndNode();
    EXPECT_NEAR(std::hypot(p.X - 100, p.Y), 10.0, 1e-9);
  }
}

TEST(DxfReader, EmptyBrokenAndHostileFiles) {
  // An empty file is no drawing of any kind; an empty DXF is a drawing without shapes.
  TDrawing d = ReadDrawing("");
  EXPECT_FALSE(d.Ok);
  d = ReadDrawing(DxfFile(TDxfText()));
  EXPECT_TRUE(d.Ok);
  EXPECT_EQ(d.Count(), 0);
  // Binary garbage after a valid start breaks the group stream: an open error, no shapes.
  std::string garbage = DxfFile(TDxfText().Square(0, 0, 5, 5));
  garbage.resize(garbage.size() - 20);
  std::mt19937 random(7);
  for (int i = 0; i < 4000; ++i) garbage += static_cast<char>(random() % 256);
  d = ReadDrawing(garbage);
  EXPECT_FALSE(d.Ok);
  EXPECT_EQ(d.Count(), 0);
  ASSERT_EQ(d.Messages.Errors.size(), 1u);
  EXPECT_EQ(d.Messages.Errors[0], "Error opening file!");
  // Counts that promise billions of items, values before their vertex, junk numbers, a knot
  // vector that does not fit: read without harm, the bad entities give nothing.
  TDxfText hostile;
  hostile.G(0, "SPLINE").G(8, "0").G(71, "3").G(72, "2000000000").G(73, "2000000000");
  hostile.G(40, 0.0).G(10, 1.0).G(20, 1.0);
  hostile.G(0, "LWPOLYLINE")
      .G(8, "0")
      .G(90, "-5")
      .G(42, 1.5)
      .G(20, 3.0)
      .G(10, "nan")
      .G(20, "1e999");
  hostile.G(0, "INSERT").G(2, "NOBLOCK").G(70, "2000000000");
  hostile.Line(0, 0, 10, 10);
  d = ReadDrawing(DxfFile(hostile));
  ASSERT_TRUE(d.Ok);
  ASSERT_EQ(d.Count(), 1);
  ExpectBox(d.Shape(0).BoundBox(), 0, 0, 10, 10);
}

TEST(DxfReader, OpenLinesInsideAPartMarkItAndLoneOnesAreCounted) {
  // A plate with a round hole, an engraved cross (two lines) and a bend line drawn as an arc;
  // beside it a loose line in no part.
  TDxfText t;
  t.Square(0, 0, 100, 60).Circle(80, 30, 10);
  t.Line(10, 30, 30, 30).Line(20, 20, 20, 40).Arc(50, 0, 25, 60, 120);
  t.Line(150, 0, 190, 0);
  const TDrawing d = ReadDrawing(DxfFile(t, kMillimetres));
  ASSERT_TRUE(d.Ok);
  ASSERT_EQ(d.Count(), 2);
  ASSERT_EQ(d.Paths(0), 5) << "outline, hole, three markings";
  EXPECT_EQ(d.Path(0, 0).Type_(), 1);
  EXPECT_EQ(d.Path(0, 1).Type_(), -1);
  for (int p = 2; p < 5; ++p) EXPECT_FALSE(d.Path(0, p).Closed());
  ExpectBox(d.Shape(0).BoundBox(), 0, 0, 100, 60, 1e-3);
  EXPECT_EQ(d.Paths(1), 1);
  ASSERT_EQ(d.Messages.Warnings.size(), 1u);
  EXPECT_EQ(d.Messages.Warnings[0], OpenChainWarning(1));
}

TEST(DxfReader, CentreAndConstructionLinesAreSkippedWithOneCount) {
  TDxfText t;
  const auto line = [&t](const char* Layer, const char* Linetype, double X1, double Y1, double X2,
                         double Y2) {
    t.G(0, "LINE").G(8, Layer).G(6, Linetype).G(10, X1).G(20, Y1).G(11, X2).G(21, Y2);
  };
  t.Square(0, 0, 50, 50);
  line("0", "CENTER2", -10, 25, 60, 25);             // a centre line by its own linetype
  line("AXES", "BYLAYER", 25, -10, 25, 60);          // by its layer's linetype
  line("DEFPOINTS", "BYLAYER", 0, 0, 50, 50);        // the layer CAD programs never plot
  line("_stretch_lc_200", "BYLAYER", 0, 50, 50, 0);  // LibreCAD's stretch mark
  line("NOPLOT", "BYLAYER", 0, 60, 50, 60);          // a layer that does not plot
  t.G(0, "INSERT").G(8, "0").G(6, "PHANTOM").G(2, "B").G(10, 100.0).G(20, 0.0);
  line("0", "DASHED", 200, 0, 200, 50);  // dashed is cut
  const std::string tables =
      "0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nAXES\n70\n0\n62\n1\n6\nHIDDEN\n"
      "0\nLAYER\n2\nNOPLOT\n70\n0\n62\n1\n290\n0\n0\nENDTAB\n";
  // The block's square is drawn BYBLOCK: the insert's phantom linetype.
  const std::string blocks = "0\nBLOCK\n2\nB\n10\n0\n20\n0\n" +
                             TDxfText().Square(0, 0, 10, 10).G(6, "BYBLOCK").Text() + "0\nENDBLK\n";
  const TDrawing d = ReadDrawing(DxfFile(t, kMillimetres, tables, blocks));
  ASSERT_TRUE(d.Ok);
  ASSERT_EQ(d.Count(), 2) << "the square and the dashed line";
  ASSERT_EQ(d.Messages.Warnings.size(), 2u);
  EXPECT_EQ(d.Messages.Warnings[0], NotCutWarning(6));
  EXPECT_EQ(d.Messages.Warnings[1], OpenChainWarning(1));
}

}  // namespace plavo
