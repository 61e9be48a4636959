// Cell reads of the position search. The two kinds differ only beyond the raster: a fit test
// must never let a shape leave its sheet, so a cell there is occupied; the row and column
// skipping only guesses where the next free position may be, so a cell there is free.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "nesting/model/BooleanMatrix.h"

namespace plavo {

// Fit tests: occupied, or outside the raster.
inline bool CellBlocked(const TBooleanMatrix& M, int x, int y) {
  return !M.Inside(x, y) || M.Get(x, y);
}

// Skip reads: occupied and inside the raster.
inline bool SkipReadOccupied(const TBooleanMatrix& M, int x, int y) {
  return M.GetSafe(x, y);
}

// The first cell of column x, going up from Y0 to Y1 (Y0 <= Y1), that a fit test finds blocked;
// false when the whole run is free. Reads a word at a time.
inline bool FirstBlockedInColumn(const TBooleanMatrix& M, int x, int Y0, int Y1, int& Hit) {
  if (x < 0 || x >= M.Width() || Y0 < 0) {
    Hit = Y0;
    return true;
  }
  const int last = std::min(Y1, M.Height() - 1);
  if (Y0 <= last) {
    const uint64_t* column = M.Column(x);
    const int firstWord = Y0 >> 6;
    const int lastWord = last >> 6;
    for (int w = firstWord; w <= lastWord; ++w) {
      uint64_t bits = column[w];
      if (w == firstWord) bits &= ~uint64_t{0} << (Y0 & 63);
      if (w == lastWord) bits &= ~uint64_t{0} >> (63 - (last & 63));
      if (bits != 0) {
        Hit = w * 64 + std::countr_zero(bits);
        return true;
      }
    }
  }
  if (Y1 >= M.Height()) {
    Hit = std::max(Y0, M.Height());
    return true;
  }
  return false;
}

// The first free row of column x at or above y (inside the column); Height when every row from y
// up is occupied, rows beyond the raster being free for skip reads.
inline int FirstFreeAtOrAbove(const TBooleanMatrix& M, int x, int y) {
  const uint64_t* column = M.Column(x);
  const int lastWord = (M.Height() - 1) >> 6;
  for (int w = y >> 6; w <= lastWord; ++w) {
    uint64_t freeBits = ~column[w];
    if (w == (y >> 6)) freeBits &= ~uint64_t{0} << (y & 63);
    if (freeBits != 0) return std::min(w * 64 + std::countr_zero(freeBits), M.Height());
  }
  return M.Height();
}

// How many of the cells (x, y + Step), (x, y + 2 Step), ... are occupied one after the other,
// counting only steps from rows below Limit: what "while (y < Limit && occupied(x, y + Step))
// y += Step" counts, a run of occupied cells at a time instead of one cell per step, with one
// division per run. Skip-read semantics: cells beyond the raster are free.
inline int OccupiedStrideRun(const TBooleanMatrix& M, int x, int y, int Step, int Limit) {
  int steps = 0;
  // Rows beyond the raster are free, so a run ends inside it and no row number overflows.
  for (int at = y; at < Limit && at < M.Height() - Step && SkipReadOccupied(M, x, at + Step);) {
    // Rows at + Step up to the first free row are occupied: step while the next row is below
    // it and the current one below Limit.
    const int end = std::min(FirstFreeAtOrAbove(M, x, at + Step) - Step, Limit);
    const int run =
        static_cast<int>(static_cast<unsigned>(end - at + Step - 1) / static_cast<unsigned>(Step));
    steps += run;
    at += run * Step;
  }
  return steps;
}

}  // namespace plavo
