// Position search: where one shape goes, over sheets, trial angles, columns and rows.
#pragma once

#include "nesting/model/MosaroUnit.h"

namespace plavo {

// The collision cell the fit tests record; (-1, -1) means none.
struct TCollision {
  int cx = -1;
  int cy = -1;
};

// Searches a place for record i; when found, sets its Place, refines it and raises Score.
bool FindPlace(TEngineState& E, int i, double Factor, int& Score);
bool ProbeFit(const TEngineState& E, int i, int x, int y, int s, TCollision& C);
bool NodesFit(const TEngineState& E, int i, int x, int y, int s, TCollision& C);
bool EdgesFit(const TEngineState& E, int i, int x, int y, int s, TCollision& C);
void RefinePlace(TEngineState& E, int i);
struct TLookAlikeStart {
  int Sheet = 0;
  int Row = 1;
};
TLookAlikeStart LookAlikeStart(const TEngineState& E, int i);

}  // namespace plavo
