// The outline as cut of each record, at each of its trial angles (CutOutline.h): its curves
// flattened as the layout check flattens them, turned as the writers turn them, and the cells
// it covers; each trial angle's box then holds those cells too.
#pragma once

#include <vector>

#include "nesting/model/CutOutline.h"
#include "nesting/model/MosaroUnit.h"

namespace plavo {

// Record Rec's active outline at trial angle Value, in mm from its centre, turned as the writers
// turn it: its Bezier paths flattened within kCutFlatness after the turn, as the layout check
// flattens them; the rectangles of the approximations widened to hold the curves they stand
// for; paths of nodes alone (made by hand) from their nodes.
std::vector<TCutRing> CutRings(const TNestOneRec& Rec, double Value);
// How much the outline of Rec is widened (TCutAngle::Pad).
double CutPad(const TNestOneRec& Rec);

// Fills every trial angle of record i with its outline as cut and widens the angle's box to
// its cells. Needs the record's trial angles and the run's parameters (whether holes are
// filled); a record without nodes keeps none.
void BuildCutAngles(TEngineState& E, int i);

}  // namespace plavo
