// The placement driver and the search for the best result.
#pragma once

#include "nesting/model/MosaroUnit.h"

namespace plavo {

// Places every record with "Process shape" set; sets the error flag on failure.
void PlaceAll(TEngineState& E);
void SortBySize(const TEngineState& E, TOrder& Order);
void FindLookAlikes(TEngineState& E, const TOrder& Order);
void ShuffleBatch(TEngineState& E, int i);
// Progress of the run through E's control: Fraction 0..1 as a whole percent.
void ReportProgress(TEngineState& E, double Fraction);
// E's control asks for a stop, or the run has failed.
bool StopRequested(const TEngineState& E);
// E's control asks to skip the search for the best result ("Skip searching.").
bool SkipSearchRequested(const TEngineState& E);
// Seeds E.Random with E.RandomSeed when E.RandomSeeded is set, else from the clock. PlaceAll
// calls it first, so a seeded run is reproducible.
void SeedRandom(TEngineState& E);

// The sheets a run starts from: one empty sheet, or in container mode the container's sheet
// (which sizes the sheet and places the container). No sheet, with the failure reported, for a
// container larger than the largest sheet.
void StartSheets(TEngineState& E);
// The records of colour group g in the order the driver places them: largest first, unless
// the group keeps its order (PreserveOrd without the search).
TOrder PlacementOrder(const TEngineState& E, int g);

}  // namespace plavo
