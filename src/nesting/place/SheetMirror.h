// Copies of an engine state's sheets that follow it cheaply. Every change of a reference sheet
// gets a new stamp; a copy remembers the stamp of each sheet it holds, so bringing it up to date
// copies only the sheets that changed since, and the sheets its own work drew into. A worker of
// the search places a batch thousands of times on sheets that mostly nobody changes.
#pragma once

#include <cstdint>
#include <vector>

#include "nesting/model/MosaroUnit.h"

namespace plavo {

// The stamps of a reference state's sheets; stamps are never 0 and never reused.
class TSheetStamps {
 public:
  // Count sheets: kept ones keep their stamps, new ones get fresh stamps.
  void Resize(int Count);
  // Sheet s changed.
  void Touch(int s);
  // Every sheet may have changed (a colour group was closed, a run started).
  void TouchAll();
  uint64_t Stamp(int s) const { return FStamps[static_cast<size_t>(s)]; }
  int Count() const { return static_cast<int>(FStamps.size()); }

 private:
  std::vector<uint64_t> FStamps;
  uint64_t FNext = 1;
};

// One copy of the reference sheets.
class TSheetMirror {
 public:
  // Makes To hold From's sheets (From's stamps in Stamps): sheets whose stamp To already holds
  // stay, the others are copied, extra sheets of To are dropped. Returns the sheets copied.
  int Follow(const TBlock& From, const TSheetStamps& Stamps, TBlock& To);
  // The copy's sheet s no longer matches the reference (work drew into it, or it was taken).
  void Forget(int s);
  void ForgetAll();

 private:
  std::vector<uint64_t> FHeld;  // stamp of the reference sheet each copied sheet equals; 0 none
};

}  // namespace plavo
