// The turn that puts a point of a drawing's shape onto its place: around the centre of the
// shape's box by an angle. The writers, the preview, the layout check and the engine's outline
// as cut all turn with it, so they agree to the last bit.
#pragma once

#include "geometry/ShapesClass.h"

namespace plavo {

// P turned by Theta radians around Centre, relative to Centre (the centre goes to 0, 0).
TNodeSimple TurnAbout(TNodeSimple P, TNodeSimple Centre, double Theta);

}  // namespace plavo
