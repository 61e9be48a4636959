// What a CAD drawing holds that is not to be cut: centre, hidden and phantom lines (by their
// linetype), the layer Defpoints, which CAD programs never plot, and the marker layers of
// LibreCAD's parts library ("_stretch_..."). Names are compared without regard to case.
#pragma once

#include <string_view>

namespace plavo {

// CENTER, DASHDOT, HIDDEN and PHANTOM with the variants CAD programs ship (CENTER2, HIDDENX2).
bool IsNotCutLinetype(std::string_view Name);
bool IsNotCutLayer(std::string_view Name);

}  // namespace plavo
