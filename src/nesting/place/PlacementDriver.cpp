#include "nesting/place/PlacementDriver.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

#include "nesting/place/PositionSearch.h"
#include "nesting/model/RandomBelow.h"
#include "nesting/place/Rasterise.h"
#include "nesting/place/SearchTrials.h"
#include "nesting/place/Sheets.h"
#include "nesting/prepare/RunPreparation.h"

namespace plavo {

namespace {

// Record 0 is the container in container mode; the sheet is its box plus this margin.
constexpr int kContainerMargin = 20;
// Relative size difference under which two shapes count as alike.
constexpr double kLookAlikeTolerance = 0.1;

int RecordTotal(const TEngineState& E) {
  return static_cast<int>(E.NestRecords.Shape.size());
}

uint16_t ClampWord(int64_t Value) {
  return static_cast<uint16_t>(std::clamp<int64_t>(Value, 0, 65535));
}

// Box size of the record at its second trial angle; a record with one trial angle uses the
// first, one without any has size 0.
int64_t SizeKey(const TNestOneRec& Rec) {
  const int n = AngleTotal(Rec);
  if (n == 0) return 0;
  const TNestRectInt& r = Rec.AnglesSRR.Item[n >= 2 ? 1 : 0].Rect;
  return (static_cast<int64_t>(r.Right) - r.Left) + (static_cast<int64_t>(r.Top) - r.Bottom);
}

// |1 - (a + 1) / (b + 1)| < 0.1; a ratio without a denominator never matches.
bool Alike(double A, double B) {
  const double below = B + 1.0;
  if (below == 0.0) return false;
  return std::fabs(1.0 - (A + 1.0) / below) < kLookAlikeTolerance;
}

bool LooksAlike(const TNestOriginalData& R, const TNestOriginalData& S) {
  return Alike(R.Width, S.Width) && Alike(R.Height, S.Height) && Alike(R.Scale, S.Scale);
}

// The records of colour group g that exist.
TOrder GroupOrder(const TEngineState& E, int g) {
  const TColorSingleOrder& group = E.ColorOrder.Item[g];
  const int n = std::clamp<int>(group.ShapeCount, 0, static_cast<int>(group.Shape.size()));
  TOrder order;
  order.reserve(n);
  for (int k = 0; k < n; ++k) {
    const int r = group.Shape[k];
    if (r >= 0 && r < RecordTotal(E)) order.push_back(r);
  }
  return order;
}

// Order position p goes to batch p div G_Group, slot p mod G_Group.
void BuildBatches(TEngineState& E, const TOrder& Order) {
  const int group = std::max<int>(E.NestParams.G_Group, 1);
  const int n = static_cast<int>(Order.size());
  E.GenOrder = TGenOrder{};
  E.GenOrder.Count = n / group + (n % group != 0 ? 1 : 0);
  E.GenOrder.Item.resize(E.GenOrder.Count);
  for (int p = 0; p < n; ++p) {
    TGenSingleOrder& batch = E.GenOrder.Item[p / group];
    batch.Shape.push_back(TGenOneShape{Order[p]});
    batch.ShapeCount = static_cast<int32_t>(batch.Shape.size());
  }
}

// The container is drawn and the sheet inverted, so the sheet is free exactly inside the
// container, away from its outline by the minimum distance.
void SetUpContainerSheet(TEngineState& E) {
  TNestOneRec& container = E.NestRecords.Shape[0];
  container.AnglesSRR.Count = 1;  // the container keeps its orientation
  int score = 0;
  FindPlace(E, 0, 1.0, score);
  DrawPlacedShape(E, 0, false, true, true);
  E.Blocks.Item.back().m.Invert();
  DrawPlacedShape(E, 0, true, false, false);
}

// The container's sheet is its box at the first trial angle plus a margin on every side. It may
// be as large as the largest sheet the settings allow, no larger: a raster of up to 65535 cells
// a side would take half a gigabyte, copied for every thread. False, with the failure reported,
// for a container that needs more.
bool SizeContainerSheet(TEngineState& E) {
  TNestOneRec& container = E.NestRecords.Shape[0];
  container.Place.EnableToPlace = false;
  if (AngleTotal(container) == 0) return true;
  const TNestRectInt& r = container.AnglesSRR.Item[0].Rect;
  const int64_t w = static_cast<int64_t>(r.Right) - r.Left + kContainerMargin;
  const int64_t h = static_cast<int64_t>(r.Top) - r.Bottom + kContainerMargin;
  constexpr auto kLargest = static_cast<int64_t>(kSheetSizeRange.Max);
  if (w > kLargest || h > kLargest) {
    ReportFailure(E, TFailureSource::Drawing,
                  "the container needs a sheet of " + std::to_string(w) + " x " +
                      std::to_string(h) + " mm, larger than the largest sheet of " +
                      std::to_string(kLargest) + " x " + std::to_string(kLargest) + " mm");
    return false;
  }
  E.NestParams.Media_W = ClampWord(w);
  E.NestParams.Media_H = ClampWord(h);
  return true;
}

bool ContainerMode(const TEngineState& E) {
  return E.NestParams.Media_Container && !E.NestRecords.Shape.empty();
}

// The second half of a batch's progress: one step per placed shape of the batch.
void ReportDrawing(TEngineState& E, int i, const TProgressShare& Share) {
  const TGenSingleOrder& batch = E.GenOrder.Item[i];
  for (int j = 0; j < static_cast<int>(batch.Shape.size()); ++j) {
    const int r = batch.Shape[j].ShN;
    if (!E.NestRecords.Shape[r].Place.placed) continue;
    if (StopRequested(E)) return;
    ReportProgress(E, Share.Drawing(j));
  }
}

// Without the search: the batch is placed once, in its order, straight onto the sheets; it is
// never shuffled.
void PlaceBatchOnce(TEngineState& E, int i, const TProgressShare& Share) {
  TOrder order;
  for (const TGenOneShape& slot : E.GenOrder.Item[i].Shape) order.push_back(slot.ShN);
  TTrialLimits limits;
  limits.Progress = &Share;
  RunTrial(E, order, limits);
}

void PlaceBatchSearching(TEngineState& E, TBatchSearch& Search, int i,
                         const TProgressShare& Share) {
  if (StopRequested(E)) return;
  const int trials = TBatchSearch::TrialCount(E);
  const std::vector<TOrder> orders = TBatchSearch::DrawTrialOrders(E, i, trials);
  Search.Run(E, orders, &Share);
  TBatchSearch::TrialCount(E);
}

void PlaceColorGroup(TEngineState& E, TBatchSearch& Search, int g) {
  const TeNestParameters& p = E.NestParams;
  const TOrder order = PlacementOrder(E, g);
  FindLookAlikes(E, order);
  Search.SyncLooksLike(E);
  BuildBatches(E, order);
  TProgressShare share;
  share.g = g;
  share.G = E.ColorOrder.Count;
  share.B = E.GenOrder.Count;
  for (int i = 0; i < E.GenOrder.Count; ++i) {
    share.i = i;
    share.N = std::max(E.GenOrder.Item[i].ShapeCount, 1);
    if (p.G_Enable) {
      PlaceBatchSearching(E, Search, i, share);
    } else {
      PlaceBatchOnce(E, i, share);
    }
    ReportDrawing(E, i, share);
  }
}

void RunPlacement(TEngineState& E) {
  StartSheets(E);
  if (E.Blocks.Count == 0) return;  // a container too large for a sheet
  TeNestParameters& p = E.NestParams;
  if (!p.G_Enable) {
    p.G_Group = E.NestRecords.Count;
    p.G_Mut = 1;
  }
  SeedRandom(E);
  TBatchSearch search(E.Threads);
  const int groups = ColorGroupCount(E);
  for (int g = 0; g < groups; ++g) {
    PlaceColorGroup(E, search, g);
    if (StopRequested(E)) break;
    CloseColorGroup(E);
    search.SheetsChanged();
  }
}

}  // namespace

void StartSheets(TEngineState& E) {
  E.Blocks = TBlock{};
  const bool container = ContainerMode(E);
  if (container && !SizeContainerSheet(E)) return;
  NewSheet(E);
  if (container) SetUpContainerSheet(E);
}

TOrder PlacementOrder(const TEngineState& E, int g) {
  TOrder order = GroupOrder(E, g);
  if (E.NestParams.G_Enable || !E.NestParams.PreserveOrd) SortBySize(E, order);
  return order;
}

void SeedRandom(TEngineState& E) {
  if (E.RandomSeeded) {
    E.Random.seed(E.RandomSeed);
    return;
  }
  const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
  E.Random.seed(static_cast<uint64_t>(now));
}

void SortBySize(const TEngineState& E, TOrder& Order) {
  // Largest first, equal sizes in their order: what n passes of exchanging adjacent smaller
  // keys produce, without the n^2 passes.
  std::vector<std::pair<int64_t, int>> keyed;
  keyed.reserve(Order.size());
  for (int r : Order) keyed.emplace_back(SizeKey(E.NestRecords.Shape[r]), r);
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  for (size_t k = 0; k < keyed.size(); ++k) Order[k] = keyed[k].second;
}

void FindLookAlikes(TEngineState& E, const TOrder& Order) {
  for (size_t p = 1; p < Order.size(); ++p) {
    TNestOneRec& r = E.NestRecords.Shape[Order[p]];
    for (size_t q = 0; q < p; ++q) {
      const int s = Order[q];
      if (s == Order[p]) continue;
      if (LooksAlike(r.Original, E.NestRecords.Shape[s].Original)) {
        r.LooksLike = s;
        break;
      }
    }
  }
}

void ShuffleBatch(TEngineState& E, int i) {
  if (i < 0 || i >= static_cast<int>(E.GenOrder.Item.size())) return;
  TGenSingleOrder& batch = E.GenOrder.Item[i];
  const int n = std::clamp<int>(batch.ShapeCount, 0, static_cast<int>(batch.Shape.size()));
  if (n < 3) return;
  for (int k = 0; k < n; ++k) {
    const auto r = static_cast<size_t>(RandomBelow(E.Random, static_cast<uint64_t>(n)));
    std::swap(batch.Shape[r], batch.Shape[k]);
  }
}

void ReportProgress(TEngineState& E, double Fraction) {
  if (E.Control != nullptr) E.Control->ReportFraction(Fraction);
}

bool StopRequested(const TEngineState& E) {
  return (E.Control != nullptr && E.Control->StopRequested()) || E.ErrorFlag();
}

bool SkipSearchRequested(const TEngineState& E) {
  return E.Control != nullptr && E.Control->SkipSearchRequested();
}

void PlaceAll(TEngineState& E) {
  // Sheets and placements keep what was done so far.
  try {
    RunPlacement(E);
  } catch (const std::exception& e) {
    ReportFailure(E, TFailureSource::Engine, std::string("placing the shapes: ") + e.what());
  } catch (...) {
    ReportFailure(E, TFailureSource::Engine, "placing the shapes: unknown failure");
  }
  if (E.Control != nullptr) E.Control->SetPosition(0);
}

}  // namespace plavo
