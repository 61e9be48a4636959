#include "nesting/prepare/NestRecords.h"

#include "geometry/BoxTree.h"
#include "geometry/Units.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace plavo {

namespace {

constexpr int kRecDivMaxLev = 4;
constexpr uint16_t kRectAttr = kSbpClosed | kSbpOuter;
constexpr int kMinLetterCount = 7;
constexpr double kSimilarSize = 0.15;
constexpr double kTextLikeShare = 0.7;

// Millimetres to the records' integer units, truncated toward zero. A coordinate that the
// integer units cannot hold (about 214 m from the origin) or that is not a number fails the
// record instead of wrapping.
int32_t ToNestUnits(double Mm) {
  const std::optional<int32_t> v = TruncToInt32(Mm * kUnitsPerMm);
  if (!v) throw std::range_error("coordinate out of range");
  return *v;
}

void CheckPoint(const TNodeSimple& P) {
  ToNestUnits(P.X);
  ToNestUnits(P.Y);
}

TNestRect ToNestRect(const TRectDbl& B) {
  return TNestRect::MakeLRBT(B.Left, B.Right, B.Bottom, B.Top);
}

int32_t ShapeColor(const TShapeColor& C) {
  if (C.Fill >= 0) return C.Fill;
  if (C.Outline >= 0) return C.Outline;
  return 0;
}

void SetOriginal(TNestOneRec& r, const TQarvOneShape& Shape) {
  r.Original.Color = ShapeColor(Shape.Color());
  r.Original.StartAngle = 0.0;
  const TRectDbl& b = Shape.BoundBox();
  if (IsEmptyBox(b)) return;  // a shape with nothing drawn keeps a zero size at the origin
  r.Original.CenterX = (b.Left + b.Right) / 2.0;
  r.Original.CenterY = (b.Top + b.Bottom) / 2.0;
  r.Original.Width = b.Right - b.Left;
  r.Original.Height = b.Top - b.Bottom;
}

TNestSbpOneRec RectSubPath(const TRectDbl& Box, const TNestNode& Center) {
  CheckPoint({Box.Left, Box.Bottom});
  CheckPoint({Box.Right, Box.Top});
  TNestSbpOneRec sbp;
  sbp.Attr = kRectAttr;
  sbp.Center = Center;
  sbp.Rect = ToNestRect(Box);
  return sbp;
}

void AddBezierNode(TNestSbpOneRec& Sbp, const TNodeSimple& P) {
  CheckPoint(P);
  Sbp.Bezier.push_back(TBezierNode{P.X, P.Y});
}

// The path as a chain of cubics: its start node, then three points per segment. A straight
// segment becomes a cubic whose control points lie on its ends. A path with more segments
// than the Word-sized node count can hold gets no nodes (the caller marks the list missing).
TNestSbpOneRec BezierSubPath(const TQarvOnePath& Path, const TNestNode& Center) {
  TNestSbpOneRec sbp;
  sbp.Attr = kSbpBezier;
  if (Path.Closed()) sbp.Attr |= kSbpClosed;
  if (Path.Type_() == 1) sbp.Attr |= kSbpOuter;
  sbp.Center = Center;
  const size_t nodeCount = 3 * static_cast<size_t>(Path.SegmentCount()) + 1;
  if (nodeCount > std::numeric_limits<uint16_t>::max()) return sbp;
  sbp.Bezier.reserve(nodeCount);
  AddBezierNode(sbp, Path.GetSegment(0)->StartNode());
  for (int k = 0; k < Path.SegmentCount(); ++k) {
    const TSegmentView view = Path.GetSegment(k);
    const TQarvOneSegment& s = *view;
    const bool curve = s.Type_() != 0;
    AddBezierNode(sbp, curve ? s.StartControlNode() : s.StartNode());
    AddBezierNode(sbp, curve ? s.EndControlNode() : s.EndNode());
    AddBezierNode(sbp, s.EndNode());
  }
  sbp.BezierCount = static_cast<uint16_t>(sbp.Bezier.size());
  return sbp;
}

bool BoxWithin(const TRectDbl& Inner, const TRectDbl& Outer) {
  return Inner.Left >= Outer.Left && Inner.Right <= Outer.Right && Inner.Bottom >= Outer.Bottom &&
         Inner.Top <= Outer.Top;
}

// The boxes of the paths that can enclose a hole (not holes, with segments); EmptyBox for the
// others, which the tree leaves out.
std::vector<TRectDbl> EnclosingBoxes(const TQarvOneCurve& Curve) {
  std::vector<TRectDbl> boxes(static_cast<size_t>(Curve.PathCount()), EmptyBox());
  for (int q = 0; q < Curve.PathCount(); ++q) {
    const TQarvOnePath& path = *Curve.GetPath(q);
    if (path.Type_() >= 0 && path.SegmentCount() > 0)
      boxes[static_cast<size_t>(q)] = path.BoundBox();
  }
  return boxes;
}

// A path typed as a hole that no other path's box holds is drawn material all the same (the
// orientation said hole, nothing encloses it); the rectangles must cover it too. A box that
// holds the hole's box holds its lower-left corner, so the tree names every candidate; a hole
// whose own box is no proper box asks every path.
bool IsStrayHole(const TQarvOneCurve& Curve, int p, const TBoxTree& Enclosing) {
  const TQarvOnePath& hole = *Curve.GetPath(p);
  if (hole.Type_() >= 0) return false;
  const TRectDbl& box = hole.BoundBox();
  bool enclosed = false;
  auto test = [&](size_t q) {
    const TQarvOnePath& path = *Curve.GetPath(static_cast<int>(q));
    if (static_cast<int>(q) != p && path.Type_() >= 0 && path.SegmentCount() > 0 &&
        BoxWithin(box, path.BoundBox()))
      enclosed = true;
  };
  if (box.Left <= box.Right && box.Bottom <= box.Top) {
    Enclosing.VisitHolding({box.Left, box.Bottom}, test);
  } else {
    for (int q = 0; q < Curve.PathCount(); ++q) test(static_cast<size_t>(q));
  }
  return !enclosed;
}

// The three outlines: exact per path, one rectangle per path that is not a hole, and one
// rectangle for the whole curve. Paths without segments have no outline and are left out.
// Stray holes get their rectangles after all the others, so the rectangles of the other paths
// keep their order.
void BuildOutlines(TNestOneRec& r, const TQarvOneCurve& Curve, const TNestNode& Center) {
  for (int p = 0; p < Curve.PathCount(); ++p) {
    const TQarvOnePath& path = *Curve.GetPath(p);
    if (path.SegmentCount() == 0) continue;
    r.SbpBez.push_back(BezierSubPath(path, Center));
    if (r.SbpBez.back().BezierCount == 0) r.SbpBezAdded = false;
    if (path.Type_() >= 0) r.SbpRec.push_back(RectSubPath(path.BoundBox(), Center));
  }
  bool holes = false;
  for (int p = 0; p < Curve.PathCount(); ++p) holes = holes || Curve.GetPath(p)->Type_() < 0;
  const TBoxTree enclosing(holes ? EnclosingBoxes(Curve) : std::vector<TRectDbl>());
  for (int p = 0; p < Curve.PathCount() && holes; ++p) {
    const TQarvOnePath& path = *Curve.GetPath(p);
    if (path.SegmentCount() > 0 && IsStrayHole(Curve, p, enclosing)) {
      r.SbpRec.push_back(RectSubPath(path.BoundBox(), Center));
    }
  }
  if (!IsEmptyBox(Curve.BoundBox())) r.SbpCom.push_back(RectSubPath(Curve.BoundBox(), Center));
  r.SbpBezCount = static_cast<int32_t>(r.SbpBez.size());
  r.SbpRecCount = static_cast<int32_t>(r.SbpRec.size());
  r.SbpComCount = static_cast<int32_t>(r.SbpCom.size());
}

void StartRecord(TNestOneRec& r, const TQarvOneShape& Shape) {
  r.UserAttr = kUserAttrDefault;
  r.CenterIsOnShape = false;
  SetOriginal(r, Shape);
  r.SbpBezCount = r.SbpRecCount = r.SbpComCount = 0;
  r.SbpBez.clear();
  r.SbpRec.clear();
  r.SbpCom.clear();
  r.SbpBezAdded = r.SbpRecAdded = r.SbpComAdded = true;
  r.AnalyzeVal = 1;
}

void BuildRecord(TEngineState& E, int i, const TQarvOneShape& Shape) {
  TNestOneRec& r = E.NestRecords.Shape[i];
  StartRecord(r, Shape);
  const TQarvOneCurve* curve = Shape.Curve();
  if (curve == nullptr) throw std::invalid_argument("shape without a curve");
  r.CenterIsOnShape = curve->IsPointInsideCurve(r.Original.CenterX, r.Original.CenterY);
  TNestNode center;
  center.x = ToNestUnits(r.Original.CenterX);
  center.y = ToNestUnits(r.Original.CenterY);
  BuildOutlines(r, *curve, center);
  r.AnalyzeVal = AnalyzeTextLikeness(E, i);
}

// A record that could not be built has none of its outlines marked usable and no combined
// rectangle, so a run treats it as a shape without outline.
void MarkRecordFailed(TEngineState& E, int i, const std::string& Why) {
  TNestOneRec& r = E.NestRecords.Shape[i];
  r.SbpBezAdded = r.SbpRecAdded = r.SbpComAdded = false;
  r.SbpComCount = 0;
  r.SbpCom.clear();
  ReportLostShape(E, i, Why);
}

void ShowProgress(TEngineState& E, int Position) {
  if (E.Control != nullptr) E.Control->SetPosition(Position);
}

void StoreDrawingFrame(TEngineState& E, const TQarvShapes& Shapes) {
  const TRectDbl& b = Shapes.BoundBox();
  E.DrawingFrame = TDrawingFrame{b.Left, b.Right, b.Right - b.Left, b.Top - b.Bottom};
}

void BuildAllRecords(TEngineState& E, TQarvShapes& Shapes) {
  ClearEngineState(E);
  const int n = Shapes.ShapeCount();
  if (n > kMaxNestRecords) {
    ReportFailure(E, TFailureSource::Engine,
                  "the drawing holds " + std::to_string(n) + " shapes; at most " +
                      std::to_string(kMaxNestRecords) + " can be nested at once");
    return;
  }
  Shapes.ApproximateShapes(kRecDivMaxLev, true);
  E.NestRecords.Count = static_cast<uint16_t>(n);
  InitRecords(E, n);
  StoreDrawingFrame(E, Shapes);
  for (int i = 0; i < n; ++i) {
    ShowProgress(E, static_cast<int>(static_cast<double>(i) / n * 100.0));
    try {
      BuildRecord(E, i, *Shapes.GetShape(i));
    } catch (const std::exception& e) {
      MarkRecordFailed(E, i, e.what());
    }
  }
}

// Sizes within 15 % of a given one form one run in ascending order, so the count of similar
// sizes is the length of that run. A size of 0 is similar only to other zeros.
int SimilarCount(const std::vector<double>& Sorted, size_t i) {
  const double w = Sorted[i];
  const auto similar = [w](double v) {
    return w == 0.0 ? v == 0.0 : std::abs(w - v) / std::abs(w) < kSimilarSize;
  };
  const auto mid = Sorted.begin() + static_cast<std::ptrdiff_t>(i);
  const auto first =
      std::partition_point(Sorted.begin(), mid, [&](double v) { return !similar(v); });
  const auto last = std::partition_point(mid, Sorted.end(), similar);
  return static_cast<int>(last - first);
}

int SimilarityScore(std::vector<double> Sizes) {
  std::sort(Sizes.begin(), Sizes.end());
  int best = 0;
  for (size_t i = 0; i < Sizes.size(); ++i) best = std::max(best, SimilarCount(Sizes, i));
  return best;
}

}  // namespace

bool BuildNestRecords(TEngineState& E, TQarvShapes& Shapes) {
  try {
    BuildAllRecords(E, Shapes);
  } catch (const std::exception& e) {
    ReportFailure(E, TFailureSource::Engine, std::string("building the records: ") + e.what());
  }
  ShowProgress(E, 0);
  return !E.ErrorFlag();
}

int AnalyzeTextLikeness(const TEngineState& E, int i) {
  if (i < 0 || static_cast<size_t>(i) >= E.NestRecords.Shape.size()) return 1;
  const TNestOneRec& r = E.NestRecords.Shape[i];
  // Each outer contour is measured by the rectangle built from its own path. Every path has
  // a rectangle except the holes, which are the closed entries without the outer bit.
  const size_t bezCount = CountedItems(r.SbpBez, r.SbpBezCount).size();
  const size_t recCount = CountedItems(r.SbpRec, r.SbpRecCount).size();
  std::vector<double> widths;
  std::vector<double> heights;
  size_t rec = 0;
  for (size_t b = 0; b < bezCount && rec < recCount; ++b) {
    const uint16_t attr = r.SbpBez[b].Attr;
    const bool outer = (attr & kSbpOuter) != 0;
    if (!outer && (attr & kSbpClosed) != 0) continue;
    const TNestRect& box = r.SbpRec[rec++].Rect;
    const double w = box.Right - box.Left;
    const double h = box.Top - box.Bottom;
    if (!outer || !std::isfinite(w) || !std::isfinite(h)) continue;
    widths.push_back(w);
    heights.push_back(h);
  }
  const size_t n = widths.size();
  if (n < static_cast<size_t>(kMinLetterCount)) return 1;
  const int score = std::max(SimilarityScore(widths), SimilarityScore(heights));
  return static_cast<double>(score) / static_cast<double>(n) > kTextLikeShare ? 2 : 1;
}

}  // namespace plavo
