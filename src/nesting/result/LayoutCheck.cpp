#include "nesting/result/LayoutCheck.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <map>
#include <utility>

#include "geometry/QarvMath.h"

namespace plavo {

namespace {

struct TSegment {
  TNodeSimple A;
  TNodeSimple B;
  TRectDbl Box;  // Left <= Right, Bottom <= Top
};

// A shape made ready for measuring: its box and its segments sorted by their left edge.
struct TPrepared {
  const TCheckShape* Shape = nullptr;
  TRectDbl Box = EmptyBox();
  std::vector<TSegment> Segments;
  double WidestSegment = 0.0;
};

TSegment MakeSegment(TNodeSimple A, TNodeSimple B) {
  return {A, B,
          TRectDbl::MakeLTRB(std::min(A.X, B.X), std::max(A.Y, B.Y), std::max(A.X, B.X),
                             std::min(A.Y, B.Y))};
}

bool LeftOf(const TSegment& a, const TSegment& b) {
  return a.Box.Left < b.Box.Left;
}

TPrepared Prepare(const TCheckShape& Shape) {
  TPrepared p;
  p.Shape = &Shape;
  for (const TCheckRing& ring : Shape.Rings) {
    const size_t n = ring.Points.size();
    for (size_t k = 0; k < n; ++k) WidenBox(p.Box, ring.Points[k]);
    if (n == 1) p.Segments.push_back(MakeSegment(ring.Points[0], ring.Points[0]));
    for (size_t k = 0; k + 1 < n; ++k) {
      p.Segments.push_back(MakeSegment(ring.Points[k], ring.Points[k + 1]));
    }
    if (ring.Closed && n > 2) p.Segments.push_back(MakeSegment(ring.Points[n - 1], ring.Points[0]));
  }
  for (const TSegment& s : p.Segments) {
    p.WidestSegment = std::max(p.WidestSegment, s.Box.Right - s.Box.Left);
  }
  std::sort(p.Segments.begin(), p.Segments.end(), LeftOf);
  return p;
}

double BoxDistance(const TRectDbl& a, const TRectDbl& b) {
  const double dx = std::max({0.0, a.Left - b.Right, b.Left - a.Right});
  const double dy = std::max({0.0, a.Bottom - b.Top, b.Bottom - a.Top});
  return std::hypot(dx, dy);
}

double Cross(TNodeSimple O, TNodeSimple A, TNodeSimple B) {
  return (A.X - O.X) * (B.Y - O.Y) - (A.Y - O.Y) * (B.X - O.X);
}

double SegmentDistance(const TSegment& s, const TSegment& t) {
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

// Whether P lies on the shape's material: even-odd over its closed rings, or with its holes
// filled (inside any ring) when nothing may be placed in them.
bool OnMaterial(const TCheckShape& Shape, TNodeSimple P, bool HolesFilled) {
  bool inside = false;
  for (const TCheckRing& ring : Shape.Rings) {
    if (!ring.Closed || ring.Points.size() < 3 || !RingEncloses(ring, P)) continue;
    if (HolesFilled) return true;
    inside = !inside;
  }
  return inside;
}

// Some ring of Inner lies on the material of Outer. Rings that do not cross lie wholly on one
// side, so their first points decide.
bool RestsOn(const TCheckShape& Inner, const TCheckShape& Outer, bool HolesFilled) {
  return std::any_of(Inner.Rings.begin(), Inner.Rings.end(), [&](const TCheckRing& ring) {
    return !ring.Points.empty() && OnMaterial(Outer, ring.Points[0], HolesFilled);
  });
}

// The segments of P within Cutoff of Box.
std::vector<const TSegment*> Near(const TPrepared& P, const TRectDbl& Box, double Cutoff) {
  std::vector<const TSegment*> near;
  for (const TSegment& s : P.Segments) {
    if (BoxDistance(s.Box, Box) < Cutoff) near.push_back(&s);
  }
  return near;
}

// The distance between two shapes, when below Cutoff (else Cutoff): 0 when they touch, cross
// or one rests on the other.
double PairGap(const TPrepared& A, const TPrepared& B, double Cutoff, bool AllowInside) {
  const bool holesFilled = !AllowInside;
  if (BoxDistance(A.Box, B.Box) == 0.0 &&
      (RestsOn(*B.Shape, *A.Shape, holesFilled) || RestsOn(*A.Shape, *B.Shape, holesFilled))) {
    return 0.0;
  }
  double best = Cutoff;
  const std::vector<const TSegment*> nearA = Near(A, B.Box, best);
  const std::vector<const TSegment*> nearB = Near(B, A.Box, best);
  // Both lists are sorted by left edge: for each segment of A only those of B that start
  // within reach need a look.
  for (const TSegment* a : nearA) {
    const double from = a->Box.Left - B.WidestSegment - best;
    auto it = std::lower_bound(nearB.begin(), nearB.end(), from,
                               [](const TSegment* s, double x) { return s->Box.Left < x; });
    for (; it != nearB.end() && (*it)->Box.Left <= a->Box.Right + best; ++it) {
      if (BoxDistance(a->Box, (*it)->Box) >= best) continue;
      best = std::min(best, SegmentDistance(*a, **it));
      if (best == 0.0) return 0.0;
    }
  }
  return best;
}

// How far P lies outside the rectangle.
double OutsideRect(TNodeSimple P, const TRectDbl& R) {
  const double dx = std::max({0.0, R.Left - P.X, P.X - R.Right});
  const double dy = std::max({0.0, R.Bottom - P.Y, P.Y - R.Top});
  return std::hypot(dx, dy);
}

double OutsideContainer(TNodeSimple P, const TPrepared& Container) {
  if (OnMaterial(*Container.Shape, P, false)) return 0.0;
  double d = kNoGap;
  for (const TSegment& s : Container.Segments) d = std::min(d, PointSegmentDistance(P, s.A, s.B));
  return d;
}

void MeasureOverhang(const TLayoutCheckInput& Input, const TPrepared* Container,
                     TLayoutCheck& Check) {
  for (const TCheckShape& shape : Input.Shapes) {
    const bool onSheet = shape.Sheet >= 0 && static_cast<size_t>(shape.Sheet) < Input.Sheets.size();
    for (const TCheckRing& ring : shape.Rings) {
      for (const TNodeSimple& p : ring.Points) {
        double out = onSheet ? OutsideRect(p, Input.Sheets[static_cast<size_t>(shape.Sheet)]) : 0.0;
        if (Container != nullptr) out = std::max(out, OutsideContainer(p, *Container));
        if (out > Check.Overhang) {
          Check.Overhang = out;
          Check.OverhangShape = shape.Index;
        }
      }
    }
  }
}

void MeasurePair(const TPrepared& A, const TPrepared& B, bool AllowInside, TLayoutCheck& Check) {
  if (BoxDistance(A.Box, B.Box) >= Check.MinGap) return;
  const double gap = PairGap(A, B, Check.MinGap, AllowInside);
  if (gap < Check.MinGap) {
    Check.MinGap = gap;
    Check.GapShapes[0] = std::min(A.Shape->Index, B.Shape->Index);
    Check.GapShapes[1] = std::max(A.Shape->Index, B.Shape->Index);
  }
}

// The shapes of one sheet sorted by their left edge. Each shape's next neighbours give a first
// smallest gap; then every pair whose boxes lie closer than that is measured, and a shape's
// look to the right ends at the first box that starts farther away.
void MeasureSheet(std::vector<TPrepared>& Shapes, bool AllowInside, TLayoutCheck& Check) {
  std::sort(Shapes.begin(), Shapes.end(),
            [](const TPrepared& a, const TPrepared& b) { return a.Box.Left < b.Box.Left; });
  for (size_t a = 0; a + 1 < Shapes.size(); ++a) {
    MeasurePair(Shapes[a], Shapes[a + 1], AllowInside, Check);
  }
  for (size_t a = 0; a < Shapes.size(); ++a) {
    for (size_t b = a + 2; b < Shapes.size(); ++b) {
      if (Shapes[b].Box.Left - Shapes[a].Box.Right >= Check.MinGap) break;
      MeasurePair(Shapes[a], Shapes[b], AllowInside, Check);
    }
  }
}

void MeasureGaps(const TLayoutCheckInput& Input, TLayoutCheck& Check) {
  std::map<int, std::vector<TPrepared>> bySheet;
  for (const TCheckShape& shape : Input.Shapes) bySheet[shape.Sheet].push_back(Prepare(shape));
  for (auto& [sheet, shapes] : bySheet) MeasureSheet(shapes, Input.AllowInside, Check);
}

}  // namespace

TLayoutCheck CheckLayoutGeometry(const TLayoutCheckInput& Input) {
  TLayoutCheck check;
  MeasureGaps(Input, check);
  if (Input.HasContainer) {
    const TPrepared container = Prepare(Input.Container);
    MeasureOverhang(Input, &container, check);
  } else {
    MeasureOverhang(Input, nullptr, check);
  }
  return check;
}

}  // namespace plavo
