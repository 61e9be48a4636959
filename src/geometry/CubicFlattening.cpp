#include "geometry/CubicFlattening.h"

#include "geometry/QarvMath.h"

namespace plavo {

namespace {

// Splitting a cubic stops here: 2^16 pieces, reached only by absurd curves.
constexpr int kFlattenDepthLimit = 16;

TNodeSimple MidPoint(TNodeSimple a, TNodeSimple b) {
  return {(a.X + b.X) / 2, (a.Y + b.Y) / 2};
}

void FlattenPiece(std::vector<TNodeSimple>& Points, TNodeSimple P1, TNodeSimple P2, TNodeSimple P3,
                  TNodeSimple P4, double Tolerance, int Depth) {
  // The curve lies in the hull of its controls: close enough when both are near the chord.
  if (Depth >= kFlattenDepthLimit || (PointSegmentDistance(P2, P1, P4) <= Tolerance &&
                                      PointSegmentDistance(P3, P1, P4) <= Tolerance)) {
    Points.push_back(P4);
    return;
  }
  const TNodeSimple p12 = MidPoint(P1, P2);
  const TNodeSimple p23 = MidPoint(P2, P3);
  const TNodeSimple p34 = MidPoint(P3, P4);
  const TNodeSimple p123 = MidPoint(p12, p23);
  const TNodeSimple p234 = MidPoint(p23, p34);
  const TNodeSimple m = MidPoint(p123, p234);
  FlattenPiece(Points, P1, p12, p123, m, Tolerance, Depth + 1);
  FlattenPiece(Points, m, p234, p34, P4, Tolerance, Depth + 1);
}

}  // namespace

void FlattenCubicInto(std::vector<TNodeSimple>& Points, TNodeSimple P1, TNodeSimple P2,
                      TNodeSimple P3, TNodeSimple P4, double Tolerance) {
  FlattenPiece(Points, P1, P2, P3, P4, Tolerance, 0);
}

}  // namespace plavo
