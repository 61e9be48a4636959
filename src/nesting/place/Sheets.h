// Sheets: creation with the padding band and block-layout position, snapshots for the search
// for the best result, and closing a colour group.
#pragma once

#include "nesting/model/MosaroUnit.h"

namespace plavo {

void NewSheet(TEngineState& E);

enum TSnapshotMode : uint8_t {
  kSaveSheets = 0,
  kSavePlacements = 1,
  kRestoreSheets = 2,
  kRestorePlacements = 3,
};
void Snapshot(TEngineState& E, uint8_t Mode);
void CloseColorGroup(TEngineState& E);

}  // namespace plavo
