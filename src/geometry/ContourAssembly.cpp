#include "geometry/ContourAssembly.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <unordered_map>

namespace plavo {

namespace {

// ------------------------------------------------------------------ joining

TCubic Reversed(const TCubic& C) {
  return {C.P3, C.P2, C.P1, C.P0};
}

void Reverse(std::vector<TCubic>& Segments) {
  std::reverse(Segments.begin(), Segments.end());
  for (TCubic& c : Segments) c = Reversed(c);
}

// Moves the start of C onto P, carrying its first control point along.
void SnapStart(TCubic& C, TNodeSimple P) {
  C.P1 = {C.P1.X + P.X - C.P0.X, C.P1.Y + P.Y - C.P0.Y};
  C.P0 = P;
}

void SnapEnd(TCubic& C, TNodeSimple P) {
  C.P2 = {C.P2.X + P.X - C.P3.X, C.P2.Y + P.Y - C.P3.Y};
  C.P3 = P;
}

// Cells of four tolerances: a point's neighbourhood of one tolerance then lies in one cell per
// axis half of the time, so a search looks at 2.25 cells on average instead of 9. All ends are
// added first, then Build files them by cell in one flat table (open addressing, ids in the
// order added): a million loose lines cost no allocation per cell.
class TEndpointGrid {
 public:
  explicit TEndpointGrid(double Tolerance) : FCell(4.0 * Tolerance) {}

  void Reserve(size_t Ends) { FAdded.reserve(Ends); }
  void Add(TNodeSimple P, uint32_t Id) { FAdded.push_back({Key(CellOf(P.X), CellOf(P.Y)), Id}); }

  // Files the added ends by cell; Nearest finds only ends added before.
  void Build() {
    size_t size = 16;
    while (size < 2 * FAdded.size()) size *= 2;
    FSlots.assign(size, TSlot{});
    FMask = size - 1;
    for (const TAdded& a : FAdded) ++Claim(a.Key).Count;
    uint32_t next = 0;
    for (TSlot& slot : FSlots) {
      slot.First = next;  // a cursor while filling, the start afterwards
      next += slot.Count;
    }
    FIds.resize(FAdded.size());
    for (const TAdded& a : FAdded) FIds[Claim(a.Key).First++] = a.Id;
    for (TSlot& slot : FSlots) slot.First -= slot.Count;
    FAdded = std::vector<TAdded>();
  }

  // The id of the nearest end within Tolerance whose path Usable accepts; -1 when none.
  template <typename TUsable, typename TPointOf>
  int64_t Nearest(TNodeSimple P, double Tolerance, TUsable Usable, TPointOf PointOf) const {
    int64_t best = -1;
    double bestDistance = Tolerance;
    const int64_t x0 = CellOf(P.X - Tolerance), x1 = CellOf(P.X + Tolerance);
    const int64_t y0 = CellOf(P.Y - Tolerance), y1 = CellOf(P.Y + Tolerance);
    for (int64_t x = x0; x <= x1; ++x) {
      for (int64_t y = y0; y <= y1; ++y) {
        const TSlot* slot = Find(Key(x, y));
        if (slot == nullptr) continue;
        for (uint32_t k = slot->First; k < slot->First + slot->Count; ++k) {
          const uint32_t id = FIds[k];
          if (!Usable(id)) continue;
          const double d = Distance(P, PointOf(id));
          if (d <= bestDistance) {
            bestDistance = d;
            best = id;
          }
        }
      }
    }
    return best;
  }

 private:
  struct TAdded {
    uint64_t Key;
    uint32_t Id;
  };
  struct TSlot {
    uint64_t Key = 0;
    uint32_t First = 0;
    uint32_t Count = 0;  // 0: the slot is free
  };

  size_t Home(uint64_t Key) const { return static_cast<size_t>(Key ^ (Key >> 32)) & FMask; }
  TSlot& Claim(uint64_t Key) {
    for (size_t i = Home(Key);; i = (i + 1) & FMask) {
      TSlot& slot = FSlots[i];
      if (slot.Count == 0) slot.Key = Key;
      if (slot.Key == Key) return slot;
    }
  }
  const TSlot* Find(uint64_t Key) const {
    if (FSlots.empty()) return nullptr;
    for (size_t i = Home(Key);; i = (i + 1) & FMask) {
      const TSlot& slot = FSlots[i];
      if (slot.Count == 0) return nullptr;
      if (slot.Key == Key) return &slot;
    }
  }

  // Far-out coordinates share the outermost cells; that costs speed, never a wrong join.
  int64_t CellOf(double V) const {
    const double c = std::floor(V / FCell);
    if (!(c > -1e15)) return -1000000000000000LL;
    if (!(c < 1e15)) return 1000000000000000LL;
    return static_cast<int64_t>(c);
  }
  // Mixed so that neighbouring cells land in different slots of the table.
  static uint64_t Key(int64_t X, int64_t Y) {
    uint64_t k = static_cast<uint64_t>(X) * 0x9E3779B97F4A7C15ULL ^ static_cast<uint64_t>(Y);
    k ^= k >> 31;
    return k * 0xBF58476D1CE4E5B9ULL;
  }

  double FCell;
  std::vector<TAdded> FAdded;
  std::vector<TSlot> FSlots;
  size_t FMask = 0;
  std::vector<uint32_t> FIds;
};

// A straight piece shorter than the tolerance is no outline of its own.
template <class TSegments>
bool CanClose(const TSegments& Segments, double Tolerance) {
  if (Segments.size() > 1) return true;
  const TCubic c = Segments.front();
  return Distance(c.P0, c.P1) > Tolerance || Distance(c.P0, c.P2) > Tolerance;
}

template <class TSegments>
bool EndsMeet(const TSegments& Segments, double Tolerance) {
  return Distance(Segments.back().P3, Segments.front().P0) <= Tolerance &&
         CanClose(Segments, Tolerance);
}

class TJoiner {
 public:
  TJoiner(std::vector<TDrawingPath>& Paths, double Tolerance)
      : FPaths(Paths), FTolerance(Tolerance), FUsed(Paths.size(), false), FGrid(Tolerance) {
    FGrid.Reserve(2 * Paths.size());
    for (size_t i = 0; i < FPaths.size(); ++i) {
      const TDrawingPath& p = FPaths[i];
      if (p.Closed || p.Segments.empty()) continue;
      FGrid.Add(p.Segments.front().P0, static_cast<uint32_t>(2 * i));
      FGrid.Add(p.Segments.back().P3, static_cast<uint32_t>(2 * i + 1));
    }
    FGrid.Build();
  }

  std::vector<TJoinedPath> Run() {
    std::vector<TJoinedPath> out;
    for (size_t i = 0; i < FPaths.size(); ++i) {
      if (FPaths[i].Segments.empty() || FUsed[i]) continue;
      FUsed[i] = true;
      TJoinedPath joined{std::move(FPaths[i]), i};
      if (!joined.Path.Closed) Grow(joined.Path);
      out.push_back(std::move(joined));
    }
    return out;
  }

 private:
  TNodeSimple EndPoint(uint32_t Id) const {
    const TDrawingPath& p = FPaths[Id / 2];
    return Id % 2 == 0 ? p.Segments.front().P0 : p.Segments.back().P3;
  }

  int64_t Match(TNodeSimple P) const {
    return FGrid.Nearest(
        P, FTolerance, [this](uint32_t Id) { return !FUsed[Id / 2]; },
        [this](uint32_t Id) { return EndPoint(Id); });
  }

  // Takes the path of end Id, oriented so that end Id comes first when AtStart.
  std::vector<TCubic> Take(int64_t Id, bool AtStart) {
    const size_t index = static_cast<size_t>(Id) / 2;
    FUsed[index] = true;
    std::vector<TCubic> segments = ToCubics(FPaths[index].Segments);
    FPaths[index].Segments = TSegmentChain();
    const bool startsHere = Id % 2 == 0;
    if (startsHere != AtStart) Reverse(segments);
    return segments;
  }

  void Grow(TDrawingPath& Chain) {
    // A path with a free end is short as a rule: reworked as single cubics, then chained again.
    std::vector<TCubic> s = ToCubics(Chain.Segments);
    bool grown = false;
    while (!EndsMeet(s, FTolerance)) {
      const int64_t id = Match(s.back().P3);
      if (id < 0) break;
      std::vector<TCubic> next = Take(id, true);
      SnapStart(next.front(), s.back().P3);
      s.insert(s.end(), next.begin(), next.end());
      grown = true;
    }
    while (!EndsMeet(s, FTolerance)) {
      const int64_t id = Match(s.front().P0);
      if (id < 0) break;
      std::vector<TCubic> before = Take(id, false);
      SnapEnd(before.back(), s.front().P0);
      s.insert(s.begin(), before.begin(), before.end());
      grown = true;
    }
    if (grown) Chain.Segments = ToChain(s);
    if (EndsMeet(s, FTolerance)) CloseIfEndsMeet(Chain, FTolerance);
  }

  std::vector<TDrawingPath>& FPaths;
  double FTolerance;
  std::vector<bool> FUsed;
  TEndpointGrid FGrid;
};

// ------------------------------------------------------------------ containment

struct TContour {
  std::vector<TNodeSimple> Polygon;
  TRectDbl Box = EmptyBox();
  double Area = 0.0;  // absolute
};

// Curves are sampled finely enough to decide which contour lies inside which.
constexpr int kCurveSamples = 8;

TContour Flatten(const TDrawingPath& Path) {
  TContour c;
  c.Polygon = FlattenPath(Path, kCurveSamples);
  for (const TNodeSimple& p : c.Polygon) WidenBox(c.Box, p);
  c.Area = std::abs(TwiceSignedArea(c.Polygon)) / 2.0;
  return c;
}

// Three points spread along the contour decide by majority, so a contour that touches its
// container at one point is still seen inside it.
bool ContourInside(const TContour& Inner, const TContour& Outer) {
  const size_t n = Inner.Polygon.size();
  int votes = 0;
  for (size_t k = 0; k < 3; ++k) {
    const TNodeSimple p = Inner.Polygon[k * n / 3];
    if (BoxHolds(Outer.Box, p) && PolygonHolds(Outer.Polygon, p)) ++votes;
  }
  return votes >= 2;
}

// Coarse cells over the drawing, each listing the contours whose box covers it; contours that
// would cover too many cells are checked against every probe instead.
class TContourIndex {
 public:
  TContourIndex(const TRectDbl& Box, size_t Count) : FBox(Box) {
    const double side = std::max(Box.Right - Box.Left, Box.Top - Box.Bottom);
    const double cells = std::clamp(std::sqrt(static_cast<double>(Count)), 1.0, 1024.0);
    FCell = side > 0 && std::isfinite(side) ? side / cells : 1.0;
    FColumns = static_cast<int>(cells) + 1;
  }

  void Add(size_t Id, const TRectDbl& Box) {
    const int x0 = Column(Box.Left), x1 = Column(Box.Right);
    const int y0 = Column(Box.Bottom, true), y1 = Column(Box.Top, true);
    if (static_cast<int64_t>(x1 - x0 + 1) * (y1 - y0 + 1) > kMaxCellsPerContour) {
      FLarge.push_back(Id);
      return;
    }
    for (int x = x0; x <= x1; ++x)
      for (int y = y0; y <= y1; ++y) FCells[static_cast<int64_t>(x) * FColumns + y].push_back(Id);
  }

  template <typename TVisit>
  void Visit(TNodeSimple P, TVisit Fn) const {
    for (size_t id : FLarge) Fn(id);
    const auto found =
        FCells.find(static_cast<int64_t>(Column(P.X)) * FColumns + Column(P.Y, true));
    if (found == FCells.end()) return;
    for (size_t id : found->second) Fn(id);
  }

 private:
  static constexpr int64_t kMaxCellsPerContour = 64;

  // A coordinate that is not a number (a circle of radius 1e308 has such points) goes to the
  // first column: clamping NaN would leave NaN, and converting it to int is undefined.
  int Column(double V, bool Vertical = false) const {
    const double origin = Vertical ? FBox.Bottom : FBox.Left;
    const double c = std::floor((V - origin) / FCell);
    if (!(c > 0.0)) return 0;
    return static_cast<int>(std::min(c, static_cast<double>(FColumns - 1)));
  }

  TRectDbl FBox;
  double FCell = 1.0;
  int FColumns = 1;
  std::unordered_map<int64_t, std::vector<size_t>> FCells;
  std::vector<size_t> FLarge;
};

// The depth of each closed contour: 0 outside every other, 1 inside one (a hole), 2 an island
// in a hole, and so on; and the contour directly around it (or -1).
void NestContours(const std::vector<TContour>& Contours, std::vector<int>& Depth,
                  std::vector<int64_t>& Parent) {
  const size_t n = Contours.size();
  Depth.assign(n, 0);
  Parent.assign(n, -1);
  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return Contours[a].Area > Contours[b].Area; });
  TRectDbl all = EmptyBox();
  for (const TContour& c : Contours) WidenBox(all, c.Box);
  TContourIndex index(all, n);
  for (size_t i : order) {
    const TContour& c = Contours[i];
    int64_t parent = -1;
    index.Visit(c.Polygon.front(), [&](size_t j) {
      // A contour drawn twice is two parts on top of each other, not a part and its hole.
      if (Contours[j].Area <= c.Area) return;
      if (parent >= 0 && Contours[j].Area >= Contours[static_cast<size_t>(parent)].Area) return;
      if (ContourInside(c, Contours[j])) parent = static_cast<int64_t>(j);
    });
    Parent[i] = parent;
    if (parent >= 0) Depth[i] = Depth[static_cast<size_t>(parent)] + 1;
    index.Add(i, c.Box);
  }
}

// Finds the closed contour an open chain lies in: the smallest one that holds most of three
// points spread along the chain.
class TChainPlacer {
 public:
  explicit TChainPlacer(const std::vector<TContour>& Contours)
      : FContours(Contours), FIndex(AllBox(Contours), Contours.size()) {
    for (size_t k = 0; k < Contours.size(); ++k) FIndex.Add(k, Contours[k].Box);
  }

  // The contour's index, or -1 when the chain lies in none.
  int64_t Innermost(const TDrawingPath& Chain) const {
    TContour chain;
    chain.Polygon = FlattenPath(Chain, kCurveSamples);
    chain.Polygon.push_back(Chain.Segments.back().P3);
    if (chain.Polygon.size() == 2) {  // a line: its middle is the third vote
      const TNodeSimple a = chain.Polygon[0], b = chain.Polygon[1];
      chain.Polygon.insert(chain.Polygon.begin() + 1, {(a.X + b.X) / 2, (a.Y + b.Y) / 2});
    }
    int64_t best = -1;
    FIndex.Visit(chain.Polygon.front(), [&](size_t k) {
      if (best >= 0 && FContours[k].Area >= FContours[static_cast<size_t>(best)].Area) return;
      if (ContourInside(chain, FContours[k])) best = static_cast<int64_t>(k);
    });
    return best;
  }

 private:
  static TRectDbl AllBox(const std::vector<TContour>& Contours) {
    TRectDbl all = EmptyBox();
    for (const TContour& c : Contours) WidenBox(all, c.Box);
    return all;
  }

  const std::vector<TContour>& FContours;
  TContourIndex FIndex;
};

}  // namespace

std::vector<TJoinedPath> JoinPaths(std::vector<TDrawingPath> Paths, double Tolerance) {
  return TJoiner(Paths, Tolerance).Run();
}

int AssembleShapes(std::vector<TDrawingPath> Paths, double Tolerance, TQarvShapes& Shapes,
                   std::vector<size_t>& OutOfRange) {
  std::vector<TJoinedPath> joined = JoinPaths(std::move(Paths), Tolerance);
  std::vector<size_t> closed;
  std::vector<TContour> contours;
  for (size_t i = 0; i < joined.size(); ++i) {
    if (!joined[i].Path.Closed) continue;
    closed.push_back(i);
    contours.push_back(Flatten(joined[i].Path));
  }
  std::vector<int> depth;
  std::vector<int64_t> parent;
  NestContours(contours, depth, parent);
  // The outer contour of the shape each closed contour belongs to, by closed index.
  const auto outerOf = [&](size_t k) {
    return depth[k] % 2 == 0 ? k : static_cast<size_t>(parent[k]);
  };

  // Each shape: its first path (outer contour or open chain) and its holes, then the markings
  // inside it, by joined index.
  std::vector<std::vector<size_t>> members(joined.size());
  std::vector<std::pair<size_t, size_t>> markings;  // open chain, outer contour (closed index)
  const TChainPlacer placer(contours);
  int standAlone = 0;
  for (size_t i = 0; i < joined.size(); ++i) {
    if (joined[i].Path.Closed) continue;
    const int64_t around = placer.Innermost(joined[i].Path);
    if (around >= 0) {
      markings.emplace_back(i, outerOf(static_cast<size_t>(around)));
    } else {
      members[i].push_back(i);
      ++standAlone;
    }
  }
  for (size_t k = 0; k < closed.size(); ++k) {
    if (depth[k] % 2 == 0) members[closed[k]].insert(members[closed[k]].begin(), closed[k]);
  }
  for (size_t k = 0; k < closed.size(); ++k) {
    if (depth[k] % 2 == 1) members[closed[outerOf(k)]].push_back(closed[k]);
  }
  for (const auto& [chain, outer] : markings) members[closed[outer]].push_back(chain);

  std::vector<size_t> heads;
  for (size_t i = 0; i < joined.size(); ++i) {
    if (!members[i].empty()) heads.push_back(i);
  }
  std::stable_sort(heads.begin(), heads.end(),
                   [&](size_t a, size_t b) { return joined[a].Order < joined[b].Order; });
  const TQarvOneShape empty;
  std::vector<size_t> outOfRange;
  for (size_t k = 0; k < heads.size(); ++k) {
    const size_t head = heads[k];
    if (!std::all_of(members[head].begin(), members[head].end(),
                     [&](size_t m) { return PathFitsUnits(joined[m].Path); })) {
      outOfRange.push_back(k + 1);
      continue;
    }
    Shapes.AddShape(empty, false);
    TQarvOneShape& shape = *Shapes.GetShape(Shapes.ShapeCount() - 1);
    shape.SetColor(joined[head].Path.Color);
    for (size_t m : members[head]) AddDrawingPath(*shape.Curve(), std::move(joined[m].Path));
  }
  Shapes.UpdateBoundBox();
  OutOfRange = std::move(outOfRange);
  return standAlone;
}

}  // namespace plavo
