#include "nesting/model/MosaroUnit.h"

#include <cstring>
#include <type_traits>

#include <gtest/gtest.h>

#include "geometry/ShapesClass.h"

namespace plavo {

// The two boxes keep their sides in different orders: neither may be filled from four bare
// numbers, where one's would land in the other's fields unnoticed.
static_assert(!std::is_constructible_v<TRectDbl, double, double, double, double>);
static_assert(!std::is_constructible_v<TNestRect, double, double, double, double>);

TEST(MosaroUnit, InitRecordsLeavesEveryRecordUncopied) {
  TEngineState E;
  InitRecords(E, 3);
  ASSERT_EQ(E.NestRecords.Shape.size(), 3u);
  for (const TNestOneRec& r : E.NestRecords.Shape) {
    EXPECT_EQ(r.SbpLastFillType, -1);
    EXPECT_EQ(r.SbpCount, 0);
    EXPECT_TRUE(r.Sbp.empty());
    EXPECT_FALSE(r.Place.placed);
    EXPECT_EQ(r.AnglesSRR.Count, 0);
  }
}

TEST(MosaroUnit, ClearEngineStateEmptiesEverything) {
  TEngineState E;
  InitRecords(E, 2);
  E.NestRecords.Count = 2;
  ReportLostShape(E, 1, "no outline");
  E.Blocks.Count = 1;
  E.Blocks.Item.resize(1);
  E.SavedBlocks.Count = 1;
  E.SavedBlocks.Item.resize(1);
  E.ColorOrder.Count = 1;
  E.ColorOrder.Item.resize(1);
  ClearEngineState(E);
  EXPECT_FALSE(E.ErrorFlag());
  EXPECT_TRUE(E.Failure.Lost.empty());
  EXPECT_EQ(E.NestRecords.Count, 0);
  EXPECT_TRUE(E.NestRecords.Shape.empty());
  EXPECT_EQ(E.Blocks.Count, 0);
  EXPECT_TRUE(E.Blocks.Item.empty());
  EXPECT_EQ(E.ColorOrder.Count, 0);
  EXPECT_TRUE(E.SavedBlocks.Item.empty());
}

TEST(MosaroUnit, ResetPlaceKeepsOnlyEnableToPlace) {
  TEngineState E;
  InitRecords(E, 1);
  TNestPlacedShape& p = E.NestRecords.Shape[0].Place;
  p = TNestPlacedShape{5, 6, 1.5, 2, true, true, 3, 4, 7};
  ResetPlace(E, 0);
  EXPECT_TRUE(p.EnableToPlace);
  EXPECT_FALSE(p.placed);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.sheetNo, 0);
  EXPECT_EQ(p.TopY, 0);
  EXPECT_EQ(p.a, 0.0);
}

TEST(BooleanMatrix, PackedCellsReadBackAndPaddingStaysClear) {
  TBooleanMatrix m(3, 70);
  m.Set(2, 69, true);
  m.Set(0, 0, true);
  EXPECT_TRUE(m.Get(2, 69));
  EXPECT_TRUE(m.Get(0, 0));
  EXPECT_FALSE(m.Get(1, 69));
  EXPECT_FALSE(m.GetSafe(3, 0));
  EXPECT_FALSE(m.GetSafe(0, -1));
  m.Invert();
  EXPECT_FALSE(m.Get(2, 69));
  EXPECT_TRUE(m.Get(1, 69));
  // The bits past row 69 of each column must stay zero after the inversion.
  EXPECT_EQ(m.Column(1)[1] >> 6, 0u);
  TBooleanMatrix big(10001, 10001);
  EXPECT_EQ(big.WordsPerColumn(), 157u);
}

}  // namespace plavo
