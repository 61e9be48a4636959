// Speed of the layout check that follows every nesting run: each ESICUP drawing nested once as
// its README prescribes (sheet 1000 x 10000 mm, distance 1, its own fix angle), then the check
// of that result measured alone. The target is well under 50 ms per drawing.
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include <benchmark/benchmark.h>

#include "formats/ai/VecFrmtAI.h"
#include "nesting/NestJob.h"
#include "nesting/result/ResultCheck.h"

using namespace plavo;

namespace {

class TQuietMessages : public TMessageSink {
 public:
  void ShowError(const std::string& Text) override { std::fprintf(stderr, "%s\n", Text.c_str()); }
};

struct TInstance {
  const char* File;
  int FixAngle;  // item of "Fix angle": 1 90 deg., 2 180 deg., 3 do not rotate
};

constexpr TInstance kInstances[] = {
    {"albano.ai", 2},  {"blaz1.ai", 2}, {"dagli.ai", 2},   {"fu.ai", 1},      {"jakobs1.ai", 1},
    {"jakobs2.ai", 1}, {"mao.ai", 1},   {"marques.ai", 1}, {"shapes0.ai", 3}, {"shapes1.ai", 2},
    {"shirts.ai", 2},  {"swim.ai", 2},  {"trousers.ai", 2}};

// A nested drawing kept for the whole benchmark.
struct TNested {
  TNestJob Job;
  TOneNestingResult Result;
};

std::shared_ptr<TNested> Nest(const TInstance& Instance) {
  auto nested = std::make_shared<TNested>();
  TSilentProgress progress;
  TQuietMessages messages;
  std::unique_ptr<TQarvShapes> shapes;
  const std::string path = std::string(PLAVO_TESTDATA_DIR) + "/esicup-ai/" + Instance.File;
  if (!LoadAIFile(path, shapes, progress, messages)) return nullptr;
  nested->Job.Load(std::move(shapes));
  TNestSettings settings;
  settings.Media_Width = 1000;
  settings.Media_Height = 10000;
  settings.Distance = 1;
  settings.Rotate_90 = Instance.FixAngle;
  nested->Result = nested->Job.Run(settings, TRunOptions{}).Result;
  return nested;
}

void CheckNested(benchmark::State& State, const std::shared_ptr<TNested>& Nested) {
  for (auto _ : State) {
    const TLayoutCheck check = CheckLayout(Nested->Job.Drawing(), Nested->Result);
    benchmark::DoNotOptimize(check);
  }
  const TLayoutCheck check = CheckLayout(Nested->Job.Drawing(), Nested->Result);
  State.counters["min_gap"] = check.MinGap;
  State.counters["overhang"] = check.Overhang;
}

}  // namespace

int main(int argc, char** argv) {
  for (const TInstance& instance : kInstances) {
    std::shared_ptr<TNested> nested = Nest(instance);
    if (nested == nullptr) continue;
    benchmark::RegisterBenchmark((std::string("CheckLayout/") + instance.File).c_str(),
                                 [nested](benchmark::State& s) { CheckNested(s, nested); })
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
