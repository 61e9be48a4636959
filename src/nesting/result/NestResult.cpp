#include "nesting/result/NestResult.h"

#include <utility>

#include "nesting/place/SearchTrials.h"
#include "nesting/result/ResultLayout.h"

namespace plavo {

TOneNestingResult CaptureResult(const TEngineState& E, const std::vector<int32_t>& ShapeIndex) {
  TOneNestingResult R;
  R.P = E.NestParams;
  R.Place.reserve(E.NestRecords.Shape.size());
  R.OptimalAngles.reserve(E.NestRecords.Shape.size());
  R.NetAreas.reserve(E.NestRecords.Shape.size());
  for (size_t i = 0; i < E.NestRecords.Shape.size(); ++i) {
    const TNestOneRec& r = E.NestRecords.Shape[i];
    R.Place.push_back(r.Place);
    R.OptimalAngles.push_back(r.OptimalAngle);
    R.NetAreas.push_back(r.Original.Scale);
    // The container is placed as the sheet, though it takes no part in the search.
    R.LeftOut.push_back(!r.Place.placed && !TakesPart(E, static_cast<int>(i)));
  }
  R.ShapeIndex = ShapeIndex;
  R.Block.Item.reserve(E.Blocks.Item.size());
  for (const TBlockSingle& sheet : E.Blocks.Item) {
    TBlockSingle copy;
    copy.EnableToPlace = sheet.EnableToPlace;
    copy.Position = sheet.Position;
    copy.ContourCreated = sheet.ContourCreated;
    copy.HasShape = sheet.HasShape;
    R.Block.Item.push_back(std::move(copy));
  }
  R.Block.Count = static_cast<int32_t>(R.Block.Item.size());
  return R;
}

bool RestoreResult(TEngineState& E, const TOneNestingResult& R) {
  const size_t n = E.NestRecords.Shape.size();
  if (R.Place.size() != n || R.OptimalAngles.size() != n) return false;
  E.NestParams = R.P;
  for (size_t i = 0; i < n; ++i) {
    TNestOneRec& r = E.NestRecords.Shape[i];
    r.Place = R.Place[i];
    r.PlaceTemp = r.Place;
    r.OptimalAngle = R.OptimalAngles[i];
  }
  E.Blocks = R.Block;
  return true;
}

TSheetTops SheetTopsOf(const TOneNestingResult& R) {
  TSheetTops tops;
  for (const TNestPlacedShape& p : R.Place) {
    if (p.placed) tops.Add(p.sheetNo, p.TopY);
  }
  return tops;
}

long long HeightSum(const TOneNestingResult& R) {
  return SheetTopsOf(R).Sum();
}

int BestByHeight(const std::vector<TOneNestingResult>& Results) {
  int best = -1;
  long long lowest = 0;
  for (int k = 0; k < static_cast<int>(Results.size()); ++k) {
    const long long sum = HeightSum(Results[static_cast<size_t>(k)]);
    // Strictly lower only: of equal sums the earliest result stays.
    if (best < 0 || sum < lowest) {
      best = k;
      lowest = sum;
    }
  }
  return best;
}

}  // namespace plavo
