#include "nesting/result/ShapeGap.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "geometry/DrawingPath.h"
#include "geometry/QarvMath.h"

namespace plavo {

namespace {

// Segments along the outline that share a box in TGapOutline::RunBoxes.
constexpr size_t kGapRun = 8;

TGapSegment MakeSegment(TNodeSimple A, TNodeSimple B) {
  return {A, B,
          TRectDbl::MakeLTRB(std::min(A.X, B.X), std::max(A.Y, B.Y), std::max(A.X, B.X),
                             std::min(A.Y, B.Y))};
}

double Cross(TNodeSimple O, TNodeSimple A, TNodeSimple B) {
  return (A.X - O.X) * (B.Y - O.Y) - (A.Y - O.Y) * (B.X - O.X);
}

double SegmentDistance(const TGapSegment& s, const TGapSegment& t) {
  const double d1 = Cross(s.A, s.B, t.A);
  const double d2 = Cross(s.A, s.B, t.B);
  const double d3 = Cross(t.A, t.B, s.A);
  const double d4 = Cross(t.A, t.B, s.B);
  if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) {
    return 0.0;  // they cross
  }
  return std::min({PointSegmentDistance(s.A, t.A, t.B), PointSegmentDistance(s.B, t.A, t.B),
                   PointSegmentDistance(t.A, s.A, s.B), PointSegmentDistance(t.B, s.A, s.B)});
}

bool RingEncloses(const TCheckRing& Ring, TNodeSimple P) {
  bool inside = false;
  const size_t n = Ring.Points.size();
  for (size_t k = 0, j = n - 1; k < n; j = k++) {
    const TNodeSimple& a = Ring.Points[j];
    const TNodeSimple& b = Ring.Points[k];
    if ((a.Y > P.Y) != (b.Y > P.Y) && P.X < a.X + (P.Y - a.Y) * (b.X - a.X) / (b.Y - a.Y)) {
      inside = !inside;
    }
  }
  return inside;
}

TNodeSimple Moved(TNodeSimple P, TNodeSimple By) {
  return {P.X + By.X, P.Y + By.Y};
}

TRectDbl Moved(const TRectDbl& B, TNodeSimple By) {
  return TRectDbl::MakeLTRB(B.Left + By.X, B.Top + By.Y, B.Right + By.X, B.Bottom + By.Y);
}

TGapSegment Moved(const TGapSegment& S, TNodeSimple By) {
  return {Moved(S.A, By), Moved(S.B, By), Moved(S.Box, By)};
}

// Some ring of Inner, moved by By into Outer's place, lies on the material of Outer. Rings that
// do not cross lie wholly on one side, so their first points decide.
bool RestsOn(const TGapOutline& Inner, TNodeSimple By, const TGapOutline& Outer, bool HolesFilled) {
  return std::any_of(
      Inner.Shape->Rings.begin(), Inner.Shape->Rings.end(), [&](const TCheckRing& ring) {
        return !ring.Points.empty() && OnMaterial(Outer, Moved(ring.Points[0], By), HolesFilled);
      });
}

// The runs of P whose boxes lie within Cutoff of Box.
std::vector<size_t> NearRuns(const TGapOutline& P, const TRectDbl& Box, double Cutoff) {
  std::vector<size_t> near;
  for (size_t r = 0; r < P.RunBoxes.size(); ++r) {
    if (BoxesNear(P.RunBoxes[r], Box, Cutoff)) near.push_back(r);
  }
  return near;
}

// The distance between run Ra of A and run Rb of B moved by By, when below Best, else Best.
double RunGap(const TGapOutline& A, size_t Ra, const TGapOutline& B, size_t Rb, TNodeSimple By,
              double Best) {
  const size_t lastA = std::min(A.Segments.size(), (Ra + 1) * kGapRun);
  const size_t lastB = std::min(B.Segments.size(), (Rb + 1) * kGapRun);
  const TRectDbl runB = Moved(B.RunBoxes[Rb], By);
  for (size_t a = Ra * kGapRun; a < lastA; ++a) {
    const TGapSegment& s = A.Segments[a];
    if (!BoxesNear(s.Box, runB, Best)) continue;
    for (size_t b = Rb * kGapRun; b < lastB; ++b) {
      const TGapSegment t = Moved(B.Segments[b], By);
      if (!BoxesNear(s.Box, t.Box, Best)) continue;
      Best = std::min(Best, SegmentDistance(s, t));
      if (Best == 0.0) return 0.0;
    }
  }
  return Best;
}

}  // namespace

TGapOutline PrepareGapOutline(const TCheckShape& Shape) {
  TGapOutline p;
  p.Shape = &Shape;
  for (const TCheckRing& ring : Shape.Rings) {
    const size_t n = ring.Points.size();
    TRectDbl ringBox = EmptyBox();
    for (size_t k = 0; k < n; ++k) WidenBox(ringBox, ring.Points[k]);
    p.RingBoxes.push_back(ringBox);
    WidenBox(p.Box, ringBox);
    if (n == 1) p.Segments.push_back(MakeSegment(ring.Points[0], ring.Points[0]));
    for (size_t k = 0; k + 1 < n; ++k) {
      p.Segments.push_back(MakeSegment(ring.Points[k], ring.Points[k + 1]));
    }
    if (ring.Closed && n > 2) p.Segments.push_back(MakeSegment(ring.Points[n - 1], ring.Points[0]));
  }
  for (size_t k = 0; k < p.Segments.size(); ++k) {
    if (k % kGapRun == 0) p.RunBoxes.push_back(EmptyBox());
    WidenBox(p.RunBoxes.back(), p.Segments[k].Box);
  }
  return p;
}

TRectDbl TGapShape::Box() const {
  return Moved(Outline->Box, Offset);
}

double BoxDistance(const TRectDbl& a, const TRectDbl& b) {
  const double dx = std::max({0.0, a.Left - b.Right, b.Left - a.Right});
  const double dy = std::max({0.0, a.Bottom - b.Top, b.Bottom - a.Top});
  return std::hypot(dx, dy);
}

bool OnMaterial(const TGapOutline& Outline, TNodeSimple P, bool HolesFilled) {
  if (!BoxHolds(Outline.Box, P)) return false;
  bool inside = false;
  for (size_t r = 0; r < Outline.RingBoxes.size(); ++r) {
    const TCheckRing& ring = Outline.Shape->Rings[r];
    if (!BoxHolds(Outline.RingBoxes[r], P) || !ring.Closed || ring.Points.size() < 3 ||
        !RingEncloses(ring, P)) {
      continue;
    }
    if (HolesFilled) return true;
    inside = !inside;
  }
  return inside;
}

namespace {

// Measured in A's own place, where B lies moved by the difference of the offsets. With
// FirstBelow the first distance found below Cutoff is returned, not the smallest.
double Gap(const TGapShape& A, const TGapShape& B, double Cutoff, bool AllowInside,
           bool FirstBelow) {
  const TGapOutline& a = *A.Outline;
  const TGapOutline& b = *B.Outline;
  const TNodeSimple by{B.Offset.X - A.Offset.X, B.Offset.Y - A.Offset.Y};
  const TNodeSimple back{-by.X, -by.Y};
  const TRectDbl boxB = Moved(b.Box, by);
  const bool holesFilled = !AllowInside;
  if (BoxDistance(a.Box, boxB) == 0.0 &&
      (RestsOn(b, by, a, holesFilled) || RestsOn(a, back, b, holesFilled))) {
    return 0.0;
  }
  double best = Cutoff;
  const std::vector<size_t> runsA = NearRuns(a, boxB, best);
  const std::vector<size_t> runsB = NearRuns(b, Moved(a.Box, back), best);
  for (const size_t ra : runsA) {
    for (const size_t rb : runsB) {
      if (!BoxesNear(a.RunBoxes[ra], Moved(b.RunBoxes[rb], by), best)) continue;
      best = RunGap(a, ra, b, rb, by, best);
      if (best == 0.0 || (FirstBelow && best < Cutoff)) return best;
    }
  }
  return best;
}

}  // namespace

double PairGap(const TGapShape& A, const TGapShape& B, double Cutoff, bool AllowInside) {
  return Gap(A, B, Cutoff, AllowInside, false);
}

bool PairCloser(const TGapShape& A, const TGapShape& B, double Cutoff, bool AllowInside) {
  return Gap(A, B, Cutoff, AllowInside, true) < Cutoff;
}

}  // namespace plavo
