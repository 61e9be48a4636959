#include "nesting/place/SearchTrials.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <limits>
#include <thread>
#include <utility>

#include "nesting/place/PlacementDriver.h"
#include "nesting/place/PositionSearch.h"
#include "nesting/place/Rasterise.h"
#include "core/WorkerThreads.h"

namespace plavo {

namespace {

constexpr int kNoBound = std::numeric_limits<int>::max();
// Once "Skip searching." is set, a batch stops after its trial 2 at the latest.
constexpr int kLastTrialAfterSkip = 2;

// One thread's best trial so far, with the sheets it changed and the batch's placements.
struct TTrialKeep {
  int Trial = -1;
  TTrialResult Result;
  int SheetCount = 0;                    // sheets the trial ended with
  std::vector<int> Changed;              // the sheets it drew into or created, ascending
  std::vector<TBlockSingle> Sheets;      // those sheets, in the same order
  std::vector<TNestPlacedShape> Places;  // per member of the batch
};

void LowerBound(std::atomic<int>& Bound, int Score) {
  int current = Bound.load();
  while (Score < current && !Bound.compare_exchange_weak(current, Score)) {
  }
}

// Indices of the trials whose order no earlier trial had: equal orders give equal trials, and
// of equal trials the later one would win with the same result.
std::vector<int> DistinctTrials(const std::vector<TOrder>& Orders) {
  std::vector<int> distinct;
  for (int t = 0; t < static_cast<int>(Orders.size()); ++t) {
    bool seen = false;
    for (int u : distinct) seen = seen || Orders[u] == Orders[t];
    if (!seen) distinct.push_back(t);
  }
  return distinct;
}

bool TrialMayStart(const TEngineState& E, int t) {
  return !(SkipSearchRequested(E) && t > kLastTrialAfterSkip);
}

// A worker starts every trial from the sheets before the batch; only the sheets that differ
// from them are copied. Trial 0 finds the batch's placements as they are; later trials find
// them reset, as the trial before left them.
void PrepareWorker(TEngineState& W, TSheetMirror& Mirror, const TEngineState& E,
                   const TSheetStamps& Stamps, const TOrder& Members, int t) {
  W.NestParams = E.NestParams;
  Mirror.Follow(E.Blocks, Stamps, W.Blocks);
  for (int r : Members) {
    W.NestRecords.Shape[r].Place = E.NestRecords.Shape[r].Place;
    if (t > 0) ResetPlace(W, r);
  }
}

// The sheets a trial drew into (those of its placed shapes) and every sheet it created.
std::vector<int> ChangedSheets(const TEngineState& W, const TOrder& Members, int SheetsBefore) {
  std::vector<int> changed;
  for (int r : Members) {
    const TNestPlacedShape& p = W.NestRecords.Shape[r].Place;
    if (p.placed && p.sheetNo < SheetsBefore) changed.push_back(p.sheetNo);
  }
  for (int s = SheetsBefore; s < W.Blocks.Count; ++s) changed.push_back(s);
  std::sort(changed.begin(), changed.end());
  changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
  return changed;
}

// The sheets a trial drew into no longer match the sheets before the batch.
void ForgetChangedSheets(const TEngineState& W, TSheetMirror& Mirror, const TOrder& Members) {
  for (int r : Members) {
    const TNestPlacedShape& p = W.NestRecords.Shape[r].Place;
    if (p.placed) Mirror.Forget(p.sheetNo);
  }
}

// Takes the sheets the trial changed out of the worker (an exchange, no copy); the worker gets
// the storage of the trial kept before, which it no longer holds as a copy of anything.
void TakeSheets(TEngineState& W, TSheetMirror& Mirror, const TOrder& Members, int SheetsBefore,
                TTrialKeep& Keep) {
  Keep.SheetCount = W.Blocks.Count;
  Keep.Changed = ChangedSheets(W, Members, SheetsBefore);
  Keep.Sheets.resize(Keep.Changed.size());
  for (size_t n = 0; n < Keep.Changed.size(); ++n) {
    const int s = Keep.Changed[n];
    std::swap(Keep.Sheets[n], W.Blocks.Item[s]);
    Mirror.Forget(s);
  }
}

std::vector<TNestPlacedShape> CollectPlaces(const TEngineState& W, const TOrder& Members) {
  std::vector<TNestPlacedShape> places;
  places.reserve(Members.size());
  for (int r : Members) places.push_back(W.NestRecords.Shape[r].Place);
  return places;
}

// Leaves the kept trial in E: the sheets it changed replace E's, cut after the last one a shape
// of the batch uses: a sheet a shape opened but could not use is dropped, as a redraw of the
// placements onto the sheets before the batch would not create it.
void ApplyTrial(TEngineState& E, TSheetStamps& Stamps, const TOrder& Members, int SheetsBefore,
                TTrialKeep& Keep) {
  int keep = SheetsBefore;
  for (const TNestPlacedShape& p : Keep.Places) {
    if (p.placed) keep = std::max(keep, p.sheetNo + 1);
  }
  E.Blocks.Item.resize(keep);
  E.Blocks.Count = static_cast<int32_t>(keep);
  Stamps.Resize(keep);
  for (size_t n = 0; n < Keep.Changed.size(); ++n) {
    const int s = Keep.Changed[n];
    if (s >= keep) break;
    std::swap(E.Blocks.Item[s], Keep.Sheets[n]);
    Stamps.Touch(s);
  }
  for (size_t k = 0; k < Members.size(); ++k) {
    TNestOneRec& rec = E.NestRecords.Shape[Members[k]];
    rec.Place = Keep.Places[k];
    if (rec.Place.placed) RotateNestShape(rec, rec.Place.a);
  }
  for (TNestOneRec& rec : E.NestRecords.Shape) rec.PlaceTemp = rec.Place;
}

}  // namespace

bool TakesPart(const TEngineState& E, int r) {
  if (r < 0 || r >= static_cast<int>(E.NestRecords.Shape.size())) return false;
  if (E.NestParams.Media_Container && r == 0) return false;
  return (E.NestRecords.Shape[r].UserAttr & kUserProcess) != 0;
}

TTrialResult RunTrial(TEngineState& E, const TOrder& Order, const TTrialLimits& Limits) {
  TTrialResult result;
  for (int j = 0; j < static_cast<int>(Order.size()); ++j) {
    const int r = Order[j];
    if (!TakesPart(E, r)) continue;
    if (StopRequested(E) || (Limits.Abort != nullptr && Limits.Abort->load())) return result;
    if (Limits.Progress != nullptr) {
      ReportProgress(E, Limits.Progress->Trial(Limits.Trial, Limits.Trials, j));
    }
    if (FindPlace(E, r, 1.0, result.Score)) {
      DrawPlacedShape(E, r, true, true, false);
      ++result.Placed;
    }
    if (Limits.Bound != nullptr && result.Score > Limits.Bound->load()) {
      result.Abandoned = true;
      return result;
    }
  }
  result.Finished = true;
  return result;
}

bool TrialBeats(const TTrialResult& A, int Ta, const TTrialResult& B, int Tb) {
  if (A.Finished != B.Finished) return A.Finished;
  if (!A.Finished && A.Placed != B.Placed) return A.Placed > B.Placed;
  if (A.Score != B.Score) return A.Score < B.Score;
  return Ta > Tb;
}

TBatchSearch::TBatchSearch(int Threads) {
  if (Threads <= 0) Threads = static_cast<int>(std::thread::hardware_concurrency());
  FThreads = std::max(Threads, 1);
}

int TBatchSearch::TrialCount(TEngineState& E) {
  if (SkipSearchRequested(E) && E.NestParams.G_Mut > 1) E.NestParams.G_Mut = 1;
  return std::max<int>(E.NestParams.G_Mut, 1);
}

std::vector<TOrder> TBatchSearch::DrawTrialOrders(TEngineState& E, int i, int Trials) {
  auto current = [&E, i] {
    const TGenSingleOrder& batch = E.GenOrder.Item[i];
    const int n = std::clamp<int>(batch.ShapeCount, 0, static_cast<int>(batch.Shape.size()));
    TOrder order(n);
    for (int k = 0; k < n; ++k) order[k] = batch.Shape[k].ShN;
    return order;
  };
  std::vector<TOrder> orders;
  orders.reserve(std::max(Trials, 1));
  orders.push_back(current());
  for (int t = 1; t < Trials; ++t) {
    ShuffleBatch(E, i);
    orders.push_back(current());
  }
  ShuffleBatch(E, i);
  return orders;
}

void TBatchSearch::EnsureWorkers(const TEngineState& E, int Count) {
  FWorkers.reserve(FThreads);
  FMirrors.reserve(FThreads);
  while (static_cast<int>(FWorkers.size()) < Count) {
    // A worker shares E's control: it sees its requests, and the trials on the calling thread
    // report progress through it (TTrialLimits).
    FWorkers.push_back(E);
    FMirrors.emplace_back();
  }
}

void TBatchSearch::SheetsChanged() {
  FStamps.TouchAll();
}

void TBatchSearch::SyncLooksLike(const TEngineState& E) {
  for (TEngineState& w : FWorkers) {
    for (size_t r = 0; r < E.NestRecords.Shape.size(); ++r) {
      w.NestRecords.Shape[r].LooksLike = E.NestRecords.Shape[r].LooksLike;
    }
  }
}

TBatchOutcome TBatchSearch::Run(TEngineState& E, const std::vector<TOrder>& Orders,
                                const TProgressShare* Progress) {
  TBatchOutcome outcome;
  if (Orders.empty()) return outcome;
  const TOrder& members = Orders[0];
  const std::vector<int> distinct = DistinctTrials(Orders);
  const int threads = std::min<int>(FThreads, static_cast<int>(distinct.size()));
  EnsureWorkers(E, threads);
  const int sheetsBefore = E.Blocks.Count;
  FStamps.Resize(sheetsBefore);

  std::vector<TTrialKeep> keeps(threads);
  std::atomic<size_t> next{0};
  std::atomic<int> started{0};
  std::atomic<int> bound{kNoBound};  // lowest score of a finished trial
  std::atomic<bool> failed{false};

  auto work = [&](int k) {
    try {
      TEngineState& w = FWorkers[k];
      TSheetMirror& mirror = FMirrors[k];
      TTrialLimits limits;
      limits.Bound = &bound;
      limits.Abort = &failed;
      limits.Trials = static_cast<int>(Orders.size());
      if (k == 0) limits.Progress = Progress;  // the calling thread's trials report
      for (;;) {
        const size_t n = next.fetch_add(1);
        if (n >= distinct.size()) break;
        const int t = distinct[n];
        if (!TrialMayStart(E, t) || StopRequested(E) || failed.load()) break;
        ++started;
        PrepareWorker(w, mirror, E, FStamps, members, t);
        limits.Trial = t;
        const TTrialResult result = RunTrial(w, Orders[t], limits);
        ForgetChangedSheets(w, mirror, members);
        if (result.Abandoned) continue;
        if (result.Finished) LowerBound(bound, result.Score);
        TTrialKeep& keep = keeps[k];
        if (keep.Trial >= 0 && !TrialBeats(result, t, keep.Result, keep.Trial)) continue;
        keep.Trial = t;
        keep.Result = result;
        TakeSheets(w, mirror, members, sheetsBefore, keep);
        keep.Places = CollectPlaces(w, members);
      }
    } catch (...) {
      failed = true;  // the others start no further trial
      throw;
    }
  };
  RunOnThreads(threads, work);

  TTrialKeep* best = nullptr;
  for (TTrialKeep& keep : keeps) {
    if (keep.Trial < 0) continue;
    if (best == nullptr || TrialBeats(keep.Result, keep.Trial, best->Result, best->Trial)) {
      best = &keep;
    }
  }
  outcome.TrialsRun = started.load();
  if (best == nullptr) return outcome;
  outcome.Chosen = best->Trial;
  outcome.Best = best->Result;
  ApplyTrial(E, FStamps, members, sheetsBefore, *best);
  for (TEngineState& w : FWorkers) {
    for (int r : members) w.NestRecords.Shape[r].Place = E.NestRecords.Shape[r].Place;
  }
  return outcome;
}

}  // namespace plavo
