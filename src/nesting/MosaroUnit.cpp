#include "nesting/MosaroUnit.h"

namespace plavo {

void InitRecords(TEngineState& E, int n) {
  E.NestRecords.Shape.assign(n > 0 ? static_cast<size_t>(n) : 0, TNestOneRec{});
  for (TNestOneRec& r : E.NestRecords.Shape) {
    r.SbpLastFillType = -1;
    r.PlaceTemp = r.Place;
  }
}

void ClearEngineState(TEngineState& E) {
  E.ErrorFlag = false;
  E.NestRecords.Count = 0;
  E.NestRecords.Shape.clear();
  E.ColorOrder = TColorOrder{};
  E.GenOrder = TGenOrder{};
  E.Blocks = TBlock{};
  E.SavedBlocks = TBlock{};
  E.DiscOffsets.clear();
  E.LineOffsets.clear();
}

void ResetPlace(TEngineState& E, int i) {
  TNestPlacedShape& p = E.NestRecords.Shape[i].Place;
  const bool enable = p.EnableToPlace;
  p = TNestPlacedShape{};
  p.EnableToPlace = enable;
}

}  // namespace plavo
