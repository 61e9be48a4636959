#include "nesting/prepare/RunPreparation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace plavo {

namespace {

constexpr int kMinSheetCells = 10;
constexpr uint16_t kCoarseStep = 5;
constexpr uint16_t kAngleStep = 15;
constexpr uint16_t kTrialOrders = 10;
constexpr int kMinBatch = 10;
constexpr int kMaxBatch = 30;

// A value the way the window's spin edit holds it: limited to the control's range, and the
// default when it is not a number at all.
double LimitValue(double Value, TFieldRange Range, double Default) {
  if (std::isnan(Value)) return Default;
  return std::clamp(Value, Range.Min, Range.Max);
}

// A list control holds one of its items; anything else reads as the first item.
int LimitIndex(int Index, int ItemCount) {
  return Index >= 0 && Index < ItemCount ? Index : 0;
}

// Truncation toward zero, stored in a Word. The value is already within the controls'
// limits; the clamp keeps the narrowing defined whatever the caller passes.
uint16_t TruncWord(double Value) {
  return static_cast<uint16_t>(std::clamp(std::trunc(Value), 0.0, 65535.0));
}

uint16_t SheetCells(double Size, double Margin) {
  return std::max<uint16_t>(TruncWord(Size - Margin), kMinSheetCells);
}

uint16_t BatchSize(int RecordCount) {
  return static_cast<uint16_t>(std::clamp(RecordCount / 5, kMinBatch, kMaxBatch));
}

void FillParameters(TEngineState& E, const TNestSettings& S) {
  E.Exact = TExactLengths{S.Distance, S.Padding};
  TeNestParameters& p = E.NestParams;
  p.Media_W = SheetCells(S.Media_Width, S.Margin);
  p.Media_H = SheetCells(S.Media_Height, S.Margin);
  p.Padding = TruncWord(S.Padding);
  p.Origin_point = S.Origin_point == 0;
  p.Media_ByColor = static_cast<uint16_t>(S.Media_ByColor);
  p.Approximation = static_cast<uint16_t>(S.Approximation_CB);
  p.Pass_OXY = kCoarseStep;
  p.Pass_Angle = kAngleStep;
  p.Distance = TruncWord(S.Distance);
  p.PlaceInside_Enable = S.Inside_Check;
  p.G_Enable = S.Genetics_Check;
  p.G_Group = BatchSize(E.NestRecords.Count);
  p.G_Mut = kTrialOrders;
  p.PreserveOrd = false;
  p.Rotate = static_cast<uint16_t>(S.Rotate_90);
  p.Multiply = false;
  p.Multiply_Count = 0;
  p.Align_Left_En = true;
  p.Align_Left_Percent = S.Fitting_CB * 30 + 30;
  p.G_First = true;
  p.Orientation_CB = static_cast<uint16_t>(S.Orientation_CB);
  p.Orientation_Dis = TruncWord(S.Orientation_distance);
}

// The last record marked as container, or -1.
int FindContainer(const TEngineState& E) {
  int container = -1;
  for (int i = 0; i < RecordCount(E); ++i) {
    if (E.NestRecords.Shape[i].UserAttr & kUserContainer) container = i;
  }
  return container;
}

// The container becomes record 0 and shape 0 for good; every other shape is nested into it
// on a single sheet, so colours, the search and the edge padding do not apply.
void SetUpContainer(TEngineState& E, TQarvShapes& Shapes, int k) {
  TeNestParameters& p = E.NestParams;
  p.Padding = 0;
  E.Exact.Padding = 0.0;
  if (k > 0) {
    std::swap(E.NestRecords.Shape[0], E.NestRecords.Shape[k]);
    if (k < Shapes.ShapeCount()) Shapes.ExchangeShapes(0, k);
  }
  p.Media_ByColor = 0;
  p.G_Enable = false;
}

// The outline level a record asks for: 1 exact, 2 rectangles per path, 3 one box.
int RequestedLevel(const TEngineState& E, const TNestOneRec& r) {
  const int code = r.UserAttr & kUserApproxMask;
  // "Default" (and codes the menu does not offer) follow the window's setting.
  int level = code >= 0x20 && code <= 0x40 ? code / 16 - 1 : E.NestParams.Approximation;
  if (level > 3) level = 0;
  if (r.UserAttr & kUserContainerMask) level = 1;
  if (level == 0) level = r.AnalyzeVal == 2 ? 2 : 1;
  return level;
}

}  // namespace

TNestSettings LimitNestSettings(const TNestSettings& S) {
  TNestSettings d;  // the window's defaults
  TNestSettings r = S;
  r.Media_Width = LimitValue(S.Media_Width, kSheetSizeRange, d.Media_Width);
  r.Media_Height = LimitValue(S.Media_Height, kSheetSizeRange, d.Media_Height);
  r.Margin = LimitValue(S.Margin, kSheetBandRange, d.Margin);
  r.Padding = LimitValue(S.Padding, kSheetBandRange, d.Padding);
  r.Distance = LimitValue(S.Distance, kDistanceRange, d.Distance);
  r.Orientation_distance =
      LimitValue(S.Orientation_distance, kBlockDistanceRange, d.Orientation_distance);
  r.Rotate_90 = LimitIndex(S.Rotate_90, 4);
  r.Approximation_CB = LimitIndex(S.Approximation_CB, 4);
  r.Media_ByColor = LimitIndex(S.Media_ByColor, 4);
  r.Origin_point = LimitIndex(S.Origin_point, 2);
  r.Fitting_CB = LimitIndex(S.Fitting_CB, 3);
  r.Orientation_CB = LimitIndex(S.Orientation_CB, 4);
  return r;
}

void ResetRun(TEngineState& E) {
  ClearFailure(E);
  for (TNestOneRec& r : E.NestRecords.Shape) {
    r.Place.EnableToPlace = false;
    r.Place.placed = false;
    r.Place.sheetNo = 0;
    r.Place.VeryMinY = 0;
    r.PlaceTemp = r.Place;
  }
  E.GenOrder = TGenOrder{};
  E.Blocks = TBlock{};
  E.SavedBlocks = TBlock{};
  E.CopySearch.Clear();
}

void ReadParameters(TEngineState& E, const TNestSettings& Settings, TQarvShapes& Shapes) {
  FillParameters(E, LimitNestSettings(Settings));
  const int container = FindContainer(E);
  E.NestParams.Media_Container = container >= 0;
  if (container >= 0) SetUpContainer(E, Shapes, container);
}

void ChooseApproximation(TEngineState& E) {
  const std::vector<int> source = CopySources(E);
  for (int i = 0; i < RecordCount(E); ++i) {
    if (source[static_cast<size_t>(i)] >= 0) continue;  // a copy takes its source's analysis
    TNestOneRec& r = E.NestRecords.Shape[i];
    int level = RequestedLevel(E, r);
    if (level == r.SbpLastFillType) continue;  // the copy of an earlier run stays
    // The choice is remembered before the fallback, so a missing list is retried every run.
    r.SbpLastFillType = level;
    if (level == 1 && !r.SbpBezAdded) level = 2;
    if (level == 2 && !r.SbpRecAdded) level = 3;
    if (level == 1) {
      CopySubPaths(E, i, r.SbpBezCount, r.SbpBez);
    } else if (level == 2) {
      CopySubPaths(E, i, r.SbpRecCount, r.SbpRec);
    } else {
      CopySubPaths(E, i, r.SbpComCount, r.SbpCom);
    }
  }
}

void CopySubPaths(TEngineState& E, int i, int Count, const TNestSbpOneRecArr& Source) {
  TNestOneRec& r = E.NestRecords.Shape[i];
  const size_t n = CountedItems(Source, Count).size();
  // Copied through a temporary so that Source may be Sbp itself.
  TNestSbpOneRecArr copy(Source.begin(), Source.begin() + static_cast<std::ptrdiff_t>(n));
  r.Sbp = std::move(copy);
  r.SbpCount = static_cast<int32_t>(n);
}

}  // namespace plavo
