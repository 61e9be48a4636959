#include "nesting/place/Sheets.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plavo {

namespace {

constexpr uint64_t kAllBits = ~uint64_t{0};

// Highest occupied row of column x in [Low, High], or -1 when that range is free.
int HighestOccupied(const TBooleanMatrix& M, int x, int Low, int High) {
  Low = std::max(Low, 0);
  High = std::min(High, M.Height() - 1);
  if (Low > High) return -1;
  const uint64_t* column = M.Column(x);
  const int lowWord = Low >> 6;
  for (int w = High >> 6; w >= lowWord; --w) {
    uint64_t bits = column[w];
    if (w == (High >> 6)) bits &= kAllBits >> (63 - (High & 63));
    if (w == lowWord) bits &= kAllBits << (Low & 63);
    if (bits != 0) return w * 64 + 63 - std::countl_zero(bits);
  }
  return -1;
}

// The border band of the edge padding: every cell whose square reaches closer to the sheet's
// edge than Padding mm (cell k covers k - 0.5 .. k + 0.5 of the usable sheet 0 .. MediaW), so a
// shape on free cells keeps the padding exactly.
void OccupyPaddingBand(TBooleanMatrix& M, int MediaW, int MediaH, double Padding) {
  const int low = static_cast<int>(std::ceil(Padding + 0.5));  // first free column and row
  const int right = static_cast<int>(std::floor(MediaW - Padding - 0.5));  // last free column
  const int top = static_cast<int>(std::floor(MediaH - Padding - 0.5));    // last free row
  for (int x = 0; x < M.Width(); ++x) {
    if (x < low || x > right) {
      M.OccupyRows(x, 0, M.Height() - 1);
    } else {
      M.OccupyRows(x, 0, low - 1);
      M.OccupyRows(x, int64_t{top} + 1, M.Height() - 1);
    }
  }
}

// Place of sheet number n (1-based) in the block layout beside the drawing. The steps are
// whole millimetres; they are multiplied in 64 bits so that no sheet count can overflow them.
TBezierNode SheetPosition(const TEngineState& E, int n) {
  const TeNestParameters& p = E.NestParams;
  const TDrawingFrame& f = E.DrawingFrame;
  TBezierNode pos;
  pos.x = p.Orientation_CB == 2 ? f.Left + f.Width : f.Left - p.Media_W;
  // The drawing's right edge stands in for the vertical start as well.
  pos.y = f.Right;
  const int64_t steps = static_cast<int64_t>(n) - 1;
  const int64_t stepX = (static_cast<int64_t>(p.Media_W) + p.Orientation_Dis) * steps;
  const int64_t stepY = (static_cast<int64_t>(p.Media_H) + p.Orientation_Dis) * steps;
  switch (p.Orientation_CB) {
    case 0:
      pos.x += static_cast<double>(stepX);
      break;
    case 1:
      pos.x -= static_cast<double>(stepX);
      break;
    case 2:
      pos.y += static_cast<double>(stepY);
      break;
    case 3:
      pos.y -= static_cast<double>(stepY);
      break;
    default:
      break;
  }
  return pos;
}

void CopySheets(const TBlock& From, TBlock& To) {
  To.Item.resize(From.Item.size());
  To.Count = static_cast<int32_t>(From.Item.size());
  for (size_t s = 0; s < From.Item.size(); ++s) {
    To.Item[s].EnableToPlace = From.Item[s].EnableToPlace;
    To.Item[s].m = From.Item[s].m;  // reuses the target's storage when the size is unchanged
  }
}

void SavePlacements(TEngineState& E) {
  for (TNestOneRec& r : E.NestRecords.Shape) r.PlaceTemp = r.Place;
}

void RestorePlacements(TEngineState& E) {
  for (TNestOneRec& r : E.NestRecords.Shape) r.Place = r.PlaceTemp;
}

// Fills every column from its highest occupied cell down to row 1, so the next colour group
// lands above the earlier ones. Rows 1 and 2 alone do not count as occupied; column 0 and
// row 0 are left as they are.
void FillBelowHighest(TBooleanMatrix& M, int MediaW, int StartRow) {
  const int lastColumn = std::min(MediaW, M.Width() - 1);
  for (int x = 1; x <= lastColumn; ++x) {
    const int top = HighestOccupied(M, x, 3, StartRow);
    if (top >= 0) M.OccupyRows(x, 1, top);
  }
}

}  // namespace

void NewSheet(TEngineState& E) {
  const TeNestParameters& p = E.NestParams;
  E.Blocks.Item.emplace_back();
  E.Blocks.Count = static_cast<int32_t>(E.Blocks.Item.size());
  TBlockSingle& sheet = E.Blocks.Item.back();
  sheet.m.Resize(p.Media_W + 1, p.Media_H + 1);
  if (E.Exact.Padding > 0) OccupyPaddingBand(sheet.m, p.Media_W, p.Media_H, E.Exact.Padding);
  sheet.EnableToPlace = true;
  sheet.ContourCreated = false;
  sheet.Position = SheetPosition(E, E.Blocks.Count);
}

void Snapshot(TEngineState& E, uint8_t Mode) {
  switch (Mode) {
    case kSaveSheets:
      CopySheets(E.Blocks, E.SavedBlocks);
      break;
    case kSavePlacements:
      SavePlacements(E);
      break;
    case kRestoreSheets:
      // Sheets created since the save are dropped; kept sheets keep their layout fields.
      CopySheets(E.SavedBlocks, E.Blocks);
      break;
    case kRestorePlacements:
      RestorePlacements(E);
      break;
    default:
      break;
  }
}

void CloseColorGroup(TEngineState& E) {
  const TeNestParameters& p = E.NestParams;
  switch (p.Media_ByColor) {
    case 1:
      for (TBlockSingle& sheet : E.Blocks.Item) sheet.EnableToPlace = false;
      break;
    case 3: {
      // Start below the top padding band: the band is occupied in every column, so starting
      // inside it would fill the whole sheet after the first group.
      const double pad = E.Exact.Padding;
      const int start = pad > 0 ? static_cast<int>(std::floor(p.Media_H - pad - 0.5)) : p.Media_H;
      for (TBlockSingle& sheet : E.Blocks.Item) FillBelowHighest(sheet.m, p.Media_W, start);
      break;
    }
    default:
      break;
  }
}

}  // namespace plavo
