// Counting the cells two bit-packed rasters share, each at its own offset on the sheet: the
// measure of how much two shapes overlap while the compaction lets them.
#pragma once

#include <cstdint>
#include <limits>

#include "nesting/model/BooleanMatrix.h"

namespace plavo {

// Occupied cells of A (its cell (0, 0) at sheet cell (AX, AY)) that are occupied in B as well
// (its cell (0, 0) at (BX, BY)). Counting may stop once the count exceeds Limit, returning a
// count above it.
int64_t SharedCells(const TBooleanMatrix& A, int AX, int AY, const TBooleanMatrix& B, int BX,
                    int BY, int64_t Limit = std::numeric_limits<int64_t>::max());

}  // namespace plavo
