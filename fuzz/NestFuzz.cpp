// Feeds arbitrary bytes to the drawing reader (any of the three formats, chosen by content) and
// nests whatever it reads on small sheets with the search on, as a user's Apply does. The last
// bytes of the input choose the settings. Besides crashes, hangs, leaks and undefined behaviour,
// a finding is a layout that breaks the distance or reaches beyond its sheet.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "formats/DrawingReader.h"
#include "nesting/NestJob.h"
#include "nesting/prepare/RunPreparation.h"
#include "nesting/result/LayoutCheck.h"
#include "nesting/result/ResultCheck.h"

using namespace plavo;

namespace {

class TQuietMessages : public TMessageSink {
 public:
  void ShowError(const std::string&) override {}
};

// Enough shapes to reach every step of a run, few enough for thousands of runs a minute.
constexpr int kMostShapes = 60;
constexpr size_t kSettingBytes = 6;

TNestSettings SettingsOf(const uint8_t* B) {
  TNestSettings s;
  s.Media_Width = 50 + B[0] * 2;
  s.Media_Height = 50 + B[1] * 2;
  s.Distance = 0.1 + B[2] / 16.0;
  s.Padding = (B[3] & 7) * 1.5;
  s.Genetics_Check = true;
  s.Inside_Check = (B[3] & 8) != 0;
  s.Rotate_90 = (B[3] >> 4) & 3;
  s.Approximation_CB = (B[3] >> 6) & 3;
  s.Media_ByColor = B[4] & 3;
  s.Origin_point = (B[4] >> 2) & 1;
  s.Fitting_CB = (B[4] >> 3) % 3;
  s.Orientation_CB = (B[4] >> 5) & 3;
  s.Orientation_distance = B[5] * 4.0;
  return LimitNestSettings(s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < kSettingBytes) return 0;
  const uint8_t* settingBytes = Data + Size - kSettingBytes;
  const std::string_view bytes(reinterpret_cast<const char*>(Data), Size - kSettingBytes);
  std::unique_ptr<TQarvShapes> shapes;
  TSilentProgress progress;
  TQuietMessages messages;
  TReadProblem problem;
  if (!LoadDrawingBytes(bytes, shapes, progress, messages, problem) || shapes == nullptr) return 0;
  if (shapes->ShapeCount() == 0 || shapes->ShapeCount() > kMostShapes) return 0;
  TNestJob job;
  if (job.Load(std::move(shapes)).Refused()) return 0;
  const TNestSettings settings = SettingsOf(settingBytes);
  TRunOptions options;
  options.Seed = settingBytes[5];
  options.Threads = 1;
  options.Evaluations = 20;  // counted, so a finding replays exactly
  const TRunOutcome run = job.Run(settings, options);
  if (!run.Complete()) return 0;
  const TLayoutCheck check = CheckLayout(job.Drawing(), run.Result);
  if (check.MinGap < settings.Distance - kGapAllowance || check.Overhang > kOverhangAllowance) {
    std::fprintf(stderr, "gap %.4f (shapes %d, %d) at distance %.4f, overhang %.4f (shape %d)\n",
                 check.MinGap, check.GapShapes[0], check.GapShapes[1], settings.Distance,
                 check.Overhang, check.OverhangShape);
    std::abort();
  }
  return 0;
}
