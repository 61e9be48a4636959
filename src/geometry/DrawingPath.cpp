#include "geometry/DrawingPath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/Units.h"

namespace plavo {

namespace {

// The cubic of a circular arc of angle Theta deviates from the circle by at most about
// kUnitArcError * r * (Theta / 90 degrees)^6 (the classic 4/3 tan(Theta/4) construction).
constexpr double kUnitArcError = 2.7e-4;
// More pieces than this never pay off; it also bounds the work a hostile radius can cause.
constexpr int kMaxArcPieces = 64;

int ArcPieces(double Sweep, double Radius) {
  const double quarter = std::numbers::pi / 2.0;
  double maxPiece = quarter;
  if (Radius * kUnitArcError > kArcTolerance) {
    maxPiece = quarter * std::pow(kArcTolerance / (Radius * kUnitArcError), 1.0 / 6.0);
  }
  const double pieces = std::ceil(std::abs(Sweep) / maxPiece - 1e-9);
  if (!(pieces >= 1.0)) return 1;
  return static_cast<int>(std::min(pieces, static_cast<double>(kMaxArcPieces)));
}

bool PointFitsUnits(TNodeSimple P) {
  return FitsUnits(P.X) && FitsUnits(P.Y);
}

}  // namespace

TAffine TAffine::Then(const TAffine& Inner) const {
  return {A * Inner.A + C * Inner.B, B * Inner.A + D * Inner.B,     A * Inner.C + C * Inner.D,
          B * Inner.C + D * Inner.D, A * Inner.E + C * Inner.F + E, B * Inner.E + D * Inner.F + F};
}

TAffine TAffine::Rotate(double Radians) {
  const double c = std::cos(Radians);
  const double s = std::sin(Radians);
  return {c, s, -s, c, 0, 0};
}

double TAffine::MaxStretch() const {
  // The largest singular value of the 2x2 part.
  const double p = A * A + B * B + C * C + D * D;
  const double det = A * D - B * C;
  const double q = std::sqrt(std::max(0.0, p * p - 4.0 * det * det));
  return std::sqrt((p + q) / 2.0);
}

TCubic LineCubic(TNodeSimple A, TNodeSimple B) {
  return {A, A, B, B};
}

TCubic QuadraticCubic(TNodeSimple A, TNodeSimple Control, TNodeSimple B) {
  const TNodeSimple c1{A.X + 2.0 / 3.0 * (Control.X - A.X), A.Y + 2.0 / 3.0 * (Control.Y - A.Y)};
  const TNodeSimple c2{B.X + 2.0 / 3.0 * (Control.X - B.X), B.Y + 2.0 / 3.0 * (Control.Y - B.Y)};
  return {A, c1, c2, B};
}

TCubic TransformCubic(const TAffine& T, const TCubic& C) {
  return {T.Apply(C.P0), T.Apply(C.P1), T.Apply(C.P2), T.Apply(C.P3)};
}

void TransformPath(const TAffine& T, TDrawingPath& Path) {
  // Equal points stay equal under the transform, so a closed path stays closed.
  Path.Segments.MovePoints([&T](TNodeSimple P) { return T.Apply(P); });
}

void AppendEllipticArc(std::vector<TCubic>& Out, TNodeSimple C, double Rx, double Ry,
                       double Rotation, double Start, double Sweep, double Scale) {
  const int pieces = ArcPieces(Sweep, std::max(std::abs(Rx), std::abs(Ry)) * Scale);
  const double step = Sweep / pieces;
  const double k = 4.0 / 3.0 * std::tan(step / 4.0);
  const double cr = std::cos(Rotation);
  const double sr = std::sin(Rotation);
  auto place = [&](double X, double Y) {
    return TNodeSimple{C.X + X * cr - Y * sr, C.Y + X * sr + Y * cr};
  };
  auto point = [&](double T) { return place(Rx * std::cos(T), Ry * std::sin(T)); };
  TNodeSimple from = point(Start);
  for (int i = 0; i < pieces; ++i) {
    const double a = Start + step * i;
    const double b = a + step;
    const TNodeSimple to = point(b);
    const TNodeSimple c1 =
        place(Rx * (std::cos(a) - k * std::sin(a)), Ry * (std::sin(a) + k * std::cos(a)));
    const TNodeSimple c2 =
        place(Rx * (std::cos(b) + k * std::sin(b)), Ry * (std::sin(b) - k * std::cos(b)));
    Out.push_back({from, c1, c2, to});
    from = to;
  }
}

void AppendEllipticArc(TSegmentChain& Out, TNodeSimple C, double Rx, double Ry, double Rotation,
                       double Start, double Sweep, double Scale) {
  std::vector<TCubic> arc;
  AppendEllipticArc(arc, C, Rx, Ry, Rotation, Start, Sweep, Scale);
  for (const TCubic& c : arc) Out.push_back(c);
}

void CloseIfEndsMeet(TDrawingPath& Path, double Tolerance) {
  if (Path.Segments.empty()) return;
  const TNodeSimple start = Path.Segments.front().P0;
  TCubic last = Path.Segments.back();
  if (Distance(last.P3, start) > Tolerance) return;
  const TNodeSimple shift{start.X - last.P3.X, start.Y - last.P3.Y};
  last.P2 = {last.P2.X + shift.X, last.P2.Y + shift.Y};
  last.P3 = start;
  Path.Segments.SetBack(last);
  Path.Closed = true;
}

bool CubicFitsUnits(const TCubic& C) {
  return PointFitsUnits(C.P0) && PointFitsUnits(C.P1) && PointFitsUnits(C.P2) &&
         PointFitsUnits(C.P3);
}

bool PathFitsUnits(const TDrawingPath& Path) {
  return std::all_of(Path.Segments.begin(), Path.Segments.end(), CubicFitsUnits);
}

void AddDrawingPath(TQarvOneCurve& Curve, TDrawingPath&& Path) {
  if (Path.Segments.empty()) return;
  Curve.AddPath(TQarvOnePath());
  Curve.GetPath(Curve.PathCount() - 1)->AssignChain(std::move(Path.Segments));
  Path.Segments = TSegmentChain();
}

std::vector<TNodeSimple> FlattenPath(const TDrawingPath& Path, int Samples) {
  std::vector<TNodeSimple> polygon;
  polygon.reserve(Path.Segments.size() + 1 +
                  Path.Segments.CubicCount() * static_cast<size_t>(std::max(Samples - 1, 0)));
  for (const TCubic& s : Path.Segments) {
    polygon.push_back(s.P0);
    const bool straight = SamePoint(s.P0, s.P1) && SamePoint(s.P2, s.P3);
    for (int k = 1; !straight && k < Samples; ++k) {
      const double t = static_cast<double>(k) / Samples;
      const double u = 1.0 - t;
      const double a = u * u * u, b = 3 * u * u * t, d = 3 * u * t * t, e = t * t * t;
      polygon.push_back({a * s.P0.X + b * s.P1.X + d * s.P2.X + e * s.P3.X,
                         a * s.P0.Y + b * s.P1.Y + d * s.P2.Y + e * s.P3.Y});
    }
  }
  return polygon;
}

double TwiceSignedArea(const std::vector<TNodeSimple>& Polygon) {
  double twice = 0.0;
  for (size_t i = 0; i < Polygon.size(); ++i) {
    const TNodeSimple& p = Polygon[i];
    const TNodeSimple& q = Polygon[(i + 1) % Polygon.size()];
    twice += p.X * q.Y - q.X * p.Y;
  }
  return twice;
}

bool PolygonHolds(const std::vector<TNodeSimple>& Poly, TNodeSimple P) {
  bool inside = false;
  for (size_t i = 0, j = Poly.size() - 1; i < Poly.size(); j = i++) {
    const TNodeSimple& a = Poly[i];
    const TNodeSimple& b = Poly[j];
    if ((a.Y > P.Y) != (b.Y > P.Y) && P.X < (b.X - a.X) * (P.Y - a.Y) / (b.Y - a.Y) + a.X)
      inside = !inside;
  }
  return inside;
}

int WindingNumber(const std::vector<TNodeSimple>& Poly, TNodeSimple P) {
  int winding = 0;
  for (size_t i = 0; i < Poly.size(); ++i) {
    const TNodeSimple& a = Poly[i];
    const TNodeSimple& b = Poly[(i + 1) % Poly.size()];
    const double side = (b.X - a.X) * (P.Y - a.Y) - (P.X - a.X) * (b.Y - a.Y);
    if (a.Y <= P.Y && b.Y > P.Y && side > 0) ++winding;
    if (a.Y > P.Y && b.Y <= P.Y && side < 0) --winding;
  }
  return winding;
}

}  // namespace plavo
