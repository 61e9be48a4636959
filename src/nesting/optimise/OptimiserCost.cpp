#include "nesting/optimise/OptimiserCost.h"

#include <cmath>
#include <cstdint>

namespace plavo {

TLayoutCostCounter::TLayoutCostCounter(const TLayoutTarget& Target, int SheetHeight)
    : FTargeted(Target.Sheet != TLayoutTarget{}.Sheet),
      FTargetLevel(static_cast<int64_t>(Target.Sheet) * SheetHeight + Target.Top),
      FSheetHeight(SheetHeight) {}

void TLayoutCostCounter::Placed(int Sheet, int Top, double Area) {
  if (Sheet < 0) return;
  FTops.Add(Sheet, Top);
  FCost.HeightSum = FTops.Sum();
  FCost.Sheets = FTops.Sheets();
  FCost.LastTop = FTops.Top(FCost.Sheets - 1);
  if (!FTargeted) return;
  const int64_t above = static_cast<int64_t>(Sheet) * FSheetHeight + Top - FTargetLevel;
  // Whole square millimetres per millimetre above: small shapes still count.
  if (above > 0) FCost.Overflow += above * (1 + static_cast<int64_t>(std::fabs(Area)));
}

}  // namespace plavo
