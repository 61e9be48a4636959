#include "geometry/QarvMath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plavo {

namespace {

// Determinants below this count as parallel lines.
constexpr double kParallelThreshold = 0.001;

// Overlap of the closed ranges [aLow, aHigh] and [bLow, bHigh], widened by Tol.
bool RangesOverlap(double aLow, double aHigh, double bLow, double bHigh, double Tol) {
  return (bLow + Tol >= aLow && bLow <= aHigh + Tol) || (bLow <= aLow + Tol && aLow <= bHigh + Tol);
}

}  // namespace

double PointDistance(double x1, double y1, double x2, double y2, bool Squared) {
  const double dx = x1 - x2;
  const double dy = y1 - y2;
  const double squared = dx * dx + dy * dy;
  return Squared ? squared : std::sqrt(squared);
}

double LineAngle(double x1, double y1, double x2, double y2) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  constexpr double pi = std::numbers::pi;
  if (dx == 0.0) return dy > 0.0 ? pi / 2.0 : -pi / 2.0;
  if (dy == 0.0) return dx > 0.0 ? 0.0 : pi;
  const double slope = std::atan(std::fabs(dy / dx));
  if (dy > 0.0) return dx > 0.0 ? slope : pi - slope;
  return dx > 0.0 ? -slope : slope - pi;
}

bool LineIntersection(double& X, double& Y, double ax, double ay, double bx, double by, double cx,
                      double cy, double ex, double ey) {
  const double d1x = bx - ax;
  const double d1y = by - ay;
  const double d2x = ex - cx;
  const double d2y = ey - cy;
  const double det = d2y * d1x - d2x * d1y;
  if (std::fabs(det) < kParallelThreshold) return false;
  const double t = (d2x * (ay - cy) - d2y * (ax - cx)) / det;
  X = ax + t * d1x;
  Y = ay + t * d1y;
  return true;
}

bool SegmentIntersection(double& X, double& Y, double Eps, TNodeSimple P1, TNodeSimple P2,
                         TNodeSimple P3, TNodeSimple P4) {
  const double u = (P1.X - P2.X) * (P4.Y - P3.Y) - (P1.Y - P2.Y) * (P4.X - P3.X);
  if (!(std::fabs(u) >= Eps)) return false;
  const double r = ((P4.Y - P3.Y) * (P1.X - P3.X) - (P4.X - P3.X) * (P1.Y - P3.Y)) / u;
  if (r < 0.0 || r > 1.0) return false;
  const double s = ((P1.X - P2.X) * (P1.Y - P3.Y) - (P1.Y - P2.Y) * (P1.X - P3.X)) / u;
  if (s < 0.0 || s > 1.0) return false;
  X = P1.X + r * (P2.X - P1.X);
  Y = P1.Y + r * (P2.Y - P1.Y);
  return true;
}

double PointSegmentDistance(TNodeSimple P, TNodeSimple A, TNodeSimple B) {
  const double bx = B.X - A.X;
  const double by = B.Y - A.Y;
  const double len2 = bx * bx + by * by;
  double t = len2 > 0 ? ((P.X - A.X) * bx + (P.Y - A.Y) * by) / len2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(P.X - A.X - t * bx, P.Y - A.Y - t * by);
}

bool BoxesOverlap(const TRectDbl& A, const TRectDbl& B, double Tol) {
  return RangesOverlap(A.Left, A.Right, B.Left, B.Right, Tol) &&
         RangesOverlap(A.Bottom, A.Top, B.Bottom, B.Top, Tol);
}

}  // namespace plavo
