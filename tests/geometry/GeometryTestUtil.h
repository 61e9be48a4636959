// Builders shared by the geometry tests.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "geometry/NestedLayout.h"
#include "geometry/QarvMath.h"
#include "geometry/ShapesClass.h"

namespace plavo {

namespace geometry_test {

// A path of straight segments through the given points, in order, not yet approximated.
inline std::unique_ptr<TQarvOnePath> Polyline(std::initializer_list<TNodeSimple> Points) {
  auto path = std::make_unique<TQarvOnePath>();
  const std::vector<TNodeSimple> p(Points);
  for (size_t i = 1; i < p.size(); ++i) {
    TQarvOneSegment segment;
    segment.MakeLine(p[i - 1].X, p[i - 1].Y, p[i].X, p[i].Y);
    path->AddSegment(segment);
  }
  return path;
}

// The 10 x 10 square at the origin, traversed clockwise with Y upward.
inline std::unique_ptr<TQarvOnePath> Square10() {
  return Polyline({{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}});
}

// All approximation nodes of a segment.
inline std::vector<TNodeSimple> Nodes(const TQarvOneSegment& Segment) {
  std::vector<TNodeSimple> nodes;
  for (int i = 0; i < Segment.ApproxNodeCount(); ++i) nodes.push_back(Segment.GetApproxNode(i));
  return nodes;
}

inline void ExpectNode(TNodeSimple Actual, double X, double Y, double Tol = 1e-9) {
  EXPECT_NEAR(Actual.X, X, Tol);
  EXPECT_NEAR(Actual.Y, Y, Tol);
}

inline void ExpectBox(const TRectDbl& Box, double Left, double Top, double Right, double Bottom) {
  EXPECT_DOUBLE_EQ(Box.Left, Left);
  EXPECT_DOUBLE_EQ(Box.Top, Top);
  EXPECT_DOUBLE_EQ(Box.Right, Right);
  EXPECT_DOUBLE_EQ(Box.Bottom, Bottom);
}

// Points along the outline, Samples per segment, dense enough to stand for it.
inline std::vector<TNodeSimple> OutlinePoints(const TPlacedPath& Path, int Samples = 400) {
  std::vector<TNodeSimple> points;
  for (const TPlacedSegment& s : Path.Segments) {
    for (int k = 0; k <= Samples; ++k) {
      const double t = static_cast<double>(k) / Samples, u = 1 - t;
      const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
      points.push_back({a * s.Start.X + b * s.StartControl.X + c * s.EndControl.X + d * s.End.X,
                        a * s.Start.Y + b * s.StartControl.Y + c * s.EndControl.Y + d * s.End.Y});
    }
  }
  return points;
}

// The farthest any point of A lies from the polyline through B.
inline double Farthest(const std::vector<TNodeSimple>& A, const std::vector<TNodeSimple>& B) {
  double farthest = 0.0;
  for (const TNodeSimple& p : A) {
    double nearest = 1e300;
    for (size_t k = 0; k + 1 < B.size(); ++k)
      nearest = std::min(nearest, PointSegmentDistance(p, B[k], B[k + 1]));
    farthest = std::max(farthest, nearest);
  }
  return farthest;
}

}  // namespace geometry_test

}  // namespace plavo
