#include "geometry/BoxTree.h"

#include <algorithm>
#include <cmath>

namespace plavo {

namespace {

bool HasNaN(const TRectDbl& B) {
  return B.Left != B.Left || B.Right != B.Right || B.Bottom != B.Bottom || B.Top != B.Top;
}

// The middle of a box along one axis; 0 where an infinite extent leaves none, so sorting by it
// stays a strict order.
double Middle(double Low, double High) {
  const double m = Low / 2 + High / 2;
  return m == m ? m : 0.0;
}

std::vector<TRectDbl> Parents(const std::vector<TRectDbl>& Children, size_t FanOut) {
  std::vector<TRectDbl> parents;
  parents.reserve((Children.size() + FanOut - 1) / FanOut);
  for (size_t first = 0; first < Children.size(); first += FanOut) {
    TRectDbl box = EmptyBox();
    const size_t last = std::min(first + FanOut, Children.size());
    for (size_t c = first; c < last; ++c) WidenBox(box, Children[c]);
    parents.push_back(box);
  }
  return parents;
}

}  // namespace

TBoxTree::TBoxTree(const std::vector<TRectDbl>& Boxes) {
  for (size_t i = 0; i < Boxes.size(); ++i) {
    const TRectDbl& b = Boxes[i];
    if (HasNaN(b)) {
      FAlways.push_back(static_cast<uint32_t>(i));
    } else if (b.Left <= b.Right && b.Bottom <= b.Top) {
      FItems.push_back(static_cast<uint32_t>(i));
    }
  }
  // Vertical slices of about sqrt(leaves) leaves each, sorted by X; within a slice by Y.
  auto byX = [&](uint32_t A, uint32_t B) {
    return Middle(Boxes[A].Left, Boxes[A].Right) < Middle(Boxes[B].Left, Boxes[B].Right);
  };
  auto byY = [&](uint32_t A, uint32_t B) {
    return Middle(Boxes[A].Bottom, Boxes[A].Top) < Middle(Boxes[B].Bottom, Boxes[B].Top);
  };
  std::sort(FItems.begin(), FItems.end(), byX);
  const size_t leaves = (FItems.size() + kFanOut - 1) / kFanOut;
  const size_t slices = static_cast<size_t>(std::ceil(std::sqrt(static_cast<double>(leaves))));
  const size_t perSlice = std::max<size_t>(1, slices) * kFanOut;
  for (size_t first = 0; first < FItems.size(); first += perSlice) {
    const auto begin = FItems.begin() + static_cast<std::ptrdiff_t>(first);
    const auto end =
        FItems.begin() + static_cast<std::ptrdiff_t>(std::min(first + perSlice, FItems.size()));
    std::sort(begin, end, byY);
  }
  FItemBoxes.reserve(FItems.size());
  for (uint32_t i : FItems) FItemBoxes.push_back(Boxes[i]);
  if (FItems.empty()) return;
  FLevels.push_back(Parents(FItemBoxes, kFanOut));
  while (FLevels.back().size() > 1) FLevels.push_back(Parents(FLevels.back(), kFanOut));
}

}  // namespace plavo
