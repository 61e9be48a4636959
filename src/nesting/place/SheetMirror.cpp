#include "nesting/place/SheetMirror.h"

#include <cstddef>

namespace plavo {

void TSheetStamps::Resize(int Count) {
  const size_t kept = FStamps.size();
  FStamps.resize(static_cast<size_t>(Count > 0 ? Count : 0));
  for (size_t s = kept; s < FStamps.size(); ++s) FStamps[s] = FNext++;
}

void TSheetStamps::Touch(int s) {
  if (s >= 0 && s < Count()) FStamps[static_cast<size_t>(s)] = FNext++;
}

void TSheetStamps::TouchAll() {
  for (uint64_t& stamp : FStamps) stamp = FNext++;
}

int TSheetMirror::Follow(const TBlock& From, const TSheetStamps& Stamps, TBlock& To) {
  const size_t count = From.Item.size();
  To.Item.resize(count);
  To.Count = static_cast<int32_t>(count);
  FHeld.resize(count, 0);
  int copied = 0;
  for (size_t s = 0; s < count; ++s) {
    const uint64_t stamp =
        static_cast<int>(s) < Stamps.Count() ? Stamps.Stamp(static_cast<int>(s)) : 0;
    if (stamp != 0 && FHeld[s] == stamp) continue;
    To.Item[s] = From.Item[s];  // reuses the raster's storage when the size is unchanged
    FHeld[s] = stamp;
    ++copied;
  }
  return copied;
}

void TSheetMirror::Forget(int s) {
  if (s >= 0 && static_cast<size_t>(s) < FHeld.size()) FHeld[static_cast<size_t>(s)] = 0;
}

void TSheetMirror::ForgetAll() {
  for (uint64_t& held : FHeld) held = 0;
}

}  // namespace plavo
