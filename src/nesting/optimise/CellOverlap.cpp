#include "nesting/optimise/CellOverlap.h"

#include <algorithm>

namespace plavo {

namespace {

// One column of A against one of B: A's words W0 .. W1, B's rows of A's word w starting Shift
// rows up in B's word Base + w. The counts are nearly all of the compaction's work, one
// population count per word; x86-64's baseline has no such instruction and the library's
// fallback costs a call per word.
#if defined(__x86_64__)
#define PLAVO_POPCNT [[gnu::target("popcnt")]]
#else
#define PLAVO_POPCNT
#endif

PLAVO_POPCNT inline int64_t CountColumn(const uint64_t* A, const uint64_t* B, int W0, int W1,
                                        int Base, int Shift, int BWords) {
  int64_t count = 0;
  if (Shift == 0) {
    for (int w = std::max(W0, -Base); w <= W1 && Base + w < BWords; ++w) {
      count += __builtin_popcountll(A[w] & B[Base + w]);
    }
    return count;
  }
  // Every word of A from W0 to W1 meets B's rows, so Base + w lies in -1 .. BWords - 1.
  for (int w = W0; w <= W1; ++w) {
    const int bw = Base + w;
    const uint64_t low = bw >= 0 ? B[bw] >> Shift : 0;
    const uint64_t high = bw + 1 < BWords ? B[bw + 1] << (64 - Shift) : 0;
    count += __builtin_popcountll(A[w] & (low | high));
  }
  return count;
}

}  // namespace

// With the same target as the column count, so that it is inlined here.
PLAVO_POPCNT int64_t SharedCells(const TBooleanMatrix& A, int AX, int AY, const TBooleanMatrix& B,
                                 int BX, int BY, int64_t Limit) {
  const int x0 = std::max(AX, BX);
  const int x1 = std::min(AX + A.Width(), BX + B.Width());
  if (x0 >= x1 || AY >= BY + B.Height() || BY >= AY + A.Height()) return 0;
  // Only A's words that meet B's rows.
  const int w0 = std::max(0, (BY - AY) >> 6);
  const int w1 =
      std::min(static_cast<int>(A.WordsPerColumn()) - 1, (BY + B.Height() - 1 - AY) >> 6);
  const int rel = AY - BY;    // B's row of A's row 0
  const int base = rel >> 6;  // rounds down, also below B's first row
  const int shift = rel & 63;
  const int bWords = static_cast<int>(B.WordsPerColumn());
  int64_t count = 0;
  for (int x = x0; x < x1 && count <= Limit; ++x) {
    count += CountColumn(A.Column(x - AX), B.Column(x - BX), w0, w1, base, shift, bWords);
  }
  return count;
}

#undef PLAVO_POPCNT

}  // namespace plavo
