// Placed outlines as lines and circular arcs, the way CAM software drives a laser or a knife:
// pieces that follow one circle within the tolerance become one arc, other curves are fitted
// with pairs of tangent arcs (biarcs), split until each pair stays within the tolerance.
#pragma once

#include <vector>

#include "geometry/NestedLayout.h"

namespace plavo {

// A vertex of a polyline with arcs, as DXF's LWPOLYLINE holds it: the piece from this vertex to
// the next is an arc of bulge tan(sweep / 4), counter-clockwise when positive, or a straight
// line when 0. An open path's last vertex starts no piece; a closed path's last vertex starts
// the piece back to the first.
struct TBulgeVertex {
  TNodeSimple P;
  double Bulge = 0.0;
};

// Path as lines and arcs, no point of either farther than Tolerance from the placed outline,
// nor a point of the outline farther from them. A closed path does not repeat its first vertex.
// A gap between two segments of the path is bridged by a line, as a polyline has to.
std::vector<TBulgeVertex> FitArcs(const TPlacedPath& Path, double Tolerance);

// The arc from A to B with Bulge, ready for measuring: a circle, or a line for a flat bulge.
struct TBulgeArc {
  TNodeSimple A;
  TNodeSimple B;
  bool Straight = true;
  TNodeSimple Centre;
  double Radius = 0.0;
  double Sweep = 0.0;  // radians, counter-clockwise when positive
};
TBulgeArc MakeBulgeArc(TNodeSimple A, TNodeSimple B, double Bulge);
// Distance of P from the arc (from its nearer end when P lies outside its sweep).
double BulgeArcDistance(const TBulgeArc& Arc, TNodeSimple P);
// Appends points of the arc after A, each chord within Tolerance of the arc, ending on B.
void FlattenBulgeInto(std::vector<TNodeSimple>& Points, const TBulgeArc& Arc, double Tolerance);

}  // namespace plavo
