#include "nesting/ResultLayout.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace plavo {

namespace {

bool RecordsMatchShapes(const TEngineState& E, const TQarvShapes& Shapes) {
  return E.NestRecords.Shape.size() == static_cast<size_t>(Shapes.ShapeCount());
}

bool SheetExists(const TEngineState& E, int j) {
  return j >= 0 && static_cast<size_t>(j) < E.Blocks.Item.size();
}

const TNestPlacedShape* PlacedOn(const TEngineState& E, size_t i) {
  const TNestPlacedShape& p = E.NestRecords.Shape[i].Place;
  return p.placed ? &p : nullptr;
}

}  // namespace

bool PlacementTransform(const TEngineState& E, const TQarvShapes& Shapes, int i,
                        TPlacementTransform& T) {
  if (!RecordsMatchShapes(E, Shapes) || i < 0 || i >= Shapes.ShapeCount()) return false;
  const TNestOneRec& r = E.NestRecords.Shape[static_cast<size_t>(i)];
  if (!r.Place.placed || !SheetExists(E, r.Place.sheetNo)) return false;
  const TRectDbl& box = Shapes.GetShape(i)->BoundBox();
  const TBezierNode& sheet = E.Blocks.Item[static_cast<size_t>(r.Place.sheetNo)].Position;
  T.CenterX = (box.Left + box.Right) / 2.0;
  T.CenterY = (box.Top + box.Bottom) / 2.0;
  T.Theta = r.OptimalAngle * std::numbers::pi / 180.0 + r.Place.a;
  T.OffsetX = sheet.x + r.Place.x;
  T.OffsetY = sheet.y + r.Place.y;
  return true;
}

TNodeSimple PlacePoint(const TPlacementTransform& T, TNodeSimple P) {
  const double px = P.X - T.CenterX;
  const double py = P.Y - T.CenterY;
  const double r = std::hypot(px, py);
  // The direction is taken on the engine's 1/10000 mm grid, as the engine turns its nodes, so
  // the shown outline matches the outline that was placed. std::trunc rather than an integer
  // cast keeps coordinates beyond the 32-bit grid well defined.
  const double gx = std::trunc(px * 10000.0);
  const double gy = std::trunc(py * 10000.0);
  // A vector without length on the grid points straight down, as the engine's direction angle
  // says; only a point within 1/10000 mm of the centre has one.
  const double phi = gx == 0.0 && gy == 0.0 ? -std::numbers::pi / 2.0 : std::atan2(gy, gx);
  return TNodeSimple{r * std::cos(phi + T.Theta) + T.OffsetX,
                     r * std::sin(phi + T.Theta) + T.OffsetY};
}

TPlacedSegment PlaceSegment(const TPlacementTransform& T, const TQarvOneSegment& Segment) {
  return TPlacedSegment{Segment.Type_(), PlacePoint(T, Segment.StartNode()),
                        PlacePoint(T, Segment.StartControlNode()),
                        PlacePoint(T, Segment.EndControlNode()), PlacePoint(T, Segment.EndNode())};
}

bool IsStraightSegment(const TPlacedSegment& S) {
  const auto same = [](TNodeSimple A, TNodeSimple B) { return A.X == B.X && A.Y == B.Y; };
  return S.Type_ == 0 || (same(S.StartControl, S.Start) && same(S.EndControl, S.End));
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
      placed.Segments.push_back(PlaceSegment(T, *path->GetSegment(k)));
    }
    paths.push_back(std::move(placed));
  }
  return paths;
}

int UsedSheetCount(const TEngineState& E) {
  int last = -1;
  for (size_t i = 0; i < E.NestRecords.Shape.size(); ++i) {
    if (const TNestPlacedShape* p = PlacedOn(E, i)) last = std::max(last, p->sheetNo);
  }
  return last + 1;
}

int SheetUsedTop(const TEngineState& E, int j) {
  int top = 0;
  for (size_t i = 0; i < E.NestRecords.Shape.size(); ++i) {
    const TNestPlacedShape* p = PlacedOn(E, i);
    if (p != nullptr && p->sheetNo == j) top = std::max(top, p->TopY);
  }
  return top;
}

TSheetOutline SheetOutline(const TEngineState& E, int j) {
  TSheetOutline s;
  s.Position = E.Blocks.Item[static_cast<size_t>(j)].Position;
  s.Width = E.NestParams.Media_W;
  s.Height = E.NestParams.Media_H;
  s.UsedTop = SheetUsedTop(E, j);
  for (size_t i = 0; i < E.NestRecords.Shape.size() && !s.HasShape; ++i) {
    const TNestPlacedShape* p = PlacedOn(E, i);
    s.HasShape = p != nullptr && p->sheetNo == j;
  }
  s.UsedHeight = s.UsedTop > 0 ? std::min<double>(s.UsedTop + 1.0, s.Height) : 0.0;
  return s;
}

std::vector<TUnplacedSlot> UnplacedRow(const TEngineState& E, const TQarvShapes& Shapes) {
  std::vector<TUnplacedSlot> row;
  const int sheets = std::min<int>(UsedSheetCount(E), static_cast<int>(E.Blocks.Item.size()));
  if (sheets == 0 || !RecordsMatchShapes(E, Shapes)) return row;
  double x0 = E.Blocks.Item[0].Position.x;
  double y0 = E.NestParams.Media_H + E.Blocks.Item[0].Position.y;
  for (int j = 1; j < sheets; ++j) {
    const TBezierNode& p = E.Blocks.Item[static_cast<size_t>(j)].Position;
    x0 = std::min(x0, p.x);
    y0 = std::max(y0, E.NestParams.Media_H + p.y);
  }
  y0 += E.NestParams.Orientation_Dis;
  for (int i = 0; i < Shapes.ShapeCount(); ++i) {
    if (E.NestRecords.Shape[static_cast<size_t>(i)].Place.placed) continue;
    const TRectDbl& box = Shapes.GetShape(i)->BoundBox();
    row.push_back(TUnplacedSlot{i, TNodeSimple{x0 - box.Left, y0 - box.Bottom}});
    x0 += (box.Right - box.Left) + E.NestParams.Orientation_Dis;
  }
  return row;
}

TRectDbl LayoutBounds(const TEngineState& E, const TQarvShapes& Shapes) {
  TRectDbl box = EmptyBox();
  const auto widen = [&box](TNodeSimple P) {
    box.Left = std::min(box.Left, P.X);
    box.Right = std::max(box.Right, P.X);
    box.Bottom = std::min(box.Bottom, P.Y);
    box.Top = std::max(box.Top, P.Y);
  };
  for (int i = 0; i < Shapes.ShapeCount(); ++i) {
    TPlacementTransform t;
    if (!PlacementTransform(E, Shapes, i, t)) continue;
    for (const TPlacedPath& path : PlaceShapePaths(t, *Shapes.GetShape(i))) {
      for (const TPlacedSegment& s : path.Segments) {
        widen(s.Start);
        widen(s.StartControl);
        widen(s.EndControl);
        widen(s.End);
      }
    }
  }
  const int sheets = std::min<int>(UsedSheetCount(E), static_cast<int>(E.Blocks.Item.size()));
  for (int j = 0; j < sheets; ++j) {
    const TSheetOutline s = SheetOutline(E, j);
    widen(TNodeSimple{s.Position.x, s.Position.y});
    widen(TNodeSimple{s.Position.x + s.Width, s.Position.y + s.Height});
  }
  return box;
}

}  // namespace plavo
