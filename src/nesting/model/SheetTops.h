// The used height of each sheet: the highest top edge (Place.TopY) among the shapes placed on
// it, 0 for a sheet without any. Summed over the sheets it is what "Best (by height)" compares
// and what the optimiser lowers; both take it from here.
#pragma once

#include <cstdint>
#include <vector>

namespace plavo {

class TSheetTops {
 public:
  // A shape placed on sheet Sheet with its top edge at Top; a negative sheet names none.
  void Add(int Sheet, int Top);
  // The sheets up to the last one holding a shape.
  int Sheets() const { return static_cast<int>(FTops.size()); }
  // The used height of sheet Sheet; 0 for one without shapes.
  int Top(int Sheet) const;
  // Per sheet up to the last one holding a shape.
  const std::vector<int>& Tops() const { return FTops; }
  // The used heights summed over the sheets.
  int64_t Sum() const { return FSum; }

 private:
  std::vector<int> FTops;
  int64_t FSum = 0;
};

}  // namespace plavo
