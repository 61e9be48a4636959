// Feeds arbitrary bytes to the SVG reader and approximates whatever shapes come out, as opening
// a drawing does. Any crash, hang, leak or undefined behaviour is a finding.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/svg/SvgReader.h"

using namespace plavo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TQarvShapes shapes;
  TSilentProgress progress;
  TReadNotes notes;
  const std::string_view bytes(reinterpret_cast<const char*>(Data), Size);
  if (ReadSvgDrawing(bytes, shapes, progress, notes)) shapes.ApproximateShapes(4, true);
  return 0;
}
