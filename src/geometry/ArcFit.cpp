// Arcs are fitted greedily along each run of joined curve segments: the longest stretch of
// pieces that one arc through its ends and a middle point follows is taken; a piece that no
// single arc follows gets a biarc (two arcs, tangent to the piece at its ends and to each other),
// and is halved until its biarc does. Every fit is judged on points sampled densely along the
// pieces, with a margin below the tolerance for what lies between the samples.
#include "geometry/ArcFit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/DrawingPath.h"
#include "geometry/PathFlattening.h"
#include "geometry/QarvMath.h"

namespace plavo {

namespace {

// Fits are judged against this share of the tolerance: between two samples the outline and
// the arc may part a little further.
constexpr double kSampleMargin = 0.8;
// Sample spacing along a piece (mm), and the bounds of the samples per piece.
constexpr double kSampleSpacing = 0.25;
constexpr int kMinSamples = 8;
constexpr int kMaxSamples = 256;
// One arc spans at most this many pieces, and a piece is halved at most this often.
constexpr size_t kMaxRun = 256;
constexpr int kMaxSplits = 24;
// The bulge of a half circle, with room for rounding: no arc sweeps further.
constexpr double kMaxBulge = 1.0 + 1e-9;
// A bulge whose arc lies closer than this to its chord (mm) is written as a line.
constexpr double kFlatSagitta = 1e-7;

TNodeSimple Sub(TNodeSimple A, TNodeSimple B) {
  return {A.X - B.X, A.Y - B.Y};
}
double Dot(TNodeSimple A, TNodeSimple B) {
  return A.X * B.X + A.Y * B.Y;
}
double Cross(TNodeSimple A, TNodeSimple B) {
  return A.X * B.Y - A.Y * B.X;
}
double Length(TNodeSimple A) {
  return std::hypot(A.X, A.Y);
}
// The signed angle that turns direction A into direction B, in (-pi, pi].
double TurnAngle(TNodeSimple A, TNodeSimple B) {
  return std::atan2(Cross(A, B), Dot(A, B));
}

TNodeSimple CubicPoint(const TCubic& C, double T) {
  const double u = 1.0 - T;
  const double a = u * u * u, b = 3 * u * u * T, c = 3 * u * T * T, d = T * T * T;
  return {a * C.P0.X + b * C.P1.X + c * C.P2.X + d * C.P3.X,
          a * C.P0.Y + b * C.P1.Y + c * C.P2.Y + d * C.P3.Y};
}

void SplitCubic(const TCubic& C, TCubic& Left, TCubic& Right) {
  const auto mid = [](TNodeSimple A, TNodeSimple B) {
    return TNodeSimple{(A.X + B.X) / 2, (A.Y + B.Y) / 2};
  };
  const TNodeSimple a = mid(C.P0, C.P1), b = mid(C.P1, C.P2), c = mid(C.P2, C.P3);
  const TNodeSimple d = mid(a, b), e = mid(b, c), m = mid(d, e);
  Left = {C.P0, a, d, m};
  Right = {m, e, c, C.P3};
}

double ControlLength(const TCubic& C) {
  return Distance(C.P0, C.P1) + Distance(C.P1, C.P2) + Distance(C.P2, C.P3);
}

// Points along the piece after its start, its end included.
std::vector<TNodeSimple> Samples(const TCubic& C) {
  const int n = std::clamp(static_cast<int>(std::ceil(ControlLength(C) / kSampleSpacing)),
                           kMinSamples, kMaxSamples);
  std::vector<TNodeSimple> points;
  points.reserve(static_cast<size_t>(n));
  for (int k = 1; k <= n; ++k) points.push_back(CubicPoint(C, static_cast<double>(k) / n));
  return points;
}

// The piece's direction at its start and towards its end, from the first control point that
// differs from the end point.
TNodeSimple StartTangent(const TCubic& C) {
  for (const TNodeSimple& p : {C.P1, C.P2, C.P3}) {
    if (!SamePoint(p, C.P0)) return Sub(p, C.P0);
  }
  return {1.0, 0.0};
}
TNodeSimple EndTangent(const TCubic& C) {
  for (const TNodeSimple& p : {C.P2, C.P1, C.P0}) {
    if (!SamePoint(p, C.P3)) return Sub(C.P3, p);
  }
  return {1.0, 0.0};
}

TNodeSimple Unit(TNodeSimple V) {
  const double l = Length(V);
  return l > 0 ? TNodeSimple{V.X / l, V.Y / l} : TNodeSimple{1.0, 0.0};
}

bool Follows(const TBulgeArc& Arc, const std::vector<TNodeSimple>& Points, double Tolerance) {
  return std::all_of(Points.begin(), Points.end(),
                     [&](TNodeSimple p) { return BulgeArcDistance(Arc, p) <= Tolerance; });
}

// The arc from A through M to B as a bulge: the turn at M between A-M and M-B is half the sweep.
double BulgeThrough(TNodeSimple A, TNodeSimple M, TNodeSimple B) {
  return std::tan(TurnAngle(Sub(M, A), Sub(B, M)) / 2.0);
}

class TArcFitter {
 public:
  TArcFitter(double Tolerance, std::vector<TBulgeVertex>& Out)
      : FTolerance(Tolerance), FFit(Tolerance * kSampleMargin), FOut(Out) {}

  // Appends the run of joined curve pieces; the output's last vertex is the run's start.
  void Run(std::vector<TCubic> Pieces) {
    std::vector<int> splits(Pieces.size(), 0);
    size_t i = 0;
    while (i < Pieces.size()) {
      double bulge = 0.0;
      const size_t end = LongestArc(Pieces, i, bulge);
      if (end > i) {
        Arc(Pieces[end - 1].P3, bulge);
        i = end;
        continue;
      }
      if (Flat(Pieces[i])) {
        Arc(Pieces[i].P3, 0.0);
        ++i;
        continue;
      }
      if (Biarc(Pieces[i])) {
        ++i;
        continue;
      }
      if (splits[i] >= kMaxSplits) {
        Flattened(Pieces[i]);
        ++i;
        continue;
      }
      TCubic left, right;
      SplitCubic(Pieces[i], left, right);
      Pieces[i] = left;
      Pieces.insert(Pieces.begin() + static_cast<std::ptrdiff_t>(i) + 1, right);
      ++splits[i];
      splits.insert(splits.begin() + static_cast<std::ptrdiff_t>(i) + 1, splits[i]);
    }
  }

 private:
  void Arc(TNodeSimple End, double Bulge) {
    FOut.back().Bulge = Bulge;
    FOut.push_back({End, 0.0});
  }

  // The piece lies in the hull of its controls: near its chord when they are.
  bool Flat(const TCubic& C) const {
    return PointSegmentDistance(C.P1, C.P0, C.P3) <= FFit &&
           PointSegmentDistance(C.P2, C.P0, C.P3) <= FFit;
  }

  // One past the last piece of the longest stretch from First that one arc follows (at most a
  // half circle), with that arc's bulge; First when not even its own piece is followed.
  size_t LongestArc(const std::vector<TCubic>& Pieces, size_t First, double& Bulge) const {
    size_t best = First;
    std::vector<TNodeSimple> points;
    const TNodeSimple a = Pieces[First].P0;
    for (size_t j = First; j < Pieces.size() && j - First < kMaxRun; ++j) {
      const std::vector<TNodeSimple> more = Samples(Pieces[j]);
      points.insert(points.end(), more.begin(), more.end());
      const TNodeSimple b = Pieces[j].P3;
      if (SamePoint(a, b)) break;
      const size_t count = j - First + 1;
      const TNodeSimple m = count % 2 == 1 ? CubicPoint(Pieces[First + count / 2], 0.5)
                                           : Pieces[First + count / 2].P0;
      const double bulge = BulgeThrough(a, m, b);
      if (!(std::fabs(bulge) <= kMaxBulge)) break;  // more than a half circle
      if (!Follows(MakeBulgeArc(a, b, bulge), points, FFit)) break;
      best = j + 1;
      Bulge = bulge;
    }
    return best;
  }

  // The biarc of the piece with equal tangent lengths at both ends, when it follows the piece.
  bool Biarc(const TCubic& C) {
    const TNodeSimple t1 = Unit(StartTangent(C));
    const TNodeSimple t2 = Unit(EndTangent(C));
    const TNodeSimple v = Sub(C.P3, C.P0);
    const double denominator = 2.0 * (1.0 - Dot(t1, t2));
    double d = 0.0;
    if (denominator < 1e-12) {
      const double along = Dot(v, t2);
      if (std::fabs(along) < 1e-12) return false;  // two half circles: halving does better
      d = Dot(v, v) / (4.0 * along);
    } else {
      const double vt = Dot(v, {t1.X + t2.X, t1.Y + t2.Y});
      d = (-vt + std::sqrt(vt * vt + denominator * Dot(v, v))) / denominator;
    }
    if (!(d > 0.0) || !std::isfinite(d)) return false;
    const TNodeSimple join{(C.P0.X + C.P3.X + d * (t1.X - t2.X)) / 2.0,
                           (C.P0.Y + C.P3.Y + d * (t1.Y - t2.Y)) / 2.0};
    if (SamePoint(join, C.P0) || SamePoint(join, C.P3)) return false;
    // The tangent at an arc's start turns by half the sweep onto the chord, and the chord by
    // another half onto the tangent at its end.
    const double b1 = std::tan(TurnAngle(t1, Sub(join, C.P0)) / 2.0);
    const double b2 = std::tan(TurnAngle(Sub(C.P3, join), t2) / 2.0);
    if (!(std::fabs(b1) <= kMaxBulge) || !(std::fabs(b2) <= kMaxBulge)) return false;
    const TBulgeArc first = MakeBulgeArc(C.P0, join, b1);
    const TBulgeArc second = MakeBulgeArc(join, C.P3, b2);
    const std::vector<TNodeSimple> points = Samples(C);
    const bool follows = std::all_of(points.begin(), points.end(), [&](TNodeSimple p) {
      return std::min(BulgeArcDistance(first, p), BulgeArcDistance(second, p)) <= FFit;
    });
    if (!follows) return false;
    Arc(join, b1);
    Arc(C.P3, b2);
    return true;
  }

  // A piece too small to halve any further, as lines.
  void Flattened(const TCubic& C) {
    std::vector<TNodeSimple> points;
    FlattenCubicInto(points, C.P0, C.P1, C.P2, C.P3, FTolerance);
    for (const TNodeSimple& p : points) Arc(p, 0.0);
  }

  double FTolerance;
  double FFit;
  std::vector<TBulgeVertex>& FOut;
};

bool Curved(const TPlacedSegment& S) {
  return !IsStraightSegment(S);
}

}  // namespace

TBulgeArc MakeBulgeArc(TNodeSimple A, TNodeSimple B, double Bulge) {
  TBulgeArc arc;
  arc.A = A;
  arc.B = B;
  const double chord = Distance(A, B);
  if (chord == 0.0 || std::fabs(Bulge) * chord / 2.0 < kFlatSagitta) return arc;
  arc.Straight = false;
  arc.Sweep = 4.0 * std::atan(Bulge);
  // The centre lies on the chord's perpendicular bisector, offset to the left of A-B for a
  // counter-clockwise arc of less than half a circle.
  const double offset = chord / 2.0 * (1.0 - Bulge * Bulge) / (2.0 * Bulge);
  arc.Centre = {(A.X + B.X) / 2.0 - (B.Y - A.Y) / chord * offset,
                (A.Y + B.Y) / 2.0 + (B.X - A.X) / chord * offset};
  arc.Radius = chord * (1.0 + Bulge * Bulge) / (4.0 * std::fabs(Bulge));
  return arc;
}

double BulgeArcDistance(const TBulgeArc& Arc, TNodeSimple P) {
  if (Arc.Straight) return PointSegmentDistance(P, Arc.A, Arc.B);
  const TNodeSimple toP = Sub(P, Arc.Centre);
  double angle = TurnAngle(Sub(Arc.A, Arc.Centre), toP);
  if (Arc.Sweep < 0) angle = -angle;
  if (angle < 0) angle += 2.0 * std::numbers::pi;
  if (angle <= std::fabs(Arc.Sweep)) return std::fabs(Length(toP) - Arc.Radius);
  return std::min(Distance(P, Arc.A), Distance(P, Arc.B));
}

void FlattenBulgeInto(std::vector<TNodeSimple>& Points, const TBulgeArc& Arc, double Tolerance) {
  if (Arc.Straight) {
    Points.push_back(Arc.B);
    return;
  }
  // A chord of angle s stays within r (1 - cos(s / 2)) of its arc.
  const double ratio = std::clamp(1.0 - Tolerance / Arc.Radius, -1.0, 1.0);
  const double step = std::max(2.0 * std::acos(ratio), 1e-4);
  const int n = std::clamp(static_cast<int>(std::ceil(std::fabs(Arc.Sweep) / step)), 1, 100000);
  const TNodeSimple a = Sub(Arc.A, Arc.Centre);
  for (int k = 1; k < n; ++k) {
    const double t = Arc.Sweep * k / n;
    Points.push_back({Arc.Centre.X + a.X * std::cos(t) - a.Y * std::sin(t),
                      Arc.Centre.Y + a.X * std::sin(t) + a.Y * std::cos(t)});
  }
  Points.push_back(Arc.B);
}

std::vector<TBulgeVertex> FitArcs(const TPlacedPath& Path, double Tolerance) {
  std::vector<TBulgeVertex> out;
  TArcFitter fitter(Tolerance, out);
  const std::vector<TPlacedSegment>& s = Path.Segments;
  for (size_t i = 0; i < s.size();) {
    if (out.empty() || !SamePoint(out.back().P, s[i].Start)) out.push_back({s[i].Start, 0.0});
    if (!Curved(s[i])) {
      out.push_back({s[i].End, 0.0});
      ++i;
      continue;
    }
    std::vector<TCubic> run;
    do {
      run.push_back({s[i].Start, s[i].StartControl, s[i].EndControl, s[i].End});
      ++i;
    } while (i < s.size() && Curved(s[i]) && SamePoint(s[i].Start, s[i - 1].End));
    fitter.Run(std::move(run));
  }
  // The closing piece starts at the vertex before the repeated first one and keeps its bulge.
  if (Path.Closed && out.size() > 2 && SamePoint(out.front().P, out.back().P)) out.pop_back();
  return out;
}

}  // namespace plavo
