#include "nesting/place/PositionSearch.h"

#include <cmath>
#include <numbers>
#include <random>

#include <gtest/gtest.h>

#include "nesting/place/CellCover.h"
#include "nesting/place/SearchRaster.h"
#include "nesting/place/SearchTestShapes.h"
#include "nesting/place/Sheets.h"

namespace plavo {

using namespace search_test;

namespace {

// An engine with one empty sheet and record 0 a box of Left..Right x Bottom..Top.
TEngineState OneBox(int W, int H, int Left, int Right, int Bottom, int Top, int Angles = 1) {
  TEngineState E = Engine(W, H);
  AddRecord(E, Box(Left, Right, Bottom, Top, Angles));
  NewSheet(E);
  return E;
}

bool Place(TEngineState& E, int i) {
  int score = 0;
  return FindPlace(E, i, 1.0, score);
}

const TNestPlacedShape& PlaceOf(const TEngineState& E, int i) {
  return E.NestRecords.Shape[i].Place;
}

}  // namespace

// ---- Word-wide cell reads against one-cell-at-a-time walks ----------------------------------

TEST(SearchRaster, ColumnRunsMatchACellByCellWalkAcrossWordsAndEdges) {
  std::mt19937 random(7);
  TBooleanMatrix m(2, 150);
  for (int round = 0; round < 600; ++round) {
    m.Fill(false);
    for (int k = 0; k < round % 4; ++k) {
      const int from = static_cast<int>(random() % 150);
      const int to = std::min(149, from + static_cast<int>(random() % 100));
      for (int y = from; y <= to; ++y) m.Set(0, y, true);
    }
    const int x = static_cast<int>(random() % 3) - 1;  // -1 and 2 lie beyond the raster
    const int y0 = static_cast<int>(random() % 170) - 10;
    const int y1 = y0 + static_cast<int>(random() % 90);
    // Fit tests: the first blocked cell going up, cells beyond the raster blocked.
    bool found = false;
    int expected = 0;
    for (int y = y0; y <= y1 && !found; ++y) {
      found = !m.Inside(x, y) || m.Get(x, y);
      expected = y;
    }
    int hit = 0;
    ASSERT_EQ(FirstBlockedInColumn(m, x, y0, y1, hit), found) << x << ": " << y0 << ".." << y1;
    if (found) {
      ASSERT_EQ(hit, expected) << x << ": " << y0 << ".." << y1;
    }
    // Skip reads: occupied cells at a stride, cells beyond the raster free.
    const int step = 1 + static_cast<int>(random() % 6);
    int steps = 0;
    for (int cy = y0; cy < y1 && m.GetSafe(x, cy + step); cy += step) ++steps;
    ASSERT_EQ(OccupiedStrideRun(m, x, y0, step, y1), steps)
        << x << ": " << y0 << " below " << y1 << " step " << step;
  }
}

// ---- The fit tests ----------------------------------------------------------------------------

TEST(FitTests, TheFirstOccupiedCellInOutlineOrderIsRecorded) {
  TEngineState E = OneBox(100, 100, -5, 5, -5, 5);
  TBooleanMatrix& m = E.Blocks.Item[0].m;
  // Nodes run (L,B), (L,T), (R,T), (R,B): of two occupied nodes the earlier one is recorded.
  m.Set(55, 45, true);
  m.Set(45, 55, true);
  TCollision c;
  EXPECT_FALSE(NodesFit(E, 0, 50, 50, 0, c));
  EXPECT_EQ(c.cx, 45);
  EXPECT_EQ(c.cy, 55);
  // Cells between the nodes: only the cell test sees them, the interior too, so a shape never
  // closes in another; the cell it finds occupied is recorded.
  EXPECT_TRUE(NodesFit(E, 0, 30, 30, 0, c));
  m.Set(30, 30, true);
  EXPECT_FALSE(CellsFit(E, 0, 0, 30, 30, 0, c));
  EXPECT_EQ(c.cx, 30);
  EXPECT_EQ(c.cy, 30);
  EXPECT_TRUE(CellsFit(E, 0, 0, 70, 70, 0, c));
}

TEST(FitTests, CellsFitAgreesWithAPlainCellWalkOnRandomSegments) {
  // The cells of an open sub-path P..Q: those whose square lies within the pad of the segment,
  // decided one cell at a time; no join.
  std::mt19937 random(11);
  for (int round = 0; round < 1500; ++round) {
    const TPt p{static_cast<int>(random() % 41) - 20, static_cast<int>(random() % 141) - 70};
    const TPt q{static_cast<int>(random() % 41) - 20, static_cast<int>(random() % 141) - 70};
    TNestSbpOneRec open;
    open.Node = {PolarNode(p.x, p.y), PolarNode(q.x, q.y)};
    open.NodeCount = 2;
    TEngineState E = Engine(100, 200);
    AddRecord(E, Record({open}));
    NewSheet(E);
    TBooleanMatrix& m = E.Blocks.Item[0].m;
    for (int k = 0; k < 6; ++k) {
      m.Set(30 + static_cast<int>(random() % 41), static_cast<int>(random() % 201), true);
    }
    const double pad = E.NestRecords.Shape[0].AnglesSRR.Item[0].Cut->Pad;
    const auto cell = [&](int x, int y) {
      return CellNearSegment(x, y, {50.0 + p.x, 100.0 + p.y}, {50.0 + q.x, 100.0 + q.y}, pad);
    };
    bool blocked = false;
    for (int x = 0; x < m.Width(); ++x) {
      for (int y = 0; y < m.Height(); ++y) blocked = blocked || (cell(x, y) && m.Get(x, y));
    }
    TCollision c;
    ASSERT_EQ(CellsFit(E, 0, 0, 50, 100, 0, c), !blocked) << "round " << round;
    if (blocked) {
      ASSERT_TRUE(cell(c.cx, c.cy) && m.Get(c.cx, c.cy)) << "round " << round;
    }
  }
}

TEST(FitTests, CellsFitTestsTheJoinBetweenClosedSubPaths) {
  // The join runs from the second box's first node (10,-5) back to the first box's (-20,-5),
  // like the bridge the raster draws; an open second sub-path has none.
  for (bool closed : {true, false}) {
    TNestSbpOneRec second = BoxPath(10, 20, -5, 5);
    if (!closed) second.Attr = kSbpOuter;
    TEngineState E = Engine(100, 100);
    AddRecord(E, Record({BoxPath(-20, -10, -5, 5), second}));
    NewSheet(E);
    E.Blocks.Item[0].m.Set(50, 45, true);
    TCollision c;
    EXPECT_TRUE(NodesFit(E, 0, 50, 50, 0, c));
    EXPECT_EQ(CellsFit(E, 0, 0, 50, 50, 0, c), !closed);
  }
}

TEST(FitTests, TheProbeAndCellsBeyondTheSheet) {
  TEngineState E = OneBox(100, 100, -5, 5, -5, 5);
  TCollision c;
  // Beyond the raster counts as occupied, and the cell is recorded as it is.
  EXPECT_FALSE(NodesFit(E, 0, 3, 50, 0, c));
  EXPECT_EQ(c.cx, -2);
  EXPECT_FALSE(CellsFit(E, 0, 0, 50, 97, 0, c));
  EXPECT_EQ(c.cy, 101);
  // The probe's points only guess: one beyond the sheet is free for the probe, and the node
  // test reading the same corner keeps the shape on the sheet.
  c = TCollision{7, 7};
  EXPECT_TRUE(ProbeFit(E, 0, 98, 50, 0, c));
  EXPECT_EQ(c.cx, -1);
  EXPECT_FALSE(NodesFit(E, 0, 98, 50, 0, c));
  EXPECT_GT(c.cx, 100);
  EXPECT_TRUE(NodesFit(E, 0, 95, 95, 0, c));
  // The centre is read only when it lies on the shape; a passing probe records no cell.
  E.Blocks.Item[0].m.Set(50, 50, true);
  c = TCollision{7, 7};
  EXPECT_TRUE(ProbeFit(E, 0, 50, 50, 0, c));
  EXPECT_EQ(c.cx, -1);
  E.NestRecords.Shape[0].CenterIsOnShape = true;
  EXPECT_FALSE(ProbeFit(E, 0, 50, 50, 0, c));
  EXPECT_EQ(c.cy, 50);
  // An occupied characteristic point on the sheet fails the probe and is recorded.
  const TNestNode& k4 = E.NestRecords.Shape[0].CPS[4];
  E.Blocks.Item[0].m.Set(70 + k4.x, 70 + k4.y, true);
  EXPECT_FALSE(ProbeFit(E, 0, 70, 70, 0, c));
  EXPECT_EQ(c.cx, 70 + k4.x);
  EXPECT_EQ(c.cy, 70 + k4.y);
}

// ---- Look-alike start -----------------------------------------------------------------------

TEST(LookAlikeStart, TakesTheHighestSheetAndRowOfOtherPlacedRecordsOfTheFamily) {
  TEngineState E = Engine(100, 100);
  for (int k = 0; k < 8; ++k) AddRecord(E, Box(-5, 5, -5, 5));
  auto set = [&E](int r, int like, bool placed, int sheet, int minY) {
    E.NestRecords.Shape[r].LooksLike = like;
    E.NestRecords.Shape[r].Place.placed = placed;
    E.NestRecords.Shape[r].Place.sheetNo = sheet;
    E.NestRecords.Shape[r].Place.VeryMinY = minY;
  };
  set(1, 0, true, 2, 50);  // the record named by LooksLike: its own value differs
  set(2, 1, true, 0, 40);
  set(3, 1, true, 5, 80);  // the record searched for: its own placement never counts
  set(4, 1, true, 1, 30);
  set(5, 1, true, 1, 15);
  set(6, 1, false, 3, 99);  // not placed
  set(7, 2, true, 4, 70);   // another family
  const TLookAlikeStart s = LookAlikeStart(E, 3);
  EXPECT_EQ(s.Sheet, 1);
  EXPECT_EQ(s.Row, 30);
  set(3, 0, false, 0, 0);
  EXPECT_EQ(LookAlikeStart(E, 3).Row, 1);
  // A second identical shape starts its search at the first one's lowest row: 40 + 5 for the
  // coarse search; each downward refinement then walks one step at most: 45 -> 41 -> 37.
  NewSheet(E);
  set(3, 1, false, 0, 0);
  set(4, 0, false, 0, 0);
  set(5, 0, false, 0, 0);
  ASSERT_TRUE(Place(E, 3));
  EXPECT_EQ(PlaceOf(E, 3).y, 37);
  EXPECT_EQ(PlaceOf(E, 3).TopY, 50);
}

// ---- FindPlace --------------------------------------------------------------------------------

TEST(FindPlace, TheFirstShapeGoesToTheOriginCornerAndStaysThere) {
  for (bool left : {true, false}) {
    TEngineState E = OneBox(100, 100, -2, 8, -3, 4);
    E.NestParams.Origin_point = left;
    int score = 0;
    ASSERT_TRUE(FindPlace(E, 0, 1.0, score));
    const TNestPlacedShape& p = PlaceOf(E, 0);
    EXPECT_EQ(left ? p.x - 2 : p.x + 8, left ? 1 : 99);  // box at column 1 or Media_W - 1
    EXPECT_EQ(p.y - 3, 1);                               // box at row 1
    EXPECT_EQ(p.TopY, p.y + 4);
    EXPECT_EQ(p.VeryMinY, 1);
    EXPECT_EQ(score, p.y + 4);
    score = 1000;
    ASSERT_TRUE(FindPlace(E, 0, 1.0, score));
    EXPECT_EQ(score, 1000);  // the score only rises
  }
}

TEST(FindPlace, AnglesTooWideForTheSheetAreSkipped) {
  // 60 wide at 0 and 180 degrees, 10 wide at 90 and 270, on a 40 wide sheet.
  TEngineState E = OneBox(40, 200, -30, 30, -5, 5, 4);
  ASSERT_TRUE(Place(E, 0));
  const TNestPlacedShape& p = PlaceOf(E, 0);
  EXPECT_EQ(p.AngC, 1);
  EXPECT_DOUBLE_EQ(p.a, std::numbers::pi / 2);
  EXPECT_EQ(p.x, 6);
  EXPECT_EQ(p.y, 31);
  EXPECT_EQ(E.NestRecords.Shape[0].Sbp[0].Node[0].x, 5);  // nodes left at the accepted angle
}

TEST(FindPlace, NewSheetsAndContainers) {
  // Too large at every angle: not placed, but the call opens one sheet (never more).
  TEngineState big = OneBox(40, 40, -30, 30, -30, 30, 4);
  EXPECT_FALSE(Place(big, 0));
  EXPECT_EQ(big.Blocks.Count, 2);
  // A full or closed sheet sends the shape to a new one; sheets count from 0 in the score.
  for (bool closed : {false, true}) {
    TEngineState E = OneBox(100, 100, -5, 5, -5, 5);
    if (closed) E.Blocks.Item[0].EnableToPlace = false;
    if (!closed) E.Blocks.Item[0].m.Fill(true);
    int score = 0;
    ASSERT_TRUE(FindPlace(E, 0, 1.0, score));
    EXPECT_EQ(PlaceOf(E, 0).sheetNo, 1);
    EXPECT_EQ(score, 100 + 6 + 5);
  }
  // A container has one sheet: a full one leaves the shape unplaced; a 13 x 13 gap takes the
  // 11 x 11 box, found at (31, 31) and refined into the gap's middle.
  TEngineState E = OneBox(100, 100, -5, 5, -5, 5);
  E.NestParams.Media_Container = true;
  E.Blocks.Item[0].m.Fill(true);
  EXPECT_FALSE(Place(E, 0));
  EXPECT_EQ(E.Blocks.Count, 1);
  for (int x = 24; x <= 36; ++x) {
    for (int y = 24; y <= 36; ++y) E.Blocks.Item[0].m.Set(x, y, false);
  }
  ASSERT_TRUE(Place(E, 0));
  EXPECT_EQ(PlaceOf(E, 0).x, 30);
  EXPECT_EQ(PlaceOf(E, 0).y, 30);
}

TEST(FindPlace, RecordsWithNothingToSearchAreNeverPlaced) {
  TEngineState E = Engine(100, 100);
  TNestOneRec empty = Box(-5, 5, -5, 5);
  empty.Sbp[0].Node.clear();
  empty.Sbp[0].NodeCount = 0;
  AddRecord(E, empty);
  TNestOneRec none = Box(-5, 5, -5, 5);
  none.Sbp.clear();
  none.SbpCount = 0;
  AddRecord(E, none);
  AddRecord(E, Box(-5, 5, -5, 5));
  E.NestRecords.Shape[2].AnglesSRR.Count = 0;
  NewSheet(E);
  EXPECT_FALSE(Place(E, 0));
  EXPECT_FALSE(Place(E, 1));
  EXPECT_EQ(E.Blocks.Count, 1);
  EXPECT_FALSE(Place(E, 2));
  E.NestRecords.Shape[2].AnglesSRR.Count = 9;  // beyond the table: read as its size
  EXPECT_TRUE(Place(E, 2));
}

TEST(FindPlace, SkippingBlockedRowsEndsAtTheSheetTopAndWithAZeroStep) {
  // Top 2 cells above the centre: the skipping walks up to rows past the raster's top (free
  // for skip reads) and the shape lands in the strip left above row 100.
  TEngineState E = OneBox(60, 127, -5, 5, -20, 2);
  Occupy(E, 0, 0, 60, 0, 100);
  ASSERT_TRUE(Place(E, 0));
  EXPECT_EQ(PlaceOf(E, 0).y, 121);
  TEngineState Z = OneBox(100, 100, -5, 5, -5, 5);
  Z.NestParams.Pass_OXY = 0;
  Occupy(Z, 0, 0, 100, 0, 20);
  ASSERT_TRUE(Place(Z, 0));
  EXPECT_EQ(PlaceOf(Z, 0).y, 26);
}

TEST(FindPlace, FitShapesDecidesHowMuchLowerAFartherColumnMustBe) {
  // A 20 x 80 shape; a block in the lower left corner holds the first column up to row 66, and
  // from column 36 on the shape fits 25 rows lower. "Bottom (best)" asks 30 % of 40 + 5 = 17
  // rows and moves right; "Side" asks 90 % of 40 + 5 = 41 rows and stays.
  for (int percent : {30, 90}) {
    TEngineState E = OneBox(200, 300, -10, 10, -40, 40);
    E.NestParams.Align_Left_Percent = percent;
    Occupy(E, 0, 0, 25, 0, 25);
    ASSERT_TRUE(Place(E, 0));
    EXPECT_EQ(PlaceOf(E, 0).x, percent == 30 ? 36 : 11);
    EXPECT_EQ(PlaceOf(E, 0).y, percent == 30 ? 41 : 66);
  }
}

TEST(FindPlace, AFailedProbeStillLetsTheFullTestAccept) {
  // The centre is said to lie on the shape and its cell is occupied, but it lies in the frame's
  // hole, where shapes may go: the shape's cells are free.
  TEngineState E = Engine(100, 100);
  E.NestParams.PlaceInside_Enable = true;
  AddRecord(E, Record({BoxPath(-5, 5, -5, 5), BoxPath(-3, 3, -3, 3, false)}));
  NewSheet(E);
  E.NestRecords.Shape[0].CenterIsOnShape = true;
  E.Blocks.Item[0].m.Set(6, 6, true);
  ASSERT_TRUE(Place(E, 0));
  EXPECT_EQ(PlaceOf(E, 0).x, 6);
  EXPECT_EQ(PlaceOf(E, 0).y, 6);
}

// ---- Refinement -------------------------------------------------------------------------------

TEST(RefinePlace, WalksWithinTheLastStepAndKeepsOneCellBack) {
  // Down: coarse rows 6, 11, ... hit a block up to row 22 and 31 is accepted; the lowest free
  // row is 28 and the refinement keeps 29. TopY and VeryMinY stay those of the coarse search.
  TEngineState E = OneBox(100, 100, -5, 5, -5, 5);
  Occupy(E, 0, 0, 100, 0, 22);
  ASSERT_TRUE(Place(E, 0));
  EXPECT_EQ(PlaceOf(E, 0).y, 29);
  EXPECT_EQ(PlaceOf(E, 0).TopY, 36);
  EXPECT_EQ(PlaceOf(E, 0).VeryMinY, 26);
  // Sideways: coarse columns reach 21 (from the left) or 79 (from the right); walking back
  // toward the edge the outermost free columns are 18 and 82, one cell back 19 and 81.
  for (bool left : {true, false}) {
    TEngineState S = OneBox(100, 100, -5, 5, -5, 5);
    S.NestParams.Origin_point = left;
    Occupy(S, 0, left ? 0 : 88, left ? 12 : 100, 0, 100);
    ASSERT_TRUE(Place(S, 0));
    EXPECT_EQ(PlaceOf(S, 0).x, left ? 19 : 81);
    EXPECT_EQ(PlaceOf(S, 0).y, 6);
  }
}

}  // namespace plavo
