#include "nesting/optimise/OptimiserDecoder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>
#include <utility>

#include "nesting/place/PlacementDriver.h"
#include "nesting/place/PositionSearch.h"
#include "nesting/place/Rasterise.h"
#include "nesting/place/SearchTrials.h"
#include "nesting/place/Sheets.h"

namespace plavo {

namespace {

// As a run starts: no record that takes part is placed.
void ResetPlacements(TEngineState& E) {
  for (int r = 0; r < static_cast<int>(E.NestRecords.Shape.size()); ++r) {
    if (!TakesPart(E, r)) continue;
    TNestPlacedShape& p = E.NestRecords.Shape[r].Place;
    p.placed = false;
    p.sheetNo = 0;
    p.VeryMinY = 0;
  }
}

// Record r drawn at its placement; through the cache when there is one.
void DrawRecord(TEngineState& E, int r, TDrawingCache* Cache) {
  if (Cache != nullptr) {
    Cache->Draw(E, r);
  } else {
    DrawPlacedShape(E, r, true, true, false);
  }
}

// The position search and the drawing of record r, restricted to one trial angle when the
// gene fixes one: that angle stands first in the table with the count lowered to 1 while the
// search and the drawing run, and the placement then names it by its own index. A flipped
// record is searched from the other origin edge.
bool PlaceRecord(TEngineState& E, int r, int Angle, bool Alike, bool Flip, TDrawingCache* Cache) {
  TNestOneRec& rec = E.NestRecords.Shape[r];
  const int32_t alike = rec.LooksLike;
  if (!Alike) rec.LooksLike = 0;
  const bool fixed = Angle >= 0 && Angle < AngleTotal(rec);
  const uint8_t count = rec.AnglesSRR.Count;
  if (fixed) {
    std::swap(rec.AnglesSRR.Item[0], rec.AnglesSRR.Item[static_cast<size_t>(Angle)]);
    rec.AnglesSRR.Count = 1;
  }
  int score = 0;
  const bool origin = E.NestParams.Origin_point;
  if (Flip) E.NestParams.Origin_point = !origin;
  const bool found = FindPlace(E, r, 1.0, score);
  E.NestParams.Origin_point = origin;
  if (fixed) {
    rec.AnglesSRR.Count = count;
    std::swap(rec.AnglesSRR.Item[0], rec.AnglesSRR.Item[static_cast<size_t>(Angle)]);
    if (found) rec.Place.AngC = Angle;
  }
  rec.LooksLike = alike;
  // Drawn at its angle's own index: the same box and outline as under the swapped table.
  if (found) DrawRecord(E, r, Cache);
  return found;
}

// Record r placed where Step says, as its search had placed it: the sheets the search had by
// then, the turn the search left its outline in, and the same drawing.
bool Redraw(TEngineState& E, int r, const TLayoutStep& Step, TDrawingCache* Cache) {
  while (E.Blocks.Count < Step.Sheets) NewSheet(E);
  TNestOneRec& rec = E.NestRecords.Shape[r];
  rec.Place = Step.Place;
  if (!rec.Place.placed) return false;
  RotateNestShape(rec, rec.Place.a);
  DrawRecord(E, r, Cache);
  return true;
}

// DecodeLayout, with the first Shared positions drawn from Replay.
TEvaluation Decode(TEngineState& E, const TLayoutGenes& G, const TLayoutCost& Bound,
                   const std::function<bool()>& Stop, const TLayoutTrace* Replay, size_t Shared,
                   TLayoutTrace* Trace, const TLayoutTarget& Target, TDrawingCache* Cache) {
  ResetPlacements(E);
  TLayoutCostCounter counter(Target, E.NestParams.Media_H);
  TEvaluation out;
  if (Trace != nullptr) Trace->clear();
  size_t position = 0;
  for (const TOrder& order : G.Groups) {
    for (int r : order) {
      const size_t at = position++;
      const size_t k = static_cast<size_t>(r);
      const TNestPlacedShape& place = E.NestRecords.Shape[k].Place;
      if (TakesPart(E, r)) {
        bool placed = false;
        if (at < Shared) {
          placed = Redraw(E, r, (*Replay)[at], Cache);
        } else if (Stop && Stop()) {
          out.End = TEvaluation::Stopped;
          return out;
        } else {
          placed = PlaceRecord(E, r, G.Angle[k], G.Alike[k] != 0, G.Flip[k] != 0, Cache);
        }
        if (placed) {
          counter.Placed(place.sheetNo, place.TopY, E.NestRecords.Shape[k].Original.Scale);
        } else {
          counter.Unplaced();
        }
        if (counter.Cost() > Bound) {
          out.End = TEvaluation::OverBound;
          out.Cost = counter.Cost();
          return out;
        }
      }
      if (Trace != nullptr) Trace->push_back(TLayoutStep{place, E.Blocks.Count});
    }
    CloseColorGroup(E);
  }
  out.Cost = counter.Cost();
  return out;
}

}  // namespace

TEvaluation DecodeLayout(TEngineState& E, const TLayoutGenes& G, const TLayoutCost& Bound,
                         const std::function<bool()>& Stop) {
  return Decode(E, G, Bound, Stop, nullptr, 0, nullptr, TLayoutTarget{}, nullptr);
}

TLayoutCost TraceCost(const TEngineState& E, const TDecodedLayout& L, const TLayoutTarget& Target) {
  TLayoutCostCounter counter(Target, E.NestParams.Media_H);
  size_t position = 0;
  for (const TOrder& order : L.Genes.Groups) {
    for (int r : order) {
      const size_t at = position++;
      if (!TakesPart(E, r) || at >= L.Trace.size()) continue;
      const TNestPlacedShape& p = L.Trace[at].Place;
      if (p.placed) {
        counter.Placed(p.sheetNo, p.TopY,
                       E.NestRecords.Shape[static_cast<size_t>(r)].Original.Scale);
      } else {
        counter.Unplaced();
      }
    }
  }
  return counter.Cost();
}

size_t FirstDifference(const TLayoutGenes& G, const TLayoutGenes& Base) {
  size_t position = 0;
  for (size_t g = 0; g < G.Groups.size(); ++g) {
    const TOrder& order = G.Groups[g];
    for (size_t p = 0; p < order.size(); ++p, ++position) {
      if (g >= Base.Groups.size() || p >= Base.Groups[g].size()) return position;
      const int r = order[p];
      const size_t k = static_cast<size_t>(r);
      if (Base.Groups[g][p] != r || G.Angle[k] != Base.Angle[k] || G.Alike[k] != Base.Alike[k] ||
          G.Flip[k] != Base.Flip[k]) {
        return position;
      }
    }
  }
  return position;
}

TLayoutCost CurrentCost(const TEngineState& E) {
  TLayoutCostCounter counter;
  for (int r = 0; r < static_cast<int>(E.NestRecords.Shape.size()); ++r) {
    if (!TakesPart(E, r)) continue;
    const TNestPlacedShape& p = E.NestRecords.Shape[static_cast<size_t>(r)].Place;
    if (p.placed) {
      counter.Placed(p.sheetNo, p.TopY);
    } else {
      counter.Unplaced();
    }
  }
  return counter.Cost();
}

TLayoutDecoder::TLayoutDecoder(const TEngineState& E) : FState(E) {
  FState.Control = nullptr;  // only the driving thread reports; Evaluate's Stop stops a decoding
  StartSheets(FState);
  FStart = FState.Blocks;
  FStartStamps.Resize(FStart.Count);
}

TEvaluation TLayoutDecoder::Evaluate(const TLayoutGenes& G, const TLayoutCost& Bound,
                                     const std::function<bool()>& Stop, const TDecodedLayout* Base,
                                     TLayoutTrace* Trace, const TLayoutTarget& Target) {
  FMirror.Follow(FStart, FStartStamps, FState.Blocks);
  size_t shared = 0;
  if (Base != nullptr) shared = std::min(FirstDifference(G, Base->Genes), Base->Trace.size());
  const TEvaluation e = Decode(FState, G, Bound, Stop, Base != nullptr ? &Base->Trace : nullptr,
                               shared, Trace, Target, &FDrawings);
  // Closing a colour group may change every sheet; otherwise only the sheets drawn into.
  if (FState.NestParams.Media_ByColor == 1 || FState.NestParams.Media_ByColor == 3) {
    FMirror.ForgetAll();
  } else {
    RestoreDrawnRows();
  }
  return e;
}

void TLayoutDecoder::RestoreDrawnRows() {
  // A drawing reaches FrameMargin cells beyond the shape's box at most.
  const int reach = FrameMargin(FState) + 1;
  std::vector<int> rows(FState.Blocks.Item.size(), 0);
  for (const TNestOneRec& rec : FState.NestRecords.Shape) {
    const TNestPlacedShape& p = rec.Place;
    if (!p.placed || p.sheetNo < 0 || static_cast<size_t>(p.sheetNo) >= rows.size()) continue;
    const int64_t top = int64_t{p.y} + rec.AnglesSRR.Item[static_cast<size_t>(p.AngC)].Rect.Top;
    int& r = rows[static_cast<size_t>(p.sheetNo)];
    r = static_cast<int>(std::clamp<int64_t>(top + reach + 1, r, INT32_MAX));
  }
  for (size_t s = 0; s < rows.size(); ++s) {
    if (rows[s] == 0) continue;
    TBooleanMatrix& m = FState.Blocks.Item[s].m;
    if (s < FStart.Item.size() && FStart.Item[s].m.Width() == m.Width() &&
        FStart.Item[s].m.Height() == m.Height()) {
      m.CopyLowRows(FStart.Item[s].m, rows[s]);
    } else {
      FMirror.Forget(static_cast<int>(s));
    }
  }
}

void TDrawingCache::Draw(TEngineState& E, int r) {
  const TNestOneRec& rec = E.NestRecords.Shape[static_cast<size_t>(r)];
  const int angle = rec.Place.AngC;
  if (!rec.Place.placed || angle < 0 || angle >= AngleTotal(rec)) {
    DrawPlacedShape(E, r, true, true, false);  // nothing to keep; its own checks apply
    return;
  }
  if (FCells.size() < E.NestRecords.Shape.size()) FCells.resize(E.NestRecords.Shape.size());
  std::vector<TBooleanMatrix>& kept = FCells[static_cast<size_t>(r)];
  if (kept.size() < static_cast<size_t>(AngleTotal(rec))) kept.resize(AngleTotal(rec));
  TBooleanMatrix& cells = kept[static_cast<size_t>(angle)];
  if (cells.Empty()) {
    TBooleanMatrix drawn = DrawnCells(E, r);
    const size_t bytes = static_cast<size_t>(drawn.Width()) * drawn.WordsPerColumn() * 8;
    if (FBytes + bytes > kDrawingCacheBytes) {
      StampDrawnCells(E, r, drawn);
      return;
    }
    FBytes += bytes;
    cells = std::move(drawn);
  }
  StampDrawnCells(E, r, cells);
}

}  // namespace plavo
