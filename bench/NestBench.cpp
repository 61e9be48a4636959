// Nests the ESICUP strip-packing drawings as their README prescribes (sheet 1000 x 10000 mm,
// no margin or padding, minimum distance 1 mm, each drawing's own fix angle) once without and
// once with the search for the best result, and prints per drawing the shapes placed, the
// sheets, the height density (part area / (1000 x used height), the density published for these
// instances) and the time, then the totals and the peak memory.
//
// Usage: plavo_bench_nest [FOLDER]   (default: the test data's esicup-ai folder)

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "EsicupInstances.h"
#include "nesting/NestJob.h"
#include "nesting/NestRun.h"

using namespace plavo;

namespace {

constexpr uint64_t kSearchSeed = 20240601;

struct TOutcome {
  bool Ok = false;
  TNestReport Report;
};

TOutcome NestInstance(const std::string& Path, const TInstance& Instance, bool Search) {
  TOutcome out;
  TNestJob job;
  if (!LoadInstance(Path, job)) return out;
  TNestSettings settings = StripSettings(Instance);
  settings.Genetics_Check = Search;
  TRunOptions options;
  options.Seed = kSearchSeed;
  const auto start = std::chrono::steady_clock::now();
  const TRunOutcome run = job.Run(settings, options);
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  out.Ok = run.Complete();
  out.Report = ComputeNestReport(run.Result, seconds.count());
  return out;
}

struct TModeTotals {
  double Seconds = 0.0;
  double DensitySum = 0.0;
  int Count = 0;
};

void PrintRow(const TInstance& Instance, const char* Mode, const TOutcome& O) {
  const TNestReport& r = O.Report;
  std::printf("%-13s %-9s %4d/%-4d %6d %9.4f %9.3f%s\n", Instance.File.c_str(), Mode, r.Placed,
              r.Shapes, r.Sheets, r.HeightDensity, r.Seconds, O.Ok ? "" : "  ENGINE ERROR");
}

long PeakMemoryKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;  // kilobytes on Linux
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : PLAVO_TESTDATA_DIR "/esicup-ai";
  const std::vector<TInstance> instances = ReadInstances(folder);
  if (instances.empty()) {
    std::fprintf(stderr, "no drawings listed in %s/README.md\n", folder.c_str());
    return 1;
  }
  std::printf("search: seed %llu, every core\n", static_cast<unsigned long long>(kSearchSeed));
  std::printf("%-13s %-9s %9s %6s %9s %9s\n", "drawing", "mode", "placed", "sheets", "density",
              "seconds");
  TModeTotals plain, search;
  for (const TInstance& instance : instances) {
    const std::string path = folder + "/" + instance.File;
    for (const bool withSearch : {false, true}) {
      const TOutcome o = NestInstance(path, instance, withSearch);
      PrintRow(instance, withSearch ? "search" : "plain", o);
      TModeTotals& totals = withSearch ? search : plain;
      totals.Seconds += o.Report.Seconds;
      totals.DensitySum += o.Report.HeightDensity;
      ++totals.Count;
    }
  }
  for (const auto& [name, totals] : {std::pair{"plain", plain}, std::pair{"search", search}}) {
    std::printf("total %-7s %3d drawings  %9.3f s  average height density %.4f\n", name,
                totals.Count, totals.Seconds,
                totals.Count > 0 ? totals.DensitySum / totals.Count : 0.0);
  }
  std::printf("peak memory %.1f MB\n", PeakMemoryKilobytes() / 1024.0);
  return 0;
}
