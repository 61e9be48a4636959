// The shape model: containers, their deep copies and the builders. Approximation, queries and
// the parallel path live in their own files.
#include "geometry/ShapesClass.h"

#include <algorithm>
#include <utility>

#include "geometry/QarvMath.h"

namespace plavo {

void WidenBox(TRectDbl& Box, const TRectDbl& By) {
  Box.Left = std::min(Box.Left, By.Left);
  Box.Top = std::max(Box.Top, By.Top);
  Box.Right = std::max(Box.Right, By.Right);
  Box.Bottom = std::min(Box.Bottom, By.Bottom);
}

void WidenBox(TRectDbl& Box, const TNodeSimple& By) {
  Box.Left = std::min(Box.Left, By.X);
  Box.Top = std::max(Box.Top, By.Y);
  Box.Right = std::max(Box.Right, By.X);
  Box.Bottom = std::min(Box.Bottom, By.Y);
}

// ---------------------------------------------------------------- TQarvOneSegment

TQarvOneSegment::TQarvOneSegment(const TQarvOneSegment& Other)
    : FType_(Other.FType_),
      FStartNodeType(Other.FStartNodeType),
      FEndNodeType(Other.FEndNodeType),
      FSegmentApproximationWasMade(Other.FSegmentApproximationWasMade),
      FNodeSource(Other.FNodeSource),
      FApproxLevel(Other.FApproxLevel),
      FApproxNodeCount(Other.FApproxNodeCount),
      FStartNode(Other.FStartNode),
      FEndNode(Other.FEndNode),
      FStartControlNode(Other.FStartControlNode),
      FEndControlNode(Other.FEndControlNode),
      FSegmentBoundBox(Other.FSegmentBoundBox),
      FApproxLength(Other.FApproxLength),
      FLengthFromCDR(Other.FLengthFromCDR),
      FKeptNodes(Other.FKeptNodes ? std::make_unique<TNodeSimpleArr>(*Other.FKeptNodes) : nullptr) {
}

TQarvOneSegment& TQarvOneSegment::operator=(const TQarvOneSegment& Other) {
  if (this != &Other) *this = TQarvOneSegment(Other);
  return *this;
}

void TQarvOneSegment::MakeLine(double x1, double y1, double x2, double y2) {
  KeepNodes();
  FType_ = 0;
  FSegmentApproximationWasMade = false;
  FStartNodeType = 0;
  FEndNodeType = 0;
  FStartNode = {x1, y1};
  FEndNode = {x2, y2};
  FStartControlNode = {(x1 + x2) / 2.0, (y1 + y2) / 2.0};
  FEndControlNode = FStartControlNode;
  FLengthFromCDR = PointDistance(x1, y1, x2, y2);
}

void TQarvOneSegment::MakeCurve(double x1, double y1, double x2, double y2, double x3, double y3,
                                double x4, double y4) {
  // The approximation below replaces the nodes, so the old ones need not be kept.
  FType_ = 1;
  FSegmentApproximationWasMade = false;
  FStartNodeType = 1;
  FEndNodeType = 1;
  FStartNode = {x1, y1};
  FStartControlNode = {x2, y2};
  FEndControlNode = {x3, y3};
  FEndNode = {x4, y4};
  if (FNodeSource == TNodeSource::Geometry) FNodeSource = TNodeSource::None;
  ApproximateSegment(4);
  FLengthFromCDR = FApproxLength;
}

std::unique_ptr<TQarvOneSegment> TQarvOneSegment::GetCopy() const {
  return std::make_unique<TQarvOneSegment>(*this);
}

void TQarvOneSegment::SetType_(int8_t Value) {
  KeepNodes();
  FType_ = Value;
}
void TQarvOneSegment::SetStartNode(TNodeSimple Value) {
  KeepNodes();
  FStartNode = Value;
}
void TQarvOneSegment::SetEndNode(TNodeSimple Value) {
  KeepNodes();
  FEndNode = Value;
}
void TQarvOneSegment::SetStartControlNode(TNodeSimple Value) {
  KeepNodes();
  FStartControlNode = Value;
}
void TQarvOneSegment::SetEndControlNode(TNodeSimple Value) {
  KeepNodes();
  FEndControlNode = Value;
}

void TQarvOneSegment::KeepNodes() {
  if (FNodeSource != TNodeSource::Geometry) return;
  auto nodes = std::make_unique<TNodeSimpleArr>();
  ComputeNodes(FApproxLevel, *nodes);
  FKeptNodes = std::move(nodes);
  FNodeSource = TNodeSource::Kept;
}

TNodeSimpleArr TQarvOneSegment::ApproxNodes() const {
  TNodeSimpleArr nodes;
  return ApproxNodes(nodes);
}

const TNodeSimpleArr& TQarvOneSegment::ApproxNodes(TNodeSimpleArr& Scratch) const {
  switch (FNodeSource) {
    case TNodeSource::Kept:
      return *FKeptNodes;
    case TNodeSource::Geometry:
      ComputeNodes(FApproxLevel, Scratch);
      return Scratch;
    case TNodeSource::None:
      break;
  }
  Scratch.clear();
  return Scratch;
}

TNodeSimple TQarvOneSegment::GetApproxNode(int Item) const {
  const TNodeSimpleArr nodes = ApproxNodes();
  const int count = std::min(FApproxNodeCount, static_cast<int>(nodes.size()));
  if (Item >= 0 && Item < count) return nodes[Item];
  if (count > 0) return nodes[0];
  return TNodeSimple{};
}

void TQarvOneSegment::SetApproxNode(int Item, TNodeSimple Value) {
  if (Item < 0 || Item >= FApproxNodeCount) return;
  KeepNodes();  // the next approximation must redo the nodes
  if (FNodeSource != TNodeSource::Kept || Item >= static_cast<int>(FKeptNodes->size())) return;
  (*FKeptNodes)[Item] = Value;
}

// ---------------------------------------------------------------- TQarvOnePath

void TQarvOnePath::AddSegment(const TQarvOneSegment& Segment) {
  StoreSegments();
  FSegment.push_back(Segment);
  FSegmentCount = static_cast<int>(FSegment.size());
}

void TQarvOnePath::AddSegment(TQarvOneSegment&& Segment) {
  StoreSegments();
  FSegment.push_back(std::move(Segment));
  FSegmentCount = static_cast<int>(FSegment.size());
}

void TQarvOnePath::AssignChain(TSegmentChain&& Chain) {
  FSegment = std::vector<TQarvOneSegment>();
  FChain = std::move(Chain);
  FChain.shrink_to_fit();
  FChainLevel = 4;
  FChainSumsLevel = kNoSums;
  FSegmentCount = static_cast<int>(FChain.size());
}

TQarvOneSegment TQarvOnePath::ChainSegment(size_t Item) const {
  const TCubic c = FChain[Item];
  TQarvOneSegment segment;
  segment.MakeCurve(c.P0.X, c.P0.Y, c.P1.X, c.P1.Y, c.P2.X, c.P2.Y, c.P3.X, c.P3.Y);
  segment.ApproximateSegment(FChainLevel);
  return segment;
}

void TQarvOnePath::StoreSegments() {
  if (FChain.empty()) return;
  FSegment.reserve(FChain.size());
  for (size_t i = 0; i < FChain.size(); ++i) FSegment.push_back(ChainSegment(i));
  FChain = TSegmentChain();
}

TSegmentView TQarvOnePath::GetSegment(int Item) const {
  if (FChain.empty()) return TSegmentView(FSegment[Item]);
  return TSegmentView(ChainSegment(static_cast<size_t>(Item)));
}

TQarvOneSegment* TQarvOnePath::EditSegment(int Item) {
  StoreSegments();
  return &FSegment[Item];
}

void TQarvOnePath::SetSegment(int Item, const TQarvOneSegment& Value) {
  // A slot outside the path would be a write out of bounds; there is nothing to replace.
  if (Item < 0 || Item >= FSegmentCount) return;
  StoreSegments();
  FSegment[Item] = Value;
}

bool TQarvOnePath::GetClosed() const {
  if (FSegmentCount <= 0) return false;
  const TNodeSimple first = FChain.empty() ? FSegment.front().FStartNode : FChain.front().P0;
  const TNodeSimple last = FChain.empty() ? FSegment.back().FEndNode : FChain.back().P3;
  return first.X == last.X && first.Y == last.Y;
}

double TQarvOnePath::GetLength() {
  EnsureApproximated();
  return FLength;
}

double TQarvOnePath::GetArea() {
  EnsureApproximated();
  if (!Closed()) return 0.0;
  double area = 0.0;
  VisitNodes([&](const TNodeSimpleArr& nodes) {
    for (size_t i = 1; i < nodes.size(); ++i) {
      area += (nodes[i - 1].X + nodes[i].X) * (nodes[i - 1].Y - nodes[i].Y) / 2.0;
    }
  });
  return area;
}

void TQarvOnePath::CreatePathFromTwoPoints(double x1, double y1, double x2, double y2) {
  FPathApproximatedWasMade = false;
  TQarvOneSegment segment;
  segment.MakeLine(x1, y1, x2, y2);
  FChain = TSegmentChain();
  FSegment.clear();
  FSegment.push_back(std::move(segment));
  FSegmentCount = 1;
  FLength = PointDistance(x1, y1, x2, y2);
  FLengthFromCDR = FLength;
  FClosed = false;
  FType_ = 0;
}

std::unique_ptr<TQarvOnePath> TQarvOnePath::GetCopy() const {
  auto copy = std::make_unique<TQarvOnePath>();
  copy->FClosed = FClosed;
  copy->FType_ = FType_;
  copy->FSegmentCount = FSegmentCount;
  copy->FLength = FLength;
  // The nominal length travels with the path like every other field of a copy.
  copy->FLengthFromCDR = FLengthFromCDR;
  copy->FPathBoundBox = FPathBoundBox;
  copy->FPathApproximatedWasMade = FPathApproximatedWasMade;
  copy->FTag = FTag;
  copy->FSegment = FSegment;
  copy->FChain = FChain;
  copy->FChainLevel = FChainLevel;
  copy->FChainSumsLevel = FChainSumsLevel;
  copy->FChainLength = FChainLength;
  copy->FChainBox = FChainBox;
  return copy;
}

// ---------------------------------------------------------------- TQarvOneCurve

void TQarvOneCurve::AddPath(const TQarvOnePath& Path) {
  FPath.push_back(Path.GetCopy());
  FPathCount = static_cast<int>(FPath.size());
}

TQarvOnePath* TQarvOneCurve::GetPath(int Item) const {
  if (FPathCount <= 0) {
    // Hand out a fresh empty path each time, but keep one object so earlier callers'
    // pointers stay valid until the curve goes.
    if (FEmptyPath) {
      *FEmptyPath = TQarvOnePath();
    } else {
      FEmptyPath = std::make_unique<TQarvOnePath>();
    }
    return FEmptyPath.get();
  }
  if (Item < 0 || Item >= FPathCount) Item = 0;
  return FPath[Item].get();
}

void TQarvOneCurve::SetPath(int Item, const TQarvOnePath& Value) {
  if (Item < 0 || Item >= FPathCount) return;
  FPath[Item] = Value.GetCopy();
}

void TQarvOneCurve::SetPathCount(int Value) {
  // New slots get empty paths so that every stored path is a valid object.
  const size_t count = static_cast<size_t>(std::max(Value, 0));
  const size_t old = FPath.size();
  FPath.resize(count);
  for (size_t i = old; i < count; ++i) FPath[i] = std::make_unique<TQarvOnePath>();
  FPathCount = static_cast<int>(count);
}

std::unique_ptr<TQarvOneCurve> TQarvOneCurve::GetCopy() const {
  auto copy = std::make_unique<TQarvOneCurve>();
  copy->FPathCount = FPathCount;
  copy->FCurveBoundBox = FCurveBoundBox;
  copy->FCurveApproximationWasMade = FCurveApproximationWasMade;
  copy->FPath.reserve(FPath.size());
  for (const auto& path : FPath) copy->FPath.push_back(path->GetCopy());
  return copy;
}

namespace {

// A segment with only its type and end nodes set, as the curve's path builders make them.
TQarvOneSegment BareSegment(int8_t Type, TNodeSimple Start, TNodeSimple End) {
  TQarvOneSegment segment;
  segment.SetType_(Type);
  segment.SetStartNode(Start);
  segment.SetEndNode(End);
  return segment;
}

bool SameNode(TNodeSimple A, TNodeSimple B) {
  return A.X == B.X && A.Y == B.Y;
}

}  // namespace

void TQarvOneCurve::AddPathLine(double x1, double y1, double x2, double y2) {
  TQarvOnePath path;
  path.AddSegment(BareSegment(0, {x1, y1}, {x2, y2}));
  AddPath(path);
}

void TQarvOneCurve::AddPathRectangle(double x1, double y1, double x2, double y2) {
  const double l = std::min(x1, x2);
  const double r = std::max(x1, x2);
  const double b = std::min(y1, y2);
  const double t = std::max(y1, y2);
  // Clockwise with Y upward, so the area comes out positive.
  TQarvOnePath path;
  path.AddSegment(BareSegment(0, {l, b}, {l, t}));
  path.AddSegment(BareSegment(0, {l, t}, {r, t}));
  path.AddSegment(BareSegment(0, {r, t}, {r, b}));
  path.AddSegment(BareSegment(0, {r, b}, {l, b}));
  AddPath(path);
}

void TQarvOneCurve::AddPathFromNodesArray(const TNodeSimple* Nodes, int Count, double Scale) {
  // Start node plus three nodes (two controls and the end) per segment.
  if (Nodes == nullptr || Count < 2 || (Count - 1) % 3 != 0) return;
  auto scaled = [&](int i) { return TNodeSimple{Nodes[i].X * Scale, Nodes[i].Y * Scale}; };
  TQarvOnePath path;
  for (int k = 0; 3 * k + 3 < Count; ++k) {
    TQarvOneSegment segment = BareSegment(1, scaled(3 * k), scaled(3 * k + 3));
    segment.SetStartControlNode(scaled(3 * k + 1));
    segment.SetEndControlNode(scaled(3 * k + 2));
    // Controls sitting on their end points make a straight line.
    if (SameNode(segment.StartControlNode(), segment.StartNode()) &&
        SameNode(segment.EndControlNode(), segment.EndNode())) {
      segment.SetType_(0);
    }
    path.AddSegment(segment);
  }
  AddPath(path);
}

// ---------------------------------------------------------------- TQarvOneShape

TQarvOneShape::TQarvOneShape() : FCurve(std::make_unique<TQarvOneCurve>()) {}

std::unique_ptr<TQarvOneShape> TQarvOneShape::GetCopy() const {
  auto copy = std::make_unique<TQarvOneShape>();
  copy->FIndex = FIndex;
  copy->FShapeApproximationWasMade = FShapeApproximationWasMade;
  copy->FShapeBoundBox = FShapeBoundBox;
  copy->FColor = FColor;
  if (FCurve) copy->FCurve = FCurve->GetCopy();
  return copy;
}

// ---------------------------------------------------------------- TQarvShapes

void TQarvShapes::AddShape(const TQarvOneShape& Shape, bool ReCalculateBoundBox) {
  FShapesList.push_back(Shape.GetCopy());
  FShapesListCount = static_cast<int>(FShapesList.size());
  if (ReCalculateBoundBox) UpdateBoundBox();
}

void TQarvShapes::AppendShapes(TQarvShapes&& Other) {
  for (auto& shape : Other.FShapesList) FShapesList.push_back(std::move(shape));
  Other.FShapesList.clear();
  Other.FShapesListCount = 0;
  FShapesListCount = static_cast<int>(FShapesList.size());
  UpdateBoundBox();
}

void TQarvShapes::AddShapeLine(double x1, double y1, double x2, double y2,
                               bool ReCalculateBoundBox) {
  auto shape = std::make_unique<TQarvOneShape>();
  shape->Curve()->AddPathLine(x1, y1, x2, y2);
  shape->Curve()->GetPath(0)->ApproximatePath(4);
  FShapesList.push_back(std::move(shape));
  FShapesListCount = static_cast<int>(FShapesList.size());
  if (ReCalculateBoundBox) UpdateBoundBox();
}

void TQarvShapes::SetShape(int Item, const TQarvOneShape& Value) {
  if (Item < 0 || Item >= FShapesListCount) return;
  // Copy before displacing: Value may be the very shape in the slot.
  std::unique_ptr<TQarvOneShape> copy = Value.GetCopy();
  FDisplaced.push_back(std::move(FShapesList[Item]));
  FShapesList[Item] = std::move(copy);
  UpdateBoundBox();
}

void TQarvShapes::ExchangeShapes(int A, int B) {
  if (A < 0 || A >= FShapesListCount || B < 0 || B >= FShapesListCount) return;
  // The union of the boxes does not depend on the order, so the box stays valid.
  std::swap(FShapesList[A], FShapesList[B]);
}

void TQarvShapes::RemoveLastShape() {
  if (FShapesList.empty()) return;
  FShapesList.pop_back();
  FShapesListCount = static_cast<int>(FShapesList.size());
}

void TQarvShapes::UpdateBoundBox() {
  FShapesBoundBox = EmptyBox();
  for (const auto& shape : FShapesList) {
    if (shape->Curve()) WidenBox(FShapesBoundBox, shape->Curve()->BoundBox());
  }
}

}  // namespace plavo
