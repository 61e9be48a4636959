// The optimiser: a late-acceptance local search over complete layouts.
//
// Design. The engine places one shape in a few milliseconds, so a whole drawing is a complete
// layout in milliseconds to tens of milliseconds and a time budget of seconds holds hundreds to
// thousands of them. As in the order-based searches for irregular strip packing (a bottom-left
// decoder driven by a search over the sequence and the rotations of the pieces, e.g. the
// hill-climbing and tabu searches over bottom-left-fill layouts of Burke et al., 2006, and the
// 2-exchange searches of Gomes and Oliveira, 2002), the search works on genes and lets the
// engine's own placement decode them: the position search and the drawing of the plain run,
// unchanged (OptimiserDecoder). The genes are a complete order of every colour group, not only
// batches of it, one angle gene per shape (one of its allowed trial angles, or the search's free
// choice), a look-alike start and an origin edge per shape (OptimiserGenes). The plain run's genes
// decode to the plain layout, so the search starts from it and can only end at or below it.
//
// The acceptance is late acceptance hill climbing (Burke and Bykov, 2017): a neighbour is taken
// when it is no worse than the current layout or than the current layout of kHistory steps
// before; one parameter, no temperature. Every step draws kGeneration neighbours of the current
// layout, evaluates them in parallel on --threads threads, each on its own copy of the engine
// state, and offers the best of them (the lowest index among equals) to the acceptance rule.
// The neighbours are drawn one after the other from one seeded generator and the step's bound
// is fixed before they are evaluated, so with a fixed number of evaluations the search does the
// same on 1, 2 or 8 threads.
//
// Strip shrinking. Layouts measured by their top alone form wide plateaus: most moves leave the
// top where it is and the search would walk them blind. So, as the strip-packing solvers that
// shrink the strip and then repair the layout do (Egeblad et al., 2007; Imamichi et al., 2009),
// the search asks for a layout one step (kShrinkPermille of the height) below the best one and
// ranks layouts by how far their shapes reach above that target, area times height (the
// overflow, OptimiserCost). Any layout below the best found becomes the best and the current
// layout, and the target moves below it.
//
// The bound is the acceptance turned into a cut: a neighbour must not exceed the cost the
// acceptance rule asks for; every term of the cost only grows while shapes are added, so a
// decoding stops as soon as its partial layout exceeds the bound and most rejected neighbours
// cost a fraction of a full layout. A neighbour also shares its first positions with the
// current layout: those are drawn from the current layout's trace, not searched
// (OptimiserDecoder), so a move late in the order costs little.
//
// Objective (OptimiserCost, without the overflow): fewer unplaced shapes, fewer sheets, a
// smaller sum of used heights, a lower top on the last sheet. The best layout found is drawn
// into the engine state at the end, only when it beats what the state held.
//
// Compaction. The search over orders levels off: a layout placed shape after shape keeps each
// shape where it first fitted, and a lower layout often needs several shapes to move at once.
// So a layout on one sheet (a strip) gets the rest of the budget in OverlapCompaction, which
// lets shapes overlap while it pushes the top down and separates them again, and keeps only
// layouts that keep the distance on the outlines as cut.
#include "nesting/optimise/Optimiser.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "nesting/optimise/OptimiserDecoder.h"
#include "nesting/optimise/OptimiserGenes.h"
#include "nesting/optimise/OverlapCompaction.h"
#include "nesting/place/PlacementDriver.h"
#include "nesting/place/Rasterise.h"
#include "core/WorkerThreads.h"

namespace plavo {

namespace {

// Neighbours per step: a multiple of the usual core counts, fixed so that the search does not
// depend on the number of threads.
constexpr int kGeneration = 8;
// Steps of the late-acceptance history.
constexpr int kHistory = 12;
// The target lies this share of the best layout's last top below it, in thousandths: one
// percent asks for a step that a few moves can make, and the overflow still ranks layouts whose
// top shapes reach a little above it.
constexpr int kShrinkPermille = 10;
// Share of a time budget the search over orders gets when the layout can be compacted; the
// compaction (OverlapCompaction) has the rest. Measured on the benchmark drawings: 0.3 to 0.5
// do about equally well, a search alone or a compaction alone worse.
constexpr double kOrderSearchShare = 0.4;

using TClock = std::chrono::steady_clock;

struct TCandidate {
  TLayoutGenes Genes;
  TEvaluation Result;
  TLayoutTrace Trace;  // when Result is complete
};

// Evaluates candidates on up to Threads decoders, each on its own engine copy.
class TEvaluators {
 public:
  TEvaluators(const TEngineState& E, int Threads) : FSource(E) {
    if (Threads <= 0) Threads = static_cast<int>(std::thread::hardware_concurrency());
    FThreads = std::clamp(Threads, 1, kGeneration);
  }

  // Every candidate is a neighbour of Base (may be null: decoded from the start).
  void Run(std::vector<TCandidate>& Candidates, const TLayoutCost& Bound,
           const std::function<bool()>& Stop, const TDecodedLayout* Base,
           const TLayoutTarget& Target) {
    const int threads = std::min<int>(FThreads, static_cast<int>(Candidates.size()));
    while (static_cast<int>(FDecoders.size()) < threads) {
      FDecoders.push_back(std::make_unique<TLayoutDecoder>(FSource));
    }
    std::atomic<size_t> next{0};
    RunOnThreads(threads, [&](int k) {
      try {
        for (size_t n = next.fetch_add(1); n < Candidates.size(); n = next.fetch_add(1)) {
          TCandidate& c = Candidates[n];
          c.Result = FDecoders[static_cast<size_t>(k)]->Evaluate(c.Genes, Bound, Stop, Base,
                                                                 &c.Trace, Target);
        }
      } catch (...) {
        next = Candidates.size();  // the others take no further candidate
        throw;
      }
    });
  }

 private:
  const TEngineState& FSource;
  int FThreads = 1;
  std::vector<std::unique_ptr<TLayoutDecoder>> FDecoders;
};

struct TSearchState {
  TDecodedLayout Current;
  TLayoutCost CurrentCost;  // under Target
  TLayoutTarget Target;
  TLayoutGenes Best;
  TLayoutCost BestCost;
  std::vector<TLayoutCost> History;
  int64_t Evaluations = 0;
  int64_t Steps = 0;
};

class TLayoutSearch {
 public:
  TLayoutSearch(TEngineState& E, const TOptimiseOptions& Options)
      : FE(E), FOptions(Options), FMoves(E, Options.Seed), FEvaluators(E, Options.Threads) {
    if (Options.Seconds > 0.0) {
      FDeadline = Options.Start + std::chrono::duration_cast<TClock::duration>(
                                      std::chrono::duration<double>(Options.Seconds));
    }
  }

  // The best genes found, with their cost; S.Evaluations counts every layout decoded.
  TSearchState Run() {
    TSearchState s;
    std::vector<TCandidate> start{TCandidate{PlainGenes(FE), {}, {}}};
    FEvaluators.Run(start, TLayoutCost::Worst(), nullptr, nullptr, TLayoutTarget{});
    s.Evaluations = 1;
    if (FOptions.Fault == TOptimiseFault::Search) throw std::runtime_error("injected failure");
    s.BestCost = start[0].Result.Cost;
    TakeBest(s, start[0]);
    while (!Finished(s)) {
      if (!Step(s)) break;
      Report(s);
    }
    return s;
  }

 private:
  bool TimeUp() const { return FDeadline && TClock::now() >= *FDeadline; }

  bool Finished(const TSearchState& S) const {
    if (StopRequested(FE)) return true;
    if (FOptions.Evaluations > 0 && S.Evaluations >= FOptions.Evaluations) return true;
    if (FOptions.Evaluations <= 0 && !FDeadline) return true;  // no budget at all
    return TimeUp();
  }

  // One step: neighbours, their evaluation under the step's bound, the acceptance. False when
  // the step was cut short by the time or a stop; its neighbours are then not used.
  bool Step(TSearchState& S) {
    int64_t count = kGeneration;
    if (FOptions.Evaluations > 0) count = std::min(count, FOptions.Evaluations - S.Evaluations);
    std::vector<TCandidate> candidates;
    for (int64_t n = 0; n < count; ++n) {
      candidates.push_back({FMoves.Neighbour(S.Current.Genes), {}, {}});
    }
    TLayoutCost& late = S.History[static_cast<size_t>(S.Steps % kHistory)];
    const TLayoutCost bound = std::max(S.CurrentCost, late);
    FEvaluators.Run(
        candidates, bound, [this] { return StopRequested(FE) || TimeUp(); }, &S.Current, S.Target);
    S.Evaluations += count;
    TCandidate* chosen = nullptr;
    TCandidate* best = nullptr;
    for (TCandidate& c : candidates) {
      if (c.Result.End == TEvaluation::Stopped) return false;
      if (c.Result.End != TEvaluation::Complete) continue;
      if (chosen == nullptr || c.Result.Cost < chosen->Result.Cost) chosen = &c;
      if (best == nullptr || c.Result.Cost.Own() < best->Result.Cost.Own()) best = &c;
    }
    if (best != nullptr && best->Result.Cost.Own() < S.BestCost) {
      TakeBest(S, *best);
      ++S.Steps;
      return true;
    }
    if (chosen != nullptr && chosen->Result.Cost <= bound) {
      S.Current = TDecodedLayout{std::move(chosen->Genes), std::move(chosen->Trace)};
      S.CurrentCost = chosen->Result.Cost;
    }
    late = S.CurrentCost;
    ++S.Steps;
    return true;
  }

  // C (complete, below the best) becomes the best and the current layout; the target moves
  // below it and the history starts again from it.
  void TakeBest(TSearchState& S, TCandidate& C) {
    S.Current = TDecodedLayout{std::move(C.Genes), std::move(C.Trace)};
    S.Best = S.Current.Genes;
    S.BestCost = C.Result.Cost.Own();
    S.Target = TLayoutTarget{S.BestCost.Sheets - 1, S.BestCost.LastTop - ShrinkStep(S.BestCost)};
    S.CurrentCost = TraceCost(FE, S.Current, S.Target);
    S.History.assign(kHistory, S.CurrentCost);
  }

  static int ShrinkStep(const TLayoutCost& C) {
    return std::max(1, static_cast<int>(int64_t{C.LastTop} * kShrinkPermille / 1000));
  }

  void Report(const TSearchState& S) const {
    double fraction = 0.0;
    if (FOptions.Evaluations > 0) {
      fraction = static_cast<double>(S.Evaluations) / static_cast<double>(FOptions.Evaluations);
    }
    if (FDeadline) {
      const std::chrono::duration<double> spent = TClock::now() - FOptions.Start;
      fraction = std::max(fraction, spent.count() / FOptions.Seconds);
    }
    ReportProgress(FE, std::clamp(fraction, 0.0, 1.0));
  }

  TEngineState& FE;
  const TOptimiseOptions& FOptions;
  TMoveDrawer FMoves;
  TEvaluators FEvaluators;
  std::optional<TClock::time_point> FDeadline;
};

// The layout E holds: its sheets and every record's placement, to put back when a step that
// redraws E fails half way.
class TKeptLayout {
 public:
  explicit TKeptLayout(const TEngineState& E) : FSheets(E.Blocks) {
    for (const TNestOneRec& rec : E.NestRecords.Shape)
      FPlaces.push_back({rec.Place, rec.PlaceTemp});
  }

  void PutBack(TEngineState& E) const {
    E.Blocks = FSheets;
    for (size_t r = 0; r < FPlaces.size() && r < E.NestRecords.Shape.size(); ++r) {
      TNestOneRec& rec = E.NestRecords.Shape[r];
      rec.Place = FPlaces[r].first;
      rec.PlaceTemp = FPlaces[r].second;
      if (rec.Place.placed) RotateNestShape(rec, rec.Place.a);
    }
  }

 private:
  TBlock FSheets;
  std::vector<std::pair<TNestPlacedShape, TNestPlacedShape>> FPlaces;  // Place, PlaceTemp
};

std::string FailureText(const std::exception_ptr& Failure) {
  try {
    std::rethrow_exception(Failure);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown failure";
  }
}

// Runs Step, which may redraw E; when it fails, E gets back the layout it held before and the
// failure is reported as E's (source Optimiser) with What and what was kept. False then.
template <typename TStep>
bool KeepingTheLayout(TEngineState& E, const char* What, const char* Kept, TStep&& Step) {
  const TKeptLayout kept(E);
  try {
    Step();
    return true;
  } catch (...) {
    const std::string why = FailureText(std::current_exception());
    kept.PutBack(E);
    ReportFailure(E, TFailureSource::Optimiser,
                  std::string(What) + " failed (" + why + "); " + Kept + " was kept");
    return false;
  }
}

// Draws the chosen layout into E itself, from the start sheets.
void DrawLayout(TEngineState& E, const TLayoutGenes& G, TOptimiseFault Fault) {
  StartSheets(E);
  if (Fault == TOptimiseFault::Drawing) throw std::runtime_error("injected failure");
  DecodeLayout(E, G, TLayoutCost::Worst(), nullptr);
  for (TNestOneRec& rec : E.NestRecords.Shape) rec.PlaceTemp = rec.Place;
}

// The compaction of the layout E holds, for the rest of the budget: the time left, or with a
// count of layouts as many moves per search. Progress goes on from where the search left it.
bool Compact(TEngineState& E, const TOptimiseOptions& Options) {
  TCompactOptions c;
  if (Options.Seconds > 0.0) {
    c.Deadline = Options.Start + std::chrono::duration_cast<TClock::duration>(
                                     std::chrono::duration<double>(Options.Seconds));
  }
  c.Start = Options.Start;
  c.ProgressFrom = kOrderSearchShare;
  c.Moves = std::max<int64_t>(Options.Evaluations, 0);
  c.Seed = Options.Seed;
  c.Threads = Options.Threads;
  bool improved = false;
  KeepingTheLayout(E, "compacting the layout", "the layout before the compaction", [&] {
    improved = CompactLayout(E, c).Improved;
    if (Options.Fault == TOptimiseFault::Compaction) throw std::runtime_error("injected failure");
  });
  if (improved && !E.ErrorFlag()) {
    for (TNestOneRec& rec : E.NestRecords.Shape) rec.PlaceTemp = rec.Place;
    return true;
  }
  return false;
}

}  // namespace

TOptimiseOutcome OptimiseLayout(TEngineState& E, const TOptimiseOptions& Options) {
  TOptimiseOutcome outcome;
  outcome.Start = CurrentCost(E);
  outcome.Best = outcome.Start;
  if (StopRequested(E) || E.NestRecords.Shape.empty()) return outcome;
  // A layout on one sheet gets the compaction after the search over orders.
  const bool compact = CanCompact(E);
  TOptimiseOptions search = Options;
  if (compact) search.Seconds *= kOrderSearchShare;
  TSearchState found;
  // The search works on copies: E still holds its own layout when it fails.
  if (!KeepingTheLayout(E, "optimising the layout", "the plain layout",
                        [&] { found = TLayoutSearch(E, search).Run(); })) {
    return outcome;
  }
  outcome.Evaluations = found.Evaluations;
  if (found.BestCost < outcome.Start) {
    if (!KeepingTheLayout(E, "drawing the optimised layout", "the plain layout",
                          [&] { DrawLayout(E, found.Best, Options.Fault); })) {
      return outcome;
    }
    outcome.Improved = true;
  }
  if (compact && CanCompact(E) && !StopRequested(E)) outcome.Improved |= Compact(E, Options);
  outcome.Best = CurrentCost(E);
  return outcome;
}

}  // namespace plavo
