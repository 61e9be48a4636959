#include "nesting/model/MosaroUnit.h"

#include <algorithm>
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

int TCopyRowsEntry::Slot(const void* Cut) const {
  if (Cut == nullptr) return -1;
  const auto it = std::find(Angles.begin(), Angles.end(), Cut);
  return it == Angles.end() ? -1 : static_cast<int>(it - Angles.begin());
}

TCopyRowsEntry* TCopyRows::For(int32_t Group, int32_t Sheet, uint64_t Lineage,
                               const std::vector<const void*>& Angles, int32_t Columns) {
  if (Lineage == TBooleanMatrix::kNoLineage || Angles.empty() || Columns <= 0) return nullptr;
  TCopyRowsEntry* entry = nullptr;
  for (TCopyRowsEntry& e : FEntries) {
    if (e.Group == Group && e.Sheet == Sheet) entry = &e;
  }
  if (entry == nullptr && FEntries.size() < kEntries) entry = &FEntries.emplace_back();
  if (entry == nullptr) {
    entry = &*std::min_element(FEntries.begin(), FEntries.end(),
                               [](const auto& a, const auto& b) { return a.Used < b.Used; });
  }
  const size_t cells = Angles.size() * static_cast<size_t>(Columns);
  // The same angles in any order: each is found by its slot.
  const bool sameAngles =
      entry->Angles.size() == Angles.size() &&
      std::all_of(Angles.begin(), Angles.end(), [&](const void* a) { return entry->Slot(a) >= 0; });
  if (entry->Group != Group || entry->Sheet != Sheet || entry->Lineage != Lineage ||
      entry->Columns != Columns || !sameAngles) {
    entry->Angles = Angles;
    entry->Group = Group;
    entry->Sheet = Sheet;
    entry->Lineage = Lineage;
    entry->Columns = Columns;
    entry->From.assign(cells, -1);
    entry->Row.assign(cells, -1);
  }
  entry->Used = ++FClock;
  return entry;
}

const TBooleanMatrix* TCopyRows::Drawn(const void* Cut) const {
  for (const TDrawnCells& d : FDrawn) {
    if (Cut != nullptr && d.Cut == Cut) return &d.Cells;
  }
  return nullptr;
}

void TCopyRows::KeepDrawn(const void* Cut, TBooleanMatrix Cells) {
  if (Cut == nullptr) return;
  if (FDrawn.size() < kDrawn) {
    FDrawn.push_back(TDrawnCells{Cut, std::move(Cells)});
    return;
  }
  FDrawn[FNextDrawn] = TDrawnCells{Cut, std::move(Cells)};
  FNextDrawn = (FNextDrawn + 1) % kDrawn;
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
  E.CopySearch.Clear();
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
