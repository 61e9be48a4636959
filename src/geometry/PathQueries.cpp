// Geometric questions asked of paths and curves, answered on the approximation nodes.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/QarvMath.h"
#include "geometry/ShapesClass.h"

namespace plavo {

namespace {

// Moves a vertex lying exactly at the test height off it, so that it counts once where the
// contour passes through and zero or two times at a local extreme.
constexpr double kVertexNudge = 0.0001;
// Box overlap tolerance and determinant threshold of the crossing search.
constexpr double kCrossingThreshold = 0.00001;
// Distance before anything was measured, and the answer when there is nothing to measure.
constexpr double kNoDistance = 2147483647.0;

// Whether the edge A-B crosses the ray from (X, Y) toward smaller X.
bool EdgeCrossesRay(TNodeSimple A, TNodeSimple B, double X, double Y) {
  double ya = A.Y;
  double yb = B.Y;
  double& upper = ya > yb ? ya : yb;  // yb when equal
  if (Y == upper) upper += kVertexNudge;
  double& lower = ya < yb ? ya : yb;  // yb when equal
  if (Y == lower) lower += kVertexNudge;
  if (!(std::min(ya, yb) < Y && Y < std::max(ya, yb))) return false;
  if (X > std::max(A.X, B.X)) return true;
  if (std::min(A.X, B.X) <= X && X <= std::max(A.X, B.X)) {
    const double xc = ((B.X - A.X) * Y + A.X * yb - B.X * ya) / (yb - ya);
    return xc < X;
  }
  return false;
}

// Where the foot of P on the edge A-B falls, and how far P is from the edge.
enum class TFoot { Inside, AtStart, AtEnd };
struct TEdgeDistance {
  TFoot Foot;
  double Distance;
  double Da;   // |PA|
  double Dab;  // |AB|
};

// For a non-degenerate edge (A != B).
TEdgeDistance MeasureEdge(TNodeSimple A, TNodeSimple B, double X, double Y) {
  const double da = PointDistance(X, Y, A.X, A.Y);
  const double db = PointDistance(X, Y, B.X, B.Y);
  const double dab = PointDistance(A.X, A.Y, B.X, B.Y);
  // Law of cosines: the angle of the triangle P, A, B at B is acute when da^2 < dab^2 + db^2.
  const bool acuteAtB = std::sqrt(dab * dab + db * db) > da;
  const bool acuteAtA = std::sqrt(dab * dab + da * da) > db;
  if (acuteAtA && acuteAtB) {  // the foot lies within the edge
    const double h = std::fabs((B.Y - A.Y) * X + (A.X - B.X) * Y + (B.X * A.Y - A.X * B.Y)) / dab;
    return {TFoot::Inside, h, da, dab};
  }
  if (acuteAtB) return {TFoot::AtStart, da, da, dab};  // beyond A
  return {TFoot::AtEnd, db, da, dab};
}

bool SameNode(TNodeSimple A, TNodeSimple B) {
  return A.X == B.X && A.Y == B.Y;
}

}  // namespace

bool TQarvOnePath::IsPointInsidePath(double X, double Y) {
  EnsureApproximated();
  if (!Closed()) return false;
  if (X < FPathBoundBox.Left || X > FPathBoundBox.Right || Y < FPathBoundBox.Bottom ||
      Y > FPathBoundBox.Top) {
    return false;
  }
  int count = 0;
  VisitNodes([&](const TNodeSimpleArr& nodes) {
    for (size_t i = 1; i < nodes.size(); ++i) {
      if (EdgeCrossesRay(nodes[i - 1], nodes[i], X, Y)) ++count;
    }
  });
  return count % 2 == 1;
}

bool TQarvOneCurve::IsPointInsideCurve(double X, double Y) const {
  bool inside = false;
  for (const auto& path : FPath) {
    if (path->IsPointInsidePath(X, Y)) inside = !inside;
  }
  return inside;
}

double TQarvOnePath::DistanceToPoint(double X, double Y) {
  EnsureApproximated();
  double result = kNoDistance;
  VisitNodes([&](const TNodeSimpleArr& nodes) {
    for (size_t i = 1; i < nodes.size(); ++i) {
      const TNodeSimple a = nodes[i - 1];
      const TNodeSimple b = nodes[i];
      if (SameNode(a, b)) {
        result = std::min(result, PointDistance(X, Y, a.X, a.Y));
      } else {
        result = std::min(result, MeasureEdge(a, b, X, Y).Distance);
      }
    }
  });
  return result;
}

double TQarvOneCurve::DistanceToPoint(double X, double Y) const {
  double result = kNoDistance;
  for (const auto& path : FPath) result = std::min(result, path->DistanceToPoint(X, Y));
  return result;
}

double TQarvOnePath::GetNearestPoint(double X, double Y, double& Xp, double& Yp, double& Offset) {
  EnsureApproximated();
  Offset = 0.0;
  double result = kNoDistance;
  double walked = 0.0;
  VisitNodes([&](const TNodeSimpleArr& nodes) {
    for (size_t i = 1; i < nodes.size(); ++i) {
      const TNodeSimple a = nodes[i - 1];
      const TNodeSimple b = nodes[i];
      if (SameNode(a, b)) {
        const double d = PointDistance(X, Y, a.X, a.Y);
        if (d < result) {
          result = d;
          Xp = a.X;
          Yp = a.Y;
          Offset = walked;
        }
        continue;
      }
      const TEdgeDistance m = MeasureEdge(a, b, X, Y);
      if (m.Distance < result) {
        result = m.Distance;
        switch (m.Foot) {
          case TFoot::Inside: {
            // Rounding can make h a hair longer than |PA|; the foot then sits on A.
            const double t = std::sqrt(std::max(0.0, m.Da * m.Da - m.Distance * m.Distance));
            Offset = walked + t;
            Xp = a.X + (b.X - a.X) * t / m.Dab;
            Yp = a.Y + (b.Y - a.Y) * t / m.Dab;
            break;
          }
          case TFoot::AtStart:
            Xp = a.X;
            Yp = a.Y;
            Offset = walked;
            break;
          case TFoot::AtEnd:
            Xp = b.X;
            Yp = b.Y;
            Offset = walked + m.Dab;
            break;
        }
      }
      walked += m.Dab;
    }
  });
  return result;
}

TNodeSimple TQarvOnePath::GetPointPositionAt_New(double& X, double& Y, double Offset) const {
  // A path without segments has no point to give: the origin.
  TNodeSimple result{};
  X = 0.0;
  Y = 0.0;
  auto answer = [&](TNodeSimple P) {
    result = P;
    X = P.X;
    Y = P.Y;
  };
  double s = 0.0;
  TNodeSimpleArr scratch;
  VisitSegments([&](const TQarvOneSegment& segment) {
    const double length = segment.FApproxLength;
    if (s <= Offset && Offset <= s + length) {
      const TNodeSimpleArr& nodes = segment.ApproxNodes(scratch);
      double e = s;
      for (size_t i = 1; i < nodes.size(); ++i) {
        const TNodeSimple a = nodes[i - 1];
        const TNodeSimple b = nodes[i];
        const double g = PointDistance(a.X, a.Y, b.X, b.Y);
        if (e <= Offset && Offset <= e + g) {
          // A zero-length edge met exactly at the offset answers with its start.
          if (g > 0.0) {
            const double f = (Offset - e) / g;
            answer({a.X + (b.X - a.X) * f, a.Y + (b.Y - a.Y) * f});
          } else {
            answer(a);
          }
          return false;
        }
        answer(a);
        e += g;
      }
    }
    answer(segment.GetApproxNode(segment.FApproxNodeCount - 1));
    s += length;
    return true;
  });
  return result;
}

double TQarvOnePath::GetTangentAt_New(double Offset) const {
  double s = 0.0;
  TNodeSimpleArr scratch;
  double angle = 0.0;
  int k = 0;
  VisitSegments([&](const TQarvOneSegment& segment) {
    const bool lastSegment = k++ == FSegmentCount - 1;
    if ((s <= Offset && Offset <= s + segment.FApproxLength) || lastSegment) {
      const TNodeSimpleArr& nodes = segment.ApproxNodes(scratch);
      double e = s;
      for (size_t i = 1; i < nodes.size(); ++i) {
        const TNodeSimple a = nodes[i - 1];
        const TNodeSimple b = nodes[i];
        const double g = PointDistance(a.X, a.Y, b.X, b.Y);
        const bool lastEdge = lastSegment && i + 1 == nodes.size();
        if ((e <= Offset && Offset <= e + g) || lastEdge) {
          angle = LineAngle(a.X, a.Y, b.X, b.Y) * 180.0 / std::numbers::pi;
          return false;
        }
        e += g;
      }
    }
    s += segment.FApproxLength;
    return true;
  });
  return angle;
}

TNodeSimpleArr TQarvOnePath::GetIntersections(TQarvOnePath& TargetPath, double HotArea) {
  (void)HotArea;  // kept for callers; crossings are reported exactly
  EnsureApproximated();
  TargetPath.EnsureApproximated();
  TNodeSimpleArr result;
  TNodeSimpleArr ownScratch;
  TNodeSimpleArr targetScratch;
  VisitSegments([&](const TQarvOneSegment& own) {
    TargetPath.VisitSegments([&](const TQarvOneSegment& target) {
      if (own.FApproxNodeCount <= 1 || target.FApproxNodeCount <= 1) return true;
      if (!BoxesOverlap(own.FSegmentBoundBox, target.FSegmentBoundBox, kCrossingThreshold)) {
        return true;
      }
      const TNodeSimpleArr& p = own.ApproxNodes(ownScratch);
      const TNodeSimpleArr& q = target.ApproxNodes(targetScratch);
      for (size_t i = 1; i < p.size(); ++i) {
        for (size_t j = 1; j < q.size(); ++j) {
          double x = 0.0;
          double y = 0.0;
          if (SegmentIntersection(x, y, kCrossingThreshold, p[i - 1], p[i], q[j - 1], q[j])) {
            result.push_back({x, y});
          }
        }
      }
      return true;
    });
    return true;
  });
  return result;
}

}  // namespace plavo
