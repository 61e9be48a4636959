// The trials of a batch: the batch's shapes placed one after the other in one order, and the
// search for the best result, which places a batch in several orders at once, each trial on its
// own copy of the sheets and placements, and keeps the best.
#pragma once

#include <atomic>
#include <vector>

#include "nesting/model/MosaroUnit.h"
#include "nesting/place/SheetMirror.h"

namespace plavo {

// What one trial's slot loop did.
struct TTrialResult {
  int Score = 0;  // highest top edge over the shapes placed, sheets counted (FindPlace)
  int Placed = 0;
  bool Finished = false;   // every slot of the batch was visited
  bool Abandoned = false;  // left early because its score passed the bound: it cannot win
};

// Where the progress of a run stands: colour group g of G, batch i of B (N shapes). The first
// half of a batch's share goes to its trials, the second to drawing the chosen one.
struct TProgressShare {
  double g = 0, G = 1, i = 0, B = 1, N = 1;

  // Before slot j of trial t of M.
  double Trial(int t, int M, int j) const {
    return g / G + i / B / G + t / static_cast<double>(M) / B / G / 2 + (j - 1) / N / M / B / G / 2;
  }
  // At slot j of the chosen trial's drawing.
  double Drawing(int j) const { return g / G + i / B / G + 1 / B / G / 2 + j / N / B / G / 2; }
};

// What a trial is run with besides its order. A trial ends before the next shape when the
// control of its engine state asks for a stop or the run has failed (StopRequested).
struct TTrialLimits {
  // Where the slots move the progress of the engine state's control, as trial Trial of Trials;
  // null: the trial reports no progress (every trial on a helper thread).
  const TProgressShare* Progress = nullptr;
  int Trial = 0;
  int Trials = 1;
  // A score above it abandons the trial (it cannot win); null: no bound.
  const std::atomic<int>* Bound = nullptr;
  // Set when another trial failed: the trial ends as on a stop; null: none.
  const std::atomic<bool>* Abort = nullptr;
};

// False for the container (container mode, record 0), for shapes without "Process shape" and
// for indices that name no record.
bool TakesPart(const TEngineState& E, int r);

// Places the records of Order in that order onto E's sheets: search, then draw each one found.
TTrialResult RunTrial(TEngineState& E, const TOrder& Order, const TTrialLimits& Limits = {});

// Of two trials (a run as trial Ta, b as trial Tb), whether a wins: a finished trial beats an
// interrupted one; of finished trials the lower score wins and of equal scores the later trial;
// of interrupted ones (a stop) the one that placed more shapes, then the same rule.
bool TrialBeats(const TTrialResult& A, int Ta, const TTrialResult& B, int Tb);

// What the trials of one batch came to.
struct TBatchOutcome {
  int TrialsRun = 0;  // trials started (equal orders run once)
  int Chosen = -1;    // the trial left in the engine state; -1 when none could start
  TTrialResult Best;
};

// Runs the trials of the search for the best result on up to Threads threads. The workers are
// copies of the engine state kept from batch to batch; before a trial a worker copies only the
// sheets that changed since it last held them (those its previous trial drew into, those the
// kept trial of a batch changed) and the batch's placements.
class TBatchSearch {
 public:
  explicit TBatchSearch(int Threads);

  // The number of trials batch i gets, read when it starts: G_Mut, which "Skip searching."
  // lowers to 1, but at least one.
  static int TrialCount(TEngineState& E);

  // Trial orders of batch i: trial 0 the batch as it stands, every further one a ShuffleBatch
  // of the one before, drawn up front in the order the trials would draw them one by one; the
  // batch is left shuffled once more, as after its last trial. Trials 3 and later do not start
  // once "Skip searching." is set.
  static std::vector<TOrder> DrawTrialOrders(TEngineState& E, int i, int Trials);

  // Places the batch in every trial order (Orders from DrawTrialOrders) and leaves the best trial
  // in E: its sheets (up to the last one a shape of the batch uses, as a redraw would create them),
  // the placements of the batch, PlaceTemp = Place for every record. Nothing changes when no trial
  // could start. The trials on the calling thread move the progress of E's control by Progress
  // (may be null); E's control stops them all.
  TBatchOutcome Run(TEngineState& E, const std::vector<TOrder>& Orders,
                    const TProgressShare* Progress);

  // Copies LooksLike of every record into the workers (after FindLookAlikes of a colour group).
  void SyncLooksLike(const TEngineState& E);

  // The engine state's sheets were changed outside Run (a colour group was closed): the
  // workers copy them all again.
  void SheetsChanged();

  int Threads() const { return FThreads; }

 private:
  void EnsureWorkers(const TEngineState& E, int Count);

  int FThreads = 1;
  std::vector<TEngineState> FWorkers;
  std::vector<TSheetMirror> FMirrors;  // per worker: which of E's sheets it holds
  TSheetStamps FStamps;                // of E's sheets
};

}  // namespace plavo
