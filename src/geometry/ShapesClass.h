// The drawing as nested: a collection of shapes, each owning one curve (outline plus holes),
// made of paths, made of straight or cubic Bezier segments. Coordinates are millimetres, Y up.
// Every segment also has a polyline approximation; the queries work on those nodes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/SegmentChain.h"

namespace plavo {

// Y upward: Top is the largest Y, Bottom the smallest. The engine's TNestRect holds the same
// four sides in another order, so neither is built from four bare numbers (a constructor of its
// own keeps brace lists out): MakeLTRB names the order where a box is made.
struct TRectDbl {
  double Left = 0.0;
  double Top = 0.0;
  double Right = 0.0;
  double Bottom = 0.0;

  constexpr TRectDbl() = default;
  static constexpr TRectDbl MakeLTRB(double L, double T, double R, double B) {
    TRectDbl box;
    box.Left = L;
    box.Top = T;
    box.Right = R;
    box.Bottom = B;
    return box;
  }
};

// Every bound-box recomputation starts from this box and widens it by its members,
// so a box over nothing keeps these values.
constexpr double kEmptyBoxExtent = 2147483647.0;
inline constexpr TRectDbl EmptyBox() {
  return TRectDbl::MakeLTRB(kEmptyBoxExtent, -kEmptyBoxExtent, -kEmptyBoxExtent, kEmptyBoxExtent);
}
// A box widened by nothing (an empty drawing, shape or path) keeps the inverted start values;
// one with a coordinate that is not a number is no box either.
inline bool IsEmptyBox(const TRectDbl& Box) {
  return !(Box.Left <= Box.Right && Box.Bottom <= Box.Top);
}
void WidenBox(TRectDbl& Box, const TRectDbl& By);
void WidenBox(TRectDbl& Box, const TNodeSimple& By);

// Colours are R + 256 G + 65536 B; a negative value means none.
struct TShapeColor {
  int32_t Fill = -1;
  int32_t Outline = -1;
  double Width = -1.0;
};

// A segment keeps its approximation as what it was computed from (geometry and level), its
// length, box and node count: the nodes themselves are made again where they are asked for, so
// a drawing of millions of straight pieces does not hold 34 nodes for each. Nodes written
// directly (SetApproxNode, the parallel path), or an approximation outlived by a change of the
// geometry, are kept as they are.
class TQarvOneSegment {
 public:
  TQarvOneSegment() = default;
  TQarvOneSegment(const TQarvOneSegment& Other);
  TQarvOneSegment& operator=(const TQarvOneSegment& Other);
  TQarvOneSegment(TQarvOneSegment&&) noexcept = default;
  TQarvOneSegment& operator=(TQarvOneSegment&&) noexcept = default;

  void MakeLine(double x1, double y1, double x2, double y2);
  void MakeCurve(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                 double y4);
  void ApproximateSegment(int RecDivMaxLev);
  std::unique_ptr<TQarvOneSegment> GetCopy() const;

  TNodeSimple GetApproxNode(int Item) const;
  void SetApproxNode(int Item, TNodeSimple Value);

  int8_t Type_() const { return FType_; }
  void SetType_(int8_t Value);
  TNodeSimple StartNode() const { return FStartNode; }
  void SetStartNode(TNodeSimple Value);
  TNodeSimple EndNode() const { return FEndNode; }
  void SetEndNode(TNodeSimple Value);
  TNodeSimple StartControlNode() const { return FStartControlNode; }
  void SetStartControlNode(TNodeSimple Value);
  TNodeSimple EndControlNode() const { return FEndControlNode; }
  void SetEndControlNode(TNodeSimple Value);
  uint8_t StartNodeType() const { return FStartNodeType; }
  void SetStartNodeType(uint8_t Value) { FStartNodeType = Value; }
  uint8_t EndNodeType() const { return FEndNodeType; }
  void SetEndNodeType(uint8_t Value) { FEndNodeType = Value; }
  bool Approximated() const { return FSegmentApproximationWasMade; }
  int ApproxNodeCount() const { return FApproxNodeCount; }
  double ApproxLength() const { return FApproxLength; }
  double LengthFromCDR() const { return FLengthFromCDR; }
  const TRectDbl& BoundBox() const { return FSegmentBoundBox; }
  // The polyline, made anew unless it is kept.
  TNodeSimpleArr ApproxNodes() const;
  // The polyline for a loop over many segments: the kept nodes, or Scratch filled with them.
  const TNodeSimpleArr& ApproxNodes(TNodeSimpleArr& Scratch) const;

 private:
  friend class TQarvOnePath;  // the parallel path rewrites nodes and lengths in place

  // Where the nodes come from: none made yet, made again from the geometry at FApproxLevel,
  // or kept in FKeptNodes.
  enum class TNodeSource : uint8_t { None, Geometry, Kept };

  // The nodes of the last approximation are about to lose their source (the geometry changes):
  // they are kept as they are until the segment is approximated again.
  void KeepNodes();
  void ComputeNodes(int Level, TNodeSimpleArr& Out) const;

  int8_t FType_ = 0;  // 0 straight line, 1 cubic Bezier
  uint8_t FStartNodeType = 0;
  uint8_t FEndNodeType = 0;
  bool FSegmentApproximationWasMade = false;
  TNodeSource FNodeSource = TNodeSource::None;
  int8_t FApproxLevel = 0;
  int FApproxNodeCount = 0;
  TNodeSimple FStartNode;
  TNodeSimple FEndNode;
  TNodeSimple FStartControlNode;
  TNodeSimple FEndControlNode;
  TRectDbl FSegmentBoundBox;
  double FApproxLength = 0.0;
  double FLengthFromCDR = 0.0;
  std::unique_ptr<TNodeSimpleArr> FKeptNodes;
};

// A segment of a path as it is read: the one the path stores, or one made from the path's point
// chain. Hold the view (not a reference into it) for as long as the segment is used.
class TSegmentView {
 public:
  explicit TSegmentView(const TQarvOneSegment& Stored) : FStored(&Stored) {}
  explicit TSegmentView(TQarvOneSegment&& Made) : FMade(std::move(Made)) {}

  const TQarvOneSegment* operator->() const { return FStored ? FStored : &FMade; }
  const TQarvOneSegment& operator*() const& { return *operator->(); }
  // A reference into a view about to go would dangle.
  const TQarvOneSegment& operator*() const&& = delete;

 private:
  TQarvOneSegment FMade;
  const TQarvOneSegment* FStored = nullptr;
};

// A path keeps its segments in one of two ways: as a point chain of cubics, each read back as
// MakeCurve builds it (the readers' paths, 20 bytes a straight piece), or as stored segments,
// for paths built or changed segment by segment. Changing a segment of a chain turns the path
// into stored segments first.
class TQarvOnePath {
 public:
  TQarvOnePath() = default;

  void AddSegment(const TQarvOneSegment& Segment);
  void AddSegment(TQarvOneSegment&& Segment);
  // Replaces the segments by Chain's, each one as MakeCurve builds it.
  void AssignChain(TSegmentChain&& Chain);
  void ReserveSegments(size_t Count) { FSegment.reserve(Count); }
  // Valid until the path changes.
  TSegmentView GetSegment(int Item) const;
  // The stored segment, for changing it in place; valid until the next segment is added.
  TQarvOneSegment* EditSegment(int Item);
  void SetSegment(int Item, const TQarvOneSegment& Value);
  void CreatePathFromTwoPoints(double x1, double y1, double x2, double y2);
  std::unique_ptr<TQarvOnePath> GetCopy() const;

  void ApproximatePath(int RecDivMaxLev);

  bool GetClosed() const;
  bool Closed() const { return GetClosed(); }
  double GetLength();
  double Length() { return GetLength(); }
  void SetLength(double Value) { FLength = Value; }
  double GetArea();
  double Area() { return GetArea(); }
  int8_t Type_() const { return FType_; }
  void SetType_(int8_t Value) { FType_ = Value; }
  int SegmentCount() const { return FSegmentCount; }
  double LengthFromCDR() const { return FLengthFromCDR; }
  void SetLengthFromCDR(double Value) { FLengthFromCDR = Value; }
  const TRectDbl& BoundBox() const { return FPathBoundBox; }
  bool Approximated() const { return FPathApproximatedWasMade; }
  int Tag() const { return FTag; }
  void SetTag(int Value) { FTag = Value; }
  bool StoredClosed() const { return FClosed; }

  // Queries on the approximation nodes.
  bool IsPointInsidePath(double X, double Y);
  double DistanceToPoint(double X, double Y);
  double GetNearestPoint(double X, double Y, double& Xp, double& Yp, double& Offset);
  TNodeSimple GetPointPositionAt_New(double& X, double& Y, double Offset) const;
  double GetTangentAt_New(double Offset) const;
  TNodeSimpleArr GetIntersections(TQarvOnePath& TargetPath, double HotArea = 0.0);
  std::unique_ptr<TQarvOnePath> GetParallelPath(double Offset, bool RightDirection) const;

 private:
  void EnsureApproximated();
  // Segment Item of the chain, as MakeCurve builds it, approximated at the chain's level.
  TQarvOneSegment ChainSegment(size_t Item) const;
  // Turns the chain into stored segments.
  void StoreSegments();
  // Calls Visit with each segment in order until it returns false.
  template <class TVisit>
  void VisitSegments(TVisit&& Visit) const {
    if (FChain.empty()) {
      for (const TQarvOneSegment& segment : FSegment) {
        if (!Visit(segment)) return;
      }
      return;
    }
    for (size_t i = 0; i < FChain.size(); ++i) {
      if (!Visit(ChainSegment(i))) return;
    }
  }

  // The approximation nodes of segment Item of the chain, without making the segment.
  void ChainNodes(size_t Item, TNodeSimpleArr& Out) const;
  // Calls Visit with each segment's approximation nodes in order.
  template <class TVisit>
  void VisitNodes(TVisit&& Visit) const {
    TNodeSimpleArr scratch;
    if (FChain.empty()) {
      for (const TQarvOneSegment& segment : FSegment) Visit(segment.ApproxNodes(scratch));
      return;
    }
    for (size_t i = 0; i < FChain.size(); ++i) {
      ChainNodes(i, scratch);
      Visit(static_cast<const TNodeSimpleArr&>(scratch));
    }
  }

  bool FClosed = false;
  int8_t FType_ = 0;  // 0 open, 1 closed outer contour, -1 hole
  int FSegmentCount = 0;
  // At most one of the two holds segments.
  std::vector<TQarvOneSegment> FSegment;
  TSegmentChain FChain;
  int FChainLevel = 4;  // the level the chain's segments are approximated at
  // The chain's length and box at FChainSumsLevel (a clamped level; kNoSums before the first
  // approximation): the chain never changes, so approximating again at that level finds them.
  static constexpr int kNoSums = -100;
  int FChainSumsLevel = kNoSums;
  double FChainLength = 0.0;
  TRectDbl FChainBox;
  double FLength = 0.0;
  double FLengthFromCDR = 0.0;
  TRectDbl FPathBoundBox;
  bool FPathApproximatedWasMade = false;
  int FTag = 0;
};

class TQarvOneCurve {
 public:
  TQarvOneCurve() = default;

  void AddPath(const TQarvOnePath& Path);
  // An index out of range yields path 0; a curve without paths yields an empty path.
  TQarvOnePath* GetPath(int Item) const;
  void SetPath(int Item, const TQarvOnePath& Value);
  std::unique_ptr<TQarvOneCurve> GetCopy() const;
  void AddPathLine(double x1, double y1, double x2, double y2);
  void AddPathRectangle(double x1, double y1, double x2, double y2);
  void AddPathFromNodesArray(const TNodeSimple* Nodes, int Count, double Scale);
  void AddPathFromNodesArray(const TNodeSimpleArr& Nodes, double Scale) {
    AddPathFromNodesArray(Nodes.data(), static_cast<int>(Nodes.size()), Scale);
  }

  void ApproximateCurve(int RecDivMaxLev);
  bool IsPointInsideCurve(double X, double Y) const;
  double DistanceToPoint(double X, double Y) const;

  bool HasPath() const { return FPathCount > 0; }
  int PathCount() const { return FPathCount; }
  void SetPathCount(int Value);
  const TRectDbl& BoundBox() const { return FCurveBoundBox; }
  bool Approximated() const { return FCurveApproximationWasMade; }

 private:
  void ClassifyHoles();

  int FPathCount = 0;
  std::vector<std::unique_ptr<TQarvOnePath>> FPath;
  TRectDbl FCurveBoundBox;
  bool FCurveApproximationWasMade = false;
  TShapeColor FColor{0, 0, 0.0};
  // Handed out by GetPath on a curve without paths; owned here so it is released with the curve.
  mutable std::unique_ptr<TQarvOnePath> FEmptyPath;
};

class TQarvOneShape {
 public:
  TQarvOneShape();

  std::unique_ptr<TQarvOneShape> GetCopy() const;
  void ApproximateShape(int RecDivMaxLev);

  const TRectDbl& BoundBox() const { return FShapeBoundBox; }
  void SetBoundBox(const TRectDbl& Value) { FShapeBoundBox = Value; }
  int ItemIndex() const { return FIndex; }
  TQarvOneCurve* Curve() const { return FCurve.get(); }
  void SetCurve(std::unique_ptr<TQarvOneCurve> Value) { FCurve = std::move(Value); }
  const TShapeColor& Color() const { return FColor; }
  TShapeColor& Color() { return FColor; }
  void SetColor(const TShapeColor& Value) { FColor = Value; }
  bool Approximated() const { return FShapeApproximationWasMade; }

 private:
  int FIndex = 0;
  bool FShapeApproximationWasMade = false;
  TRectDbl FShapeBoundBox;
  std::unique_ptr<TQarvOneCurve> FCurve;
  TShapeColor FColor;
};

class TQarvShapes {
 public:
  TQarvShapes() = default;

  void AddShape(const TQarvOneShape& Shape, bool ReCalculateBoundBox);
  void AddShapeLine(double x1, double y1, double x2, double y2, bool ReCalculateBoundBox);
  TQarvOneShape* GetShape(int Item) const { return FShapesList[Item].get(); }
  // Stores a copy of Value in slot Item. The shape displaced from the slot stays alive until
  // the collection is destroyed, so the exchange "A = GetShape(0), B = GetShape(k),
  // SetShape(0, B), SetShape(k, A)" copies a valid object on its second call.
  void SetShape(int Item, const TQarvOneShape& Value);
  // Exchanges two shapes without copying.
  void ExchangeShapes(int A, int B);
  // Moves every shape of Other to the end of this collection, in their order; Other is left
  // empty. The box is recalculated.
  void AppendShapes(TQarvShapes&& Other);
  // Drops the last shape, for a reader that refuses the shape it is building.
  void RemoveLastShape();
  void ApproximateShapes(int RecDivMaxLev, bool ReCalculateBoundBox);
  void UpdateBoundBox();

  int ShapeCount() const { return FShapesListCount; }
  const TRectDbl& BoundBox() const { return FShapesBoundBox; }
  void SetBoundBox(const TRectDbl& Value) { FShapesBoundBox = Value; }
  bool OnlyBounds() const { return FOnlyBounds; }
  void SetOnlyBounds(bool Value) { FOnlyBounds = Value; }

 private:
  std::vector<std::unique_ptr<TQarvOneShape>> FShapesList;
  int FShapesListCount = 0;
  TRectDbl FShapesBoundBox;  // all zeros until the first UpdateBoundBox
  bool FOnlyBounds = false;
  std::vector<std::unique_ptr<TQarvOneShape>> FDisplaced;
};

}  // namespace plavo
