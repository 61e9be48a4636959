#include "nesting/optimise/OptimiserCost.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace plavo {

TLayoutCostCounter::TLayoutCostCounter(const TLayoutTarget& Target, int SheetHeight)
    : FTargeted(Target.Sheet != TLayoutTarget{}.Sheet),
      FTargetLevel(static_cast<int64_t>(Target.Sheet) * SheetHeight + Target.Top),
      FSheetHeight(SheetHeight) {}

void TLayoutCostCounter::Placed(int Sheet, int Top, double Area) {
  if (Sheet < 0) return;
  const size_t s = static_cast<size_t>(Sheet);
  if (FTops.size() <= s) FTops.resize(s + 1, 0);
  const int raised = std::max(FTops[s], Top);
  FCost.HeightSum += raised - FTops[s];
  FTops[s] = raised;
  FCost.Sheets = static_cast<int>(FTops.size());
  FCost.LastTop = FTops.back();
  if (!FTargeted) return;
  const int64_t above = static_cast<int64_t>(Sheet) * FSheetHeight + Top - FTargetLevel;
  // Whole square millimetres per millimetre above: small shapes still count.
  if (above > 0) FCost.Overflow += above * (1 + static_cast<int64_t>(std::fabs(Area)));
}

}  // namespace plavo
