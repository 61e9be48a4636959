// Which of many boxes hold a point: a tree of boxes packed bottom-up (sort-tile-recursive), so a
// plate with tens of thousands of holes asks each hole's question of a few boxes instead of all
// of them. The tree only narrows the candidates; callers keep their own exact test.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "geometry/ShapesClass.h"

namespace plavo {

class TBoxTree {
 public:
  // Box i keeps its index i. Boxes that hold nothing (inverted, as EmptyBox) are left out;
  // boxes with a coordinate that is not a number are visited for every point, since no
  // comparison rules them out.
  explicit TBoxTree(const std::vector<TRectDbl>& Boxes);

  // Calls Visit(i) for every box i that P does not lie outside of: every i with
  // !(P.X < Left || P.X > Right || P.Y < Bottom || P.Y > Top), and perhaps a few more. A point
  // that is not a number visits every box. The order is unspecified.
  template <typename TVisit>
  void VisitHolding(TNodeSimple P, TVisit&& Visit) const {
    for (uint32_t i : FAlways) Visit(i);
    if (P.X != P.X || P.Y != P.Y) {
      for (uint32_t i : FItems) Visit(i);
      return;
    }
    if (!FLevels.empty()) Descend(FLevels.size() - 1, 0, P, Visit);
  }

 private:
  static constexpr size_t kFanOut = 16;

  static bool Outside(const TRectDbl& B, TNodeSimple P) {
    return P.X < B.Left || P.X > B.Right || P.Y < B.Bottom || P.Y > B.Top;
  }

  // Node Index of Level (0 holds the leaves, whose children are items).
  template <typename TVisit>
  void Descend(size_t Level, size_t Index, TNodeSimple P, TVisit& Visit) const {
    const std::vector<TRectDbl>& below = Level == 0 ? FItemBoxes : FLevels[Level - 1];
    const size_t first = Index * kFanOut;
    const size_t last = std::min(first + kFanOut, below.size());
    for (size_t c = first; c < last; ++c) {
      if (Outside(below[c], P)) continue;
      if (Level == 0) {
        Visit(FItems[c]);
      } else {
        Descend(Level - 1, c, P, Visit);
      }
    }
  }

  std::vector<uint32_t> FItems;      // indices of the packed boxes, in packed order
  std::vector<TRectDbl> FItemBoxes;  // their boxes, in the same order
  // FLevels[k][n] is the union of the boxes of node n's children on the level below.
  std::vector<std::vector<TRectDbl>> FLevels;
  std::vector<uint32_t> FAlways;  // boxes with a coordinate that is not a number
};

}  // namespace plavo
