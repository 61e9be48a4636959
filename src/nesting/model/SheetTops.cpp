#include "nesting/model/SheetTops.h"

#include <cstddef>

namespace plavo {

void TSheetTops::Add(int Sheet, int Top) {
  if (Sheet < 0) return;
  const auto s = static_cast<size_t>(Sheet);
  if (FTops.size() <= s) FTops.resize(s + 1, 0);
  if (Top <= FTops[s]) return;
  FSum += Top - FTops[s];
  FTops[s] = Top;
}

int TSheetTops::Top(int Sheet) const {
  return Sheet >= 0 && Sheet < Sheets() ? FTops[static_cast<size_t>(Sheet)] : 0;
}

}  // namespace plavo
