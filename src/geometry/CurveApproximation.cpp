// Polyline approximation of the segments (adaptive subdivision of the cubic Bezier on a
// 1/10000 integer grid) and its roll-up to paths, curves, shapes and the collection.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <thread>
#include <vector>

#include "core/WorkerThreads.h"
#include "geometry/BoxTree.h"
#include "geometry/QarvMath.h"
#include "geometry/ShapesClass.h"
#include "geometry/Units.h"

namespace plavo {

namespace {

// A control point closer to the chord than this counts as lying on it.
constexpr double kCollinearEpsilon = 1e-20;
// Squared tolerance of the flatness tests.
constexpr double kDistanceTolerance = 0.001;
// Deepest level at which the collinear test may still add a node.
constexpr int kCollinearDepthCut = 5;
// The node count can double with every level; the limit keeps a wild level from running for
// hours (2^17 nodes at most). The program itself always uses 4.
constexpr int kMaxRecDivLev = 16;

// Truncates toward zero; values beyond the 32-bit range lie outside the model's limits and are
// clamped so the conversion stays defined.
int32_t ToSubdivisionInteger(double Value) {
  return TruncSaturated(Value * kUnitsPerMm);
}

// (a + b) div 2 truncating toward zero, without overflowing the 32-bit sum.
int32_t Mid(int32_t a, int32_t b) {
  return static_cast<int32_t>((static_cast<int64_t>(a) + static_cast<int64_t>(b)) / 2);
}

// Node buffer of one ApproximateSegment call. The common depths fit in uninitialised room on
// the stack, so a segment costs no allocation beyond its own node array.
class TSubdivisionBuffer {
 public:
  void Add(TNodeSimple Node) {
    if (FCount < kInline) {
      FInline[FCount] = {Node.X, Node.Y};
    } else {
      if (FOverflow.empty()) {
        FOverflow.reserve(2 * kInline);
        for (const TRawNode& n : FInline) FOverflow.push_back({n.X, n.Y});
      }
      FOverflow.push_back(Node);
    }
    ++FCount;
  }
  // AddSubdivisionNode: integers back to document units.
  void AddSubdivisionNode(int32_t x, int32_t y) {
    Add(TNodeSimple{x / kUnitsPerMm, y / kUnitsPerMm});
  }
  void CopyTo(TNodeSimpleArr& Target) const {
    if (FCount > kInline) {
      Target.assign(FOverflow.begin(), FOverflow.end());
      return;
    }
    Target.resize(FCount);
    for (size_t i = 0; i < FCount; ++i) Target[i] = {FInline[i].X, FInline[i].Y};
  }
  int Count() const { return static_cast<int>(FCount); }
  TNodeSimple At(size_t i) const {
    if (FCount > kInline) return FOverflow[i];
    return {FInline[i].X, FInline[i].Y};
  }

 private:
  struct TRawNode {  // no initialisers, unlike TNodeSimple
    double X;
    double Y;
  };
  static constexpr size_t kInline = 72;  // 34 nodes at depth 4, 66 at depth 5
  TRawNode FInline[kInline];
  std::vector<TNodeSimple> FOverflow;
  size_t FCount = 0;
};

// A control point of a piece in subdivision integers, with its document-unit value when the
// piece will be tested for flatness. Each value is divided once and handed down to the halves
// that share the point: the divisions dominate the cost of the subdivision.
struct TPiecePoint {
  int32_t X = 0;
  int32_t Y = 0;
  double x = 0.0;
  double y = 0.0;
};

TPiecePoint MakePiecePoint(int32_t X, int32_t Y, bool WithUnits) {
  if (!WithUnits) return {X, Y, 0.0, 0.0};
  return {X, Y, X / kUnitsPerMm, Y / kUnitsPerMm};
}

// The same, taking the document-unit value from Near where it is the same integer point (a
// straight piece repeats its ends as controls): the quotient depends on the integer alone.
TPiecePoint MakePiecePoint(int32_t X, int32_t Y, bool WithUnits, const TPiecePoint& Near) {
  if (WithUnits && X == Near.X && Y == Near.Y) return Near;
  return MakePiecePoint(X, Y, WithUnits);
}

struct TPiece {
  TPiecePoint P0, P1, P2, P3;  // start, start control, end control, end
};

// Flatness test of a piece below the top level: true when the piece is flat enough for its
// midpoint to stand in for it. Sets Drop when the piece is to be left out without a node.
bool IsFlatEnough(const TPiece& B, int32_t x0123, int32_t y0123, int Depth, bool& Drop) {
  const auto [d1, d2, chord] =
      ChordDeviation(B.P0.x, B.P0.y, B.P1.x, B.P1.y, B.P2.x, B.P2.y, B.P3.x, B.P3.y);
  const double limit = kDistanceTolerance * chord;
  if (d1 > kCollinearEpsilon && d2 > kCollinearEpsilon) return (d1 + d2) * (d1 + d2) <= limit;
  if (d1 > kCollinearEpsilon && d1 * d1 <= limit) return true;
  if (d2 > kCollinearEpsilon && d2 * d2 <= limit) return true;
  if (d1 < kCollinearEpsilon && d2 < kCollinearEpsilon) {
    if (Depth > kCollinearDepthCut) {
      Drop = true;
      return false;
    }
    // In integer units: how far the curve's midpoint lies from the chord's midpoint.
    const double ex = x0123 - (static_cast<double>(B.P0.X) + B.P3.X) / 2.0;
    const double ey = y0123 - (static_cast<double>(B.P0.Y) + B.P3.Y) / 2.0;
    return ex * ex + ey * ey <= kDistanceTolerance;
  }
  return false;
}

void SubdivideBezier(const TPiece& B, int Depth, int RecDivMaxLev, TSubdivisionBuffer& Out) {
  const int32_t x01 = Mid(B.P0.X, B.P1.X), y01 = Mid(B.P0.Y, B.P1.Y);
  const int32_t x12 = Mid(B.P1.X, B.P2.X), y12 = Mid(B.P1.Y, B.P2.Y);
  const int32_t x23 = Mid(B.P2.X, B.P3.X), y23 = Mid(B.P2.Y, B.P3.Y);
  const int32_t x012 = Mid(x01, x12), y012 = Mid(y01, y12);
  const int32_t x123 = Mid(x12, x23), y123 = Mid(y12, y23);
  const int32_t x0123 = Mid(x012, x123), y0123 = Mid(y012, y123);

  if (Depth > RecDivMaxLev) {
    if (RecDivMaxLev > 0) Out.AddSubdivisionNode(x0123, y0123);
    return;
  }
  if (Depth > 0) {
    bool drop = false;
    if (IsFlatEnough(B, x0123, y0123, Depth, drop)) {
      Out.AddSubdivisionNode(x0123, y0123);
      return;
    }
    if (drop) return;
  }
  // The halves are tested unless they are the last level, which only adds midpoints.
  const bool units = Depth + 1 <= RecDivMaxLev;
  const TPiecePoint mid = MakePiecePoint(x0123, y0123, units);
  // First half first, so the nodes come in increasing curve parameter.
  SubdivideBezier(
      {B.P0, MakePiecePoint(x01, y01, units, B.P0), MakePiecePoint(x012, y012, units), mid},
      Depth + 1, RecDivMaxLev, Out);
  SubdivideBezier(
      {mid, MakePiecePoint(x123, y123, units), MakePiecePoint(x23, y23, units, B.P3), B.P3},
      Depth + 1, RecDivMaxLev, Out);
}

TPiecePoint ToPiecePoint(TNodeSimple Node) {
  return MakePiecePoint(ToSubdivisionInteger(Node.X), ToSubdivisionInteger(Node.Y), true);
}

// The nodes of a segment approximated at Level (already within the limits).
void Subdivide(int8_t Type, TNodeSimple Start, TNodeSimple StartControl, TNodeSimple EndControl,
               TNodeSimple End, int Level, TSubdivisionBuffer& Out) {
  Out.Add(Start);
  if (Type != 0) {
    const TPiecePoint p0 = ToPiecePoint(Start);
    const TPiecePoint p3 = ToPiecePoint(End);
    const TPiece bezier{p0, SamePoint(StartControl, Start) ? p0 : ToPiecePoint(StartControl),
                        SamePoint(EndControl, End) ? p3 : ToPiecePoint(EndControl), p3};
    SubdivideBezier(bezier, 0, Level, Out);
  }
  Out.Add(End);
}

}  // namespace

void TQarvOneSegment::ComputeNodes(int Level, TNodeSimpleArr& Out) const {
  TSubdivisionBuffer buffer;
  Subdivide(FType_, FStartNode, FStartControlNode, FEndControlNode, FEndNode, Level, buffer);
  buffer.CopyTo(Out);
}

void TQarvOneSegment::ApproximateSegment(int RecDivMaxLev) {
  FSegmentApproximationWasMade = true;
  // Every level below 1 adds no node inside the segment, so -1 stands for them all.
  const int level = std::clamp(RecDivMaxLev, -1, kMaxRecDivLev);
  // Unchanged geometry at the same level: nodes, length and box would come out bit for bit the
  // same.
  if (FNodeSource == TNodeSource::Geometry && FApproxLevel == level) return;
  FNodeSource = TNodeSource::Geometry;
  FApproxLevel = static_cast<int8_t>(level);
  FKeptNodes.reset();

  TSubdivisionBuffer buffer;
  Subdivide(FType_, FStartNode, FStartControlNode, FEndControlNode, FEndNode, level, buffer);
  FApproxNodeCount = buffer.Count();
  FApproxLength = 0.0;
  FSegmentBoundBox = EmptyBox();
  TNodeSimple previous{};
  for (int i = 0; i < FApproxNodeCount; ++i) {
    const TNodeSimple node = buffer.At(static_cast<size_t>(i));
    if (i > 0) FApproxLength += PointDistance(previous.X, previous.Y, node.X, node.Y);
    WidenBox(FSegmentBoundBox, node);
    previous = node;
  }
}

void TQarvOnePath::ChainNodes(size_t Item, TNodeSimpleArr& Out) const {
  const TCubic c = FChain[Item];
  TSubdivisionBuffer buffer;
  Subdivide(1, c.P0, c.P1, c.P2, c.P3, std::clamp(FChainLevel, -1, kMaxRecDivLev), buffer);
  buffer.CopyTo(Out);
}

void TQarvOnePath::ApproximatePath(int RecDivMaxLev) {
  FPathApproximatedWasMade = true;
  FLength = 0.0;
  FPathBoundBox = EmptyBox();
  for (TQarvOneSegment& segment : FSegment) {
    segment.ApproximateSegment(RecDivMaxLev);
    FLength += segment.FApproxLength;
    WidenBox(FPathBoundBox, segment.FSegmentBoundBox);
  }
  if (FChain.empty()) return;
  // The chain's segments are approximated where they are made; only the level is kept. Length
  // and box add up as ApproximateSegment computes them, segment by segment.
  FChainLevel = RecDivMaxLev;
  const int level = std::clamp(RecDivMaxLev, -1, kMaxRecDivLev);
  if (FChainSumsLevel != level) {
    FChainLength = 0.0;
    FChainBox = EmptyBox();
    VisitNodes([&](const TNodeSimpleArr& nodes) {
      double length = 0.0;
      TRectDbl box = EmptyBox();
      for (size_t i = 0; i < nodes.size(); ++i) {
        if (i > 0) length += PointDistance(nodes[i - 1].X, nodes[i - 1].Y, nodes[i].X, nodes[i].Y);
        WidenBox(box, nodes[i]);
      }
      FChainLength += length;
      WidenBox(FChainBox, box);
    });
    FChainSumsLevel = level;
  }
  FLength = FChainLength;
  FPathBoundBox = FChainBox;
}

void TQarvOnePath::EnsureApproximated() {
  if (!FPathApproximatedWasMade) ApproximatePath(4);
}

void TQarvOneCurve::ApproximateCurve(int RecDivMaxLev) {
  FCurveApproximationWasMade = true;
  FCurveBoundBox = EmptyBox();
  for (const auto& path : FPath) {
    if (!path->Approximated()) path->ApproximatePath(RecDivMaxLev);
    WidenBox(FCurveBoundBox, path->BoundBox());
  }
  ClassifyHoles();
}

// A closed path inside an odd number of the other closed paths is a hole. Only the paths whose
// box holds the probe can hold it, and the tree finds those without asking every path, so a
// plate with thousands of holes is classified in time near linear in their number. The parity
// does not depend on the order in which the holding paths are counted.
void TQarvOneCurve::ClassifyHoles() {
  std::vector<TRectDbl> boxes(FPath.size(), EmptyBox());
  for (size_t j = 0; j < FPath.size(); ++j) {
    if (FPath[j]->Closed()) boxes[j] = FPath[j]->BoundBox();
  }
  const TBoxTree tree(boxes);
  for (size_t i = 0; i < FPath.size(); ++i) {
    TQarvOnePath& path = *FPath[i];
    path.SetType_(0);
    if (!path.Closed()) continue;
    path.SetType_(1);
    const TNodeSimple probe = path.GetSegment(0)->StartNode();
    tree.VisitHolding(probe, [&](size_t j) {
      if (j != i && FPath[j]->IsPointInsidePath(probe.X, probe.Y)) path.SetType_(-path.Type_());
    });
  }
}

void TQarvOneShape::ApproximateShape(int RecDivMaxLev) {
  FShapeApproximationWasMade = true;
  if (!FCurve) return;
  FCurve->ApproximateCurve(RecDivMaxLev);
  FShapeBoundBox = FCurve->BoundBox();
}

// Shapes are approximated each on its own, so a large drawing deals them out to every core in
// batches of this many; a small one stays on the calling thread.
constexpr size_t kApproximationBatch = 256;

void TQarvShapes::ApproximateShapes(int RecDivMaxLev, bool ReCalculateBoundBox) {
  const size_t count = FShapesList.size();
  const size_t batches = (count + kApproximationBatch - 1) / kApproximationBatch;
  const int threads = batches > 1 ? static_cast<int>(std::thread::hardware_concurrency()) : 1;
  DealOnThreads(threads, batches, [&](int, size_t Batch) {
    const size_t last = std::min(count, (Batch + 1) * kApproximationBatch);
    for (size_t i = Batch * kApproximationBatch; i < last; ++i) {
      FShapesList[i]->ApproximateShape(RecDivMaxLev);
    }
  });
  if (ReCalculateBoundBox) UpdateBoundBox();
}

}  // namespace plavo
