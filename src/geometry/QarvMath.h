// Small geometric routines shared by the shape model and its queries.
#pragma once

#include <cmath>

#include "geometry/ShapesClass.h"

namespace plavo {

double PointDistance(double x1, double y1, double x2, double y2, bool Squared = false);
// Direction of the way from (x1, y1) to (x2, y2) in radians, in (-pi, pi].
double LineAngle(double x1, double y1, double x2, double y2);
// Intersection of the unbounded lines a-b and c-e; false when they are (nearly) parallel.
bool LineIntersection(double& X, double& Y, double ax, double ay, double bx, double by, double cx,
                      double cy, double ex, double ey);
// Intersection of the closed segments P1-P2 and P3-P4.
bool SegmentIntersection(double& X, double& Y, double Eps, TNodeSimple P1, TNodeSimple P2,
                         TNodeSimple P3, TNodeSimple P4);
bool BoxesOverlap(const TRectDbl& A, const TRectDbl& B, double Tol);
// How far the control points P1 and P2 of the cubic P0 .. P3 lie from its chord, each times the
// chord's length, and the chord's squared length: what both flatness tests of the program weigh.
struct TChordDeviation {
  double D1 = 0.0;
  double D2 = 0.0;
  double ChordSquared = 0.0;
};
inline TChordDeviation ChordDeviation(double x0, double y0, double x1, double y1, double x2,
                                      double y2, double x3, double y3) {
  const double dx = x3 - x0;
  const double dy = y3 - y0;
  return TChordDeviation{std::fabs((x1 - x3) * dy - (y1 - y3) * dx),
                         std::fabs((x2 - x3) * dy - (y2 - y3) * dx), dx * dx + dy * dy};
}

// Distance of P from the closed segment A-B (from A when the segment has no length).
double PointSegmentDistance(TNodeSimple P, TNodeSimple A, TNodeSimple B);

// Exactly the same point: the test that tells a path's joined segments from a gap.
inline bool SamePoint(TNodeSimple A, TNodeSimple B) {
  return A.X == B.X && A.Y == B.Y;
}

}  // namespace plavo
