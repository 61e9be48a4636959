#include "nesting/place/Rasterise.h"

#include "geometry/QarvMath.h"
#include "geometry/Units.h"
#include "nesting/place/CellCover.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

namespace plavo {

namespace {

constexpr uint64_t kAllBits = ~uint64_t{0};

// A local raster beyond this many cells means the record's box is absurd; drawing it would
// exhaust memory long before it could be placed on any real sheet (10000 x 10000 mm at most).
constexpr int64_t kMaxLocalCells = int64_t{1} << 32;

// Local coordinates are kept inside this range, so that no sum or difference of two of them
// overflows (2 x 2^30 does not fit); nodes are that far out only when they were not turned to
// the placed angle.
constexpr int64_t kLocalLimit = (int64_t{1} << 30) - 1;

// Round to nearest with halves to even, independent of the floating-point environment.
int32_t RoundHalfEven(double v) {
  const double lower = std::floor(v);
  const double rest = v - lower;
  double r = lower;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(lower, 2.0) != 0.0)) r = lower + 1.0;
  return TruncSaturated(r);
}

struct TLocalPoint {
  int x = 0;
  int y = 0;
};

void WriteCell(TBooleanMatrix& M, int64_t x, int64_t y, bool Value) {
  if (x >= 0 && y >= 0 && x < M.Width() && y < M.Height()) {
    M.Set(static_cast<int>(x), static_cast<int>(y), Value);
  }
}

// Even-odd fill of every row: each cell becomes the xor of itself and all cells to its left.
// With the raster packed by column, one column xor-ed into the next does 64 rows at a time.
void XorFillRows(TBooleanMatrix& M) {
  const size_t words = M.WordsPerColumn();
  for (int u = 0; u + 1 < M.Width(); ++u) {
    const uint64_t* from = M.Column(u);
    uint64_t* to = M.Column(u + 1);
    for (size_t w = 0; w < words; ++w) to[w] ^= from[w];
  }
}

void OrInto(TBooleanMatrix& Into, const TBooleanMatrix& From) {
  const size_t words = Into.WordsPerColumn();
  for (int u = 0; u < Into.Width(); ++u) {
    uint64_t* to = Into.Column(u);
    const uint64_t* from = From.Column(u);
    for (size_t w = 0; w < words; ++w) to[w] |= from[w];
  }
}

// The Count (1 .. 64) bits of a column starting at bit From, in the low bits of the result.
uint64_t ReadBits(const uint64_t* Column, int64_t From, int Count) {
  const size_t word = static_cast<size_t>(From) >> 6;
  const int shift = static_cast<int>(From & 63);
  uint64_t bits = Column[word] >> shift;
  if (shift + Count > 64) bits |= Column[word + 1] << (64 - shift);
  return Count < 64 ? bits & ((uint64_t{1} << Count) - 1) : bits;
}

// ORs Count bits of Src starting at bit SrcFrom into Dst starting at bit DstFrom.
void OrBits(uint64_t* Dst, int64_t DstFrom, const uint64_t* Src, int64_t SrcFrom, int64_t Count) {
  while (Count > 0) {
    const int shift = static_cast<int>(DstFrom & 63);
    const int take = static_cast<int>(std::min<int64_t>(64 - shift, Count));
    Dst[static_cast<size_t>(DstFrom) >> 6] |= ReadBits(Src, SrcFrom, take) << shift;
    DstFrom += take;
    SrcFrom += take;
    Count -= take;
  }
}

// Where the local raster of a drawing lies: local cell (u, v) is sheet cell (u + SheetX,
// v + SheetY); a node at offset (x, y) from the centre lies at local (x + NodeX, y + NodeY).
struct TLocalFrame {
  int W = 0;
  int H = 0;
  int64_t NodeX = 0;
  int64_t NodeY = 0;
  int64_t SheetX = 0;
  int64_t SheetY = 0;
};

TLocalPoint ToLocal(const TLocalFrame& Frame, const TNestNode& Node) {
  const int64_t x = std::clamp<int64_t>(Node.x + Frame.NodeX, -kLocalLimit, kLocalLimit);
  const int64_t y = std::clamp<int64_t>(Node.y + Frame.NodeY, -kLocalLimit, kLocalLimit);
  return {static_cast<int>(x), static_cast<int>(y)};
}

// Writes Value to (x, y) and its four diagonal neighbours.
void StampCell(TBooleanMatrix& M, int64_t x, int64_t y, bool Value) {
  WriteCell(M, x, y, Value);
  WriteCell(M, x - 1, y - 1, Value);
  WriteCell(M, x + 1, y - 1, Value);
  WriteCell(M, x - 1, y + 1, Value);
  WriteCell(M, x + 1, y + 1, Value);
}

// A bridge line between two parts of a shape. A stamp reaches one cell beyond its centre, so
// centres more than one cell outside the raster are not visited.
void DrawBridge(TBooleanMatrix& M, TLocalPoint P0, TLocalPoint P1, bool Value) {
  if (P0.x == P1.x && P0.y == P1.y) return;
  const int xmin = std::min(P0.x, P1.x);
  const int xmax = std::max(P0.x, P1.x);
  const int ymin = std::min(P0.y, P1.y);
  const int ymax = std::max(P0.y, P1.y);
  const int xlo = std::max(xmin, -1);
  const int xhi = std::min(xmax, M.Width());
  const int ylo = std::max(ymin, -1);
  const int yhi = std::min(ymax, M.Height());
  if (P0.x != P1.x && P0.y != P1.y) {
    const double m = static_cast<double>(P1.y - P0.y) / static_cast<double>(P1.x - P0.x);
    const double b = P0.y - P0.x * m;
    for (int y = ylo; y <= yhi; ++y) StampCell(M, TruncSaturated((y - b) / m), y, Value);
    for (int x = xlo; x <= xhi; ++x) StampCell(M, x, TruncSaturated(x * m + b), Value);
    WriteCell(M, TruncSaturated((ymax - b) / m), ymax, Value);
  } else if (P0.x == P1.x) {
    for (int y = ylo; y <= yhi; ++y) StampCell(M, P0.x, y, Value);
    WriteCell(M, P0.x, ymax, Value);
  } else {
    for (int x = xlo; x <= xhi; ++x) StampCell(M, x, P0.y, Value);
    WriteCell(M, int64_t{xmax} + 1, P0.y, Value);
  }
}

// ORs the occupied cells of L into the sheet where both lie on the usable sheet: never column or
// row 0, never beyond the usable sheet or the sheet's raster.
void CopyIntoSheet(const TEngineState& E, const TLocalFrame& Frame, const TBooleanMatrix& L,
                   TBooleanMatrix& Sheet, bool Plain) {
  const TeNestParameters& p = E.NestParams;
  const int64_t x0 = std::max<int64_t>(1, Frame.SheetX);
  const int64_t y0 = std::max<int64_t>(1, Frame.SheetY);
  int64_t x1 = std::min<int64_t>({p.Media_W, Sheet.Width() - 1, Frame.SheetX + L.Width() - 1});
  int64_t y1 = std::min<int64_t>({p.Media_H, Sheet.Height() - 1, Frame.SheetY + L.Height() - 1});
  if (x0 > x1 || y0 > y1) return;
  for (int64_t x = x0; x <= x1; ++x) {
    const int u = static_cast<int>(x - Frame.SheetX);
    if (Plain) {
      for (int64_t y = y0; y <= y1; ++y) {
        if (L.Get(u, static_cast<int>(y - Frame.SheetY))) {
          Sheet.SetOccupied(static_cast<int>(x), static_cast<int>(y));
        }
      }
    } else {
      OrBits(Sheet.Column(static_cast<int>(x)), y0, L.Column(u), y0 - Frame.SheetY, y1 - y0 + 1);
    }
  }
}

// Cells of Open reached from Seeds moving up (toward higher bits) through consecutive open
// cells. Adding a seed to a run of ones clears the run from the seed up, so the changed bits
// are the reached ones; seeds sitting inside an already cleared stretch are added back.
uint64_t FillUp(uint64_t Seeds, uint64_t Open) {
  Seeds &= Open;
  return ((Open ^ (Open + Seeds)) | Seeds) & Open;
}

// The same moving down, by doubling shifts.
uint64_t FillDown(uint64_t Seeds, uint64_t Open) {
  uint64_t gen = Seeds & Open;
  uint64_t pro = Open;
  gen |= pro & (gen >> 1);
  pro &= pro >> 1;
  gen |= pro & (gen >> 2);
  pro &= pro >> 2;
  gen |= pro & (gen >> 4);
  pro &= pro >> 4;
  gen |= pro & (gen >> 8);
  pro &= pro >> 8;
  gen |= pro & (gen >> 16);
  pro &= pro >> 16;
  gen |= pro & (gen >> 32);
  return gen;
}

// Closes the reached cells of word row w under moves along the rows and up (Upward) or down
// within the word. Each round takes a path at least one row further, so a block of 64 rows
// needs at most 65 rounds, usually two or three.
void CloseBlock(TBooleanMatrix& Reached, const TBooleanMatrix& L, size_t w, uint64_t Rows,
                bool Upward) {
  const int W = L.Width();
  const auto open = [&](int u) { return ~L.Column(u)[w] & Rows; };
  for (;;) {
    for (int u = 0; u < W; ++u) {
      uint64_t& r = Reached.Column(u)[w];
      r = Upward ? FillUp(r, open(u)) : FillDown(r, open(u));
    }
    // Closed along the columns now; done unless the rows spread it further.
    bool grew = false;
    for (int u = 1; u < W; ++u) {
      uint64_t& r = Reached.Column(u)[w];
      const uint64_t grown = r | (Reached.Column(u - 1)[w] & open(u));
      grew |= grown != r;
      r = grown;
    }
    for (int u = W - 2; u >= 0; --u) {
      uint64_t& r = Reached.Column(u)[w];
      const uint64_t grown = r | (Reached.Column(u + 1)[w] & open(u));
      grew |= grown != r;
      r = grown;
    }
    if (!grew) return;
  }
}

bool FillsHoles(const TEngineState& E, const TNestOneRec& Rec) {
  if (E.NestParams.PlaceInside_Enable) return false;
  if ((Rec.UserAttr & kUserContainerMask) != 0) return false;
  return std::any_of(Rec.Sbp.begin(), Rec.Sbp.end(),
                     [](const TNestSbpOneRec& s) { return (s.Attr & kSbpOuter) == 0; });
}

// Record i's placement, checked: placed on a sheet that exists, at a trial angle it has.
const TNestPlacedShape& CheckedPlace(const TEngineState& E, int i) {
  if (i < 0 || static_cast<size_t>(i) >= E.NestRecords.Shape.size()) {
    throw std::out_of_range("drawing record " + std::to_string(i) + ": no such record");
  }
  const TNestOneRec& rec = E.NestRecords.Shape[static_cast<size_t>(i)];
  const TNestPlacedShape& place = rec.Place;
  if (!place.placed) return place;
  if (place.sheetNo < 0 || place.sheetNo >= static_cast<int>(E.Blocks.Item.size())) {
    throw std::out_of_range("drawing record " + std::to_string(i) + ": sheet " +
                            std::to_string(place.sheetNo) + " does not exist");
  }
  if (place.AngC < 0 || static_cast<size_t>(place.AngC) >= rec.AnglesSRR.Item.size()) {
    throw std::out_of_range("drawing record " + std::to_string(i) + ": trial angle " +
                            std::to_string(place.AngC) + " does not exist");
  }
  return place;
}

// The outline as cut of record i at trial angle j; null for a record without nodes, which has
// nothing to draw.
const TCutAngle* CutOf(const TNestOneRec& Rec, int j, int i) {
  const TCutAngle* cut = Rec.AnglesSRR.Item[static_cast<size_t>(j)].Cut.get();
  const bool nodes = std::any_of(Rec.Sbp.begin(), Rec.Sbp.end(),
                                 [](const TNestSbpOneRec& s) { return NodeCountOf(s) > 0; });
  if (cut == nullptr && nodes) {
    throw std::logic_error("drawing record " + std::to_string(i) + ": trial angle " +
                           std::to_string(j) + " has no outline as cut");
  }
  return cut;
}

// The local frame of record i at trial angle j, its centre at sheet cell (X, Y): its box at the
// angle widened by Margin cells on every side.
TLocalFrame FrameAt(const TNestOneRec& Rec, int i, int j, int64_t X, int64_t Y, int Margin) {
  const TNestRectInt& R = Rec.AnglesSRR.Item[static_cast<size_t>(j)].Rect;
  const int64_t w = int64_t{R.Right} - R.Left + 2 * int64_t{Margin} + 1;
  const int64_t h = int64_t{R.Top} - R.Bottom + 2 * int64_t{Margin} + 1;
  if (w <= 0 || h <= 0 || w > kLocalLimit || h > kLocalLimit || w * h > kMaxLocalCells) {
    throw std::length_error("drawing record " + std::to_string(i) + ": its box of " +
                            std::to_string(w) + " x " + std::to_string(h) +
                            " cells cannot be drawn");
  }
  TLocalFrame frame;
  frame.W = static_cast<int>(w);
  frame.H = static_cast<int>(h);
  frame.NodeX = Margin - int64_t{R.Left};
  frame.NodeY = Margin - int64_t{R.Bottom};
  frame.SheetX = int64_t{R.Left} + X - Margin;
  frame.SheetY = int64_t{R.Bottom} + Y - Margin;
  return frame;
}

TLocalFrame FrameOf(const TEngineState& E, int i) {
  const TNestOneRec& rec = E.NestRecords.Shape[static_cast<size_t>(i)];
  return FrameAt(rec, i, rec.Place.AngC, rec.Place.x, rec.Place.y, FrameMargin(E));
}

// The cells the shape covers: every cell whose centre lies inside it (its holes and the regions
// its parts close in filled when nothing may be placed there) and every cell its outline
// touches.
void FillShape(const TEngineState& E, const TNestOneRec& Rec, const TCutAngle& Cut,
               TBezierNode Origin, TBooleanMatrix& L, bool Plain) {
  const bool fillHoles = FillsHoles(E, Rec);
  TBooleanMatrix F;
  if (fillHoles) F.Resize(L.Width(), L.Height());
  for (const TCutRing& ring : Cut.Rings) {
    ToggleRingCrossings(L, fillHoles && ring.Hole ? &F : nullptr, ring, Origin);
  }
  XorFillRows(L);
  if (fillHoles) {
    XorFillRows(F);
    OrInto(L, F);
  }
  MarkOutlineCells(L, Cut.Rings, Origin, Cut.Pad, Plain);
  if (fillHoles) {
    F.Fill(true);
    FillEnclosed(L, F);
    OrInto(L, F);
  }
}

// The drawing of record i at trial angle j in its local frame, before it goes onto the sheet.
// The bridges come from the record's nodes, which must be turned to the angle.
TBooleanMatrix DrawLocal(const TEngineState& E, int i, int j, const TLocalFrame& frame,
                         bool DoDilate, bool DoFill, bool DoErase, bool Plain) {
  const TNestOneRec& rec = E.NestRecords.Shape[static_cast<size_t>(i)];
  TBooleanMatrix L(frame.W, frame.H);
  const TCutAngle* cut = CutOf(rec, j, i);
  if (cut == nullptr) return L;
  const TBezierNode origin{static_cast<double>(frame.NodeX), static_cast<double>(frame.NodeY)};
  if (DoFill) FillShape(E, rec, *cut, origin, L, Plain);

  // Bridges come after the fill, so they close in nothing. A sub-path without nodes has no
  // node 0 and is skipped.
  if (((DoFill && DoDilate) || DoErase) && rec.Sbp.size() > 1) {
    for (size_t k = 0; k + 1 < rec.Sbp.size(); ++k) {
      const TNestSbpOneRec& a = rec.Sbp[k];
      const TNestSbpOneRec& b = rec.Sbp[k + 1];
      if (NodeCountOf(a) == 0 || NodeCountOf(b) == 0) continue;
      DrawBridge(L, ToLocal(frame, a.Node[0]), ToLocal(frame, b.Node[0]), !DoErase);
    }
  }

  if (DoDilate) MarkOutlineCells(L, cut->Rings, origin, E.Exact.Distance + cut->Pad, Plain);
  return L;
}

void CopyLocal(TEngineState& E, int i, const TLocalFrame& Frame, const TBooleanMatrix& L,
               bool Plain) {
  const TNestOneRec& rec = E.NestRecords.Shape[static_cast<size_t>(i)];
  CopyIntoSheet(E, Frame, L, E.Blocks.Item[static_cast<size_t>(rec.Place.sheetNo)].m, Plain);
}

void DrawRecord(TEngineState& E, int i, bool DoDilate, bool DoFill, bool DoErase, bool Plain) {
  const TNestPlacedShape& place = CheckedPlace(E, i);
  if (!place.placed) return;
  const TLocalFrame frame = FrameOf(E, i);
  const TBooleanMatrix L = DrawLocal(E, i, place.AngC, frame, DoDilate, DoFill, DoErase, Plain);
  CopyLocal(E, i, frame, L, Plain);
}

}  // namespace

void DrawPlacedShape(TEngineState& E, int i, bool Dilate, bool Fill, bool Erase) {
  // CheckedPlace first: it refuses a record that does not exist.
  const bool placed = CheckedPlace(E, i).placed;
  const TNestOneRec& rec = E.NestRecords.Shape[static_cast<size_t>(i)];
  if (!(Dilate && Fill && !Erase && placed && rec.CopyGroup >= 0)) {
    DrawRecord(E, i, Dilate, Fill, Erase, false);
    return;
  }
  // Copies at one trial angle draw the same cells: drawn once, put down at each place.
  const void* cut = rec.AnglesSRR.Item[static_cast<size_t>(rec.Place.AngC)].Cut.get();
  if (const TBooleanMatrix* kept = E.CopySearch.Drawn(cut)) {
    StampDrawnCells(E, i, *kept);
    return;
  }
  TBooleanMatrix cells = DrawnCells(E, i);
  StampDrawnCells(E, i, cells);
  E.CopySearch.KeepDrawn(cut, std::move(cells));
}

TBooleanMatrix DrawnCells(TEngineState& E, int i) {
  const TNestPlacedShape& place = CheckedPlace(E, i);
  if (!place.placed) return TBooleanMatrix{};
  return DrawLocal(E, i, place.AngC, FrameOf(E, i), true, true, false, false);
}

TBooleanMatrix ShapeCells(TEngineState& E, int i) {
  const TNestPlacedShape& place = CheckedPlace(E, i);
  if (!place.placed) return TBooleanMatrix{};
  return DrawLocal(E, i, place.AngC, FrameOf(E, i), false, true, false, false);
}

std::vector<TCellRun> ShapeCellRuns(const TEngineState& E, int i, int j) {
  const TNestOneRec& rec = E.NestRecords.Shape[static_cast<size_t>(i)];
  const TLocalFrame frame = FrameAt(rec, i, j, 0, 0, 1);
  const TBooleanMatrix L = DrawLocal(E, i, j, frame, false, true, false, false);
  return OccupiedRuns(L, static_cast<int>(frame.NodeX), static_cast<int>(frame.NodeY));
}

int FrameMargin(const TEngineState& E) {
  // A cell of the drawing lies within the distance and the widest pad of an outline point, and
  // every outline point lies in a cell of the box: at most floor(reach) + 1 cells beyond it.
  return static_cast<int>(std::floor(E.Exact.Distance + kCutFlatness + kCutSlop)) + 1;
}

void StampDrawnCells(TEngineState& E, int i, const TBooleanMatrix& Cells) {
  if (!CheckedPlace(E, i).placed) return;
  const TLocalFrame frame = FrameOf(E, i);
  if (Cells.Width() != frame.W || Cells.Height() != frame.H) {
    throw std::invalid_argument("drawing record " + std::to_string(i) +
                                ": the cells were drawn at another trial angle");
  }
  CopyLocal(E, i, frame, Cells, false);
}

void DrawPlacedShapePlain(TEngineState& E, int i, bool Dilate, bool Fill, bool Erase) {
  DrawRecord(E, i, Dilate, Fill, Erase, true);
}

// The two passes free a run of a row when the run touches the border or a cell freed before
// it: the forward pass (rows upward) from the row below, the backward pass (rows downward) from
// the row above. So the forward pass frees exactly the cells the border reaches through free
// cells moving left, right and up; the backward pass adds what those reach moving left, right
// and down. Both are computed here 64 rows at a time, on the column words.
void FillEnclosed(const TBooleanMatrix& L, TBooleanMatrix& F) {
  const int W = L.Width();
  const int H = L.Height();
  if (F.Width() != W || F.Height() != H) {
    throw std::invalid_argument("FillEnclosed: rasters of different sizes");
  }
  if (W == 0 || H == 0) return;
  const size_t words = L.WordsPerColumn();
  const auto rowsOf = [&](size_t w) {
    const int rest = static_cast<int>(H - static_cast<int64_t>(w) * 64);
    return rest >= 64 ? kAllBits : (uint64_t{1} << rest) - 1;
  };
  const auto open = [&](int u, size_t w) { return ~L.Column(u)[w] & rowsOf(w); };
  TBooleanMatrix reached(W, H);

  const size_t topWord = static_cast<size_t>(H - 1) >> 6;
  const uint64_t topRow = uint64_t{1} << ((H - 1) & 63);
  for (size_t w = 0; w < words; ++w) {
    for (int u = 0; u < W; ++u) {
      uint64_t seeds = u == 0 || u == W - 1 ? kAllBits : 0;
      if (w == 0) seeds |= 1;
      if (w == topWord) seeds |= topRow;
      if (w > 0) seeds |= reached.Column(u)[w - 1] >> 63;
      reached.Column(u)[w] = seeds & open(u, w);
    }
    CloseBlock(reached, L, w, rowsOf(w), true);
  }
  for (size_t w = words; w-- > 0;) {
    if (w + 1 < words) {
      for (int u = 0; u < W; ++u) {
        reached.Column(u)[w] |= (reached.Column(u)[w + 1] << 63) & open(u, w);
      }
    }
    CloseBlock(reached, L, w, rowsOf(w), false);
  }
  for (int u = 0; u < W; ++u) {
    for (size_t w = 0; w < words; ++w) F.Column(u)[w] &= ~reached.Column(u)[w];
  }
}

// Nodes go to the nearest cell: cutting them toward the centre would shrink every shape by up
// to a cell on each side and let two neighbours come almost two cells closer than the distance.
void RotateNestShape(TNestOneRec& Rec, double A) {
  auto turn = [A](TNestNode& n) {
    const double t = A + n.a;
    n.x = RoundHalfEven(std::cos(t) * n.q);
    n.y = RoundHalfEven(std::sin(t) * n.q);
  };
  for (TNestSbpOneRec& sbp : Rec.Sbp) std::for_each(sbp.Node.begin(), sbp.Node.end(), turn);
  std::for_each(Rec.CPS.begin(), Rec.CPS.end(), turn);
}

double DirectionAngle(int x0, int y0, int x1, int y1) {
  return LineAngle(x0, y0, x1, y1);
}

}  // namespace plavo
