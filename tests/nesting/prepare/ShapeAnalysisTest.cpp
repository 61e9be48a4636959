#include "nesting/prepare/ShapeAnalysis.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <numbers>
#include <stdexcept>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "nesting/place/CellCover.h"
#include "nesting/place/Rasterise.h"

namespace plavo {

namespace {

// A Bezier sub-path of straight segments through the points (controls equal to the ends).
TNestSbpOneRec Polyline(std::initializer_list<TBezierNode> Points, uint16_t Attr) {
  TNestSbpOneRec s;
  s.Attr = static_cast<uint16_t>(Attr | kSbpBezier);
  for (const TBezierNode& p : Points) {
    if (s.Bezier.empty()) {
      s.Bezier.push_back(p);
      continue;
    }
    const TBezierNode last = s.Bezier.back();
    s.Bezier.insert(s.Bezier.end(), {last, p, p});
  }
  s.BezierCount = static_cast<uint16_t>(s.Bezier.size());
  return s;
}

TNestSbpOneRec Cubic(TBezierNode p1, TBezierNode p2, TBezierNode p3, TBezierNode p4) {
  TNestSbpOneRec s;
  s.Attr = kSbpBezier;
  s.Bezier = {p1, p2, p3, p4};
  s.BezierCount = 4;
  return s;
}

// A closed rectangle of straight segments, as the drawing's records carry it.
TNestSbpOneRec Box(double Left, double Bottom, double Right, double Top, bool Outer) {
  return Polyline({{Left, Bottom}, {Left, Top}, {Right, Top}, {Right, Bottom}, {Left, Bottom}},
                  static_cast<uint16_t>(kSbpClosed | (Outer ? kSbpOuter : 0)));
}

TNestOneRec Shape(std::vector<TNestSbpOneRec> Parts, double CenterX, double CenterY, double Width,
                  double Height) {
  TNestOneRec r;
  r.UserAttr = kUserAttrDefault;
  r.Sbp = std::move(Parts);
  r.SbpCount = static_cast<int32_t>(r.Sbp.size());
  r.Original.CenterX = CenterX;
  r.Original.CenterY = CenterY;
  r.Original.Width = Width;
  r.Original.Height = Height;
  return r;
}

TEngineState Engine(std::vector<TNestOneRec> Records, int Distance) {
  TEngineState E;
  E.NestParams.Distance = static_cast<uint16_t>(Distance);
  E.Exact.Distance = Distance;
  E.NestRecords.Shape = std::move(Records);
  E.NestRecords.Count = static_cast<uint16_t>(E.NestRecords.Shape.size());
  return E;
}

std::vector<double> Xs(const TNestSbpOneRec& s) {
  std::vector<double> xs;
  for (const TNestNode& n : s.Node) xs.push_back(n.x / 10000.0);
  return xs;
}

}  // namespace

TEST(ShapeAnalysis, DiscOfAPointCoversTheSquaresWithinTheDistanceInColumnOrder) {
  // The cells a point widened by the distance covers: those whose square lies within it, so
  // 3 x 3 more than the disc of cell centres would hold at 5 and hundreds more at 100.
  const std::pair<double, size_t> discs[] = {{0.0, 1u}, {5.0, 101u}, {100.0, 31829u}};
  for (const auto& [distance, cells] : discs) {
    std::vector<TCellRun> runs;
    AddSegmentCells({0, 0}, {0, 0}, distance, runs);
    size_t count = 0;
    for (size_t k = 0; k < runs.size(); ++k) {
      count += static_cast<size_t>(runs[k].High - runs[k].Low + 1);
      if (k > 0) {
        ASSERT_EQ(runs[k].Column, runs[k - 1].Column + 1) << k;
      }
    }
    EXPECT_EQ(count, cells) << distance;
  }
}

TEST(ShapeAnalysis, FlatteningOfStraightAndRectangleSubPaths) {
  TNestSbpOneRec line = Polyline({{0, 0}, {10, 0}}, 0);
  TNestSbpOneRec rect;
  rect.Attr = kSbpClosed | kSbpOuter;
  rect.Rect = TNestRect::MakeLRBT(1, 3, 2, 5);
  TEngineState E = Engine({Shape({line, rect}, 1.23456789, -2.5, 2, 3)}, 5);
  TNestControl control;
  E.Control = &control;
  control.RequestStop();  // a Stop from before this record does not abort it
  ASSERT_TRUE(FlattenSubPaths(E, 0, 5, 2.5));
  const TNestOneRec& r = E.NestRecords.Shape[0];
  // A straight segment adds only its end point.
  EXPECT_EQ(r.Sbp[0].NodeCount, 2);
  EXPECT_EQ(Xs(r.Sbp[0]), (std::vector<double>{0, 10}));
  EXPECT_EQ(r.Sbp[0].Center.x, 12345);
  EXPECT_EQ(r.Sbp[0].Center.y, -25000);
  // A rectangle sub-path becomes five nodes from its box, the first repeated at the end.
  ASSERT_EQ(r.Sbp[1].NodeCount, 5);
  const int expected[5][2] = {
      {10000, 20000}, {10000, 50000}, {30000, 50000}, {30000, 20000}, {10000, 20000}};
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(r.Sbp[1].Node[k].x, expected[k][0]) << k;
    EXPECT_EQ(r.Sbp[1].Node[k].y, expected[k][1]) << k;
  }
  EXPECT_EQ(r.Sbp[1].Rect.Right, 3.0);

  // Bezier lists that are empty or shorter than their count are read only as far as they go.
  TNestSbpOneRec empty;
  empty.Attr = kSbpBezier | kSbpClosed;
  TNestSbpOneRec shortList = Polyline({{0, 0}, {4, 0}}, 0);
  shortList.BezierCount = 40;
  TEngineState M = Engine({Shape({empty, shortList}, 0, 0, 4, 0)}, 5);
  ASSERT_TRUE(FlattenSubPaths(M, 0, 5, 2.5));
  EXPECT_EQ(M.NestRecords.Shape[0].Sbp[0].NodeCount, 0);
  EXPECT_EQ(M.NestRecords.Shape[0].Sbp[1].NodeCount, 2);
  EXPECT_FALSE(FlattenSubPaths(M, 3, 5, 2.5));
}

TEST(ShapeAnalysis, CollinearCubicIsJudgedByItsMidpoint) {
  // Split once at the top level, the first half's midpoint lies 0.84375 * 1.8 from its chord's
  // midpoint (squared 2.31), the second half's 0.28125 * 1.8 (squared 0.26).
  const auto flatten = [](double Tol) {
    TEngineState E =
        Engine({Shape({Cubic({0, 0}, {10.8, 0}, {10.8, 0}, {10.8, 0})}, 0, 0, 1, 1)}, 5);
    EXPECT_TRUE(FlattenSubPaths(E, 0, 5, Tol));
    return Xs(E.NestRecords.Shape[0].Sbp[0]);
  };
  const std::vector<double> halves = flatten(2.5);
  ASSERT_EQ(halves.size(), 4u);
  EXPECT_NEAR(halves[1], 3.46875 * 1.8, 1e-4);
  EXPECT_NEAR(halves[2], 5.90625 * 1.8, 1e-4);
  EXPECT_EQ(halves[3], 10.8);
  const std::vector<double> finer = flatten(2.0);
  EXPECT_GT(finer.size(), 4u);
  EXPECT_LT(finer.size(), flatten(0.2).size());
  EXPECT_TRUE(std::is_sorted(finer.begin(), finer.end()));
}

TEST(ShapeAnalysis, FlatteningStopsFiveLevelsBelowTheFirstSplit) {
  // With no tolerance nothing is flat: 64 midpoints between the two ends.
  TEngineState E = Engine({Shape({Cubic({0, 0}, {0, 5}, {5, 10}, {10, 10})}, 0, 0, 10, 10)}, 0);
  ASSERT_TRUE(FlattenSubPaths(E, 0, 5, 0.0));
  const TNestSbpOneRec& s = E.NestRecords.Shape[0].Sbp[0];
  EXPECT_EQ(s.NodeCount, 66);
  EXPECT_EQ(s.Rect.Left, 0.0);
  EXPECT_EQ(s.Rect.Top, 10.0);
}

TEST(ShapeAnalysis, NetAreaCountsHolesNegative) {
  TEngineState E = Engine(
      {Shape({Box(0, 0, 100, 100, true)}, 50, 50, 100, 100),
       Shape({Box(0, 0, 100, 100, true), Box(25, 25, 75, 75, false)}, 50, 50, 100, 100),
       Shape({Polyline({{0, 0}, {10, 0}, {0, 10}, {0, 0}}, kSbpClosed | kSbpOuter)}, 5, 5, 10, 10),
       Shape({Polyline({{0, 0}, {10, 0}}, kSbpClosed | kSbpOuter)}, 5, 0, 10, 0)},
      5);
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(FlattenSubPaths(E, i, 5, 2.5));
    ComputeNetArea(E, i);
  }
  const auto& r = E.NestRecords.Shape;
  EXPECT_DOUBLE_EQ(r[0].Original.Scale, 10000.0);
  EXPECT_DOUBLE_EQ(r[1].Original.Scale, 7500.0);  // the hole subtracted
  EXPECT_DOUBLE_EQ(r[2].Original.Scale, 50.0);    // counter-clockwise, counted positive
  EXPECT_EQ(r[3].Original.Scale, 0.0);            // a straight line has no area
}

TEST(ShapeAnalysis, SimplificationDropsNodesNearTheChord) {
  const auto simplify = [](std::initializer_list<TBezierNode> Points, double x) {
    TEngineState E = Engine({Shape({Polyline(Points, 0)}, 0, 0, 1, 1)}, 5);
    EXPECT_TRUE(FlattenSubPaths(E, 0, 5, x));
    SimplifyNodes(E, 0, 0, x);
    return Xs(E.NestRecords.Shape[0].Sbp[0]);
  };
  // Collinear: all go but the first, the last and the one before the last.
  EXPECT_EQ(simplify({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}}, 2.5),
            (std::vector<double>{0, 4, 5}));
  // A node 1.1 off the line: within x / 2 = 1.25 it goes, beyond 1.0 it stays.
  const std::initializer_list<TBezierNode> bump = {{0, 0},  {10, 0}, {20, 1.1},
                                                   {30, 0}, {40, 0}, {50, 0}};
  EXPECT_EQ(simplify(bump, 2.5), (std::vector<double>{0, 40, 50}));
  EXPECT_GT(simplify(bump, 2.0).size(), 3u);
  // A zigzag far beyond the tolerance keeps every node.
  EXPECT_EQ(simplify({{0, 0}, {5, 3}, {10, 0}, {15, 3}, {20, 0}}, 2.5).size(), 5u);
  EXPECT_EQ(simplify({{0, 0}, {5, 0}}, 2.5).size(), 2u);
}

TEST(ShapeAnalysis, AnalysisKeepsNodesThatStickOut) {
  // A square (counter-clockwise, material on the left) with a 1.1 deep dent or bump in its
  // bottom edge. With distance 5 the plain simplification drops either node (1.1 < 1.25); the
  // analysis keeps the bump, which would stick out of the placed outline, and drops the dent.
  const auto nodesLeft = [](double BumpY) {
    TEngineState E = Engine({Shape({Polyline({{0, 0},
                                              {10, 0},
                                              {20, BumpY},
                                              {30, 0},
                                              {40, 0},
                                              {50, 0},
                                              {50, 50},
                                              {0, 50},
                                              {0, 0}},
                                             kSbpClosed | kSbpOuter)},
                                   25, 25, 50, 50)},
                            5);
    AnalyzeShapes(E);
    return E.NestRecords.Shape[0].Sbp[0].NodeCount;
  };
  EXPECT_EQ(nodesLeft(1.1), 5);  // the four corners and the repeated first node
  EXPECT_EQ(nodesLeft(-1.1), 6);
  // A hole has its material outside: there the dent into the hole is what sticks out.
  TEngineState E = Engine(
      {Shape({Box(-100, -100, 100, 100, true),
              Polyline({{0, 0}, {10, 0}, {20, 1.1}, {30, 0}, {50, 0}, {50, 50}, {0, 50}, {0, 0}},
                       kSbpClosed)},
             0, 0, 200, 200)},
      5);
  ASSERT_TRUE(FlattenSubPaths(E, 0, 5, 2.5));
  const std::vector<TMaterialSide> sides = MaterialSides(E.NestRecords.Shape[0]);
  EXPECT_EQ(sides[0], TMaterialSide::Right);  // the box runs clockwise
  EXPECT_EQ(sides[1], TMaterialSide::Right);
  SimplifyNodes(E, 0, 1, 2.5, sides[1], kOutlineSlack);
  EXPECT_EQ(Xs(E.NestRecords.Shape[0].Sbp[1]), (std::vector<double>{0, 20, 50, 50, 0, 0}));
}

TEST(ShapeAnalysis, FlatteningWithSlackFollowsTheCurve) {
  // A half-round bump 40 wide flattened for distance 20 (tolerance 10): every point of the curve
  // must lie within the slack of the flattened outline.
  const TBezierNode p[4] = {{0, 0}, {0, 40}, {40, 40}, {40, 0}};
  const auto farthest = [&p](double Slack) {
    TEngineState E = Engine({Shape({Cubic(p[0], p[1], p[2], p[3])}, 20, 15, 40, 30)}, 20);
    EXPECT_TRUE(FlattenSubPaths(E, 0, 5, 10.0, Slack));
    const TNestSbpOneRec& s = E.NestRecords.Shape[0].Sbp[0];
    double worst = 0.0;
    for (int k = 0; k <= 1000; ++k) {
      const double t = k / 1000.0;
      const double u = 1 - t;
      const double x =
          u * u * u * p[0].x + 3 * u * u * t * p[1].x + 3 * u * t * t * p[2].x + t * t * t * p[3].x;
      const double y =
          u * u * u * p[0].y + 3 * u * u * t * p[1].y + 3 * u * t * t * p[2].y + t * t * t * p[3].y;
      double nearest = 1e9;
      for (size_t j = 0; j + 1 < s.Node.size(); ++j) {
        const double ax = s.Node[j].x / 1e4, ay = s.Node[j].y / 1e4;
        const double bx = s.Node[j + 1].x / 1e4 - ax, by = s.Node[j + 1].y / 1e4 - ay;
        const double f = std::clamp(((x - ax) * bx + (y - ay) * by) / (bx * bx + by * by), 0., 1.);
        nearest = std::min(nearest, std::hypot(x - ax - f * bx, y - ay - f * by));
      }
      worst = std::max(worst, nearest);
    }
    return worst;
  };
  EXPECT_GT(farthest(kNoSlack), 0.4);
  EXPECT_LE(farthest(kOutlineSlack), kOutlineSlack + 1e-3);
}

TEST(ShapeAnalysis, CharacteristicPointsPreferTheEarlierNodeOnTies) {
  TEngineState E =
      Engine({Shape({Box(-15, -5, 15, 5, true)}, 0, 0, 30, 10), Shape({}, 0, 0, 0, 0)}, 5);
  E.NestRecords.Shape[1].CPS[3] = TNestNode{7, 7, 1.0, 1.0};
  AnalyzeShapes(E);
  // Cutting node coordinates toward zero may make the box look flatter half a turn further;
  // turning back by the base angle gives the drawing's orientation either way.
  TNestOneRec& r = E.NestRecords.Shape[0];
  RotateNestShape(r, -r.OptimalAngle * std::numbers::pi / 180);
  // The box's nodes: (-15, -5), (-15, 5), (15, 5), (15, -5), whole units after turning.
  const int expected[8][2] = {{-15, -5}, {-15, 5},  {15, -5},  {15, 5},
                              {-15, 5},  {-15, -5}, {-15, -5}, {15, 5}};
  for (int c = 0; c < 8; ++c) {
    EXPECT_NEAR(r.CPS[c].x, expected[c][0], 1) << c;
    EXPECT_NEAR(r.CPS[c].y, expected[c][1], 1) << c;
    EXPECT_NEAR(r.CPS[c].q, std::hypot(15.0, 5.0), 1e-9) << c;
  }
  // A record without nodes has nothing to pick from.
  for (const TNestNode& c : E.NestRecords.Shape[1].CPS) {
    EXPECT_EQ(c.x, 0);
    EXPECT_EQ(c.q, 0.0);
  }
}

TEST(ShapeAnalysis, TrialAngleCounts) {
  const auto count = [](double W, double H, int Rotate, int AngleCode) {
    TEngineState E = Engine({Shape({Box(0, 0, W, H, true)}, W / 2, H / 2, W, H)}, 5);
    E.NestParams.Rotate = static_cast<uint16_t>(Rotate);
    E.NestRecords.Shape[0].UserAttr = (kUserAttrDefault & ~kUserAngleMask) | AngleCode;
    AnalyzeShapes(E);
    const TNestOneRec& r = E.NestRecords.Shape[0];
    EXPECT_EQ(r.AnglesSRR.Item.size(), static_cast<size_t>(r.AnglesSRR.Count));
    return static_cast<int>(r.AnglesSRR.Count);
  };
  EXPECT_EQ(count(30, 10, 0, 0x100), 4);  // 30 / 11 > 2.5
  EXPECT_EQ(count(3, 1, 0, 0x100), 24);
  EXPECT_EQ(count(30, 10, 0, 0x200), 36);
  EXPECT_EQ(count(3, 1, 0, 0x200), 36);
  EXPECT_EQ(count(30, 10, 0, 0), 4);  // no code: the window's setting
  EXPECT_EQ(count(3, 1, 1, 0x100), 4);
  EXPECT_EQ(count(3, 1, 2, 0x100), 2);
  EXPECT_EQ(count(3, 1, 3, 0x100), 1);
  EXPECT_EQ(count(3, 1, 0, 0x300), 4);
  EXPECT_EQ(count(3, 1, 0, 0x400), 2);
  EXPECT_EQ(count(3, 1, 2, 0x500), 1);
  EXPECT_EQ(count(3, 1, 0, 0x700), 1);   // a code the program does not know: no turning
  EXPECT_EQ(count(40, 0, 0, 0x100), 4);  // a straight line
}

TEST(ShapeAnalysis, BaseOrientationLaysTheShapeFlat) {
  const auto analyse = [](std::vector<TNestSbpOneRec> Parts, int Rotate, bool Container) {
    TEngineState E = Engine({Shape(std::move(Parts), 0, 0, 0, 0)}, 5);
    E.NestParams.Rotate = static_cast<uint16_t>(Rotate);
    E.NestParams.Media_Container = Container;
    AnalyzeShapes(E);
    return E.NestRecords.Shape[0];
  };
  // Upright 10 x 30: turned by 90 degrees, 30 wide and 10 high at angle 0.
  TNestOneRec tall = analyse({Box(-5, -15, 5, 15, true)}, 0, false);
  EXPECT_NEAR(tall.OptimalAngle, 90.0, 1e-9);
  const TNestRectInt r0 = tall.AnglesSRR.Item[0].Rect;
  EXPECT_NEAR(r0.Right - r0.Left, 30, 1);
  EXPECT_NEAR(r0.Top - r0.Bottom, 10, 1);
  const TNestRectInt r1 = tall.AnglesSRR.Item[1].Rect;  // a quarter turn further
  EXPECT_NEAR(r1.Right - r1.Left, 10, 1);
  EXPECT_NEAR(tall.AnglesSRR.Item[1].Value, std::numbers::pi / 2, 1e-12);
  // 400 x 100 turned by 30 degrees lies flat again after 150 more.
  const double c = std::cos(std::numbers::pi / 6);
  const double s = std::sin(std::numbers::pi / 6);
  const auto turned = [&](double x, double y) { return TBezierNode{x * c - y * s, x * s + y * c}; };
  TNestSbpOneRec slanted = Polyline(
      {turned(-200, -50), turned(-200, 50), turned(200, 50), turned(200, -50), turned(-200, -50)},
      kSbpClosed | kSbpOuter);
  EXPECT_NEAR(analyse({slanted}, 0, false).OptimalAngle, 150.0, 1e-6);
  // Fixed by the window's setting or as the container: no base orientation.
  const TNestOneRec fixed = analyse({slanted}, 1, false);
  EXPECT_EQ(fixed.OptimalAngle, 0.0);
  EXPECT_EQ(fixed.AnglesSRR.Count, 4);
  EXPECT_EQ(analyse({slanted}, 0, true).OptimalAngle, 0.0);
}

TEST(ShapeAnalysis, ColourGroups) {
  std::vector<TNestOneRec> records(5);
  const int colours[5] = {5, 7, 5, 9, 7};
  for (int i = 0; i < 5; ++i) records[i].Original.Color = colours[i];
  TEngineState E = Engine(records, 5);
  BuildColorOrder(E);
  ASSERT_EQ(E.ColorOrder.Count, 1);
  EXPECT_EQ(E.ColorOrder.Item[0].Color, 0);
  EXPECT_EQ(E.ColorOrder.Item[0].Shape, (std::vector<int32_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(E.ColorOrder.Item[0].ShapeCount, 5);
  E.NestParams.Media_ByColor = 1;
  BuildColorOrder(E);
  ASSERT_EQ(E.ColorOrder.Count, 3);
  EXPECT_EQ(E.ColorOrder.Item[0].Color, 5);
  EXPECT_EQ(E.ColorOrder.Item[0].Shape, (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(E.ColorOrder.Item[1].Color, 7);
  EXPECT_EQ(E.ColorOrder.Item[1].Shape, (std::vector<int32_t>{1, 4}));
  EXPECT_EQ(E.ColorOrder.Item[2].Shape, (std::vector<int32_t>{3}));
  EXPECT_EQ(E.ColorOrder.Item[2].ShapeCount, 1);
}

TEST(ShapeAnalysis, AnalysisCentresNodesAndReportsProgress) {
  TEngineState E =
      Engine({Shape({Box(90, 40, 110, 60, true)}, 100, 50, 20, 20), Shape({}, 0, 0, 0, 0)}, 5);
  std::vector<int> positions;
  TNestControl control([&](int Position) { positions.push_back(Position); });
  E.Control = &control;
  AnalyzeShapes(E);
  EXPECT_FALSE(E.ErrorFlag());
  EXPECT_FALSE(positions.empty());
  for (const int p : positions) {
    EXPECT_GE(p, 0);
    EXPECT_LE(p, 100);
  }
  TNestOneRec& r = E.NestRecords.Shape[0];
  EXPECT_DOUBLE_EQ(r.Original.Scale, 400.0);
  for (const TNestNode& n : r.Sbp[0].Node) EXPECT_NEAR(n.q, std::hypot(10.0, 10.0), 1e-9);
  RotateNestShape(r, -r.OptimalAngle * std::numbers::pi / 180);
  EXPECT_NEAR(r.Sbp[0].Node[0].x, -10, 1);
  EXPECT_NEAR(r.Sbp[0].Node[0].y, -10, 1);
  EXPECT_NEAR(r.AnglesSRR.Item[0].Rect.Left, -10, 1);
  EXPECT_NEAR(r.AnglesSRR.Item[0].Rect.Top, 10, 1);
  // The record without an outline passes through with an empty box at every angle.
  const TNestOneRec& none = E.NestRecords.Shape[1];
  EXPECT_EQ(none.OptimalAngle, 0.0);
  ASSERT_GT(none.AnglesSRR.Count, 0);
  EXPECT_EQ(none.AnglesSRR.Item[0].Rect.Right, 0);
  EXPECT_EQ(E.ColorOrder.Item[0].ShapeCount, 2);
}

TEST(ShapeAnalysis, OversizedDistanceIsAnErrorNotAnAllocation) {
  TEngineState E = Engine({Shape({Box(0, 0, 10, 10, true)}, 5, 5, 10, 10)}, kMaxNestDistance + 1);
  AnalyzeShapes(E);
  EXPECT_TRUE(E.ErrorFlag());
  EXPECT_TRUE(E.NestRecords.Shape[0].AnglesSRR.Item.empty());
  for (const double bad : {-1.0, std::nan("")}) {
    E.Exact.Distance = bad;
    ClearFailure(E);
    AnalyzeShapes(E);
    EXPECT_TRUE(E.ErrorFlag()) << bad;
  }
}

}  // namespace plavo
