#include "nesting/prepare/RunPreparation.h"

#include <limits>
#include <utility>

#include <gtest/gtest.h>

namespace plavo {

namespace {

TEngineState EngineWithRecords(int n) {
  TEngineState E;
  InitRecords(E, n);
  E.NestRecords.Count = static_cast<uint16_t>(n);
  return E;
}

TNestSbpOneRec SubPath(double Left) {
  TNestSbpOneRec s;
  s.Attr = 0x111;
  s.Rect = TNestRect::MakeLRBT(Left, Left + 1.0, 0.0, 1.0);
  return s;
}

// Three recognisable outlines: two exact sub-paths (Left 1), one rectangle (Left 2), one box
// (Left 3); CopiedList tells which of them Sbp holds (0: none).
void GiveOutlines(TNestOneRec& r, int UserAttr = kUserAttrDefault) {
  r.SbpBez = {SubPath(1.0), SubPath(1.5)};
  r.SbpRec = {SubPath(2.0)};
  r.SbpCom = {SubPath(3.0)};
  r.SbpBezCount = 2;
  r.SbpRecCount = r.SbpComCount = 1;
  r.SbpBezAdded = r.SbpRecAdded = r.SbpComAdded = true;
  r.UserAttr = UserAttr;
}

int CopiedList(const TNestOneRec& r) {
  return r.SbpCount == 0 ? 0 : static_cast<int>(r.Sbp[0].Rect.Left);
}

TQarvShapes ShapesWithColors(int n) {
  TQarvShapes shapes;
  for (int i = 0; i < n; ++i) {
    TQarvOneShape s;
    s.SetColor(TShapeColor{i, -1, 1.0});
    shapes.AddShape(s, false);
  }
  return shapes;
}

}  // namespace

TEST(RunPreparation, SheetSizeIsReducedByTheMarginAndNeverBelowTen) {
  TEngineState E;
  TQarvShapes shapes;
  TNestSettings s;
  s.Media_Height = 600.0;
  s.Margin = 12.7;
  ReadParameters(E, s, shapes);
  EXPECT_EQ(E.NestParams.Media_W, 987);
  EXPECT_EQ(E.NestParams.Media_H, 587);
  s.Media_Width = 50.0;
  s.Margin = 200.0;
  ReadParameters(E, s, shapes);
  EXPECT_EQ(E.NestParams.Media_W, 10);
  EXPECT_EQ(E.NestParams.Media_H, 400);
}

TEST(RunPreparation, ControlValuesAreTruncatedAndMapped) {
  TEngineState E;
  TQarvShapes shapes;
  TNestSettings s;
  s.Padding = 7.9;
  s.Distance = 5.7;
  s.Orientation_distance = 99.9;
  s.Origin_point = 1;
  s.Fitting_CB = 1;
  ReadParameters(E, s, shapes);
  EXPECT_EQ(E.NestParams.Padding, 7);
  EXPECT_EQ(E.NestParams.Distance, 5);
  // The engine keeps both as typed.
  EXPECT_DOUBLE_EQ(E.Exact.Padding, 7.9);
  EXPECT_DOUBLE_EQ(E.Exact.Distance, 5.7);
  EXPECT_EQ(E.NestParams.Orientation_Dis, 99);
  EXPECT_FALSE(E.NestParams.Origin_point);
  EXPECT_EQ(E.NestParams.Align_Left_Percent, 60);
  s.Origin_point = 0;
  s.Fitting_CB = 2;
  ReadParameters(E, s, shapes);
  EXPECT_TRUE(E.NestParams.Origin_point);
  EXPECT_EQ(E.NestParams.Align_Left_Percent, 90);
}

TEST(RunPreparation, SettingsOutsideTheControlsLimitsAreLimited) {
  TEngineState E;
  TQarvShapes shapes;
  TNestSettings s;
  s.Media_Width = 1e9;
  s.Media_Height = std::numeric_limits<double>::quiet_NaN();
  s.Margin = -5.0;
  s.Padding = 1e12;
  s.Distance = 0.0;
  s.Orientation_distance = -1e300;
  s.Fitting_CB = 1000000000;  // would overflow index x 30
  s.Orientation_CB = 4;
  ReadParameters(E, s, shapes);
  EXPECT_EQ(E.NestParams.Media_W, 10000);
  EXPECT_EQ(E.NestParams.Media_H, 1000);
  EXPECT_EQ(E.NestParams.Padding, 200);
  EXPECT_DOUBLE_EQ(E.Exact.Distance, 0.1);  // the field's least distance
  EXPECT_EQ(E.NestParams.Distance, 0);
  EXPECT_EQ(E.NestParams.Orientation_Dis, 0);
  EXPECT_EQ(E.NestParams.Align_Left_Percent, 30);
  EXPECT_EQ(E.NestParams.Orientation_CB, 0);
}

TEST(RunPreparation, BatchSizeIsAFifthOfTheRecordsWithinTenToThirty) {
  TQarvShapes shapes;
  const std::pair<int, int> cases[] = {{0, 10}, {4, 10}, {54, 10}, {120, 24}, {500, 30}};
  for (const auto& [records, batch] : cases) {
    TEngineState E = EngineWithRecords(records);
    ReadParameters(E, TNestSettings{}, shapes);
    EXPECT_EQ(E.NestParams.G_Group, batch) << records << " records";
  }
}

TEST(RunPreparation, LastMarkedContainerBecomesRecordAndShapeZero) {
  TEngineState E = EngineWithRecords(6);
  TQarvShapes shapes = ShapesWithColors(6);
  for (int i = 0; i < 6; ++i) E.NestRecords.Shape[i].Original.Color = i;
  E.NestRecords.Shape[2].UserAttr = kUserAttrDefault | kUserContainer;
  E.NestRecords.Shape[5].UserAttr = kUserAttrDefault | kUserContainer;
  E.NestRecords.Shape[5].SbpLastFillType = 3;
  TNestSettings s;
  s.Padding = 20.0;
  s.Media_ByColor = 1;
  s.Genetics_Check = true;
  ReadParameters(E, s, shapes);
  EXPECT_TRUE(E.NestParams.Media_Container);
  EXPECT_EQ(E.NestParams.Padding, 0);
  EXPECT_EQ(E.NestParams.Media_ByColor, 0);
  EXPECT_FALSE(E.NestParams.G_Enable);
  // The whole record moves, not just its colour.
  EXPECT_EQ(E.NestRecords.Shape[0].Original.Color, 5);
  EXPECT_EQ(E.NestRecords.Shape[0].SbpLastFillType, 3);
  EXPECT_EQ(E.NestRecords.Shape[5].Original.Color, 0);
  EXPECT_EQ(E.NestRecords.Shape[5].SbpLastFillType, -1);
  EXPECT_EQ(shapes.GetShape(0)->Color().Fill, 5);
  EXPECT_EQ(shapes.GetShape(5)->Color().Fill, 0);
  EXPECT_EQ(shapes.GetShape(2)->Color().Fill, 2);

  // With one container (as the shape menu keeps it) the next run leaves the order alone.
  E.NestRecords.Shape[2].UserAttr = kUserAttrDefault;
  ReadParameters(E, s, shapes);
  EXPECT_TRUE(E.NestParams.Media_Container);
  EXPECT_EQ(E.NestRecords.Shape[0].Original.Color, 5);
  EXPECT_EQ(shapes.GetShape(0)->Color().Fill, 5);
  // Without a container the window's settings stay.
  E.NestRecords.Shape[0].UserAttr = kUserAttrDefault;
  ReadParameters(E, s, shapes);
  EXPECT_FALSE(E.NestParams.Media_Container);
  EXPECT_EQ(E.NestParams.Padding, 20);
  EXPECT_TRUE(E.NestParams.G_Enable);
}

TEST(RunPreparation, ResetRunClearsThePreviousRunButKeepsPositions) {
  TEngineState E = EngineWithRecords(1);
  ReportFailure(E, TFailureSource::Engine, "the previous run failed");
  E.NestRecords.Shape[0].Place = TNestPlacedShape{11, 12, 1.25, 4, true, true, 3, 7, 40};
  E.Blocks.Item.resize(2);
  E.Blocks.Count = 2;
  E.SavedBlocks.Item.resize(1);
  E.SavedBlocks.Count = 1;
  ResetRun(E);
  EXPECT_FALSE(E.ErrorFlag());
  const TNestPlacedShape& p = E.NestRecords.Shape[0].Place;
  EXPECT_FALSE(p.EnableToPlace || p.placed);
  EXPECT_EQ(p.sheetNo, 0);
  EXPECT_EQ(p.VeryMinY, 0);
  EXPECT_EQ(p.x, 11);
  EXPECT_EQ(p.AngC, 4);
  EXPECT_EQ(p.TopY, 40);
  EXPECT_EQ(E.NestRecords.Shape[0].PlaceTemp.x, 11);
  EXPECT_FALSE(E.NestRecords.Shape[0].PlaceTemp.placed);
  EXPECT_EQ(E.Blocks.Count + E.SavedBlocks.Count, 0);
  EXPECT_TRUE(E.Blocks.Item.empty() && E.SavedBlocks.Item.empty());
}

TEST(RunPreparation, CopySubPathsCopiesTheFirstEntriesDeeply) {
  TEngineState E = EngineWithRecords(1);
  TNestOneRec& r = E.NestRecords.Shape[0];
  GiveOutlines(r);
  CopySubPaths(E, 0, 1, r.SbpBez);
  ASSERT_EQ(r.SbpCount, 1);
  ASSERT_EQ(r.Sbp.size(), 1u);
  r.Sbp[0].Rect.Left = 99.0;
  EXPECT_DOUBLE_EQ(r.SbpBez[0].Rect.Left, 1.0);
  // A count beyond the list copies what is there; a list may be copied onto itself.
  CopySubPaths(E, 0, 7, r.SbpBez);
  EXPECT_EQ(r.SbpCount, 2);
  CopySubPaths(E, 0, 1, r.Sbp);
  EXPECT_EQ(r.SbpCount, 1);
  EXPECT_DOUBLE_EQ(r.Sbp[0].Rect.Left, 1.0);
  CopySubPaths(E, 0, -3, r.SbpRec);
  EXPECT_TRUE(r.SbpCount == 0 && r.Sbp.empty());
}

TEST(RunPreparation, ApproximationFollowsWindowShapeCodeAndTextLikeness) {
  TEngineState E = EngineWithRecords(6);
  std::vector<TNestOneRec>& r = E.NestRecords.Shape;
  GiveOutlines(r[0]);
  GiveOutlines(r[1]);
  r[1].AnalyzeVal = 2;
  GiveOutlines(r[2], 0x121);   // high
  GiveOutlines(r[3], 0x131);   // middle
  GiveOutlines(r[4], 0x141);   // low
  GiveOutlines(r[5], 0x1141);  // container, low
  E.NestParams.Approximation = 0;
  ChooseApproximation(E);
  const int autoLists[] = {1, 2, 1, 2, 3, 1};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(CopiedList(r[i]), autoLists[i]) << "auto, " << i;
  EXPECT_EQ(r[0].SbpCount, 2);
  EXPECT_EQ(r[1].SbpLastFillType, 2);

  E.NestParams.Approximation = 3;
  r[2].UserAttr = 0x101;  // a group value of 0 counts as "Default"
  ChooseApproximation(E);
  const int draftLists[] = {3, 3, 3, 2, 3, 1};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(CopiedList(r[i]), draftLists[i]) << "draft, " << i;
}

TEST(RunPreparation, MissingListsFallBackAndAreRetriedEveryRun) {
  TEngineState E = EngineWithRecords(3);
  std::vector<TNestOneRec>& r = E.NestRecords.Shape;
  GiveOutlines(r[0], 0x1111);  // container without its exact outline
  r[0].SbpBezAdded = false;
  GiveOutlines(r[1]);
  r[1].SbpBezAdded = r[1].SbpRecAdded = false;
  GiveOutlines(r[2]);  // failed altogether
  r[2].SbpBezAdded = r[2].SbpRecAdded = r[2].SbpComAdded = false;
  r[2].SbpComCount = 0;
  r[2].SbpCom.clear();
  E.NestParams.Approximation = 1;
  ChooseApproximation(E);
  EXPECT_EQ(CopiedList(r[0]), 2);
  EXPECT_EQ(CopiedList(r[1]), 3);
  EXPECT_EQ(r[1].SbpLastFillType, 1) << "the choice before the fallback is remembered";
  EXPECT_TRUE(r[2].SbpCount == 0 && r[2].Sbp.empty());
}

TEST(RunPreparation, SecondRunWithTheSameChoiceKeepsTheCopy) {
  TEngineState E = EngineWithRecords(1);
  TNestOneRec& r = E.NestRecords.Shape[0];
  GiveOutlines(r);
  E.NestParams.Approximation = 1;
  ChooseApproximation(E);
  ASSERT_EQ(CopiedList(r), 1);
  r.Sbp[0].NodeCount = 42;  // the analysis of the first run rewrites the outline in place
  ChooseApproximation(E);
  EXPECT_EQ(r.Sbp[0].NodeCount, 42);
  E.NestParams.Approximation = 2;
  ChooseApproximation(E);
  EXPECT_EQ(CopiedList(r), 2);
  EXPECT_EQ(r.Sbp[0].NodeCount, 0);
}

}  // namespace plavo
