#include "nesting/place/Rasterise.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <numbers>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "nesting/place/CellCover.h"
#include "nesting/prepare/CutAngles.h"
#include "nesting/prepare/ShapeAnalysis.h"

namespace plavo {

namespace {

struct TCell {
  int x;
  int y;
};

TNestNode NodeAt(int x, int y) {
  TNestNode n;
  n.x = x;
  n.y = y;
  n.q = std::hypot(x, y);
  n.a = std::atan2(y, x);
  return n;
}

// A sub-path through the given cells; a closed one repeats its first node at the end.
TNestSbpOneRec Outline(std::initializer_list<TCell> Cells, uint16_t Attr) {
  TNestSbpOneRec s;
  s.Attr = Attr;
  for (const TCell& c : Cells) s.Node.push_back(NodeAt(c.x, c.y));
  if ((Attr & kSbpClosed) != 0) s.Node.push_back(s.Node.front());
  s.NodeCount = static_cast<int32_t>(s.Node.size());
  return s;
}

TNestSbpOneRec Square(int Left, int Bottom, int Right, int Top, uint16_t Attr) {
  return Outline({{Left, Bottom}, {Left, Top}, {Right, Top}, {Right, Bottom}}, Attr);
}

constexpr uint16_t kOuter = kSbpClosed | kSbpOuter;
constexpr uint16_t kHole = kSbpClosed;

// A record with one trial angle whose box is the box of its nodes.
TNestOneRec Record(std::vector<TNestSbpOneRec> Parts) {
  TNestOneRec r;
  r.UserAttr = kUserAttrDefault;
  r.Sbp = std::move(Parts);
  r.SbpCount = static_cast<int32_t>(r.Sbp.size());
  TNestRectInt box{1 << 30, -(1 << 30), 1 << 30, -(1 << 30)};
  for (const TNestSbpOneRec& s : r.Sbp) {
    for (const TNestNode& n : s.Node) {
      box.Left = std::min(box.Left, n.x);
      box.Right = std::max(box.Right, n.x);
      box.Bottom = std::min(box.Bottom, n.y);
      box.Top = std::max(box.Top, n.y);
    }
  }
  r.AnglesSRR.Count = 1;
  r.AnglesSRR.Item = {TNestAngleOneRect{0.0, box, nullptr}};
  return r;
}

TEngineState Engine(int MediaW, int MediaH, int Distance, bool Inside) {
  TEngineState E;
  E.NestParams.Media_W = static_cast<uint16_t>(MediaW);
  E.NestParams.Media_H = static_cast<uint16_t>(MediaH);
  E.NestParams.Distance = static_cast<uint16_t>(Distance);
  E.Exact.Distance = Distance;
  E.NestParams.PlaceInside_Enable = Inside;
  E.Blocks.Count = 1;
  E.Blocks.Item.resize(1);
  E.Blocks.Item[0].m.Resize(MediaW + 1, MediaH + 1);
  return E;
}

// Adds the record placed with its centre at sheet cell (x, y) on sheet 0, its outline as cut made
// from its nodes; returns its index.
int AddPlaced(TEngineState& E, TNestOneRec Rec, int x, int y) {
  Rec.Place.placed = true;
  Rec.Place.x = x;
  Rec.Place.y = y;
  E.NestRecords.Shape.push_back(std::move(Rec));
  E.NestRecords.Count = static_cast<uint16_t>(E.NestRecords.Shape.size());
  const int i = static_cast<int>(E.NestRecords.Shape.size()) - 1;
  BuildCutAngles(E, i);
  return i;
}

const TBooleanMatrix& Sheet(const TEngineState& E) {
  return E.Blocks.Item[0].m;
}

void ExpectSheet(const TBooleanMatrix& M, const std::function<bool(int, int)>& Expected) {
  int wrong = 0;
  std::ostringstream first;
  for (int x = 0; x < M.Width(); ++x) {
    for (int y = 0; y < M.Height(); ++y) {
      if (M.Get(x, y) == Expected(x, y)) continue;
      if (wrong++ == 0) first << "(" << x << ", " << y << ") is " << M.Get(x, y);
    }
  }
  EXPECT_EQ(wrong, 0) << "first wrong cell " << first.str();
}

// The square of cell (x, y) lies within D (and the outline's pad) of the box with the offsets
// Dx, Dy of its centre from the box.
bool Within(int Dx, int Dy, int D) {
  const double dx = std::max(0.0, Dx - 0.5);
  const double dy = std::max(0.0, Dy - 0.5);
  return std::hypot(dx, dy) <= D + kCutSlop;
}

// Occupied when the cell's square lies within D of the closed square [Lo, Hi] x [Lo, Hi] (never
// row or column 0).
std::function<bool(int, int)> SquareBand(int Lo, int Hi, int D) {
  return [=](int x, int y) {
    if (x == 0 || y == 0) return false;
    return Within(std::max({Lo - x, 0, x - Hi}), std::max({Lo - y, 0, y - Hi}), D);
  };
}

}  // namespace

TEST(Rasterise, FilledSquareGetsBandWithRoundedCorners) {
  // Also with a node in the middle of every side: where two edges of one side meet, the row
  // must be crossed once, not twice.
  const TNestSbpOneRec squares[] = {
      Square(-50, -50, 50, 50, kOuter),
      Outline({{-50, -50}, {-50, 0}, {-50, 50}, {0, 50}, {50, 50}, {50, 0}, {50, -50}, {0, -50}},
              kOuter)};
  for (const TNestSbpOneRec& square : squares) {
    TEngineState E = Engine(400, 400, 5, false);
    const int i = AddPlaced(E, Record({square}), 200, 200);
    DrawPlacedShape(E, i, true, true, false);
    ExpectSheet(Sheet(E), SquareBand(150, 250, 5));
    EXPECT_TRUE(Sheet(E).Get(146, 146));   // 3.5^2 + 3.5^2 < 25: the cell reaches the corner
    EXPECT_FALSE(Sheet(E).Get(145, 146));  // 4.5^2 + 3.5^2 > 25
  }
}

TEST(Rasterise, TriangleDiagonalCoversEveryCellItTouches) {
  // Without distance the drawing is the triangle's cells: those whose square it reaches.
  TEngineState E = Engine(60, 60, 0, false);
  const int i = AddPlaced(E, Record({Outline({{0, 0}, {10, 0}, {0, 10}}, kOuter)}), 20, 20);
  DrawPlacedShape(E, i, true, true, false);
  ExpectSheet(Sheet(E), [](int x, int y) {
    const int u = x - 20;
    const int v = y - 20;
    if (u < 0 || v < 0) return false;
    // A square beside the diagonal touches it with its corner; none beyond its ends.
    return u + v <= 10 || (u + v == 11 && u >= 1 && u <= 10);
  });
}

TEST(Rasterise, SquareFrameHoleDependsOnAllowInside) {
  const auto frame = [] {
    return Record({Square(-50, -50, 50, 50, kOuter), Square(-25, -25, 25, 25, kHole)});
  };
  const auto band = SquareBand(150, 250, 5);
  {
    TEngineState E = Engine(400, 400, 5, true);
    DrawPlacedShape(E, AddPlaced(E, frame(), 200, 200), true, true, false);
    // The hole spans 175 .. 225; a band of 5 cells along its edge is occupied.
    ExpectSheet(Sheet(E), [&](int x, int y) {
      return band(x, y) && !(x >= 181 && x <= 219 && y >= 181 && y <= 219);
    });
  }
  {
    TEngineState E = Engine(400, 400, 5, false);
    DrawPlacedShape(E, AddPlaced(E, frame(), 200, 200), true, true, false);
    ExpectSheet(Sheet(E), band);
  }
  {
    // The container never fills its holes.
    TEngineState E = Engine(400, 400, 5, false);
    TNestOneRec container = frame();
    container.UserAttr |= kUserContainer;
    DrawPlacedShape(E, AddPlaced(E, container, 200, 200), true, true, false);
    EXPECT_FALSE(Sheet(E).Get(200, 200));
    EXPECT_TRUE(Sheet(E).Get(180, 200));
  }
}

TEST(Rasterise, RegionClosedInBySeparatePartsIsFilledOnlyWithHoleFilling) {
  // Four bars around a free square; a small hole in the top bar turns hole filling on.
  const auto bars = [](bool WithHole) {
    std::vector<TNestSbpOneRec> parts = {
        Square(-50, -50, 50, -40, kOuter), Square(-50, -40, -40, 40, kOuter),
        Square(-50, 40, 50, 50, kOuter), Square(40, -40, 50, 40, kOuter)};
    if (WithHole) parts.push_back(Square(-5, 43, 5, 47, kHole));
    return Record(parts);
  };
  for (const bool inside : {false, true}) {
    for (const bool hole : {false, true}) {
      TEngineState E = Engine(200, 200, 2, inside);
      DrawPlacedShape(E, AddPlaced(E, bars(hole), 100, 100), true, true, false);
      const bool filled = hole && !inside;
      EXPECT_EQ(Sheet(E).Get(100, 100), filled) << "inside " << inside << ", hole " << hole;
      EXPECT_EQ(Sheet(E).Get(80, 80), filled) << "inside " << inside << ", hole " << hole;
      EXPECT_TRUE(Sheet(E).Get(55, 100));
    }
  }
}

TEST(Rasterise, SeparatePartsAreJoinedByAStampedBridgeThatIsNotWidened) {
  // Node 0 of the first square is its top right corner, of the second its bottom left one.
  const auto parts = [] {
    return Record({Outline({{-20, -20}, {-20, -30}, {-30, -30}, {-30, -20}}, kOuter),
                   Square(20, 20, 30, 30, kOuter)});
  };
  {
    TEngineState E = Engine(200, 200, 2, false);
    DrawPlacedShape(E, AddPlaced(E, parts(), 100, 100), true, true, false);
    // Between the parts every diagonal cell is stamped with its four diagonal neighbours:
    // offsets x - y of 0 and 2 are occupied, 1 and 3 stay free.
    for (int u = -15; u <= 15; ++u) {
      for (int v = -15; v <= 15; ++v) {
        const int k = std::abs(u - v);
        EXPECT_EQ(Sheet(E).Get(100 + u, 100 + v), k == 0 || k == 2) << u << ", " << v;
      }
    }
  }
  {
    // Filling without widening draws no bridge.
    TEngineState E = Engine(200, 200, 2, false);
    DrawPlacedShape(E, AddPlaced(E, parts(), 100, 100), false, true, false);
    EXPECT_FALSE(Sheet(E).Get(100, 100));
    EXPECT_TRUE(Sheet(E).Get(75, 75));
  }
}

TEST(Rasterise, EraseModeClearsTheBridgeInsideTheFilledShape) {
  TEngineState E = Engine(400, 400, 5, true);
  TNestOneRec frame = Record({Square(-50, -50, 50, 50, kOuter), Square(-25, -25, 25, 25, kHole)});
  frame.UserAttr |= kUserContainer;
  DrawPlacedShape(E, AddPlaced(E, frame, 200, 200), false, true, true);
  const TBooleanMatrix& m = Sheet(E);
  EXPECT_FALSE(m.Get(160, 160));  // on the bridge from (150, 150) to (175, 175)
  EXPECT_FALSE(m.Get(161, 159));  // a diagonal neighbour of a stamped cell
  EXPECT_TRUE(m.Get(160, 159));
  EXPECT_TRUE(m.Get(170, 160));
  EXPECT_FALSE(m.Get(200, 200));  // the hole
  EXPECT_FALSE(m.Get(148, 200));  // no widening in this mode
}

TEST(Rasterise, OpenPathIsOnlyWidened) {
  TEngineState E = Engine(100, 100, 2, false);
  const int i = AddPlaced(E, Record({Outline({{-10, 0}, {10, 0}}, 0)}), 50, 50);
  DrawPlacedShape(E, i, true, true, false);
  ExpectSheet(Sheet(E), [](int x, int y) {
    return Within(std::max({40 - x, 0, x - 60}), std::abs(y - 50), 2);
  });
}

TEST(Rasterise, CopyStaysInsideTheUsableSheetAndOnlyAdds) {
  TEngineState E = Engine(100, 100, 5, false);
  E.Blocks.Item[0].m.SetOccupied(70, 70);
  // The box touches column 1 and row 1; the band would reach beyond the sheet's edges.
  DrawPlacedShape(E, AddPlaced(E, Record({Square(-10, -10, 10, 10, kOuter)}), 11, 11), true, true,
                  false);
  DrawPlacedShape(E, AddPlaced(E, Record({Square(-10, -10, 10, 10, kOuter)}), 89, 89), true, true,
                  false);
  const TBooleanMatrix& m = Sheet(E);
  for (int k = 0; k <= 100; ++k) {
    EXPECT_FALSE(m.Get(0, k)) << k;
    EXPECT_FALSE(m.Get(k, 0)) << k;
  }
  EXPECT_TRUE(m.Get(1, 1));
  EXPECT_TRUE(m.Get(100, 100));
  EXPECT_TRUE(m.Get(70, 70));
  EXPECT_FALSE(m.Get(50, 50));
}

TEST(Rasterise, BadRecordsNeitherCrashNorSpill) {
  TEngineState E = Engine(300, 300, 3, false);
  const int unplaced = AddPlaced(E, Record({Square(-10, -10, 10, 10, kOuter)}), 50, 50);
  E.NestRecords.Shape[unplaced].Place.placed = false;
  DrawPlacedShape(E, unplaced, true, true, false);
  TNestOneRec empty = Record({});
  empty.AnglesSRR.Item[0].Rect = TNestRectInt{};
  DrawPlacedShape(E, AddPlaced(E, empty, 50, 50), true, true, false);
  ExpectSheet(Sheet(E), [](int, int) { return false; });

  // A node not turned to the placed angle lies far outside the box: its bridge is clipped,
  // nothing is written beyond the drawing's frame (the box widened by FrameMargin).
  const int stray = AddPlaced(
      E, Record({Square(-10, -10, 10, 10, kOuter), Square(-2, -2, 2, 2, kHole)}), 150, 150);
  E.NestRecords.Shape[stray].Sbp[1].Node[0] = NodeAt(100000, 2000000);
  DrawPlacedShape(E, stray, true, true, false);
  ExpectSheet(Sheet(E), [&E](int x, int y) {
    const bool window = x >= 136 && x <= 164 && y >= 136 && y <= 164;
    return window && Sheet(E).Get(x, y);
  });
  EXPECT_TRUE(Sheet(E).Get(140, 150));

  // Nodes at both ends of the integer range: their edges span the whole clipped range, whose
  // width must still fit an int.
  const int extreme = AddPlaced(
      E, Record({Square(-10, -10, 10, 10, kOuter), Square(-2, -2, 2, 2, kHole)}), 250, 250);
  E.NestRecords.Shape[extreme].Sbp[0].Node[0] = NodeAt(-2147483647 - 1, -2147483647 - 1);
  E.NestRecords.Shape[extreme].Sbp[1].Node[0] = NodeAt(2147483647, 2147483647);
  const TBooleanMatrix before = Sheet(E);
  DrawPlacedShape(E, extreme, true, true, false);
  ExpectSheet(Sheet(E), [&](int x, int y) {
    const bool window = x >= 236 && x <= 264 && y >= 236 && y <= 264;
    return before.Get(x, y) || (window && Sheet(E).Get(x, y));
  });
  EXPECT_TRUE(Sheet(E).Get(250, 240));  // the bottom edge, which stays in place

  const int i = AddPlaced(E, Record({Square(-10, -10, 10, 10, kOuter)}), 50, 50);
  E.NestRecords.Shape[i].Place.AngC = 3;
  EXPECT_THROW(DrawPlacedShape(E, i, true, true, false), std::out_of_range);
  E.NestRecords.Shape[i].Place.AngC = 0;
  E.NestRecords.Shape[i].Place.sheetNo = 1;
  EXPECT_THROW(DrawPlacedShape(E, i, true, true, false), std::out_of_range);
  EXPECT_THROW(DrawPlacedShape(E, 99, true, true, false), std::out_of_range);
}

TEST(Rasterise, FastDrawingMatchesCellByCellDrawing) {
  std::mt19937 random(20240611);
  const auto star = [&random](int Points, int Radius) {
    TNestSbpOneRec s;
    s.Attr = kOuter;
    std::uniform_int_distribution<int> r(Radius / 3, Radius);
    for (int k = 0; k < Points; ++k) {
      const double a = 2 * std::numbers::pi * k / Points;
      const int q = r(random);
      s.Node.push_back(
          NodeAt(static_cast<int>(q * std::cos(a)), static_cast<int>(q * std::sin(a))));
    }
    s.Node.push_back(s.Node.front());
    s.NodeCount = static_cast<int32_t>(s.Node.size());
    return s;
  };
  struct TFlags {
    bool Dilate, Fill, Erase;
  };
  const TFlags modes[] = {{true, true, false}, {false, true, true}, {true, false, false}};
  for (const int D : {0, 1, 3, 7, 20}) {
    for (const bool inside : {false, true}) {
      for (const TFlags& f : modes) {
        TEngineState fast = Engine(200, 160, D, inside);
        TNestOneRec rec = Record({star(9, 40), Square(-8, -8, 8, 8, kHole),
                                  Outline({{-30, 35}, {25, 38}, {35, -20}}, 0)});
        std::uniform_int_distribution<int> px(0, 200), py(0, 160);
        for (int k = 0; k < 3; ++k) AddPlaced(fast, rec, px(random), py(random));
        TEngineState plain = fast;
        for (int k = 0; k < 3; ++k) {
          DrawPlacedShape(fast, k, f.Dilate, f.Fill, f.Erase);
          DrawPlacedShapePlain(plain, k, f.Dilate, f.Fill, f.Erase);
        }
        EXPECT_TRUE(Sheet(fast) == Sheet(plain))
            << "D " << D << ", inside " << inside << ", dilate " << f.Dilate;
      }
    }
  }
}

TEST(Rasterise, FastDrawingMatchesForAnAnalysedCurve) {
  TEngineState E = Engine(300, 300, 100, false);
  TNestOneRec rec;
  rec.UserAttr = kUserAttrDefault;
  rec.Original = TNestOriginalData{0, 0, 100, 100, 0, 0, 0};
  TNestSbpOneRec circle;
  circle.Attr = kOuter | kSbpBezier;
  const double k = 0.5523 * 50;
  circle.Bezier = {{50, 0},   {50, k},   {k, 50},  {0, 50},  {-k, 50}, {-50, k}, {-50, 0},
                   {-50, -k}, {-k, -50}, {0, -50}, {k, -50}, {50, -k}, {50, 0}};
  circle.BezierCount = 13;
  rec.Sbp = {circle};
  rec.SbpCount = 1;
  E.NestRecords.Shape = {rec};
  E.NestRecords.Count = 1;
  AnalyzeShapes(E);
  TNestOneRec& placed = E.NestRecords.Shape[0];
  placed.Place.placed = true;
  placed.Place.AngC = 5;
  placed.Place.x = 140;
  placed.Place.y = 120;
  RotateNestShape(placed, placed.AnglesSRR.Item[5].Value);
  TEngineState plain = E;
  DrawPlacedShape(E, 0, true, true, false);
  DrawPlacedShapePlain(plain, 0, true, true, false);
  EXPECT_TRUE(Sheet(E) == Sheet(plain));
  EXPECT_TRUE(Sheet(E).Get(140, 265));  // within 100 of the top of the circle
  EXPECT_FALSE(Sheet(E).Get(140, 275));
}

TEST(FillEnclosed, TwoPassesMissAPocketReachedDownAndThenUp) {
  // A channel from the top border runs down column 2, right along row 2 and up column 6.
  TBooleanMatrix L(9, 9);
  L.Fill(true);
  for (int y = 2; y <= 8; ++y) L.Set(2, y, false);
  for (int x = 2; x <= 6; ++x) L.Set(x, 2, false);
  for (int y = 2; y <= 6; ++y) L.Set(6, y, false);
  TBooleanMatrix F(9, 9);
  F.Fill(true);
  FillEnclosed(L, F);
  EXPECT_FALSE(F.Get(2, 8));
  EXPECT_FALSE(F.Get(2, 3));
  EXPECT_FALSE(F.Get(5, 2));
  EXPECT_FALSE(F.Get(6, 2));
  EXPECT_TRUE(F.Get(6, 3));  // reachable, but only upward after the downward pass
  EXPECT_TRUE(F.Get(6, 6));
  EXPECT_TRUE(F.Get(0, 0));  // occupied in L
}

TEST(Rasterise, BandAcrossAnEdge) {
  // The cells within 2 of the edge (0, 0)-(0, 10): the middle columns reach 2.5 beyond its
  // ends, the outer ones only sqrt(4 - 1.5^2) = 1.32.
  std::vector<TCellRun> runs;
  AddSegmentCells({0, 0}, {0, 10}, 2.0, runs);
  const std::vector<std::array<int, 3>> expected = {
      {-2, -1, 11}, {-1, -2, 12}, {0, -2, 12}, {1, -2, 12}, {2, -1, 11}};
  ASSERT_EQ(runs.size(), expected.size());
  for (size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(runs[k].Column, expected[k][0]) << k;
    EXPECT_EQ(runs[k].Low, expected[k][1]) << k;
    EXPECT_EQ(runs[k].High, expected[k][2]) << k;
  }
}

TEST(Rasterise, DirectionAngleOfEveryQuadrantAndAxis) {
  const double pi = std::numbers::pi;
  EXPECT_DOUBLE_EQ(DirectionAngle(0, 0, -5, 0), pi);
  EXPECT_DOUBLE_EQ(DirectionAngle(0, 0, 0, 0), -pi / 2);
  EXPECT_DOUBLE_EQ(DirectionAngle(0, 0, 0, 3), pi / 2);
  EXPECT_DOUBLE_EQ(DirectionAngle(0, 0, 0, -3), -pi / 2);
  EXPECT_DOUBLE_EQ(DirectionAngle(0, 0, 4, 0), 0.0);
  EXPECT_DOUBLE_EQ(DirectionAngle(2, 3, 3, 4), pi / 4);
  EXPECT_DOUBLE_EQ(DirectionAngle(0, 0, -1, 1), 3 * pi / 4);
  EXPECT_DOUBLE_EQ(DirectionAngle(0, 0, -1, -1), -3 * pi / 4);
  EXPECT_DOUBLE_EQ(DirectionAngle(0, 0, 1, -1), -pi / 4);
  EXPECT_DOUBLE_EQ(DirectionAngle(-2147483647, 0, 2147483647, 1), std::atan(1.0 / 4294967294.0));
}

TEST(Rasterise, RotationTruncatesTowardZeroAndKeepsPolarForm) {
  TNestOneRec rec;
  TNestSbpOneRec s;
  s.Node = {TNestNode{0, 0, 10.0, 0.0}, TNestNode{0, 0, 10.0, 3 * std::numbers::pi / 4}};
  s.NodeCount = 2;
  rec.Sbp = {s};
  rec.CPS[4] = TNestNode{0, 0, 5.0, 0.0};
  RotateNestShape(rec, std::numbers::pi / 2);
  EXPECT_EQ(rec.Sbp[0].Node[0].x, 0);
  EXPECT_EQ(rec.Sbp[0].Node[0].y, 10);
  EXPECT_EQ(rec.Sbp[0].Node[1].x, -7);  // -7.07 cut toward zero
  EXPECT_EQ(rec.Sbp[0].Node[1].y, -7);
  EXPECT_EQ(rec.CPS[4].x, 0);
  EXPECT_EQ(rec.CPS[4].y, 5);
  EXPECT_DOUBLE_EQ(rec.Sbp[0].Node[1].q, 10.0);
  EXPECT_DOUBLE_EQ(rec.Sbp[0].Node[1].a, 3 * std::numbers::pi / 4);
  // A radius beyond the integer range saturates instead of overflowing.
  rec.Sbp[0].Node[0].q = 1e12;
  RotateNestShape(rec, 0.0);
  EXPECT_EQ(rec.Sbp[0].Node[0].x, 2147483647);
}

namespace {

// The two passes exactly as the rule reads, one cell at a time.
void FillEnclosedByCells(const TBooleanMatrix& L, TBooleanMatrix& F) {
  const int W = L.Width();
  const int H = L.Height();
  const auto isSeed = [&](int u, int v) {
    return u == 0 || v == 0 || u == W - 1 || v == H - 1 || !F.Get(u - 1, v) || !F.Get(u + 1, v) ||
           !F.Get(u, v - 1) || !F.Get(u, v + 1);
  };
  const auto freeLeft = [&](int u, int v) {
    for (; u >= 0 && !L.Get(u, v); --u) F.Set(u, v, false);
    return u + 1;
  };
  const auto freeRight = [&](int u, int v) {
    for (; u < W && !L.Get(u, v); ++u) F.Set(u, v, false);
    return u - 1;
  };
  for (int v = 0; v < H; ++v) {
    for (int u = 0; u < W;) {
      if (!L.Get(u, v) && isSeed(u, v)) {
        freeLeft(u, v);
        u = freeRight(u, v) + 1;
      } else {
        ++u;
      }
    }
  }
  for (int v = H - 1; v >= 0; --v) {
    for (int u = W - 1; u >= 0;) {
      if (!L.Get(u, v) && isSeed(u, v)) {
        freeRight(u, v);
        u = freeLeft(u, v) - 1;
      } else {
        --u;
      }
    }
  }
}

}  // namespace

TEST(FillEnclosed, WordParallelPassesMatchTheCellRule) {
  std::mt19937 random(77);
  for (int trial = 0; trial < 60; ++trial) {
    const int W = 1 + static_cast<int>(random() % 90);
    const int H = 1 + static_cast<int>(random() % 200);
    TBooleanMatrix L(W, H);
    const int density = static_cast<int>(random() % (trial % 2 == 0 ? 60 : 4));
    for (int u = 0; u < W; ++u) {
      for (int v = 0; v < H; ++v) {
        if (static_cast<int>(random() % 100) < density) L.SetOccupied(u, v);
      }
    }
    // Walls with gaps make long winding paths through many word rows: across the rows, or
    // along the columns above a floor, so that only the top border reaches the corridors.
    if (trial % 2 == 0) {
      for (int v = 3; v < H - 1; v += 4) {
        for (int u = 1; u < W - 1; ++u) {
          if ((u + v / 4) % 13 != 0) L.SetOccupied(u, v);
        }
      }
    } else if (H > 2) {
      for (int u = 1; u < W - 1; ++u) L.SetOccupied(u, 1);
      for (int u = 4; u < W - 1; u += 4) {
        const int gap = 2 + static_cast<int>(random() % static_cast<unsigned>(H - 2));
        for (int v = 1; v < H - 1; ++v) {
          if (v != gap) L.SetOccupied(u, v);
        }
      }
    }
    TBooleanMatrix fast(W, H);
    fast.Fill(true);
    TBooleanMatrix plain = fast;
    FillEnclosed(L, fast);
    FillEnclosedByCells(L, plain);
    ASSERT_TRUE(fast == plain) << "trial " << trial << ", " << W << " x " << H;
  }
}

}  // namespace plavo
