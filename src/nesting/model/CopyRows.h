// What the position search has proved about the copies of one shape on one sheet, so the next
// copy does not test again what is taken: per trial angle and column, a stretch of the search's
// rows (From, From + Step, ... up to Row) on which the copy was found not to fit. A sheet only
// gains cells while its raster keeps its lineage (BooleanMatrix.h), so those rows stay taken and
// the search goes on from Row, finding what it would have found testing them all.
#pragma once

#include <cstdint>
#include <vector>

#include "nesting/model/BooleanMatrix.h"

namespace plavo {

struct TCopyRowsEntry {
  int32_t Group = -1;  // TNestOneRec::CopyGroup
  int32_t Sheet = -1;
  uint64_t Lineage = 0;  // of the sheet's raster when the rows were proved
  int32_t Columns = 0;
  uint64_t Used = 0;  // when it was last asked for; the oldest entry makes room
  // The trial angles by their outlines as cut (shared by the copies), in the order of the
  // slots: a copy's own order may differ (the optimiser puts a fixed angle first).
  std::vector<const void*> Angles;
  std::vector<int16_t> From;  // [slot * Columns + column]; -1 nothing proved
  std::vector<int16_t> Row;

  // The slot of the trial angle whose outline as cut is Cut; -1 when it has none.
  int Slot(const void* Cut) const;
};

// A few entries: copies of one shape are mostly placed one after the other, so a handful covers
// them while memory stays bounded whatever the number of shapes with copies. Copying an engine
// state copies no entries: the copy's rasters have lineages of their own.
class TCopyRows {
 public:
  TCopyRows() = default;
  TCopyRows(const TCopyRows&) {}
  TCopyRows& operator=(const TCopyRows&) {
    Clear();
    return *this;
  }
  TCopyRows(TCopyRows&&) noexcept = default;
  TCopyRows& operator=(TCopyRows&&) noexcept = default;

  // The entry of Group on Sheet for a raster of lineage Lineage, emptied when it was proved on
  // another raster or other angles (Angles: the outlines as cut); null for a raster of no
  // lineage.
  TCopyRowsEntry* For(int32_t Group, int32_t Sheet, uint64_t Lineage,
                      const std::vector<const void*>& Angles, int32_t Columns);
  // A copy's cells as placed shapes are drawn (the shape widened by the distance, in its own
  // frame) at the trial angle whose outline as cut is Cut: the same for every copy, so drawn
  // once per angle in a run. Null when not kept.
  const TBooleanMatrix* Drawn(const void* Cut) const;
  void KeepDrawn(const void* Cut, TBooleanMatrix Cells);
  void Clear() {
    FEntries.clear();
    FDrawn.clear();
  }

 private:
  static constexpr size_t kEntries = 4;
  static constexpr size_t kDrawn = 256;  // angles kept; then the oldest make room
  struct TDrawnCells {
    const void* Cut = nullptr;
    TBooleanMatrix Cells;
  };
  std::vector<TCopyRowsEntry> FEntries;
  std::vector<TDrawnCells> FDrawn;
  size_t FNextDrawn = 0;
  uint64_t FClock = 0;
};

}  // namespace plavo
