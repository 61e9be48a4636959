// DXF true colours (group 420, 0xRRGGBB) and the colour values of the shape collection (red in
// the low byte): the same three bytes in the other order, read and written the same way.
#pragma once

#include <cstdint>

namespace plavo {

// The low three bytes of V with the first and the third exchanged; higher bits are dropped.
constexpr int32_t SwapRedAndBlue(uint32_t V) {
  return static_cast<int32_t>((V >> 16 & 0xFF) | (V & 0xFF00) | (V & 0xFF) << 16);
}

// The colour value of a group 420 true colour as a file holds it.
constexpr int32_t ColorOfTrueColor(int64_t TrueColor) {
  return SwapRedAndBlue(static_cast<uint32_t>(TrueColor));
}

// The group 420 true colour of a colour value.
constexpr int32_t TrueColorOf(int32_t Color) {
  return SwapRedAndBlue(static_cast<uint32_t>(Color));
}

}  // namespace plavo
