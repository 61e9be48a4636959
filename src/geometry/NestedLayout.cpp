#include "geometry/NestedLayout.h"

#include <algorithm>
#include <utility>

#include "geometry/QarvMath.h"

namespace plavo {

namespace {

TNodeSimple Moved(TNodeSimple P, TNodeSimple By) {
  return TNodeSimple{P.X + By.X, P.Y + By.Y};
}

}  // namespace

bool IsStraightSegment(const TPlacedSegment& S) {
  return S.Type_ == 0 || (SamePoint(S.StartControl, S.Start) && SamePoint(S.EndControl, S.End));
}

bool IsMarking(const TLayoutShape& Shape, const TPlacedPath& Path) {
  if (Path.Closed) return false;
  return std::any_of(Shape.Paths.begin(), Shape.Paths.end(),
                     [](const TPlacedPath& p) { return p.Closed && !p.Segments.empty(); });
}

TRectDbl LayoutBox(const TNestedLayout& Layout) {
  TRectDbl box = EmptyBox();
  for (const TLayoutShape& shape : Layout.Shapes) {
    for (const TPlacedPath& path : shape.Paths) {
      for (const TPlacedSegment& s : path.Segments) {
        for (const TNodeSimple& p : {s.Start, s.StartControl, s.EndControl, s.End})
          WidenBox(box, p);
      }
    }
  }
  for (const TLayoutSheet& s : Layout.Sheets) {
    WidenBox(box, s.Position);
    WidenBox(box, TNodeSimple{s.Position.X + s.Width, s.Position.Y + s.Height});
  }
  return box;
}

TNestedLayout MovedLayout(TNestedLayout Layout, TNodeSimple By) {
  for (TLayoutShape& shape : Layout.Shapes) {
    for (TPlacedPath& path : shape.Paths) {
      for (TPlacedSegment& s : path.Segments) {
        s.Start = Moved(s.Start, By);
        s.StartControl = Moved(s.StartControl, By);
        s.EndControl = Moved(s.EndControl, By);
        s.End = Moved(s.End, By);
      }
    }
  }
  for (TLayoutSheet& s : Layout.Sheets) s.Position = Moved(s.Position, By);
  if (!IsEmptyBox(Layout.Bounds)) {
    Layout.Bounds = TRectDbl::MakeLTRB(Layout.Bounds.Left + By.X, Layout.Bounds.Top + By.Y,
                                       Layout.Bounds.Right + By.X, Layout.Bounds.Bottom + By.Y);
  }
  return Layout;
}

TNestedLayout AtMachineZero(TNestedLayout Layout) {
  if (Layout.Sheets.empty()) return Layout;
  const TNodeSimple corner = Layout.Sheets.front().Position;
  return MovedLayout(std::move(Layout), TNodeSimple{-corner.X, -corner.Y});
}

TNestedLayout SheetAlone(const TNestedLayout& Layout, int Sheet) {
  TNestedLayout alone;
  if (Sheet < 0 || static_cast<size_t>(Sheet) >= Layout.Sheets.size()) return alone;
  alone.Sheets.push_back(Layout.Sheets[static_cast<size_t>(Sheet)]);
  for (const TLayoutShape& shape : Layout.Shapes) {
    if (shape.Sheet != Sheet) continue;
    alone.Shapes.push_back(shape);
    alone.Shapes.back().Sheet = 0;
  }
  alone.Bounds = LayoutBox(alone);
  return AtMachineZero(std::move(alone));
}

}  // namespace plavo
