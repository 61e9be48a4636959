#include "nesting/place/CellCover.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace plavo {

namespace {

constexpr double kHalf = 0.5;

// A range of y, empty until something is added.
struct TSpan {
  double Lo = std::numeric_limits<double>::infinity();
  double Hi = -std::numeric_limits<double>::infinity();
  void Add(double Y) {
    Lo = std::min(Lo, Y);
    Hi = std::max(Hi, Y);
  }
  bool Empty() const { return Lo > Hi; }
};

// The y range of the disc of radius R around C over the strip X0 <= x <= X1.
void AddDisc(TSpan& S, TBezierNode C, double R, double X0, double X1) {
  const double dx = std::max({0.0, X0 - C.x, C.x - X1});
  if (dx > R) return;
  const double h = std::sqrt(R * R - dx * dx);
  S.Add(C.y - h);
  S.Add(C.y + h);
}

// The y range of a convex polygon over the strip: its corners inside, its edges' crossings of
// the strip's sides.
void AddPolygon(TSpan& S, const TBezierNode (&V)[4], double X0, double X1) {
  for (int k = 0; k < 4; ++k) {
    const TBezierNode& a = V[k];
    const TBezierNode& b = V[(k + 1) % 4];
    if (a.x >= X0 && a.x <= X1) S.Add(a.y);
    for (const double x : {X0, X1}) {
      if ((a.x - x) * (b.x - x) < 0) S.Add(a.y + (x - a.x) * (b.y - a.y) / (b.x - a.x));
    }
  }
}

int Floor(double V) {
  return static_cast<int>(std::clamp(std::floor(V), -1.0e9, 1.0e9));
}

int Ceil(double V) {
  return static_cast<int>(std::clamp(std::ceil(V), -1.0e9, 1.0e9));
}

bool InSquare(TBezierNode P, int u, int v) {
  return std::fabs(P.x - u) <= kHalf && std::fabs(P.y - v) <= kHalf;
}

double Cross(TBezierNode O, TBezierNode A, TBezierNode B) {
  return (A.x - O.x) * (B.y - O.y) - (A.y - O.y) * (B.x - O.x);
}

bool SegmentsCross(TBezierNode A, TBezierNode B, TBezierNode C, TBezierNode D) {
  const double d1 = Cross(A, B, C);
  const double d2 = Cross(A, B, D);
  const double d3 = Cross(C, D, A);
  const double d4 = Cross(C, D, B);
  return ((d1 >= 0 && d2 <= 0) || (d1 <= 0 && d2 >= 0)) &&
         ((d3 >= 0 && d4 <= 0) || (d3 <= 0 && d4 >= 0));
}

double PointSegment(TBezierNode P, TBezierNode A, TBezierNode B) {
  const double dx = B.x - A.x;
  const double dy = B.y - A.y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((P.x - A.x) * dx + (P.y - A.y) * dy) / len2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(P.x - (A.x + t * dx), P.y - (A.y + t * dy));
}

double PointSquare(TBezierNode P, int u, int v) {
  const double dx = std::max(0.0, std::fabs(P.x - u) - kHalf);
  const double dy = std::max(0.0, std::fabs(P.y - v) - kHalf);
  return std::hypot(dx, dy);
}

TBezierNode Shifted(TBezierNode P, TBezierNode By) {
  return {P.x + By.x, P.y + By.y};
}

// Calls Edge(a, b) for every edge of the rings, shifted by Origin; a ring of one point is an
// edge of no length.
template <typename TEdge>
void ForEachEdge(const std::vector<TCutRing>& Rings, TBezierNode Origin, TEdge&& Edge) {
  for (const TCutRing& ring : Rings) {
    const size_t n = ring.Points.size();
    if (n == 1) Edge(Shifted(ring.Points[0], Origin), Shifted(ring.Points[0], Origin));
    for (size_t k = 0; k + 1 < n; ++k) {
      Edge(Shifted(ring.Points[k], Origin), Shifted(ring.Points[k + 1], Origin));
    }
    if (ring.Closed && n > 2)
      Edge(Shifted(ring.Points[n - 1], Origin), Shifted(ring.Points[0], Origin));
  }
}

}  // namespace

void AddSegmentCells(TBezierNode P, TBezierNode Q, double R, std::vector<TCellRun>& Runs) {
  // The cells within R of the segment are those its capsule touches: the discs at its ends and
  // the band between them, a convex set whose slice over each column is one range of rows.
  TBezierNode band[4];
  const double len = std::hypot(Q.x - P.x, Q.y - P.y);
  const bool hasBand = len > 0;
  if (hasBand) {
    const double nx = -(Q.y - P.y) / len * R;
    const double ny = (Q.x - P.x) / len * R;
    band[0] = {P.x + nx, P.y + ny};
    band[1] = {Q.x + nx, Q.y + ny};
    band[2] = {Q.x - nx, Q.y - ny};
    band[3] = {P.x - nx, P.y - ny};
  }
  const int first = Ceil(std::min(P.x, Q.x) - R - kHalf);
  const int last = Floor(std::max(P.x, Q.x) + R + kHalf);
  for (int c = first; c <= last; ++c) {
    const double x0 = c - kHalf;
    const double x1 = c + kHalf;
    TSpan s;
    AddDisc(s, P, R, x0, x1);
    AddDisc(s, Q, R, x0, x1);
    if (hasBand) AddPolygon(s, band, x0, x1);
    if (s.Empty()) continue;
    Runs.push_back({c, Ceil(s.Lo - kHalf), Floor(s.Hi + kHalf)});
  }
}

bool CellNearSegment(int u, int v, TBezierNode P, TBezierNode Q, double R) {
  if (InSquare(P, u, v) || InSquare(Q, u, v)) return true;
  const TBezierNode c[4] = {{u - kHalf, v - kHalf},
                            {u + kHalf, v - kHalf},
                            {u + kHalf, v + kHalf},
                            {u - kHalf, v + kHalf}};
  double d = std::min(PointSquare(P, u, v), PointSquare(Q, u, v));
  for (int k = 0; k < 4; ++k) {
    if (SegmentsCross(P, Q, c[k], c[(k + 1) % 4])) return true;
    d = std::min(d, PointSegment(c[k], P, Q));
  }
  return d <= R;
}

void MarkOutlineCells(TBooleanMatrix& L, const std::vector<TCutRing>& Rings, TBezierNode Origin,
                      double R, bool Plain) {
  std::vector<TCellRun> runs;
  ForEachEdge(Rings, Origin, [&](TBezierNode a, TBezierNode b) {
    if (Plain) {
      const int u0 = std::max(0, Floor(std::min(a.x, b.x) - R - 1));
      const int u1 = std::min(L.Width() - 1, Ceil(std::max(a.x, b.x) + R + 1));
      const int v0 = std::max(0, Floor(std::min(a.y, b.y) - R - 1));
      const int v1 = std::min(L.Height() - 1, Ceil(std::max(a.y, b.y) + R + 1));
      for (int u = u0; u <= u1; ++u) {
        for (int v = v0; v <= v1; ++v) {
          if (CellNearSegment(u, v, a, b, R)) L.SetOccupied(u, v);
        }
      }
      return;
    }
    runs.clear();
    AddSegmentCells(a, b, R, runs);
    for (const TCellRun& r : runs) {
      if (r.Column >= 0 && r.Column < L.Width()) L.OccupyRows(r.Column, r.Low, r.High);
    }
  });
}

void ToggleRingCrossings(TBooleanMatrix& L, TBooleanMatrix* F, const TCutRing& Ring,
                         TBezierNode Origin) {
  const size_t n = Ring.Points.size();
  if (!Ring.Closed || n < 3) return;
  for (size_t k = 0; k < n; ++k) {
    const TBezierNode a = Shifted(Ring.Points[k], Origin);
    const TBezierNode b = Shifted(Ring.Points[(k + 1) % n], Origin);
    if (a.y == b.y) continue;
    // Row centres y = j with min <= j < max: each crossing counts once where two edges meet.
    const int lo = std::max(0, Ceil(std::min(a.y, b.y)));
    const int hi = std::min(L.Height() - 1, Ceil(std::max(a.y, b.y)) - 1);
    for (int j = lo; j <= hi; ++j) {
      const double x = a.x + (j - a.y) * (b.x - a.x) / (b.y - a.y);
      // Cells whose centre lies right of the crossing: from floor(x) + 1 on.
      const int k0 = std::max(0, Floor(x) + 1);
      if (k0 >= L.Width()) continue;
      L.Toggle(k0, j);
      if (F != nullptr) F->Toggle(k0, j);
    }
  }
}

std::vector<TCellRun> OccupiedRuns(const TBooleanMatrix& L, int CX, int CY) {
  std::vector<TCellRun> runs;
  const int H = L.Height();
  for (int u = 0; u < L.Width(); ++u) {
    const uint64_t* column = L.Column(u);
    // The first row at or above V whose bit is Bit, or H.
    const auto next = [&](int V, bool Bit) {
      for (int w = V >> 6; w * 64 < H; ++w) {
        uint64_t bits = Bit ? column[w] : ~column[w];
        if (w == (V >> 6)) bits &= ~uint64_t{0} << (V & 63);
        if (bits != 0) return std::min(H, w * 64 + std::countr_zero(bits));
      }
      return H;
    };
    for (int v = next(0, true); v < H;) {
      const int end = next(v, false);
      runs.push_back({u - CX, v - CY, end - 1 - CY});
      v = end < H ? next(end, true) : H;
    }
  }
  return runs;
}

}  // namespace plavo
