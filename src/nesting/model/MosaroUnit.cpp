#include "nesting/model/MosaroUnit.h"

#include <utility>

namespace plavo {

void InitRecords(TEngineState& E, int n) {
  E.NestRecords.Shape.assign(n > 0 ? static_cast<size_t>(n) : 0, TNestOneRec{});
  for (TNestOneRec& r : E.NestRecords.Shape) {
    r.SbpLastFillType = -1;
    r.PlaceTemp = r.Place;
  }
}

void ClearEngineState(TEngineState& E) {
  ClearFailure(E);
  E.NestRecords.Count = 0;
  E.NestRecords.Shape.clear();
  E.ColorOrder = TColorOrder{};
  E.GenOrder = TGenOrder{};
  E.Blocks = TBlock{};
  E.SavedBlocks = TBlock{};
}

void ResetPlace(TEngineState& E, int i) {
  TNestPlacedShape& p = E.NestRecords.Shape[i].Place;
  const bool enable = p.EnableToPlace;
  p = TNestPlacedShape{};
  p.EnableToPlace = enable;
}

void ReportFailure(TEngineState& E, TFailureSource Source, std::string Message) {
  if (!E.ErrorFlag || E.Failure.Source == TFailureSource::None) {
    E.Failure = TNestFailure{Source, std::move(Message)};
  }
  E.ErrorFlag = true;
}

void ClearFailure(TEngineState& E) {
  E.ErrorFlag = false;
  E.Failure = TNestFailure{};
}

}  // namespace plavo
