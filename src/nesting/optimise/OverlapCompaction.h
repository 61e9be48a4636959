// Compaction of a strip layout by overlap minimisation: the layout is asked to fit a little
// lower, the shapes above the new top are pushed down into it, and the overlaps this makes are
// removed by moving one shape at a time to the place of least overlap (see the .cpp).
#pragma once

#include <chrono>
#include <cstdint>

#include "nesting/model/MosaroUnit.h"

namespace plavo {

struct TCompactOptions {
  // Wall-clock end; the epoch (the default): no time limit.
  std::chrono::steady_clock::time_point Deadline{};
  // The progress the compaction reports runs from ProgressFrom at Start to 1 at the Deadline
  // (the share of a budget that began before it); without a deadline it stays at ProgressFrom.
  std::chrono::steady_clock::time_point Start = std::chrono::steady_clock::now();
  double ProgressFrom = 0.0;
  // Shape moves to try, per search; 0: until the deadline.
  int64_t Moves = 0;
  uint64_t Seed = 0;
  int Threads = 0;  // independent searches side by side, each with its own seed; 0: every core
};

struct TCompactOutcome {
  int64_t Moves = 0;
  bool Improved = false;  // E holds a lower layout than before
};

// True when E's layout can be compacted: every record that takes part is placed, all on one
// sheet, without a container or colour groups.
bool CanCompact(const TEngineState& E);

// Lowers the top of E's layout (which CanCompact accepts) while the budget lasts or until E's
// control asks for a stop; the searches on the calling thread report progress to it. Every layout
// it keeps stays within the sheet and keeps the distance on the outlines as cut, measured
// exactly. E is left with the lowest layout found, drawn, or
// as it was. With a count of moves (and no time limit) the outcome depends only on the seed.
TCompactOutcome CompactLayout(TEngineState& E, const TCompactOptions& Options);

}  // namespace plavo
