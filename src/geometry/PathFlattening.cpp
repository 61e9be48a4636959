#include "geometry/PathFlattening.h"

#include "geometry/ArcFit.h"
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

void DropClosingPoint(const TPlacedPath& Path, std::vector<TNodeSimple>& Points) {
  if (Path.Closed && Points.size() > 1 && SamePoint(Points.front(), Points.back()))
    Points.pop_back();
}

std::vector<TNodeSimple> CubicPoints(const TPlacedPath& Path, double Tolerance) {
  std::vector<TNodeSimple> points;
  for (const TPlacedSegment& s : Path.Segments) {
    if (points.empty() || !SamePoint(points.back(), s.Start)) points.push_back(s.Start);
    if (IsStraightSegment(s))
      points.push_back(s.End);
    else
      FlattenCubicInto(points, s.Start, s.StartControl, s.EndControl, s.End, Tolerance);
  }
  DropClosingPoint(Path, points);
  return points;
}

std::vector<TNodeSimple> ArcPoints(const TPlacedPath& Path, double Tolerance) {
  const std::vector<TBulgeVertex> v = FitArcs(Path, kArcFitTolerance);
  std::vector<TNodeSimple> points;
  if (v.empty()) return points;
  points.push_back(v.front().P);
  const size_t pieces = Path.Closed ? v.size() : v.size() - 1;
  for (size_t k = 0; k < pieces; ++k) {
    FlattenBulgeInto(points, MakeBulgeArc(v[k].P, v[(k + 1) % v.size()].P, v[k].Bulge), Tolerance);
  }
  DropClosingPoint(Path, points);
  return points;
}

}  // namespace

void FlattenCubicInto(std::vector<TNodeSimple>& Points, TNodeSimple P1, TNodeSimple P2,
                      TNodeSimple P3, TNodeSimple P4, double Tolerance) {
  FlattenPiece(Points, P1, P2, P3, P4, Tolerance, 0);
}

std::vector<TNodeSimple> PolylineVertices(const TPlacedPath& Path, double Flatness) {
  return CubicPoints(Path, Flatness);
}

std::vector<TNodeSimple> WrittenPathPoints(const TPlacedPath& Path, TCurveForm Form,
                                           double Tolerance) {
  switch (Form) {
    case TCurveForm::Polyline:
      return PolylineVertices(Path, kPolylineFlatness);
    case TCurveForm::Arcs:
      return ArcPoints(Path, Tolerance);
    case TCurveForm::Cubics:
      break;
  }
  return CubicPoints(Path, Tolerance);
}

}  // namespace plavo
