// Density at equal wall time on the ESICUP drawings (settings of their README: sheet 1000 x
// 10000 mm, no margin or padding, minimum distance 1 mm, each drawing's fix angle): the plain
// run, the search for the best result repeated with new seeds until the budget is spent (what
// --search --runs K does, keeping the lowest total height), and the optimiser with the same
// budget. Density = part area / (1000 x used height). Prints one row per drawing and budget,
// the means, and the peak memory.
//
// Usage: plavo_bench_optimise [SECONDS...] [--threads N] [--only NAME] [--evaluations N]
//                             [--search-runs K] [--seed N] [--no-search]   (default budgets 2 10)
// With --evaluations and --search-runs every figure is counted, not timed: the same on a busy
// machine and on any number of threads.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "EsicupInstances.h"
#include "nesting/NestJob.h"
#include "nesting/result/NestResult.h"
#include "nesting/NestRun.h"

using namespace plavo;

namespace {

// --seed N: the first seed of every search (default below).
uint64_t gSeed = 20240601;
// --evaluations N: the optimiser also stops after N layouts (a budget independent of the load).
int64_t gEvaluations = 0;
// --search-runs K: the repeated searches make K runs instead of filling the budget.
int gSearchRuns = 0;
// --no-search: skip the repeated searches.
bool gNoSearch = false;

using TClock = std::chrono::steady_clock;

struct TRow {
  double Density = 0.0;
  double Seconds = 0.0;
  int64_t Count = 0;  // runs or evaluations
};

double Since(TClock::time_point Start) {
  return std::chrono::duration<double>(TClock::now() - Start).count();
}

double Density(const TOneNestingResult& R) {
  return ComputeNestReport(R, 0.0).HeightDensity;
}

TRow Plain(TNestJob& Job, const TNestSettings& Settings, int Threads) {
  TRunOptions options;
  options.Threads = Threads;
  const auto start = TClock::now();
  const TOneNestingResult r = Job.Run(Settings, options).Result;
  return TRow{Density(r), Since(start), 1};
}

// The search for the best result, one seed after the other until the budget is spent (or for
// --search-runs runs); the run of the lowest total height is kept ("--search --runs K").
TRow SearchRuns(TNestJob& Job, TNestSettings Settings, double Budget, int Threads) {
  Settings.Genetics_Check = true;
  const auto start = TClock::now();
  TRow row;
  long long best = -1;
  const auto more = [&](int Run) {
    return gSearchRuns > 0 ? Run < gSearchRuns : Run == 0 || Since(start) < Budget;
  };
  for (int run = 0; more(run); ++run) {
    TRunOptions options;
    options.Threads = Threads;
    options.Seed = gSeed + static_cast<uint64_t>(run);
    const TOneNestingResult r = Job.Run(Settings, options).Result;
    if (best < 0 || HeightSum(r) < best) {
      best = HeightSum(r);
      row.Density = Density(r);
    }
    ++row.Count;
  }
  row.Seconds = Since(start);
  return row;
}

TRow Optimised(TNestJob& Job, const TNestSettings& Settings, double Budget, int Threads) {
  TRunOptions options;
  options.Threads = Threads;
  options.Seed = gSeed;
  options.OptimiseSeconds = Budget;
  options.Evaluations = gEvaluations;
  const auto start = TClock::now();
  const TRunOutcome run = Job.Run(Settings, options);
  return TRow{Density(run.Result), Since(start), run.Evaluations};
}

long PeakMemoryKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<double> budgets;
  int threads = 0;
  std::string only;
  for (int a = 1; a < argc; ++a) {
    const std::string arg = argv[a];
    if (arg == "--threads" && a + 1 < argc) {
      threads = std::atoi(argv[++a]);
    } else if (arg == "--evaluations" && a + 1 < argc) {
      gEvaluations = std::atoll(argv[++a]);
    } else if (arg == "--search-runs" && a + 1 < argc) {
      gSearchRuns = std::atoi(argv[++a]);
    } else if (arg == "--seed" && a + 1 < argc) {
      gSeed = std::strtoull(argv[++a], nullptr, 10);
    } else if (arg == "--no-search") {
      gNoSearch = true;
    } else if (arg == "--only" && a + 1 < argc) {
      only = argv[++a];
    } else {
      budgets.push_back(std::atof(arg.c_str()));
    }
  }
  if (budgets.empty()) budgets = {2.0, 10.0};
  const std::string folder = PLAVO_TESTDATA_DIR "/esicup-ai";
  const std::vector<TInstance> instances = ReadInstances(folder);
  if (instances.empty()) {
    std::fprintf(stderr, "no drawings listed in %s/README.md\n", folder.c_str());
    return 1;
  }
  std::printf("threads %d (0 = every core), seed %llu\n", threads,
              static_cast<unsigned long long>(gSeed));
  std::printf("%-13s %6s %8s %8s %6s %8s %6s %8s %6s\n", "drawing", "budget", "plain", "search",
              "runs", "optimise", "evals", "opt s", "");
  for (const double budget : budgets) {
    double sumPlain = 0, sumSearch = 0, sumOpt = 0;
    int n = 0, belowPlain = 0;
    for (const TInstance& instance : instances) {
      if (!only.empty() && instance.File.find(only) == std::string::npos) continue;
      TNestJob job;
      if (!LoadInstance(folder + "/" + instance.File, job)) continue;
      const TNestSettings settings = StripSettings(instance);
      const TRow plain = Plain(job, settings, threads);
      const TRow search = gNoSearch ? TRow{} : SearchRuns(job, settings, budget, threads);
      const TRow opt = Optimised(job, settings, budget, threads);
      const bool below = opt.Density < plain.Density;
      belowPlain += below ? 1 : 0;
      std::printf("%-13s %6.1f %8.4f %8.4f %6lld %8.4f %6lld %8.2f %s\n", instance.File.c_str(),
                  budget, plain.Density, search.Density, static_cast<long long>(search.Count),
                  opt.Density, static_cast<long long>(opt.Count), opt.Seconds,
                  below ? "BELOW PLAIN" : "");
      std::fflush(stdout);
      sumPlain += plain.Density;
      sumSearch += search.Density;
      sumOpt += opt.Density;
      ++n;
    }
    if (n > 0) {
      std::printf("mean %6.1f s   plain %.4f   search %.4f   optimise %.4f   below plain: %d\n",
                  budget, sumPlain / n, sumSearch / n, sumOpt / n, belowPlain);
    }
  }
  std::printf("peak memory %.1f MB\n", PeakMemoryKilobytes() / 1024.0);
  return 0;
}
