#include "nesting/place/PositionSearch.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "nesting/model/CutOutline.h"
#include "nesting/place/Rasterise.h"
#include "nesting/place/SearchRaster.h"
#include "nesting/place/Sheets.h"

namespace plavo {

namespace {

const TBooleanMatrix& SheetRaster(const TEngineState& E, int s) {
  return E.Blocks.Item[s].m;
}

int NodeTotal(const TNestSbpOneRec& Sbp) {
  return std::clamp<int>(Sbp.NodeCount, 0, static_cast<int>(Sbp.Node.size()));
}

int SubPathTotal(const TNestOneRec& Rec) {
  return std::clamp<int>(Rec.SbpCount, 0, static_cast<int>(Rec.Sbp.size()));
}

// A record whose active outline has no node has nothing to test; the search never places it.
bool HasOutlineNodes(const TNestOneRec& Rec) {
  for (int k = 0; k < SubPathTotal(Rec); ++k) {
    if (NodeTotal(Rec.Sbp[k]) > 0) return true;
  }
  return false;
}

// A step of 0 would never advance the row and column loops.
int SearchStep(const TeNestParameters& P) {
  return std::max<int>(P.Pass_OXY, 1);
}

// Percent of the accepted shape's height that a candidate further from the origin edge must lie
// lower; a factor that is not a number or a huge product cannot overflow the truncation.
int PreferencePercent(const TeNestParameters& P, double Factor) {
  const double v = P.Align_Left_Percent * Factor;
  if (!(v > 0.0)) return 0;
  return static_cast<int>(std::min(v, 1.0e6));
}

int SaturatedInt(int64_t Value) {
  return static_cast<int>(
      std::clamp<int64_t>(Value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

bool Record(TCollision& C, int x, int y) {
  C.cx = x;
  C.cy = y;
  return false;
}

bool ProbeNodeFree(const TBooleanMatrix& M, int x, int y, TCollision& C) {
  return CellBlocked(M, x, y) ? Record(C, x, y) : true;
}

// The probe's characteristic points only guess; one beyond the sheet counts as free here, and
// the node test that follows keeps the shape on the sheet.
bool ProbePointFree(const TBooleanMatrix& M, int x, int y, TCollision& C) {
  return M.GetSafe(x, y) ? Record(C, x, y) : true;
}

// A segment steeper than 45 degrees: one cell per row, x = trunc(Px + dx (y - Py) / dy). The
// quotient of the integers truncates toward zero exactly like the floating-point form. Rows that
// share a column are read as one run.
bool SteepSegmentFree(const TBooleanMatrix& M, int px, int py, int64_t dx, int64_t dy,
                      TCollision& C) {
  const int y0 = dy > 0 ? py : py + static_cast<int>(dy);
  const int y1 = dy > 0 ? py + static_cast<int>(dy) : py;
  const int64_t base = static_cast<int64_t>(px) * dy;
  int runStart = y0;
  int runX = static_cast<int>((base + dx * (y0 - py)) / dy);
  for (int y = y0 + 1; y <= y1 + 1; ++y) {
    const int x = y <= y1 ? static_cast<int>((base + dx * (y - py)) / dy) : runX + 1;
    if (x == runX) continue;
    int hit = 0;
    if (FirstBlockedInColumn(M, runX, runStart, y - 1, hit)) return Record(C, runX, hit);
    runStart = y;
    runX = x;
  }
  return true;
}

// The cells of one outline segment from P to Q in the fixed order of the edge test; false at the
// first occupied one, which is recorded.
bool SegmentFree(const TBooleanMatrix& M, int px, int py, int qx, int qy, TCollision& C) {
  if (px == qx) {
    const int y0 = std::min(py, qy);
    const int y1 = std::max(py, qy);
    int hit = 0;
    return FirstBlockedInColumn(M, px, y0, y1, hit) ? Record(C, px, hit) : true;
  }
  if (py == qy) {
    const int x0 = std::min(px, qx);
    const int x1 = std::max(px, qx);
    for (int x = x0; x <= x1; ++x) {
      if (CellBlocked(M, x, py)) return Record(C, x, py);
    }
    return true;
  }
  const int64_t dx = static_cast<int64_t>(qx) - px;
  const int64_t dy = static_cast<int64_t>(qy) - py;
  if (std::llabs(dx) < std::llabs(dy)) return SteepSegmentFree(M, px, py, dx, dy, C);
  // x runs along the segment; y = trunc(Py + dy (x - Px) / dx). The quotient of the integers is
  // exact in integer arithmetic and truncates toward zero like the floating-point form.
  const int x0 = std::min(px, qx);
  const int x1 = std::max(px, qx);
  for (int x = x0; x <= x1; ++x) {
    const int y = static_cast<int>((py * dx + dy * (x - px)) / dx);
    if (CellBlocked(M, x, y)) return Record(C, x, y);
  }
  return true;
}

const TNestNode* FirstNode(const TNestOneRec& Rec) {
  for (int k = 0; k < SubPathTotal(Rec); ++k) {
    if (NodeTotal(Rec.Sbp[k]) > 0) return &Rec.Sbp[k].Node[0];
  }
  return nullptr;
}

bool FitsEverywhere(const TEngineState& E, int i, int x, int y, int s, TCollision& C) {
  const int j = E.NestRecords.Shape[i].Place.AngC;
  return ProbeFit(E, i, x, y, s, C) && NodesFit(E, i, x, y, s, C) && CellsFit(E, i, j, x, y, s, C);
}

// What the accepting search tests: the shape's nodes and cells (the guarantee), not the probe.
bool PlaceFits(const TEngineState& E, int i, int x, int y) {
  const TNestPlacedShape& p = E.NestRecords.Shape[i].Place;
  TCollision c;
  return NodesFit(E, i, x, y, p.sheetNo, c) && CellsFit(E, i, p.AngC, x, y, p.sheetNo, c);
}

// The joins between closed sub-paths, from the last node of each to the last node of the one
// before (the first to the first node): the bridges the drawing adds.
bool JoinsFit(const TEngineState& E, int i, int x, int y, int s, TCollision& C) {
  const TNestOneRec& rec = E.NestRecords.Shape[i];
  const TBooleanMatrix& m = SheetRaster(E, s);
  const TNestNode* join = FirstNode(rec);
  if (join == nullptr) return true;
  int jx = x + join->x;
  int jy = y + join->y;
  for (int k = 0; k < SubPathTotal(rec); ++k) {
    const TNestSbpOneRec& sbp = rec.Sbp[k];
    const int n = NodeTotal(sbp);
    if ((sbp.Attr & kSbpClosed) == 0 || n == 0) continue;
    const int px = x + sbp.Node[n - 1].x;
    const int py = y + sbp.Node[n - 1].y;
    if (!SegmentFree(m, px, py, jx, jy, C)) return false;
    jx = px;
    jy = py;
  }
  return true;
}

// One trial angle of one sheet: the column loop with its row loops. Accepting a candidate lowers
// TopLimit, so later angles and sheets only look below it.
struct TAngleSearch {
  TEngineState& E;
  int i;
  int s;
  int Step;
  int Pct;
  int& TopLimit;
  TCopyRowsEntry* Copies = nullptr;  // what is proved for the copies of this shape on sheet s
  int16_t* ProvedFrom = nullptr;     // the entry's columns at the trial angle searched; null: none
  int16_t* ProvedRow = nullptr;
  double Angle = 0.0;   // the trial angle searched, radians
  bool Turned = false;  // the record's nodes are turned to it (only once a row is tested)
};

// The rows of column Col at the trial angle searched that the copies' search proved taken: From
// and Row of the entry, or null when nothing is kept (no copy, an angle of no slot).
struct TProvedRows {
  int16_t* From = nullptr;
  int16_t* Row = nullptr;
};

TProvedRows ProvedRows(const TAngleSearch& S, int Col) {
  if (S.ProvedFrom == nullptr || Col < 0 || Col >= S.Copies->Columns) return {};
  return {S.ProvedFrom + Col, S.ProvedRow + Col};
}

// Points the search at the entry's columns of trial angle j.
void ChooseProvedAngle(TAngleSearch& S, int j) {
  S.ProvedFrom = S.ProvedRow = nullptr;
  if (S.Copies == nullptr) return;
  const TNestOneRec& rec = S.E.NestRecords.Shape[S.i];
  const int slot = S.Copies->Slot(rec.AnglesSRR.Item[static_cast<size_t>(j)].Cut.get());
  if (slot < 0) return;
  const size_t k = static_cast<size_t>(slot) * static_cast<size_t>(S.Copies->Columns);
  S.ProvedFrom = S.Copies->From.data() + k;
  S.ProvedRow = S.Copies->Row.data() + k;
}

void Accept(TAngleSearch& S, int Col, int u, int j) {
  TNestOneRec& rec = S.E.NestRecords.Shape[S.i];
  const TNestAngleOneRect& angle = rec.AnglesSRR.Item[j];
  TNestPlacedShape& p = rec.Place;
  p.x = Col;
  p.y = u;
  p.AngC = j;
  p.a = angle.Value;
  S.TopLimit = u + angle.Rect.Top;
  p.TopY = S.TopLimit;
  const int bottom = u + angle.Rect.Bottom;
  p.VeryMinY = p.placed ? std::min(p.VeryMinY, bottom) : bottom;
  p.placed = true;
  p.sheetNo = S.s;
}

// True when the preference for the origin edge turns the candidate down without a full test:
// it lies beyond the accepted shape's right edge without being lower by pct percent of its top
// extent plus one step.
bool PreferenceRejects(const TAngleSearch& S, int Col, int u, const TNestRectInt& Rj) {
  const TNestOneRec& rec = S.E.NestRecords.Shape[S.i];
  const TNestPlacedShape& p = rec.Place;
  if (!p.placed) return false;
  const TNestRectInt& ra = rec.AnglesSRR.Item[p.AngC].Rect;
  if (static_cast<int64_t>(Col) + Rj.Right <= static_cast<int64_t>(p.x) + ra.Right) return false;
  const double raised = static_cast<double>(static_cast<int64_t>(ra.Top) * (S.Pct + 100)) / 100.0;
  return S.TopLimit < u + raised + S.Step;
}

void SearchColumn(TAngleSearch& S, int j, int Col, int YStart, int& YLimit) {
  const TNestRectInt& rj = S.E.NestRecords.Shape[S.i].AnglesSRR.Item[j].Rect;
  const TBooleanMatrix& m = SheetRaster(S.E, S.s);
  // A copy starts above the rows an earlier copy proved taken on the same rows of the search.
  const TProvedRows proved = ProvedRows(S, Col);
  int from = YStart;
  int u = YStart;
  if (proved.From != nullptr && *proved.From >= 0 && *proved.From <= YStart &&
      *proved.Row >= YStart && (YStart - *proved.From) % S.Step == 0) {
    from = *proved.From;
    u = *proved.Row;
  }
  int provedTo = -1;  // the first row not proved taken, once known
  for (; u < YLimit; u += S.Step) {
    if (!S.Turned) {
      RotateNestShape(S.E.NestRecords.Shape[S.i], S.Angle);
      S.Turned = true;
    }
    TCollision c;
    // The probe decides only whether a position the preference rule turns down gets the full
    // test anyway (when the probe finds it occupied). Its collision never drives the skip: the
    // full tests record their own, or a rejected position records none.
    const bool test = !(PreferenceRejects(S, Col, u, rj) && ProbeFit(S.E, S.i, Col, u, S.s, c));
    if (test && NodesFit(S.E, S.i, Col, u, S.s, c) && CellsFit(S.E, S.i, j, Col, u, S.s, c)) {
      Accept(S, Col, u, j);
      YLimit = u;
      if (provedTo < 0) provedTo = u;
    } else if (!test) {
      if (provedTo < 0) provedTo = u;
    } else if (c.cx >= 0) {
      // The same outline point would hit the next occupied cell: skip those rows untested.
      const int skipped = OccupiedStrideRun(m, c.cx, c.cy, S.Step, YLimit);
      u += skipped * S.Step;
    }
  }
  if (proved.From == nullptr) return;
  if (provedTo < 0) provedTo = u;
  if (from > INT16_MAX || provedTo > INT16_MAX) return;
  *proved.From = static_cast<int16_t>(from);
  *proved.Row = static_cast<int16_t>(provedTo);
}

void SearchAngle(TAngleSearch& S, int j, int StartRow) {
  TNestOneRec& rec = S.E.NestRecords.Shape[S.i];
  const TNestAngleOneRect& angle = rec.AnglesSRR.Item[j];
  // The nodes are turned once a row is tested: a copy whose rows are all proved taken at this
  // angle needs no turn.
  S.Angle = angle.Value;
  S.Turned = false;
  if (S.Copies == nullptr) {
    RotateNestShape(rec, angle.Value);
    S.Turned = true;
  }
  ChooseProvedAngle(S, j);
  const TNestRectInt& r = angle.Rect;
  const TeNestParameters& p = S.E.NestParams;
  const int64_t xmin = 1 + std::llabs(static_cast<int64_t>(r.Left));
  const int64_t xmax = static_cast<int64_t>(p.Media_W) - 1 - r.Right;
  if (xmin > xmax) return;
  const int64_t ystart =
      static_cast<int64_t>(StartRow) + std::llabs(static_cast<int64_t>(r.Bottom));
  const int64_t ylimit = static_cast<int64_t>(S.TopLimit) - r.Top;
  if (ystart >= ylimit) return;
  int yLimit = static_cast<int>(ylimit);
  const int yStart = static_cast<int>(ystart);
  const int lo = static_cast<int>(xmin);
  const int hi = static_cast<int>(xmax);
  // Coarse steps, then the last columns before the far edge one by one.
  if (p.Origin_point) {
    for (int col = lo; col <= hi; col += col < hi - 2 * S.Step ? S.Step : 1) {
      SearchColumn(S, j, col, yStart, yLimit);
    }
  } else {
    for (int col = hi; col >= lo; col -= col > lo + 2 * S.Step ? S.Step : 1) {
      SearchColumn(S, j, col, yStart, yLimit);
    }
  }
}

// Refinement moves: each walks from one coarse step back toward the accepted cell and stops at
// the first position that fits, keeping one cell back from it when that cell fits as well. It
// need not: a shape may fit in a gap one cell high below another shape's band and not one cell
// further up, where it would come within the distance of that shape.
void RefineDown(TEngineState& E, int i, const TNestRectInt& R, int Step) {
  TNestPlacedShape& p = E.NestRecords.Shape[i].Place;
  const TBooleanMatrix& m = SheetRaster(E, p.sheetNo);
  const int64_t from = std::max<int64_t>(1 + std::llabs(static_cast<int64_t>(R.Bottom)),
                                         static_cast<int64_t>(p.y) - Step);
  for (int64_t y = from; y < p.y; ++y) {
    TCollision c;
    if (FitsEverywhere(E, i, p.x, static_cast<int>(y), p.sheetNo, c)) {
      p.y = static_cast<int>(y) + (PlaceFits(E, i, p.x, static_cast<int>(y) + 1) ? 1 : 0);
      return;
    }
    y += OccupiedStrideRun(m, c.cx, c.cy, 1, p.y);
  }
}

void RefineTowardLeft(TEngineState& E, int i, const TNestRectInt& R, int Step) {
  TNestPlacedShape& p = E.NestRecords.Shape[i].Place;
  const TBooleanMatrix& m = SheetRaster(E, p.sheetNo);
  const int64_t from = std::max<int64_t>(1 + std::llabs(static_cast<int64_t>(R.Left)),
                                         static_cast<int64_t>(p.x) - Step);
  for (int64_t x = from; x < p.x; ++x) {
    TCollision c;
    if (FitsEverywhere(E, i, static_cast<int>(x), p.y, p.sheetNo, c)) {
      p.x = static_cast<int>(x) + (PlaceFits(E, i, static_cast<int>(x) + 1, p.y) ? 1 : 0);
      return;
    }
    while (c.cx < p.x && SkipReadOccupied(m, c.cx + 1, c.cy)) {
      ++x;
      ++c.cx;
    }
  }
}

void RefineTowardRight(TEngineState& E, int i, const TNestRectInt& R, int Step) {
  TNestPlacedShape& p = E.NestRecords.Shape[i].Place;
  const TBooleanMatrix& m = SheetRaster(E, p.sheetNo);
  const int64_t from = std::min<int64_t>(
      static_cast<int64_t>(p.x) + Step,
      static_cast<int64_t>(E.NestParams.Media_W) - 1 - std::llabs(static_cast<int64_t>(R.Right)));
  for (int64_t x = from; x > p.x; --x) {
    TCollision c;
    if (FitsEverywhere(E, i, static_cast<int>(x), p.y, p.sheetNo, c)) {
      p.x = static_cast<int>(x) - (PlaceFits(E, i, static_cast<int>(x) - 1, p.y) ? 1 : 0);
      return;
    }
    while (c.cx > p.x && SkipReadOccupied(m, c.cx - 1, c.cy)) {
      --x;
      --c.cx;
    }
  }
}

}  // namespace

TLookAlikeStart LookAlikeStart(const TEngineState& E, int i) {
  TLookAlikeStart start;
  const std::vector<TNestOneRec>& shapes = E.NestRecords.Shape;
  const int like = shapes[i].LooksLike;
  if (like == 0) return start;
  for (int k = 0; k < static_cast<int>(shapes.size()); ++k) {
    const TNestOneRec& other = shapes[k];
    if (k == i || !other.Place.placed || other.LooksLike != like) continue;
    if (other.Place.sheetNo > start.Sheet) {
      start.Sheet = other.Place.sheetNo;
      start.Row = other.Place.VeryMinY;
    } else if (other.Place.sheetNo == start.Sheet) {
      start.Row = std::max(start.Row, other.Place.VeryMinY);
    }
  }
  return start;
}

bool ProbeFit(const TEngineState& E, int i, int x, int y, int s, TCollision& C) {
  const TNestOneRec& rec = E.NestRecords.Shape[i];
  const TBooleanMatrix& m = SheetRaster(E, s);
  if (rec.CenterIsOnShape && !ProbeNodeFree(m, x, y, C)) return false;
  for (int k = 4; k <= 7; ++k) {
    if (!ProbePointFree(m, x + rec.CPS[k].x, y + rec.CPS[k].y, C)) return false;
  }
  C = TCollision{};
  return true;
}

bool NodesFit(const TEngineState& E, int i, int x, int y, int s, TCollision& C) {
  const TNestOneRec& rec = E.NestRecords.Shape[i];
  const TBooleanMatrix& m = SheetRaster(E, s);
  for (int k = 0; k < SubPathTotal(rec); ++k) {
    const TNestSbpOneRec& sbp = rec.Sbp[k];
    const int n = NodeTotal(sbp);
    for (int e = 0; e < n; ++e) {
      const int cx = x + sbp.Node[e].x;
      const int cy = y + sbp.Node[e].y;
      if (CellBlocked(m, cx, cy)) return Record(C, cx, cy);
    }
  }
  return true;
}

bool CellsFit(const TEngineState& E, int i, int j, int x, int y, int s, TCollision& C) {
  const TNestOneRec& rec = E.NestRecords.Shape[i];
  const TCutAngle* cut = rec.AnglesSRR.Item[j].Cut.get();
  // Nothing to keep apart from others, or an angle larger than any sheet: never placed.
  if (cut == nullptr || cut->Cells.empty()) return false;
  const TBooleanMatrix& m = SheetRaster(E, s);
  for (const TCellRun& r : cut->Cells) {
    int hit = 0;
    if (FirstBlockedInColumn(m, x + r.Column, y + r.Low, y + r.High, hit)) {
      return Record(C, x + r.Column, hit);
    }
  }
  return JoinsFit(E, i, x, y, s, C);
}

void RefinePlace(TEngineState& E, int i) {
  TNestOneRec& rec = E.NestRecords.Shape[i];
  RotateNestShape(rec, rec.Place.a);
  const TNestRectInt r = rec.AnglesSRR.Item[rec.Place.AngC].Rect;
  const int step = SearchStep(E.NestParams);
  RefineDown(E, i, r, step);
  if (E.NestParams.Origin_point) {
    RefineTowardLeft(E, i, r, step);
  } else {
    RefineTowardRight(E, i, r, step);
  }
  RefineDown(E, i, r, step);
}

bool FindPlace(TEngineState& E, int i, double Factor, int& Score) {
  TNestOneRec& rec = E.NestRecords.Shape[i];
  rec.Place.placed = false;
  if (!HasOutlineNodes(rec)) return false;
  const TeNestParameters& p = E.NestParams;
  int topLimit = p.Media_H - 1;
  const TLookAlikeStart start = LookAlikeStart(E, i);
  // The sheet count is taken once, so a call adds at most one sheet; a container has just one.
  const int sheetCount = E.Blocks.Count;
  const int firstSheet = std::clamp(start.Sheet, 0, sheetCount);
  const int lastSheet = p.Media_Container ? sheetCount - 1 : sheetCount;
  TAngleSearch search{E, i, 0, SearchStep(p), PreferencePercent(p, Factor), topLimit};
  std::vector<const void*> angles;
  if (rec.CopyGroup >= 0) {
    for (int j = 0; j < AngleTotal(rec); ++j) angles.push_back(rec.AnglesSRR.Item[j].Cut.get());
  }
  for (int s = firstSheet; s <= lastSheet && !rec.Place.placed; ++s) {
    if (s == E.Blocks.Count) NewSheet(E);
    if (!E.Blocks.Item[s].EnableToPlace) continue;
    search.s = s;
    search.Copies = rec.CopyGroup < 0
                        ? nullptr
                        : E.CopySearch.For(rec.CopyGroup, s, SheetRaster(E, s).Lineage(), angles,
                                           static_cast<int32_t>(p.Media_W) + 1);
    const int startRow = s == firstSheet ? start.Row : 1;
    for (int j = 0; j < AngleTotal(rec); ++j) SearchAngle(search, j, startRow);
  }
  if (!rec.Place.placed) return false;
  RefinePlace(E, i);
  const TNestPlacedShape& placed = rec.Place;
  // Sheets count from 0, so every top edge on the first sheet scores above the empty trial's 0
  // and a trial that ends lower on it scores lower.
  const int64_t top = static_cast<int64_t>(placed.sheetNo) * p.Media_H + placed.y +
                      rec.AnglesSRR.Item[placed.AngC].Rect.Top;
  Score = std::max(Score, SaturatedInt(top));
  return true;
}

}  // namespace plavo
