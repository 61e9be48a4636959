#include "nesting/OptimiserDecoder.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "nesting/PlacementDriver.h"
#include "nesting/PositionSearch.h"
#include "nesting/Rasterise.h"
#include "nesting/SearchTrials.h"
#include "nesting/Sheets.h"

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

// The position search and the drawing of record r, restricted to one trial angle when the
// gene fixes one: that angle stands first in the table with the count lowered to 1 while the
// search and the drawing run, and the placement then names it by its own index. A flipped
// record is searched from the other origin edge.
bool PlaceRecord(TEngineState& E, int r, int Angle, bool Alike, bool Flip) {
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
  if (found) DrawPlacedShape(E, r, true, true, false);
  if (fixed) {
    rec.AnglesSRR.Count = count;
    std::swap(rec.AnglesSRR.Item[0], rec.AnglesSRR.Item[static_cast<size_t>(Angle)]);
    if (found) rec.Place.AngC = Angle;
  }
  rec.LooksLike = alike;
  return found;
}

}  // namespace

TEvaluation DecodeLayout(TEngineState& E, const TLayoutGenes& G, const TLayoutCost& Bound,
                         const std::function<bool()>& Stop) {
  ResetPlacements(E);
  TLayoutCostCounter counter;
  TEvaluation out;
  for (const TOrder& order : G.Groups) {
    for (int r : order) {
      if (!TakesPart(E, r)) continue;
      if (Stop && Stop()) {
        out.End = TEvaluation::Stopped;
        return out;
      }
      const size_t k = static_cast<size_t>(r);
      if (PlaceRecord(E, r, G.Angle[k], G.Alike[k] != 0, G.Flip[k] != 0)) {
        counter.Placed(E.NestRecords.Shape[k].Place.sheetNo, E.NestRecords.Shape[k].Place.TopY);
      } else {
        counter.Unplaced();
      }
      if (counter.Cost() > Bound) {
        out.End = TEvaluation::OverBound;
        out.Cost = counter.Cost();
        return out;
      }
    }
    CloseColorGroup(E);
  }
  out.Cost = counter.Cost();
  return out;
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
  FState.Progress = nullptr;  // only the driving thread reports
  FState.StopRequest.Set(false);
  StartSheets(FState);
  FStart = FState.Blocks;
  FStartStamps.Resize(FStart.Count);
}

TEvaluation TLayoutDecoder::Evaluate(const TLayoutGenes& G, const TLayoutCost& Bound,
                                     const std::function<bool()>& Stop) {
  FMirror.Follow(FStart, FStartStamps, FState.Blocks);
  const TEvaluation e = DecodeLayout(FState, G, Bound, Stop);
  // Closing a colour group may change every sheet; otherwise only the sheets drawn into.
  if (FState.NestParams.Media_ByColor == 1 || FState.NestParams.Media_ByColor == 3) {
    FMirror.ForgetAll();
  } else {
    for (const TNestOneRec& rec : FState.NestRecords.Shape) {
      if (rec.Place.placed) FMirror.Forget(rec.Place.sheetNo);
    }
  }
  return e;
}

}  // namespace plavo
