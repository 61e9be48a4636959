// Builders shared by the geometry tests.
#pragma once

#include <initializer_list>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

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

}  // namespace geometry_test

}  // namespace plavo
