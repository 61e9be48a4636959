// Compaction of a strip layout by overlap minimisation: the layout is asked to fit a little
// lower, the shapes above the new top are pushed down into it, and the overlaps this makes are
// removed by moving one shape at a time to the place of least overlap (see the .cpp).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "nesting/model/MosaroUnit.h"

namespace plavo {

struct TCompactOptions {
  // Wall-clock end; the epoch (the default): no time limit.
  std::chrono::steady_clock::time_point Deadline{};
  // Shape moves to try, per search; 0: until the deadline.
  int64_t Moves = 0;
  uint64_t Seed = 0;
  int Threads = 0;  // independent searches side by side, each with its own seed; 0: every core
  // Asked between moves, from every search; may be empty.
  std::function<bool()> Stop;
  // Called on the calling thread after each step of its search with the lowest top found so
  // far; may be empty.
  std::function<void(int Top)> Progress;
};

struct TCompactOutcome {
  int64_t Moves = 0;
  bool Improved = false;  // E holds a lower layout than before
};

// True when E's layout can be compacted: every record that takes part is placed, all on one
// sheet, without a container or colour groups.
bool CanCompact(const TEngineState& E);

// Lowers the top of E's layout (which CanCompact accepts) while the budget lasts. Every layout
// it keeps passes the position search's own fit test, shape by shape from the bottom up, so it
// keeps the distance as a placed layout does. E is left with the lowest layout found, drawn, or
// as it was. With a count of moves (and no time limit) the outcome depends only on the seed.
TCompactOutcome CompactLayout(TEngineState& E, const TCompactOptions& Options);

}  // namespace plavo
