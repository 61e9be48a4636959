// Feeds arbitrary bytes to the drawing reader and approximates whatever shapes come out, as
// opening a drawing does. Any crash, hang, leak or undefined behaviour is a finding.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "formats/ai/VecFrmtAI.h"

using namespace plavo;

namespace {

class TQuietMessages : public TMessageSink {
 public:
  void ShowError(const std::string&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::unique_ptr<TQarvShapes> shapes;
  TSilentProgress progress;
  TQuietMessages messages;
  const std::string_view bytes(reinterpret_cast<const char*>(Data), Size);
  TReadProblem problem;
  if (LoadAIBytes(bytes, shapes, progress, messages, problem)) shapes->ApproximateShapes(4, true);
  return 0;
}
