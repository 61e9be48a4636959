// What the SVG and DXF readers collect before shapes are made: paths of cubic Bezier segments
// in millimetres, Y up, with the colours of the element that drew them, and the helpers both
// readers share to build them (affine transforms, lines, quadratics and elliptical arcs as
// cubics).
#pragma once

#include <vector>

#include "geometry/QarvMath.h"
#include "geometry/ShapesClass.h"

namespace plavo {

struct TDrawingPath {
  TSegmentChain Segments;
  bool Closed = false;  // the last end equals the first start exactly
  TShapeColor Color;
};

// x' = A x + C y + E, y' = B x + D y + F (the order of SVG's matrix()).
struct TAffine {
  double A = 1.0, B = 0.0, C = 0.0, D = 1.0, E = 0.0, F = 0.0;

  TNodeSimple Apply(TNodeSimple P) const { return {A * P.X + C * P.Y + E, B * P.X + D * P.Y + F}; }
  // The transform that applies Inner first, then this one.
  TAffine Then(const TAffine& Inner) const;
  static TAffine Translate(double X, double Y) { return {1, 0, 0, 1, X, Y}; }
  static TAffine Scale(double X, double Y) { return {X, 0, 0, Y, 0, 0}; }
  static TAffine Rotate(double Radians);
  // The largest factor by which the transform stretches a length.
  double MaxStretch() const;
};

TCubic LineCubic(TNodeSimple A, TNodeSimple B);
TCubic QuadraticCubic(TNodeSimple A, TNodeSimple Control, TNodeSimple B);
TCubic TransformCubic(const TAffine& T, const TCubic& C);
void TransformPath(const TAffine& T, TDrawingPath& Path);

// Appends the arc of the ellipse with centre C, radii Rx and Ry, its X axis turned by Rotation,
// from angle Start through Sweep (radians, counter-clockwise when positive). The arc is split
// into pieces short enough that the cubics stay within kArcTolerance of the true arc at the
// largest radius after Scale (the stretch the arc will still undergo).
void AppendEllipticArc(std::vector<TCubic>& Out, TNodeSimple C, double Rx, double Ry,
                       double Rotation, double Start, double Sweep, double Scale = 1.0);
void AppendEllipticArc(TSegmentChain& Out, TNodeSimple C, double Rx, double Ry, double Rotation,
                       double Start, double Sweep, double Scale = 1.0);

// Millimetres within which an arc's cubics follow the true arc.
inline constexpr double kArcTolerance = 0.001;

// Snaps the last end onto the first start when they lie within Tolerance, and marks the path
// closed then.
void CloseIfEndsMeet(TDrawingPath& Path, double Tolerance);

// Adds Path as a new path of Curve, its point chain handed over (never copied) and every segment
// read back as MakeCurve builds it, as the Illustrator reader builds them. A path without
// segments adds nothing.
void AddDrawingPath(TQarvOneCurve& Curve, TDrawingPath&& Path);

// The path as a polygon: every segment's start, and Samples - 1 points inside each curve.
std::vector<TNodeSimple> FlattenPath(const TDrawingPath& Path, int Samples);
// Twice the signed area of a polygon (positive counter-clockwise with Y up).
double TwiceSignedArea(const std::vector<TNodeSimple>& Polygon);
// Whether P lies inside Polygon by the even-odd rule; its winding number by the non-zero rule.
bool PolygonHolds(const std::vector<TNodeSimple>& Polygon, TNodeSimple P);
int WindingNumber(const std::vector<TNodeSimple>& Polygon, TNodeSimple P);
inline bool BoxHolds(const TRectDbl& Box, TNodeSimple P) {
  return P.X >= Box.Left && P.X <= Box.Right && P.Y >= Box.Bottom && P.Y <= Box.Top;
}

// Whether every point of C fits the 32-bit integer units of 1/10000 mm that the approximation
// and the engine work in (about 214.7 m either side of the origin); NaN fits nothing.
bool CubicFitsUnits(const TCubic& C);
bool PathFitsUnits(const TDrawingPath& Path);

inline double Distance(TNodeSimple A, TNodeSimple B) {
  return PointDistance(A.X, A.Y, B.X, B.Y);
}

}  // namespace plavo
