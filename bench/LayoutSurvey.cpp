// Nests the test drawings (ESICUP and real Illustrator files) under random settings and measures
// every layout as it is cut: how many break the bounds the program promises (no two shapes
// closer than the minimum distance less kGapAllowance, no shape more than kOverhangAllowance
// beyond its sheet or outside the container). Prints each breach and the totals.
//
// Usage: plavo_layout_survey [CASES] [SEED] [EXTRA]   (default 300 cases, seed 1, extra 0)
// EXTRA mm are added to the distance the engine keeps, not to the one the layouts are held to:
// what a wider band would buy.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "formats/ai/VecFrmtAI.h"
#include "core/EngineHost.h"
#include "nesting/NestJob.h"
#include "nesting/result/RandomNestCase.h"
#include "nesting/result/ResultCheck.h"

using namespace plavo;
using namespace plavo::nest_case;

namespace {

const char* const kDrawings[] = {"esicup-ai/albano.ai",
                                 "esicup-ai/blaz1.ai",
                                 "esicup-ai/dagli.ai",
                                 "esicup-ai/fu.ai",
                                 "esicup-ai/jakobs1.ai",
                                 "esicup-ai/jakobs2.ai",
                                 "esicup-ai/mao.ai",
                                 "esicup-ai/marques.ai",
                                 "esicup-ai/shapes0.ai",
                                 "esicup-ai/shapes1.ai",
                                 "esicup-ai/shirts.ai",
                                 "esicup-ai/swim.ai",
                                 "esicup-ai/trousers.ai",
                                 "real-ai/freebsd-corpnet-fig08-01-ai801.eps",
                                 "real-ai/freebsd-corpnet-fig08-05-ai801.eps",
                                 "real-ai/tcl-powered-logo-ai55.eps",
                                 "real-ai/tcl-tk-logo-ai55.eps"};

class TQuietMessages : public TMessageSink {
 public:
  void ShowError(const std::string&) override {}
};

}  // namespace

int main(int argc, char** argv) {
  const int cases = argc > 1 ? std::atoi(argv[1]) : 300;
  std::mt19937_64 random(argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1);
  const double extra = argc > 3 ? std::atof(argv[3]) : 0.0;
  int measured = 0, gapBreaches = 0, overhangBreaches = 0, breaches = 0;
  double worstShortfall = 0.0, worstOverhang = 0.0;
  for (int k = 0; k < cases; ++k) {
    const TNestCase c = RandomNestCase(random, kDrawings);
    TNestJob job;
    TSilentProgress progress;
    TQuietMessages messages;
    std::unique_ptr<TQarvShapes> shapes;
    const std::string path = std::string(PLAVO_TESTDATA_DIR) + "/" + c.Drawing;
    if (!LoadAIFile(path, shapes, progress, messages)) continue;
    job.Load(std::move(shapes));
    if (c.Container >= 0 && c.Container < job.ShapeCount()) {
      job.ApplyUserCode(c.Container, kUserContainer, true);
    }
    TRunOptions options;
    options.Seed = static_cast<uint64_t>(k);
    TNestSettings settings = c.Settings;
    settings.Distance += extra;
    const TOneNestingResult result = job.Run(settings, options);
    if (job.Failed()) continue;
    const TLayoutCheck check = CheckLayout(job.Drawing(), result);
    ++measured;
    if (check.MinGap != kNoGap) {
      worstShortfall = std::max(worstShortfall, c.Settings.Distance - check.MinGap);
    }
    worstOverhang = std::max(worstOverhang, check.Overhang);
    const bool gapBad = check.MinGap < c.Settings.Distance - kGapAllowance;
    const bool overhangBad = check.Overhang > kOverhangAllowance;
    gapBreaches += gapBad;
    overhangBreaches += overhangBad;
    breaches += gapBad || overhangBad;
    if (gapBad || overhangBad) {
      std::printf("case %d: gap %.2f (shapes %d, %d) overhang %.2f (shape %d): %s\n", k,
                  check.MinGap, check.GapShapes[0], check.GapShapes[1], check.Overhang,
                  check.OverhangShape, Describe(c).c_str());
    }
  }
  std::printf("%d layouts measured, %d break a bound (%d the gap, %d the overhang)\n", measured,
              breaches, gapBreaches, overhangBreaches);
  std::printf("largest shortfall of the gap %.2f mm, largest overhang %.2f mm\n", worstShortfall,
              worstOverhang);
  return 0;
}
