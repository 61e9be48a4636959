// What the optimiser minimises, in this order: shapes left unplaced, sheets used, the sum of the
// used heights of the sheets (what "Best (by height)" compares) and the top on the last sheet.
// Every term can only grow while a layout is built shape by shape, so a layout whose partial
// cost already exceeds a bound cannot end below it: the decoder stops it there.
//
// While the search shrinks the layout it asks for one below a target level (a sheet's top
// counts on the level of all sheets before it stacked below it). The overflow then measures
// how far a layout is from that: the shapes' areas times how far their tops reach above the
// target. It ranks right after the unplaced shapes and grows with every shape as well.
#pragma once

#include <compare>
#include <cstdint>
#include <limits>

#include "nesting/model/SheetTops.h"

namespace plavo {

struct TLayoutCost {
  int Unplaced = 0;
  int64_t Overflow = 0;  // 0 without a target
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
  // The layout's own cost, without the overflow.
  TLayoutCost Own() const {
    TLayoutCost c = *this;
    c.Overflow = 0;
    return c;
  }
};

// The level a layout should stay below: sheet Sheet, row Top. None by default.
struct TLayoutTarget {
  int Sheet = std::numeric_limits<int>::max();
  int Top = 0;
};

// Builds the cost while shapes are placed one after the other.
class TLayoutCostCounter {
 public:
  TLayoutCostCounter() = default;
  // SheetHeight: rows of a sheet, how far one sheet lifts the level of the next.
  TLayoutCostCounter(const TLayoutTarget& Target, int SheetHeight);

  void Unplaced() { ++FCost.Unplaced; }
  // A shape of Area mm2 placed on sheet Sheet with its top edge (TopY) at Top.
  void Placed(int Sheet, int Top, double Area = 0.0);
  const TLayoutCost& Cost() const { return FCost; }

 private:
  TLayoutCost FCost;
  TSheetTops FTops;
  bool FTargeted = false;
  int64_t FTargetLevel = 0;
  int64_t FSheetHeight = 0;
};

}  // namespace plavo
