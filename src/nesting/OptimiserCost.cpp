#include "nesting/OptimiserCost.h"

#include <algorithm>
#include <cstddef>

namespace plavo {

void TLayoutCostCounter::Placed(int Sheet, int Top) {
  if (Sheet < 0) return;
  const size_t s = static_cast<size_t>(Sheet);
  if (FTops.size() <= s) FTops.resize(s + 1, 0);
  const int raised = std::max(FTops[s], Top);
  FCost.HeightSum += raised - FTops[s];
  FTops[s] = raised;
  FCost.Sheets = static_cast<int>(FTops.size());
  FCost.LastTop = FTops.back();
}

}  // namespace plavo
