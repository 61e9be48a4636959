// A sheet raster of 1 mm cells, true = occupied, indexed [x][y] with y growing upward.
// Bit-packed by column: each column x is a run of 64-bit words over y, so scanning a column
// upward and OR-ing one raster into another work a word at a time. A 10001 x 10001 raster
// costs about 12.6 MB.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plavo {

// Every raster carries a lineage: a number that stays while cells are only added (SetOccupied,
// Set to occupied, OccupyRows, OR-ing words in through Column) and is new whenever cells may
// have been freed or the raster replaced by a copy (kNoLineage after single cells were freed,
// which the drawing of a shape's own raster does cell by cell). A search may keep what it proved
// taken on a raster for as long as its lineage stays and is not kNoLineage. Writing through
// Column may only add cells.
class TBooleanMatrix {
 public:
  TBooleanMatrix() = default;
  TBooleanMatrix(int Width, int Height) { Resize(Width, Height); }
  TBooleanMatrix(const TBooleanMatrix& Other)
      : FWidth(Other.FWidth),
        FHeight(Other.FHeight),
        FWordsPerColumn(Other.FWordsPerColumn),
        FBits(Other.FBits) {}
  TBooleanMatrix(TBooleanMatrix&&) noexcept = default;
  TBooleanMatrix& operator=(const TBooleanMatrix& Other) {
    if (this == &Other) return *this;
    FWidth = Other.FWidth;
    FHeight = Other.FHeight;
    FWordsPerColumn = Other.FWordsPerColumn;
    FBits = Other.FBits;
    FLineage = NewLineage();
    return *this;
  }
  TBooleanMatrix& operator=(TBooleanMatrix&&) noexcept = default;

  static constexpr uint64_t kNoLineage = 0;
  uint64_t Lineage() const { return FLineage; }

  // Width columns (x = 0 .. Width - 1) by Height rows, all free.
  void Resize(int Width, int Height) {
    FWidth = Width > 0 ? Width : 0;
    FHeight = Height > 0 ? Height : 0;
    FWordsPerColumn = (static_cast<size_t>(FHeight) + 63) / 64;
    FBits.assign(static_cast<size_t>(FWidth) * FWordsPerColumn, 0);
    FLineage = NewLineage();
  }
  void Clear() { Resize(0, 0); }

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Empty() const { return FBits.empty(); }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < FWidth && y < FHeight; }

  bool Get(int x, int y) const { return (Column(x)[static_cast<size_t>(y) >> 6] >> (y & 63)) & 1u; }
  // Cells outside the raster read as free.
  bool GetSafe(int x, int y) const { return Inside(x, y) && Get(x, y); }
  void Set(int x, int y, bool Value) {
    uint64_t& w = Column(x)[static_cast<size_t>(y) >> 6];
    const uint64_t bit = uint64_t{1} << (y & 63);
    w = Value ? (w | bit) : (w & ~bit);
    if (!Value) FLineage = kNoLineage;
  }
  void SetOccupied(int x, int y) {
    Column(x)[static_cast<size_t>(y) >> 6] |= uint64_t{1} << (y & 63);
  }
  void Toggle(int x, int y) {
    Column(x)[static_cast<size_t>(y) >> 6] ^= uint64_t{1} << (y & 63);
    FLineage = kNoLineage;
  }
  // Marks rows Lo .. Hi (inclusive) of column x occupied, a word at a time. Rows and columns
  // outside the raster are ignored, so the bits past the last row stay clear.
  void OccupyRows(int x, int64_t Lo, int64_t Hi) {
    if (x < 0 || x >= FWidth) return;
    Lo = Lo < 0 ? 0 : Lo;
    Hi = Hi > FHeight - 1 ? FHeight - 1 : Hi;
    if (Lo > Hi) return;
    constexpr uint64_t kAll = ~uint64_t{0};
    uint64_t* column = Column(x);
    const size_t first = static_cast<size_t>(Lo) >> 6;
    const size_t last = static_cast<size_t>(Hi) >> 6;
    const uint64_t lowMask = kAll << (Lo & 63);
    const uint64_t highMask = kAll >> (63 - (Hi & 63));
    if (first == last) {
      column[first] |= lowMask & highMask;
      return;
    }
    column[first] |= lowMask;
    for (size_t w = first + 1; w < last; ++w) column[w] = kAll;
    column[last] |= highMask;
  }
  void Fill(bool Value) {
    for (uint64_t& w : FBits) w = Value ? ~uint64_t{0} : 0;
    TrimPadding();
    FLineage = NewLineage();
  }
  // Inverts every cell.
  void Invert() {
    for (uint64_t& w : FBits) w = ~w;
    TrimPadding();
    FLineage = NewLineage();
  }

  // Rows 0 .. Rows - 1 of every column become From's (a raster of the same size), a word at a
  // time: restoring the low part of a raster that work drew into only there.
  void CopyLowRows(const TBooleanMatrix& From, int Rows) {
    if (Rows <= 0) return;
    FLineage = NewLineage();
    const size_t words = std::min((static_cast<size_t>(Rows) + 63) / 64, FWordsPerColumn);
    for (int x = 0; x < FWidth; ++x) {
      const uint64_t* from = From.Column(x);
      uint64_t* to = Column(x);
      for (size_t w = 0; w < words; ++w) to[w] = from[w];
    }
  }

  uint64_t* Column(int x) { return FBits.data() + static_cast<size_t>(x) * FWordsPerColumn; }
  const uint64_t* Column(int x) const {
    return FBits.data() + static_cast<size_t>(x) * FWordsPerColumn;
  }
  size_t WordsPerColumn() const { return FWordsPerColumn; }

  // The cells, not the lineage.
  bool operator==(const TBooleanMatrix& Other) const {
    return FWidth == Other.FWidth && FHeight == Other.FHeight && FBits == Other.FBits;
  }

 private:
  // Bits beyond the last row stay zero, so whole-word comparisons and copies are exact.
  void TrimPadding() {
    const int rest = FHeight & 63;
    if (rest == 0 || FWordsPerColumn == 0) return;
    const uint64_t mask = (uint64_t{1} << rest) - 1;
    for (int x = 0; x < FWidth; ++x) Column(x)[FWordsPerColumn - 1] &= mask;
  }

  static uint64_t NewLineage() {
    static std::atomic<uint64_t> last{0};
    return last.fetch_add(1, std::memory_order_relaxed) + 1;
  }

  int FWidth = 0;
  int FHeight = 0;
  size_t FWordsPerColumn = 0;
  std::vector<uint64_t> FBits;
  uint64_t FLineage = NewLineage();
};

}  // namespace plavo
