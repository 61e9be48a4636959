#include "nesting/prepare/CutAngles.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <numbers>
#include <span>
#include <utility>

#include "geometry/CubicFlattening.h"
#include "geometry/PlacedTurn.h"
#include "nesting/place/CellCover.h"
#include "nesting/place/Rasterise.h"
#include "nesting/prepare/RunPreparation.h"

namespace plavo {

namespace {

TNodeSimple At(const TBezierNode& P) {
  return {P.x, P.y};
}

// The cubics of a Bezier sub-path: its start node, then three points each.
std::span<const TBezierNode> Cubics(const TNestSbpOneRec& Sbp) {
  return CountedItems(Sbp.Bezier, Sbp.BezierCount);
}

bool IsBezier(const TNestSbpOneRec& Sbp) {
  return (Sbp.Attr & kSbpBezier) != 0 && !Cubics(Sbp).empty();
}

// A straight segment carries its ends as controls.
bool HasCurves(const TNestSbpOneRec& Sbp) {
  const std::span<const TBezierNode> b = Cubics(Sbp);
  for (size_t k = 0; 3 * k + 3 < b.size(); ++k) {
    const auto same = [](const TBezierNode& p, const TBezierNode& q) {
      return p.x == q.x && p.y == q.y;
    };
    if (!same(b[3 * k], b[3 * k + 1]) || !same(b[3 * k + 2], b[3 * k + 3])) return true;
  }
  return false;
}

// The path's cubics flattened within kCutFlatness, each control point moved by Move first.
template <typename TMove>
std::vector<TBezierNode> FlatPath(const TNestSbpOneRec& Sbp, TMove&& Move) {
  const std::span<const TBezierNode> b = Cubics(Sbp);
  const auto moved = [&](size_t k) { return Move(At(b[k])); };
  std::vector<TNodeSimple> points{moved(0)};
  for (size_t k = 0; 3 * k + 3 < b.size(); ++k) {
    FlattenCubicInto(points, moved(3 * k), moved(3 * k + 1), moved(3 * k + 2), moved(3 * k + 3),
                     kCutFlatness);
  }
  std::vector<TBezierNode> out;
  out.reserve(points.size());
  for (const TNodeSimple& p : points) out.push_back({p.X, p.Y});
  return out;
}

// The path flattened as the layout check flattens it: its control points turned first.
std::vector<TBezierNode> TurnedPath(const TNestSbpOneRec& Sbp, TNodeSimple Centre, double Theta) {
  return FlatPath(Sbp, [&](TNodeSimple P) { return TurnAbout(P, Centre, Theta); });
}

bool Inside(const TNestRect& R, TNodeSimple P) {
  return P.X >= R.Left && P.X <= R.Right && P.Y >= R.Bottom && P.Y <= R.Top;
}

void Widen(TNestRect& R, const TNestRect& By) {
  R.Left = std::min(R.Left, By.Left);
  R.Right = std::max(R.Right, By.Right);
  R.Bottom = std::min(R.Bottom, By.Bottom);
  R.Top = std::max(R.Top, By.Top);
}

// The box of a path's curves: its node box misses the curve between nodes, its flattening
// within kCutFlatness does not.
TNestRect CurveBox(const TNestSbpOneRec& Sbp) {
  const std::vector<TBezierNode> points = FlatPath(Sbp, [](TNodeSimple P) { return P; });
  TNestRect box = TNestRect::MakeLRBT(points[0].x, points[0].x, points[0].y, points[0].y);
  for (const TBezierNode& p : points) Widen(box, TNestRect::MakeLRBT(p.x, p.x, p.y, p.y));
  box.Left -= kCutFlatness;
  box.Right += kCutFlatness;
  box.Bottom -= kCutFlatness;
  box.Top += kCutFlatness;
  return box;
}

// A rectangle of the approximations holds the paths it was made from (those that start in it):
// widened to their curves, it holds what the writers write.
TNestRect HeldRect(const TNestOneRec& Rec, const TNestRect& Rect) {
  TNestRect r = Rect;
  for (const TNestSbpOneRec& path : CountedItems(Rec.SbpBez, Rec.SbpBezCount)) {
    if (IsBezier(path) && Inside(Rect, At(path.Bezier[0]))) Widen(r, CurveBox(path));
  }
  return r;
}

bool HasArea(const TNestRect& R) {
  return R.Right > R.Left && R.Top > R.Bottom;
}

// The nodes of a sub-path where their polar form puts them at trial angle A.
std::vector<TBezierNode> NodePoints(const TNestSbpOneRec& Sbp, double A) {
  std::vector<TBezierNode> out;
  for (const TNestNode& n : CountedItems(Sbp.Node, Sbp.NodeCount)) {
    out.push_back({n.q * std::cos(n.a + A), n.q * std::sin(n.a + A)});
  }
  return out;
}

// How one sub-path becomes a ring at every angle.
struct TRingSource {
  const TNestSbpOneRec* Sbp = nullptr;
  TNestRect Rect;  // a rectangle of the approximations, widened to its curves
  bool Rectangle = false;
};

std::vector<TRingSource> RingSources(const TNestOneRec& Rec) {
  std::vector<TRingSource> sources;
  for (const TNestSbpOneRec& sbp : Rec.Sbp) {
    TRingSource s;
    s.Sbp = &sbp;
    s.Rectangle = !IsBezier(sbp) && HasArea(sbp.Rect);
    if (s.Rectangle) s.Rect = HeldRect(Rec, sbp.Rect);
    sources.push_back(s);
  }
  return sources;
}

TCutRing RingAt(const TNestOneRec& Rec, const TRingSource& S, double Value) {
  const TNestSbpOneRec& sbp = *S.Sbp;
  const TNodeSimple centre{Rec.Original.CenterX, Rec.Original.CenterY};
  // As the writers turn: the base orientation in degrees back to radians, plus the trial angle.
  const double theta = Rec.OptimalAngle * std::numbers::pi / 180.0 + Value;
  TCutRing ring;
  ring.Closed = (sbp.Attr & kSbpClosed) != 0;
  ring.Hole = ring.Closed && (sbp.Attr & kSbpOuter) == 0;
  if (IsBezier(sbp)) {
    ring.Points = TurnedPath(sbp, centre, theta);
  } else if (S.Rectangle) {
    const TNestRect& r = S.Rect;
    for (const TNodeSimple corner : {TNodeSimple{r.Left, r.Bottom}, TNodeSimple{r.Left, r.Top},
                                     TNodeSimple{r.Right, r.Top}, TNodeSimple{r.Right, r.Bottom}}) {
      const TNodeSimple p = TurnAbout(corner, centre, theta);
      ring.Points.push_back({p.X, p.Y});
    }
  } else {
    ring.Points = NodePoints(sbp, Value);
  }
  if (ring.Closed && ring.Points.size() > 1 && ring.Points.front().x == ring.Points.back().x &&
      ring.Points.front().y == ring.Points.back().y) {
    ring.Points.pop_back();
  }
  return ring;
}

bool HasNodes(const TNestOneRec& Rec) {
  return std::any_of(Rec.Sbp.begin(), Rec.Sbp.end(),
                     [](const TNestSbpOneRec& s) { return NodeCountOf(s) > 0; });
}

TNestRectInt Union(const TNestRectInt& A, const TNestRectInt& B) {
  return {std::min(A.Left, B.Left), std::max(A.Right, B.Right), std::min(A.Bottom, B.Bottom),
          std::max(A.Top, B.Top)};
}

TNestRectInt BoxOf(const std::vector<TCellRun>& Runs) {
  TNestRectInt box{Runs.front().Column, Runs.front().Column, Runs.front().Low, Runs.front().High};
  for (const TCellRun& r : Runs) {
    box = Union(box, TNestRectInt{r.Column, r.Column, r.Low, r.High});
  }
  return box;
}

// The box of every cell the outline touches (CellCover.h): the shape's cells lie within it.
TNestRectInt OutlineBox(const TCutAngle& Cut, const TNestRectInt& Start) {
  TNestRectInt box = Start;
  const auto low = [&](double v) { return static_cast<int32_t>(std::ceil(v - Cut.Pad - 0.5)); };
  const auto high = [&](double v) { return static_cast<int32_t>(std::floor(v + Cut.Pad + 0.5)); };
  for (const TCutRing& ring : Cut.Rings) {
    for (const TBezierNode& p : ring.Points) {
      box = Union(box, TNestRectInt{low(p.x), high(p.x), low(p.y), high(p.y)});
    }
  }
  return box;
}

// The position search meets a collision sooner when it tests columns spread over the shape
// before their neighbours: every eighth column first, then every fourth, every second, the rest.
void SpreadColumns(std::vector<TCellRun>& Cells, int Left) {
  const auto rank = [Left](const TCellRun& r) {
    const int k = r.Column - Left;
    return k % 8 == 0 ? 0 : k % 4 == 0 ? 1 : k % 2 == 0 ? 2 : 3;
  };
  std::stable_sort(Cells.begin(), Cells.end(),
                   [&](const TCellRun& a, const TCellRun& b) { return rank(a) < rank(b); });
}

// No sheet is larger than the largest the settings allow, and the position search refuses an
// angle whose box exceeds its sheet before it tests a cell. So the cells of such an angle are
// never drawn: a shape metres across would cost a raster of billions of cells only to be left
// out.
bool LargerThanAnySheet(const TNestRectInt& Box) {
  constexpr auto kLargest = static_cast<int64_t>(kSheetSizeRange.Max);
  return int64_t{Box.Right} - Box.Left > kLargest || int64_t{Box.Top} - Box.Bottom > kLargest;
}

}  // namespace

double CutPad(const TNestOneRec& Rec) {
  const bool curved = std::any_of(Rec.Sbp.begin(), Rec.Sbp.end(), [](const TNestSbpOneRec& s) {
    return IsBezier(s) && HasCurves(s);
  });
  return curved ? kCutFlatness + kCutSlop : kCutSlop;
}

std::vector<TCutRing> CutRings(const TNestOneRec& Rec, double Value) {
  std::vector<TCutRing> rings;
  for (const TRingSource& source : RingSources(Rec)) {
    TCutRing ring = RingAt(Rec, source, Value);
    if (!ring.Points.empty()) rings.push_back(std::move(ring));
  }
  return rings;
}

void BuildCutAngles(TEngineState& E, int i) {
  TNestOneRec& rec = E.NestRecords.Shape[static_cast<size_t>(i)];
  for (TNestAngleOneRect& item : rec.AnglesSRR.Item) item.Cut.reset();
  if (!HasNodes(rec)) return;
  const std::vector<TRingSource> sources = RingSources(rec);
  const double pad = CutPad(rec);
  for (int j = 0; j < AngleTotal(rec); ++j) {
    TNestAngleOneRect& item = rec.AnglesSRR.Item[static_cast<size_t>(j)];
    auto cut = std::make_shared<TCutAngle>();
    cut->Pad = pad;
    for (const TRingSource& source : sources) {
      TCutRing ring = RingAt(rec, source, item.Value);
      if (!ring.Points.empty()) cut->Rings.push_back(std::move(ring));
    }
    if (cut->Rings.empty()) continue;
    item.Rect = OutlineBox(*cut, item.Rect);
    item.Cut = cut;
    if (LargerThanAnySheet(item.Rect)) continue;
    cut->Cells = ShapeCellRuns(E, i, j);
    cut->Box = cut->Cells.empty() ? item.Rect : BoxOf(cut->Cells);
    item.Rect = Union(item.Rect, cut->Box);
    SpreadColumns(cut->Cells, cut->Box.Left);
  }
}

}  // namespace plavo
