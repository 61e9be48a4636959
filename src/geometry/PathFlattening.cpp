#include "geometry/PathFlattening.h"

#include "geometry/ArcFit.h"
#include "geometry/QarvMath.h"

namespace plavo {

namespace {

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
