// The small languages inside SVG attributes: colours, the style attribute's declarations,
// transform lists and lengths with units.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "geometry/DrawingPath.h"

namespace plavo {

// A colour as R + 256 G + 65536 B (red in the low byte): a CSS colour name, #rgb, #rrggbb or
// rgb() with numbers or percentages; "none" and "transparent" give -1. Nothing for anything
// else (the caller then keeps the inherited colour, as a viewer does for an invalid value).
std::optional<int32_t> ParseSvgColor(std::string_view Text);

// The value of property Name in a style attribute ("fill:red; stroke:none"), trimmed; empty
// when the property is not set there. A later declaration wins.
std::string_view StyleProperty(std::string_view Style, std::string_view Name);

// A transform list: matrix, translate, scale, rotate (with an optional centre), skewX, skewY,
// applied right to left as SVG does. Nothing when the list is malformed.
std::optional<TAffine> ParseSvgTransform(std::string_view Text);

// Millimetres per user unit: 96 px per inch.
inline constexpr double kMmPerPx = 25.4 / 96.0;

// A length with an optional unit (mm, cm, in, pt, pc, px, or none for px) in millimetres.
// Nothing for a malformed length or a unit it cannot convert (a percentage, em).
std::optional<double> ParseSvgLengthMm(std::string_view Text);

std::string_view TrimSvgText(std::string_view Text);

}  // namespace plavo
