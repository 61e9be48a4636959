// What the optimiser minimises, in this order: shapes left unplaced, sheets used, the sum of the
// used heights of the sheets (what "Best (by height)" compares) and the top on the last sheet.
// Every term can only grow while a layout is built shape by shape, so a layout whose partial
// cost already exceeds a bound cannot end below it: the decoder stops it there.
#pragma once

#include <compare>
#include <cstdint>
#include <limits>
#include <vector>

namespace plavo {

struct TLayoutCost {
  int Unplaced = 0;
  int Sheets = 0;
  int64_t HeightSum = 0;
  int LastTop = 0;

  auto operator<=>(const TLayoutCost&) const = default;

  // Worse than every layout: the bound of a search that has none yet.
  static TLayoutCost Worst() {
    TLayoutCost c;
    c.Unplaced = std::numeric_limits<int>::max();
    return c;
  }
};

// Builds the cost while shapes are placed one after the other.
class TLayoutCostCounter {
 public:
  void Unplaced() { ++FCost.Unplaced; }
  // A shape placed on sheet Sheet with its top edge (TopY) at Top.
  void Placed(int Sheet, int Top);
  const TLayoutCost& Cost() const { return FCost; }

 private:
  TLayoutCost FCost;
  std::vector<int> FTops;  // per sheet: the highest top so far
};

}  // namespace plavo
