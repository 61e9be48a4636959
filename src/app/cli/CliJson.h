// The command-line tool's machine-readable output, built with nlohmann-json. Members keep the
// order in which they are set; numbers are written in the shortest form that reads back to the
// same double, and a value JSON cannot hold (NaN, infinity) is written as null.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "geometry/ShapesClass.h"

namespace plavo {

using TJson = nlohmann::ordered_json;

// A number member: null for a value JSON cannot hold, 0 for -0 (which some readers reject).
TJson JsonNumber(double Value);
// [Left, Top, Right, Bottom].
TJson JsonBox(const TRectDbl& Box);
// The whole document on one line.
std::string JsonText(const TJson& Document);

// A number in the text reports, in the same shortest form ("null" when it is no number).
std::string NumberText(double Value);

}  // namespace plavo
