// Offset contour at a constant distance beside a path, computed on its approximation polyline
// with mitred corners.
#include <cmath>
#include <numbers>
#include <vector>

#include "geometry/QarvMath.h"
#include "geometry/ShapesClass.h"

namespace plavo {

namespace {

TNodeSimple Plus(TNodeSimple A, TNodeSimple B) {
  return {A.X + B.X, A.Y + B.Y};
}
TNodeSimple Minus(TNodeSimple A, TNodeSimple B) {
  return {A.X - B.X, A.Y - B.Y};
}
TNodeSimple Reflect(TNodeSimple Through, TNodeSimple P) {
  return {2.0 * Through.X - P.X, 2.0 * Through.Y - P.Y};
}
TNodeSimple Polar(double Length, double Angle) {
  return {Length * std::cos(Angle), Length * std::sin(Angle)};
}

// The point beside Cur where the offset lines of the edges Prev-Cur and Cur-Next meet.
TNodeSimple OffsetCorner(TNodeSimple Prev, TNodeSimple Cur, TNodeSimple Next, double Offset,
                         double Side) {
  const TNodeSimple shiftPrev = Polar(Offset, LineAngle(Prev.X, Prev.Y, Cur.X, Cur.Y) + Side);
  // Measured from Next back toward Cur, so the opposite turn lands on the same side.
  const TNodeSimple shiftNext = Polar(Offset, LineAngle(Next.X, Next.Y, Cur.X, Cur.Y) - Side);
  const TNodeSimple prevShifted = Plus(Prev, shiftPrev);
  const TNodeSimple nextShifted = Plus(Next, shiftNext);
  const TNodeSimple line1End = Plus(prevShifted, Minus(Cur, Prev));
  const TNodeSimple line2End = Plus(nextShifted, Minus(Next, Cur));
  TNodeSimple corner;
  if (LineIntersection(corner.X, corner.Y, prevShifted.X, prevShifted.Y, line1End.X, line1End.Y,
                       nextShifted.X, nextShifted.Y, line2End.X, line2End.Y)) {
    return corner;
  }
  // Parallel offset lines (collinear edges, or edges too short to tell): shift Cur alone.
  return Plus(Cur, shiftPrev);
}

std::vector<TNodeSimple> OffsetPolyline(const std::vector<TNodeSimple>& Source, double Offset,
                                        bool RightDirection) {
  const size_t n = Source.size();
  // A single point has no direction to be beside.
  if (n < 2) return Source;
  const double side = RightDirection ? std::numbers::pi / 2.0 : -std::numbers::pi / 2.0;
  const bool loop = Source.front().X == Source.back().X && Source.front().Y == Source.back().Y;
  std::vector<TNodeSimple> result(n);
  for (size_t i = 0; i < n; ++i) {
    const TNodeSimple cur = Source[i];
    TNodeSimple prev = Source[(i + n - 1) % n];
    TNodeSimple next = Source[(i + 1) % n];
    if (loop) {
      // Skip the duplicated closing point.
      if (i == 0) prev = Source[n - 2];
      if (i == n - 1) next = Source[1];
    } else {
      // Reflected neighbours keep the open ends square.
      if (i == 0) prev = Reflect(cur, next);
      if (i == n - 1) next = Reflect(cur, prev);
    }
    result[i] = OffsetCorner(prev, cur, next, Offset, side);
  }
  return result;
}

}  // namespace

std::unique_ptr<TQarvOnePath> TQarvOnePath::GetParallelPath(double Offset,
                                                            bool RightDirection) const {
  // A copy of everything but the tag, which a new path starts without.
  std::unique_ptr<TQarvOnePath> result = GetCopy();
  result->FTag = 0;
  result->StoreSegments();
  result->EnsureApproximated();

  // Segments without nodes take no part; among the others, each but the last gives up its
  // last node, which repeats the next segment's first. Every segment keeps its nodes as
  // written here, since they no longer follow from its geometry.
  std::vector<TQarvOneSegment*> withNodes;
  for (TQarvOneSegment& segment : result->FSegment) {
    segment.KeepNodes();
    if (segment.FNodeSource == TQarvOneSegment::TNodeSource::Kept && !segment.FKeptNodes->empty())
      withNodes.push_back(&segment);
  }
  std::vector<TNodeSimple> source;
  for (size_t k = 0; k < withNodes.size(); ++k) {
    const TNodeSimpleArr& nodes = *withNodes[k]->FKeptNodes;
    const size_t take = k + 1 < withNodes.size() ? nodes.size() - 1 : nodes.size();
    source.insert(source.end(), nodes.begin(), nodes.begin() + static_cast<ptrdiff_t>(take));
  }
  const std::vector<TNodeSimple> moved = OffsetPolyline(source, Offset, RightDirection);

  // Write back: a segment's last node and the next one's first share one new point.
  size_t index = 0;
  for (TQarvOneSegment* segment : withNodes) {
    TNodeSimpleArr& nodes = *segment->FKeptNodes;
    for (size_t j = 0; j < nodes.size(); ++j) {
      nodes[j] = moved[index];
      if (j + 1 < nodes.size()) ++index;
    }
  }

  result->FLength = 0.0;
  result->FPathBoundBox = EmptyBox();
  TNodeSimpleArr scratch;
  for (TQarvOneSegment& segment : result->FSegment) {
    const TNodeSimpleArr& nodes = segment.ApproxNodes(scratch);
    segment.FApproxLength = 0.0;
    for (size_t j = 0; j < nodes.size(); ++j) {
      if (j > 0) {
        segment.FApproxLength +=
            PointDistance(nodes[j - 1].X, nodes[j - 1].Y, nodes[j].X, nodes[j].Y);
      }
      WidenBox(result->FPathBoundBox, nodes[j]);
    }
    result->FLength += segment.FApproxLength;
  }
  return result;
}

}  // namespace plavo
