#include "nesting/result/LayoutCheck.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <map>
#include <utility>

#include "geometry/QarvMath.h"
#include "nesting/result/ShapeGap.h"

namespace plavo {

namespace {

// How far P lies outside the rectangle.
double OutsideRect(TNodeSimple P, const TRectDbl& R) {
  const double dx = std::max({0.0, R.Left - P.X, P.X - R.Right});
  const double dy = std::max({0.0, R.Bottom - P.Y, P.Y - R.Top});
  return std::hypot(dx, dy);
}

double OutsideContainer(TNodeSimple P, const TGapShape& Container) {
  if (OnMaterial(*Container.Outline, P, false)) return 0.0;
  double d = kNoGap;
  for (const TGapSegment& s : Container.Outline->Segments)
    d = std::min(d, PointSegmentDistance(P, s.A, s.B));
  return d;
}

void MeasureOverhang(const TLayoutCheckInput& Input, const TGapShape* Container,
                     TLayoutCheck& Check) {
  for (const TCheckShape& shape : Input.Shapes) {
    const bool onSheet = shape.Sheet >= 0 && static_cast<size_t>(shape.Sheet) < Input.Sheets.size();
    for (const TCheckRing& ring : shape.Rings) {
      for (const TNodeSimple& p : ring.Points) {
        double out = onSheet ? OutsideRect(p, Input.Sheets[static_cast<size_t>(shape.Sheet)]) : 0.0;
        if (Container != nullptr) out = std::max(out, OutsideContainer(p, *Container));
        if (out > Check.Overhang) {
          Check.Overhang = out;
          Check.OverhangShape = shape.Index;
        }
      }
    }
  }
}

void MeasurePair(const TGapShape& A, const TGapShape& B, bool AllowInside, TLayoutCheck& Check) {
  if (!BoxesNear(A.Box(), B.Box(), Check.MinGap)) return;
  const double gap = PairGap(A, B, Check.MinGap, AllowInside);
  if (gap < Check.MinGap) {
    Check.MinGap = gap;
    Check.GapShapes[0] = std::min(A.Outline->Shape->Index, B.Outline->Shape->Index);
    Check.GapShapes[1] = std::max(A.Outline->Shape->Index, B.Outline->Shape->Index);
  }
}

// The shapes of one sheet sorted by their left edge. Each shape's next neighbours give a first
// smallest gap; then every pair whose boxes lie closer than that is measured, and a shape's
// look to the right ends at the first box that starts farther away.
void MeasureSheet(std::vector<TGapShape>& Shapes, bool AllowInside, TLayoutCheck& Check) {
  std::sort(Shapes.begin(), Shapes.end(),
            [](const TGapShape& a, const TGapShape& b) { return a.Box().Left < b.Box().Left; });
  for (size_t a = 0; a + 1 < Shapes.size(); ++a) {
    MeasurePair(Shapes[a], Shapes[a + 1], AllowInside, Check);
  }
  for (size_t a = 0; a < Shapes.size(); ++a) {
    for (size_t b = a + 2; b < Shapes.size(); ++b) {
      if (Shapes[b].Box().Left - Shapes[a].Box().Right >= Check.MinGap) break;
      MeasurePair(Shapes[a], Shapes[b], AllowInside, Check);
    }
  }
}

// Outlines are prepared only on sheets with a pair to measure: a lone shape of millions of
// segments would cost seconds and gigabytes for nothing.
void MeasureGaps(const TLayoutCheckInput& Input, TLayoutCheck& Check) {
  std::map<int, std::vector<const TCheckShape*>> bySheet;
  for (const TCheckShape& shape : Input.Shapes) bySheet[shape.Sheet].push_back(&shape);
  for (const auto& [sheet, shapes] : bySheet) {
    if (shapes.size() < 2) continue;
    std::vector<TGapShape> prepared;
    for (const TCheckShape* shape : shapes) prepared.push_back(PrepareGapShape(*shape));
    MeasureSheet(prepared, Input.AllowInside, Check);
  }
}

}  // namespace

TLayoutCheck CheckLayoutGeometry(const TLayoutCheckInput& Input) {
  TLayoutCheck check;
  MeasureGaps(Input, check);
  if (Input.HasContainer) {
    const TGapShape container = PrepareGapShape(Input.Container);
    MeasureOverhang(Input, &container, check);
  } else {
    MeasureOverhang(Input, nullptr, check);
  }
  return check;
}

}  // namespace plavo
