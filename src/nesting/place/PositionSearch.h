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
// Every cell record i covers at trial angle j (its outline as cut), and the joins between its
// closed sub-paths, whose nodes must be turned to the angle: free on sheet s with the centre at
// (x, y). The sheet holds the placed shapes widened by the distance, so a fit keeps it.
bool CellsFit(const TEngineState& E, int i, int j, int x, int y, int s, TCollision& C);
void RefinePlace(TEngineState& E, int i);
struct TLookAlikeStart {
  int Sheet = 0;
  int Row = 1;
};
TLookAlikeStart LookAlikeStart(const TEngineState& E, int i);

}  // namespace plavo
