#include "nesting/model/MosaroUnit.h"

#include <unordered_map>
#include <utility>

namespace plavo {

void InitRecords(TEngineState& E, int n) {
  E.NestRecords.Shape.assign(n > 0 ? static_cast<size_t>(n) : 0, TNestOneRec{});
  for (TNestOneRec& r : E.NestRecords.Shape) {
    r.SbpLastFillType = -1;
    r.PlaceTemp = r.Place;
  }
}

std::vector<int> CopySources(const TEngineState& E) {
  std::vector<int> source(E.NestRecords.Shape.size(), -1);
  std::unordered_map<int32_t, int> first;
  for (size_t i = 0; i < source.size(); ++i) {
    const int32_t group = E.NestRecords.Shape[i].CopyGroup;
    if (group < 0) continue;
    const auto [it, added] = first.emplace(group, static_cast<int>(i));
    if (!added) source[i] = it->second;
  }
  return source;
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
  if (Source == TFailureSource::None || E.ErrorFlag()) return;
  E.Failure.Source = Source;
  E.Failure.Message = std::move(Message);
}

void ReportLostShape(TEngineState& E, int Shape, std::string Why) {
  ReportFailure(E, TFailureSource::Drawing, "shape " + std::to_string(Shape) + ": " + Why);
  E.Failure.Lost.push_back(TShapeLoss{Shape, std::move(Why)});
}

void ClearFailure(TEngineState& E) {
  E.Failure = TNestFailure{};
}

}  // namespace plavo
