// A point of the drawing in millimetres, Y up, and a polyline of them.
#pragma once

#include <vector>

namespace plavo {

struct TNodeSimple {
  double X = 0.0;
  double Y = 0.0;
};
using TNodeSimpleArr = std::vector<TNodeSimple>;

}  // namespace plavo
