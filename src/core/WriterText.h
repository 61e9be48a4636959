// Number text shared by the writers: fixed-point, locale-free, no exponent.
#pragma once

#include <string>

namespace plavo {

// Value with at most Decimals digits after the point, trailing zeros and a bare point dropped,
// and "-0" written as "0". Non-finite values are written as "0": a drawing file has no text
// for them, and no layout produces them.
std::string FormatFixed(double Value, int Decimals);

}  // namespace plavo
