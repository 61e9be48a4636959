// The units every part of the program shares: the 1/10000 mm integer grid on which the reader,
// the curve approximation and the engine's nodes work, and the PostScript point of drawing
// files.
#pragma once

#include <cstdint>
#include <optional>

namespace plavo {

// Integer units per millimetre.
inline constexpr double kUnitsPerMm = 10000.0;

// Millimetres per PostScript point to twelve decimals (not exactly 25.4 / 72): drawings have
// always been read with this value, and the writer must use the same one to land on the same grid.
inline constexpr double kMillimetresPerPoint = 0.352777777777;

// Truncation toward zero into 32 bits; none for NaN or a value beyond the 32-bit range.
inline std::optional<int32_t> TruncToInt32(double Value) {
  if (!(Value > -2147483649.0 && Value < 2147483648.0)) return std::nullopt;
  return static_cast<int32_t>(Value);
}

// Truncation toward zero that saturates at the 32-bit range instead of being undefined; NaN
// gives 0.
inline int32_t TruncSaturated(double Value) {
  if (Value >= 2147483647.0) return 2147483647;
  if (Value <= -2147483648.0) return -2147483647 - 1;
  if (Value != Value) return 0;
  return static_cast<int32_t>(Value);
}

// Whether a coordinate in millimetres has a value in the integer units.
inline bool FitsUnits(double Mm) {
  return TruncToInt32(Mm * kUnitsPerMm).has_value();
}

}  // namespace plavo
