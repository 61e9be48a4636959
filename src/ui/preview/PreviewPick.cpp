#include <algorithm>
#include <array>
#include <cmath>

#include "ui/preview/PreviewShapes.h"

namespace plavo {

namespace {

using TNode = TQarvPreviewBezierNode;

constexpr int kPickPoints = 10;  // start, 8 interior points, end

TNode Mid(TNode A, TNode B) {
  return {(A.x + B.x) / 2, (A.y + B.y) / 2};
}

bool InBox(TNode M, double MinX, double MaxX, double MinY, double MaxY, double Tol) {
  return MinX - Tol <= M.x && M.x <= MaxX + Tol && MinY - Tol <= M.y && M.y <= MaxY + Tol;
}

// Halves the curve Depth times (first half first) and writes the midpoint of each piece,
// which is the curve's point at parameter (2i + 1) / 16 for Depth 3.
void CurveMidpoints(TNode P0, TNode P1, TNode P2, TNode P3, int Depth, TNode*& Out) {
  const TNode p01 = Mid(P0, P1), p12 = Mid(P1, P2), p23 = Mid(P2, P3);
  const TNode p012 = Mid(p01, p12), p123 = Mid(p12, p23);
  const TNode middle = Mid(p012, p123);
  if (Depth == 0) {
    *Out++ = middle;
    return;
  }
  CurveMidpoints(P0, p01, p012, middle, Depth - 1, Out);
  CurveMidpoints(middle, p123, p23, P3, Depth - 1, Out);
}

// The start, the 8 interior points of a curve and the end of Segment; the count written.
size_t SegmentPoints(const TQarvPrevireSegment& S, std::array<TNode, kPickPoints>& Points) {
  TNode* out = Points.data();
  const TNode start{S.StartNodeX, S.StartNodeY};
  *out++ = start;
  if (S.type_ != 0) {
    CurveMidpoints(start, {S.StartControlPointX, S.StartControlPointY},
                   {S.EndControlPointX, S.EndControlPointY}, {S.EndNodeX, S.EndNodeY}, 3, out);
  }
  *out++ = {S.EndNodeX, S.EndNodeY};
  return static_cast<size_t>(out - Points.data());
}

// Whether the ray from M to the right crosses the piece P-Q (half-open in y, so a vertex on
// the ray counts once).
bool Crosses(TNode M, TNode P, TNode Q) {
  if ((P.y > M.y) == (Q.y > M.y)) return false;
  return M.x < P.x + (M.y - P.y) * (Q.x - P.x) / (Q.y - P.y);
}

// Whether Path (closed back to its start) encloses M an odd number of times, and its box.
bool PathEncloses(const TQarvPreviewPath& Path, TNode M, double& BoxArea) {
  if (Path.type_ != kPreviewBezierPath || Path.Segment.empty()) return false;
  std::array<TNode, kPickPoints> points;
  bool inside = false;
  double minX = HUGE_VAL, maxX = -HUGE_VAL, minY = HUGE_VAL, maxY = -HUGE_VAL;
  for (const TQarvPrevireSegment& s : Path.Segment) {
    const size_t count = SegmentPoints(s, points);
    for (size_t k = 0; k < count; ++k) {
      minX = std::min(minX, points[k].x), maxX = std::max(maxX, points[k].x);
      minY = std::min(minY, points[k].y), maxY = std::max(maxY, points[k].y);
      if (k + 1 < count && Crosses(M, points[k], points[k + 1])) inside = !inside;
    }
  }
  const TNode last{Path.Segment.back().EndNodeX, Path.Segment.back().EndNodeY};
  const TNode first{Path.Segment.front().StartNodeX, Path.Segment.front().StartNodeY};
  if (Crosses(M, last, first)) inside = !inside;
  BoxArea = std::max(BoxArea, (maxX - minX) * (maxY - minY));
  return inside;
}

// The pick measure of M against the piece P-Q (see PickPreviewShape).
double Measure(TNode M, TNode P, TNode Q) {
  const double dx = Q.x - P.x, dy = Q.y - P.y;
  const double length2 = dx * dx + dy * dy;
  if (length2 == 0.0) return std::hypot(M.x - P.x, M.y - P.y);
  const double cross = dy * (M.x - Q.x) - dx * (M.y - Q.y);
  return cross * cross / length2;
}

}  // namespace

int PickPreviewShape(const TQarvPreviewShapes& Shapes, TNode M, double Tol) {
  int result = -1;
  double best = 2147483647.0;
  std::array<TNode, kPickPoints> points;
  for (size_t i = 0; i < Shapes.Shape.size(); ++i) {
    const TQarvPreviewShape& shape = Shapes.Shape[i];
    if (shape.Index < 0) continue;
    for (const TQarvPreviewPath& path : shape.Path) {
      for (const TQarvPrevireSegment& s : path.Segment) {
        const TNode start{s.StartNodeX, s.StartNodeY}, end{s.EndNodeX, s.EndNodeY};
        double minX = std::min(start.x, end.x), maxX = std::max(start.x, end.x);
        double minY = std::min(start.y, end.y), maxY = std::max(start.y, end.y);
        const bool curve = s.type_ != 0;
        const TNode c1{s.StartControlPointX, s.StartControlPointY};
        const TNode c2{s.EndControlPointX, s.EndControlPointY};
        if (curve) {
          minX = std::min({minX, c1.x, c2.x}), maxX = std::max({maxX, c1.x, c2.x});
          minY = std::min({minY, c1.y, c2.y}), maxY = std::max({maxY, c1.y, c2.y});
        }
        if (!InBox(M, minX, maxX, minY, maxY, Tol)) continue;

        const size_t count = SegmentPoints(s, points);
        for (size_t k = 0; k + 1 < count; ++k) {
          const TNode p = points[k], q = points[k + 1];
          if (!InBox(M, std::min(p.x, q.x), std::max(p.x, q.x), std::min(p.y, q.y),
                     std::max(p.y, q.y), Tol)) {
            continue;
          }
          const double d = Measure(M, p, q);
          if (d < Tol && d < best) {
            best = d;
            result = static_cast<int>(i);
          }
        }
      }
    }
  }
  return result;
}

int PickPreviewShapeInside(const TQarvPreviewShapes& Shapes, TNode M) {
  int result = -1;
  double smallest = HUGE_VAL;
  for (size_t i = 0; i < Shapes.Shape.size(); ++i) {
    const TQarvPreviewShape& shape = Shapes.Shape[i];
    if (shape.Index < 0) continue;
    bool inside = false;
    double area = 0.0;
    for (const TQarvPreviewPath& path : shape.Path) inside ^= PathEncloses(path, M, area);
    if (inside && area < smallest) {
      smallest = area;
      result = static_cast<int>(i);
    }
  }
  return result;
}

}  // namespace plavo
