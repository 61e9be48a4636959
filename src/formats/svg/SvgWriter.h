// Writer of a nested result as an SVG picture in millimetres: the used sheets as outlines and
// every placed shape, filled and stroked in its own colours, where the result display shows it.
// The drawing's Y axis points up; the picture's points down, so every Y is written flipped
// within the layout's box (X as it is, sheet 1's lower-left corner at (0, 0) as read back).
// Every placed shape is one path outside any group, so reading the picture gives the shapes as
// placed; the sheet outlines form a layer of their own, marked as not to be cut.
#pragma once

#include <string>

#include "geometry/NestedLayout.h"

namespace plavo {

// The class and the layer name of the sheet outlines' group.
inline constexpr const char* kSheetOutlineClass = "sheet-outline-not-cut";
inline constexpr const char* kSheetOutlineLabel = "Sheet outlines (not cut)";

// Writes Layout to FileName through a temporary file. False with a message on failure; an
// existing file is then left unchanged.
bool WriteSvgFile(const std::string& FileName, const TNestedLayout& Layout, std::string& Error);
// The text WriteSvgFile writes.
bool BuildSvgText(const TNestedLayout& Layout, std::string& Text, std::string& Error);
// "#rrggbb" of a colour value (red in the low byte), "none" for a negative one.
std::string SvgColor(int32_t Color);

}  // namespace plavo
