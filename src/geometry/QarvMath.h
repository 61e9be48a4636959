// Small geometric routines shared by the shape model and its queries.
#pragma once

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
// Exactly the same point: the test that tells a path's joined segments from a gap.
inline bool SamePoint(TNodeSimple A, TNodeSimple B) {
  return A.X == B.X && A.Y == B.Y;
}

}  // namespace plavo
