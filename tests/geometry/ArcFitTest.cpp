// Fitting lines and arcs to placed outlines: circles become a few arcs, free curves biarcs, all
// within the tolerance both ways; straight pieces stay lines.
#include "geometry/ArcFit.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "geometry/PathFlattening.h"
#include "geometry/DrawingPath.h"
#include "geometry/GeometryTestUtil.h"
#include "geometry/QarvMath.h"

namespace plavo {

using geometry_test::Farthest;
using geometry_test::OutlinePoints;

namespace {

constexpr double kTolerance = 0.01;

TPlacedSegment Cubic(TNodeSimple A, TNodeSimple B, TNodeSimple C, TNodeSimple D) {
  return TPlacedSegment{1, A, B, C, D};
}

TPlacedSegment Line(TNodeSimple A, TNodeSimple B) {
  return TPlacedSegment{0, A, A, B, B};
}

// A circle as drawing programs store it: four cubics with the usual handle length.
TPlacedPath CubicCircle(double R) {
  const double k = 0.5522847498 * R;
  TPlacedPath p;
  p.Closed = true;
  p.Segments = {Cubic({R, 0}, {R, k}, {k, R}, {0, R}), Cubic({0, R}, {-k, R}, {-R, k}, {-R, 0}),
                Cubic({-R, 0}, {-R, -k}, {-k, -R}, {0, -R}),
                Cubic({0, -R}, {k, -R}, {R, -k}, {R, 0})};
  return p;
}

std::vector<TNodeSimple> FittedPoints(const std::vector<TBulgeVertex>& V, bool Closed) {
  std::vector<TNodeSimple> points{V.front().P};
  const size_t pieces = Closed ? V.size() : V.size() - 1;
  for (size_t k = 0; k < pieces; ++k) {
    const TBulgeVertex& next = V[(k + 1) % V.size()];
    FlattenBulgeInto(points, MakeBulgeArc(V[k].P, next.P, V[k].Bulge), 1e-5);
  }
  return points;
}

// Fits Path and expects the arcs and the outline within the tolerance of each other.
std::vector<TBulgeVertex> FitWithinTolerance(const TPlacedPath& Path) {
  const std::vector<TBulgeVertex> v = FitArcs(Path, kTolerance);
  EXPECT_FALSE(v.empty());
  if (v.empty()) return v;
  const std::vector<TNodeSimple> outline = OutlinePoints(Path);
  const std::vector<TNodeSimple> fitted = FittedPoints(v, Path.Closed);
  EXPECT_LE(Farthest(outline, fitted), kTolerance);
  EXPECT_LE(Farthest(fitted, outline), kTolerance);
  return v;
}

}  // namespace

TEST(ArcFit, BulgeArcsLieOnTheirCircle) {
  // Bulge 1 from (0, 0) to (10, 0): the lower half circle about (5, 0), counter-clockwise.
  const TBulgeArc half = MakeBulgeArc({0, 0}, {10, 0}, 1.0);
  ASSERT_FALSE(half.Straight);
  EXPECT_NEAR(half.Centre.X, 5.0, 1e-12);
  EXPECT_NEAR(half.Centre.Y, 0.0, 1e-12);
  EXPECT_NEAR(half.Radius, 5.0, 1e-12);
  std::vector<TNodeSimple> points;
  FlattenBulgeInto(points, half, 0.001);
  EXPECT_GT(points.size(), 20u);
  for (const TNodeSimple& p : points) {
    EXPECT_NEAR(Distance(p, {5, 0}), 5.0, 1e-9);
    EXPECT_LE(p.Y, 1e-9);
  }
  EXPECT_TRUE(SamePoint(points.back(), {10, 0}));
  EXPECT_NEAR(BulgeArcDistance(half, {5, -7}), 2.0, 1e-12);
  // Above the chord lies the other half of the circle, not this arc: its ends are nearest.
  EXPECT_NEAR(BulgeArcDistance(half, {5, 5}), std::hypot(5.0, 5.0), 1e-12);
  EXPECT_TRUE(MakeBulgeArc({0, 0}, {10, 0}, 1e-12).Straight);
}

TEST(ArcFit, CirclesBecomeFewArcsWithinTolerance) {
  // A small circle's cubics follow a true circle within the tolerance: two half arcs.
  const std::vector<TBulgeVertex> small = FitWithinTolerance(CubicCircle(5));
  ASSERT_EQ(small.size(), 2u);
  EXPECT_NEAR(std::fabs(small[0].Bulge), 1.0, 1e-3);
  // A large one's cubics stray 0.05 mm from a circle: more arcs, still a handful.
  const TPlacedPath large = CubicCircle(200);
  const std::vector<TBulgeVertex> many = FitWithinTolerance(large);
  EXPECT_LE(many.size(), 24u);
  EXPECT_LT(many.size() * 10, PolylineVertices(large, kPolylineFlatness).size());
}

TEST(ArcFit, FreeCurvesGetBiarcsWithinTolerance) {
  TPlacedPath wave;
  wave.Segments = {Cubic({0, 0}, {40, 80}, {60, -80}, {100, 0}),
                   Cubic({100, 0}, {130, 0}, {150, 30}, {150, 60})};
  const std::vector<TBulgeVertex> v = FitWithinTolerance(wave);
  EXPECT_TRUE(SamePoint(v.front().P, {0, 0}));
  EXPECT_TRUE(SamePoint(v.back().P, {150, 60}));
  EXPECT_LT(v.size() * 5, PolylineVertices(wave, kPolylineFlatness).size());
  // A flat ellipse's quarter, squeezed hard.
  TPlacedPath ellipse;
  ellipse.Segments = {Cubic({300, 0}, {300, 5.5}, {165.7, 10}, {0, 10})};
  FitWithinTolerance(ellipse);
}

TEST(ArcFit, StraightPiecesStayLinesAndGapsAreBridged) {
  TPlacedPath square;
  square.Closed = true;
  square.Segments = {Line({0, 0}, {10, 0}), Line({10, 0}, {10, 10}), Line({10, 10}, {0, 10}),
                     Line({0, 10}, {0, 0})};
  const std::vector<TBulgeVertex> v = FitArcs(square, kTolerance);
  ASSERT_EQ(v.size(), 4u) << "a closed path does not repeat its first vertex";
  for (const TBulgeVertex& p : v) EXPECT_EQ(p.Bulge, 0.0);

  TPlacedPath broken;
  broken.Segments = {Line({0, 0}, {10, 0}), Line({20, 0}, {30, 0})};
  const std::vector<TBulgeVertex> b = FitArcs(broken, kTolerance);
  ASSERT_EQ(b.size(), 4u);
  EXPECT_TRUE(SamePoint(b[2].P, {20, 0}));
}

}  // namespace plavo
