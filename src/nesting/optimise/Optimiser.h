// Optimising a layout for a time budget or a number of evaluations (see Optimiser.cpp for the
// design). Optional: without it every run is exactly the driver's.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "nesting/model/MosaroUnit.h"
#include "nesting/optimise/OptimiserCost.h"

namespace plavo {

struct TOptimiseProgress {
  double Fraction = 0.0;  // of the budget spent, 0..1
  int64_t Evaluations = 0;
  TLayoutCost Best;
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
  // Called on the calling thread after each step of the search; may be empty.
  std::function<void(const TOptimiseProgress&)> Progress;
};

struct TOptimiseOutcome {
  int64_t Evaluations = 0;
  TLayoutCost Start;  // the layout E held
  TLayoutCost Best;   // the layout E holds now
  bool Improved = false;
};

// Searches layouts of E's records (E after a run: parameters, analysed records, its layout) and
// leaves the best one in E when it beats the layout E holds; otherwise E is left as it was.
// E's stop request ends the search early, keeping the best layout found so far. A failure of
// the search leaves E as it was; a failure while drawing the best layout sets the error flag.
TOptimiseOutcome OptimiseLayout(TEngineState& E, const TOptimiseOptions& Options);

}  // namespace plavo
