#include "nesting/result/ResultLayout.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "geometry/PlacedTurn.h"
#include "geometry/QarvMath.h"
#include "geometry/Units.h"
#include "nesting/result/NestResult.h"

namespace plavo {

namespace {

size_t RecordCount(const TOneNestingResult& R) {
  return R.Place.size();
}

bool SheetExists(const TOneNestingResult& R, int j) {
  return j >= 0 && static_cast<size_t>(j) < R.Block.Item.size();
}

const TNestPlacedShape* PlacedOn(const TOneNestingResult& R, size_t i) {
  const TNestPlacedShape& p = R.Place[i];
  return p.placed ? &p : nullptr;
}

// Records in the order of the shapes they stand for.
std::vector<int> RecordsByShape(const TOneNestingResult& R) {
  std::vector<int> order(RecordCount(R));
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&R](int a, int b) {
    const int32_t sa = R.ShapeIndex[a];
    const int32_t sb = R.ShapeIndex[b];
    return sa != sb ? sa < sb : CopyIndexOf(R, a) < CopyIndexOf(R, b);
  });
  return order;
}

// A result of another drawing has another number of records: refused whole, cheaply. With
// copies there is a record per copy, so at least one per shape.
bool RecordCountFits(const TQarvShapes& Shapes, const TOneNestingResult& R) {
  const size_t n = RecordCount(R);
  const auto shapes = static_cast<size_t>(Shapes.ShapeCount());
  return R.CopyIndex.empty() ? n == shapes : n >= shapes && R.CopyIndex.size() == n;
}

}  // namespace

bool LeftOutOf(const TOneNestingResult& R, size_t i) {
  return i < R.LeftOut.size() && R.LeftOut[i];
}

bool ResultFitsDrawing(const TQarvShapes& Shapes, const TOneNestingResult& R) {
  const size_t n = RecordCount(R);
  if (!RecordCountFits(Shapes, R)) return false;
  if (R.ShapeIndex.size() != n || R.OptimalAngles.size() != n) return false;
  return std::all_of(R.ShapeIndex.begin(), R.ShapeIndex.end(),
                     [&Shapes](int32_t s) { return s >= 0 && s < Shapes.ShapeCount(); });
}

const TQarvOneShape* RecordShape(const TQarvShapes& Shapes, const TOneNestingResult& R, int i) {
  const auto k = static_cast<size_t>(i);
  if (!RecordCountFits(Shapes, R)) return nullptr;
  if (i < 0 || k >= RecordCount(R) || k >= R.ShapeIndex.size() || k >= R.OptimalAngles.size()) {
    return nullptr;
  }
  const int32_t s = R.ShapeIndex[k];
  return s >= 0 && s < Shapes.ShapeCount() ? Shapes.GetShape(s) : nullptr;
}

bool PlacementTransform(const TQarvShapes& Shapes, const TOneNestingResult& R, int i,
                        TPlacementTransform& T) {
  const TQarvOneShape* shape = RecordShape(Shapes, R, i);
  if (shape == nullptr) return false;
  const TNestPlacedShape& p = R.Place[static_cast<size_t>(i)];
  if (!p.placed || !SheetExists(R, p.sheetNo)) return false;
  const TRectDbl& box = shape->BoundBox();
  const TBezierNode& sheet = R.Block.Item[static_cast<size_t>(p.sheetNo)].Position;
  T.CenterX = (box.Left + box.Right) / 2.0;
  T.CenterY = (box.Top + box.Bottom) / 2.0;
  T.Theta = R.OptimalAngles[static_cast<size_t>(i)] * std::numbers::pi / 180.0 + p.a;
  T.OffsetX = sheet.x + p.x;
  T.OffsetY = sheet.y + p.y;
  return true;
}

TNodeSimple PlacePoint(const TPlacementTransform& T, TNodeSimple P) {
  const TNodeSimple turned = TurnAbout(P, {T.CenterX, T.CenterY}, T.Theta);
  return TNodeSimple{turned.X + T.OffsetX, turned.Y + T.OffsetY};
}

TPlacedSegment PlaceSegment(const TPlacementTransform& T, const TQarvOneSegment& Segment) {
  return TPlacedSegment{Segment.Type_(), PlacePoint(T, Segment.StartNode()),
                        PlacePoint(T, Segment.StartControlNode()),
                        PlacePoint(T, Segment.EndControlNode()), PlacePoint(T, Segment.EndNode())};
}

std::vector<TPlacedPath> PlaceShapePaths(const TPlacementTransform& T, const TQarvOneShape& Shape) {
  std::vector<TPlacedPath> paths;
  const TQarvOneCurve* curve = Shape.Curve();
  if (curve == nullptr) return paths;
  for (int p = 0; p < curve->PathCount(); ++p) {
    const TQarvOnePath* path = curve->GetPath(p);
    if (path->SegmentCount() == 0) continue;
    TPlacedPath placed;
    placed.Closed = path->Closed();
    placed.Segments.reserve(static_cast<size_t>(path->SegmentCount()));
    for (int k = 0; k < path->SegmentCount(); ++k) {
      const TSegmentView segment = path->GetSegment(k);
      placed.Segments.push_back(PlaceSegment(T, *segment));
    }
    paths.push_back(std::move(placed));
  }
  return paths;
}

int UsedSheetCount(const TOneNestingResult& R) {
  int last = -1;
  for (size_t i = 0; i < RecordCount(R); ++i) {
    if (const TNestPlacedShape* p = PlacedOn(R, i)) last = std::max(last, p->sheetNo);
  }
  return last + 1;
}

int SheetUsedTop(const TOneNestingResult& R, int j) {
  return SheetTopsOf(R).Top(j);
}

TSheetOutline SheetOutline(const TOneNestingResult& R, int j) {
  TSheetOutline s;
  s.Position = R.Block.Item[static_cast<size_t>(j)].Position;
  s.Width = R.P.Media_W;
  s.Height = R.P.Media_H;
  s.UsedTop = SheetUsedTop(R, j);
  for (size_t i = 0; i < RecordCount(R) && !s.HasShape; ++i) {
    const TNestPlacedShape* p = PlacedOn(R, i);
    s.HasShape = p != nullptr && p->sheetNo == j;
  }
  s.UsedHeight = s.UsedTop > 0 ? std::min<double>(s.UsedTop + 1.0, s.Height) : 0.0;
  return s;
}

std::vector<TUnplacedSlot> UnplacedRow(const TQarvShapes& Shapes, const TOneNestingResult& R) {
  std::vector<TUnplacedSlot> row;
  const int sheets = std::min<int>(UsedSheetCount(R), static_cast<int>(R.Block.Item.size()));
  if (sheets == 0 || !ResultFitsDrawing(Shapes, R)) return row;
  double x0 = R.Block.Item[0].Position.x;
  double y0 = R.P.Media_H + R.Block.Item[0].Position.y;
  for (int j = 1; j < sheets; ++j) {
    const TBezierNode& p = R.Block.Item[static_cast<size_t>(j)].Position;
    x0 = std::min(x0, p.x);
    y0 = std::max(y0, R.P.Media_H + p.y);
  }
  y0 += R.P.Orientation_Dis;
  const std::vector<int> order = RecordsByShape(R);
  for (const bool leftOut : {false, true}) {
    for (int i : order) {
      const auto k = static_cast<size_t>(i);
      if (R.Place[k].placed || LeftOutOf(R, k) != leftOut) continue;
      const TRectDbl& box = RecordShape(Shapes, R, i)->BoundBox();
      row.push_back(TUnplacedSlot{i, TNodeSimple{x0 - box.Left, y0 - box.Bottom}, leftOut});
      x0 += (box.Right - box.Left) + R.P.Orientation_Dis;
    }
  }
  return row;
}

TRectDbl LayoutBounds(const TQarvShapes& Shapes, const TOneNestingResult& R) {
  const std::optional<TNestedLayout> layout = NestedLayoutOf(Shapes, R);
  return layout ? layout->Bounds : EmptyBox();
}

std::optional<TNestedLayout> NestedLayoutOf(const TQarvShapes& Shapes, const TOneNestingResult& R) {
  if (!ResultFitsDrawing(Shapes, R)) return std::nullopt;
  TNestedLayout layout;
  for (int i = 0; i < static_cast<int>(RecordCount(R)); ++i) {
    TPlacementTransform t;
    if (!PlacementTransform(Shapes, R, i, t)) continue;
    const TQarvOneShape& shape = *RecordShape(Shapes, R, i);
    TLayoutShape placed{R.ShapeIndex[static_cast<size_t>(i)],
                        R.Place[static_cast<size_t>(i)].sheetNo, shape.Color(),
                        PlaceShapePaths(t, shape), CopyIndexOf(R, static_cast<size_t>(i))};
    if (!placed.Paths.empty()) layout.Shapes.push_back(std::move(placed));
  }
  const int sheets = std::min<int>(UsedSheetCount(R), static_cast<int>(R.Block.Item.size()));
  for (int j = 0; j < sheets; ++j) {
    const TSheetOutline s = SheetOutline(R, j);
    layout.Sheets.push_back(
        TLayoutSheet{TNodeSimple{s.Position.x, s.Position.y}, s.Width, s.Height, s.HasShape});
  }
  layout.Bounds = LayoutBox(layout);
  return AtMachineZero(std::move(layout));
}

}  // namespace plavo
