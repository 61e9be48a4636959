// Runs kept as values: taken from the engine after a run, compared by the height sum "Best (by
// height)" uses, and put back into the engine's records for display.
#pragma once

#include <cstdint>
#include <vector>

#include "nesting/model/MosaroUnit.h"
#include "nesting/model/SheetTops.h"

namespace plavo {

// The outcome of the run held in E. ShapeIndex names, per record, the drawing's shape it stands
// for. The sheets are copied without their rasters.
TOneNestingResult CaptureResult(const TEngineState& E, const std::vector<int32_t>& ShapeIndex);

// Puts R back into E as the window does when it shows a stored run: the parameters, every
// record's placement and optimal angle, and the sheets (their positions and flags; rasters stay
// empty). R must come from E's records (same count); false and nothing changed otherwise.
bool RestoreResult(TEngineState& E, const TOneNestingResult& R);

// The used height of each sheet of R: the highest TopY among the shapes placed on it.
TSheetTops SheetTopsOf(const TOneNestingResult& R);
// The used heights summed over the sheets: what "Best (by height)" compares.
long long HeightSum(const TOneNestingResult& R);

// Index of the result with the smallest height sum; of equal sums the earliest. -1 when empty.
int BestByHeight(const std::vector<TOneNestingResult>& Results);

}  // namespace plavo
