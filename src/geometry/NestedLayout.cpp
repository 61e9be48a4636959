#include "geometry/NestedLayout.h"

#include "geometry/QarvMath.h"

namespace plavo {

bool IsStraightSegment(const TPlacedSegment& S) {
  return S.Type_ == 0 || (SamePoint(S.StartControl, S.Start) && SamePoint(S.EndControl, S.End));
}

}  // namespace plavo
