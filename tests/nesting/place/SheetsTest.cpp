#include "nesting/place/Sheets.h"

#include <gtest/gtest.h>

namespace plavo {

namespace {

TEngineState SheetEngine(int W, int H, int Padding = 0) {
  TEngineState E;
  E.NestParams.Media_W = static_cast<uint16_t>(W);
  E.NestParams.Media_H = static_cast<uint16_t>(H);
  E.NestParams.Padding = static_cast<uint16_t>(Padding);
  E.Exact.Padding = Padding;
  return E;
}

int OccupiedInColumn(const TBooleanMatrix& M, int x) {
  int n = 0;
  for (int y = 0; y < M.Height(); ++y) n += M.Get(x, y) ? 1 : 0;
  return n;
}

}  // namespace

TEST(Sheets, NewSheetHasThePaddingBandOccupied) {
  // 200 rows span four 64-bit words per column, so the top band crosses word boundaries.
  for (int padding : {0, 10, 60}) {
    TEngineState E = SheetEngine(100, 200, padding);
    NewSheet(E);
    ASSERT_EQ(E.Blocks.Count, 1);
    const TBlockSingle& s = E.Blocks.Item[0];
    EXPECT_TRUE(s.EnableToPlace);
    EXPECT_FALSE(s.ContourCreated);
    ASSERT_EQ(s.m.Width(), 101);
    ASSERT_EQ(s.m.Height(), 201);
    for (int x = 0; x <= 100; ++x) {
      for (int y = 0; y <= 200; ++y) {
        // Every cell whose square reaches into the padding: cell k covers k - 0.5 .. k + 0.5.
        const bool band = padding > 0 && (x <= padding || x >= 100 - padding || y <= padding ||
                                          y >= 200 - padding);
        ASSERT_EQ(s.m.Get(x, y), band) << "padding " << padding << ", cell " << x << ", " << y;
      }
    }
  }
}

TEST(Sheets, LargestSheetStaysWithinTheMemoryBudget) {
  TEngineState E = SheetEngine(10000, 10000, 200);
  NewSheet(E);
  const TBooleanMatrix& m = E.Blocks.Item[0].m;
  EXPECT_LE(static_cast<size_t>(m.Width()) * m.WordsPerColumn() * 8, 13'000'000u);
  EXPECT_TRUE(m.Get(5000, 9800));
  EXPECT_FALSE(m.Get(5000, 9799));
}

TEST(Sheets, BlockPositionsFollowTheBlockOrder) {
  // Drawing from x = 20 to 300, 150 high; sheets 500 x 400, 100 apart.
  struct TCase {
    int Order;
    double X[3];
    double Y[3];
  };
  const TCase cases[] = {{0, {-480, 120, 720}, {300, 300, 300}},
                         {1, {-480, -1080, -1680}, {300, 300, 300}},
                         {2, {300, 300, 300}, {300, 800, 1300}},
                         {3, {-480, -480, -480}, {300, -200, -700}}};
  for (const TCase& c : cases) {
    TEngineState E = SheetEngine(500, 400);
    E.DrawingFrame = TDrawingFrame{20.0, 300.0, 280.0, 150.0};
    E.NestParams.Orientation_Dis = 100;
    E.NestParams.Orientation_CB = static_cast<uint16_t>(c.Order);
    for (int i = 0; i < 3; ++i) {
      NewSheet(E);
      EXPECT_DOUBLE_EQ(E.Blocks.Item[i].Position.x, c.X[i]) << "order " << c.Order << " #" << i;
      EXPECT_DOUBLE_EQ(E.Blocks.Item[i].Position.y, c.Y[i]) << "order " << c.Order << " #" << i;
    }
  }
}

TEST(Sheets, SnapshotsRestoreSheetsAndPlacements) {
  TEngineState E = SheetEngine(100, 100);
  E.NestParams.Orientation_Dis = 10;
  InitRecords(E, 1);
  E.NestRecords.Count = 1;
  TNestPlacedShape& place = E.NestRecords.Shape[0].Place;
  NewSheet(E);
  NewSheet(E);
  E.Blocks.Item[0].m.Set(5, 5, true);
  E.Blocks.Item[1].EnableToPlace = false;
  E.Blocks.Item[1].HasShape = true;
  place = TNestPlacedShape{10, 20, 0.5, 3, true, true, 1, 4, 30};
  Snapshot(E, kSaveSheets);
  Snapshot(E, kSavePlacements);

  // A trial draws on the sheets, opens two more and moves the shape.
  E.Blocks.Item[0].m.Set(7, 7, true);
  E.Blocks.Item[0].m.Set(5, 5, false);
  E.Blocks.Item[1].EnableToPlace = true;
  NewSheet(E);
  NewSheet(E);
  place = TNestPlacedShape{};
  EXPECT_FALSE(E.SavedBlocks.Item[0].m.Get(7, 7)) << "the saved copy must not share cells";

  Snapshot(E, kRestoreSheets);
  Snapshot(E, kRestorePlacements);
  ASSERT_EQ(E.Blocks.Count, 2);
  ASSERT_EQ(E.Blocks.Item.size(), 2u);
  EXPECT_TRUE(E.Blocks.Item[0].m.Get(5, 5));
  EXPECT_FALSE(E.Blocks.Item[0].m.Get(7, 7));
  EXPECT_FALSE(E.Blocks.Item[1].EnableToPlace);
  EXPECT_TRUE(E.Blocks.Item[1].HasShape) << "kept sheets keep their layout fields";
  EXPECT_EQ(place.y, 20);
  EXPECT_EQ(place.TopY, 30);
  EXPECT_TRUE(place.placed);
  // A sheet opened after the restore takes the next place in the layout again.
  NewSheet(E);
  EXPECT_DOUBLE_EQ(E.Blocks.Item[2].Position.x, -100.0 + 220.0);
}

TEST(Sheets, CloseColorGroupOnDifferentSheetsDisablesEverySheet) {
  TEngineState E = SheetEngine(50, 50);
  NewSheet(E);
  NewSheet(E);
  E.NestParams.Media_ByColor = 2;  // same sheet: nothing to close
  CloseColorGroup(E);
  EXPECT_TRUE(E.Blocks.Item[0].EnableToPlace && E.Blocks.Item[1].EnableToPlace);
  E.NestParams.Media_ByColor = 1;
  CloseColorGroup(E);
  EXPECT_FALSE(E.Blocks.Item[0].EnableToPlace || E.Blocks.Item[1].EnableToPlace);
}

TEST(Sheets, CloseColorGroupWithoutMixFillsBelowTheHighestCell) {
  TEngineState E = SheetEngine(100, 400);
  NewSheet(E);
  TBooleanMatrix& m = E.Blocks.Item[0].m;
  m.Set(10, 2, true);  // rows 1 and 2 alone do not count
  m.Set(20, 300, true);
  m.Set(30, 100, true);
  m.Set(30, 250, true);
  m.Set(40, 400, true);  // the top row is where the walk starts
  m.Set(0, 300, true);   // column 0 is never filled
  m.Set(50, 3, true);
  const TBooleanMatrix before = m;
  E.NestParams.Media_ByColor = 0;
  CloseColorGroup(E);
  EXPECT_EQ(m, before) << "\"No\" leaves the sheets alone";

  E.NestParams.Media_ByColor = 3;
  CloseColorGroup(E);
  EXPECT_EQ(OccupiedInColumn(m, 10), 1);
  EXPECT_FALSE(m.Get(10, 1));
  for (int y = 1; y <= 300; ++y) ASSERT_TRUE(m.Get(20, y)) << y;
  EXPECT_FALSE(m.Get(20, 0));
  EXPECT_FALSE(m.Get(20, 301));
  EXPECT_EQ(OccupiedInColumn(m, 30), 250);
  EXPECT_EQ(OccupiedInColumn(m, 40), 400);
  EXPECT_EQ(OccupiedInColumn(m, 0), 1);
  EXPECT_EQ(OccupiedInColumn(m, 50), 3);
  EXPECT_EQ(OccupiedInColumn(m, 60), 0);
}

TEST(Sheets, CloseColorGroupWithoutMixStartsBelowThePaddingBand) {
  TEngineState E = SheetEngine(100, 100, 10);
  E.NestParams.Media_ByColor = 3;
  NewSheet(E);
  TBooleanMatrix& m = E.Blocks.Item[0].m;
  m.Set(50, 40, true);
  m.Set(70, 89, true);  // the row just below the band is the first one looked at
  CloseColorGroup(E);
  for (int y = 1; y <= 40; ++y) ASSERT_TRUE(m.Get(50, y)) << y;
  EXPECT_FALSE(m.Get(50, 41));
  EXPECT_EQ(OccupiedInColumn(m, 70), 101);
  // A column with nothing placed keeps its free cells for the next colour group.
  EXPECT_EQ(OccupiedInColumn(m, 60), 22);
}

}  // namespace plavo
