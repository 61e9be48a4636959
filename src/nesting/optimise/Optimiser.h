// Optimising a layout for a time budget or a number of evaluations (see Optimiser.cpp for the
// design). Optional: without it every run is exactly the driver's.
#pragma once

#include <chrono>
#include <cstdint>

#include "nesting/model/MosaroUnit.h"
#include "nesting/optimise/OptimiserCost.h"

namespace plavo {

// The test seam for "a failure never loses the layout": the optimiser fails at this step as a
// failure there (memory, a fault) would. None outside the tests.
enum class TOptimiseFault : uint8_t {
  None,
  Search,      // the search over orders fails after its first layout
  Drawing,     // drawing the best layout found fails half way (when one beats the plain layout)
  Compaction,  // the compaction fails after it drew its layout (when the layout is compacted)
};

struct TOptimiseOptions {
  // Wall-clock budget counted from Start (the caller's run may have used part of it already);
  // 0: no time limit.
  double Seconds = 0.0;
  std::chrono::steady_clock::time_point Start = std::chrono::steady_clock::now();
  // Layouts to evaluate, the plain one included; 0: until the time is up. With a count and no
  // time limit the result depends only on the seed, not on the threads.
  int64_t Evaluations = 0;
  uint64_t Seed = 0;
  int Threads = 0;  // 0: every core
  TOptimiseFault Fault = TOptimiseFault::None;
};

struct TOptimiseOutcome {
  int64_t Evaluations = 0;
  TLayoutCost Start;  // the layout E held
  TLayoutCost Best;   // the layout E holds now
  bool Improved = false;
};

// Searches layouts of E's records (E after a run: parameters, analysed records, its layout) and
// leaves the best one in E when it beats the layout E holds; otherwise E is left as it was.
// Progress (the share of the budget spent) goes to E's control, on the calling thread; its stop
// ends the search early, keeping the best layout found so far. A failure of the search, of
// drawing its best layout or of the compaction is reported as E's failure (source Optimiser)
// and never loses a layout: E keeps the layout it held before the step that failed.
TOptimiseOutcome OptimiseLayout(TEngineState& E, const TOptimiseOptions& Options);

}  // namespace plavo
