// Nests N copies of one curved logo (the shape with the most segments of a real Illustrator
// drawing) on 3000 x 3000 mm sheets, plain nest, for N = 10, 100, 1,000 and 10,000, and prints
// per N the time of loading, of the run and the peak memory so far (the counts grow, so it is
// each run's own peak). Copies are analysed once, so time and memory should grow with the
// placements, not with a shape analysis per copy.
//
// Usage: plavo_bench_copies [DRAWING] [N...]   (default: the Tcl logo of the test data)

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/NestControl.h"
#include "formats/DrawingReader.h"
#include "nesting/NestJob.h"
#include "nesting/NestRun.h"

using namespace plavo;

namespace {

int Segments(const TQarvOneShape& Shape) {
  int n = 0;
  for (int p = 0; p < Shape.Curve()->PathCount(); ++p)
    n += Shape.Curve()->GetPath(p)->SegmentCount();
  return n;
}

// The drawing's shape with the most segments, alone in a drawing of its own.
std::unique_ptr<TQarvShapes> Logo(const std::string& File) {
  std::unique_ptr<TQarvShapes> shapes;
  TNestControl control;
  if (!LoadDrawingFile(File, shapes, control, control) || shapes->ShapeCount() == 0) return {};
  int best = 0;
  for (int s = 1; s < shapes->ShapeCount(); ++s) {
    if (Segments(*shapes->GetShape(s)) > Segments(*shapes->GetShape(best))) best = s;
  }
  auto logo = std::make_unique<TQarvShapes>();
  logo->AddShape(*shapes->GetShape(best), true);
  return logo;
}

double PeakMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double SecondsSince(std::chrono::steady_clock::time_point Start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string file =
      argc > 1 ? argv[1] : std::string(PLAVO_TESTDATA_DIR) + "/real-ai/tcl-powered-logo-ai55.eps";
  std::vector<int> counts = {10, 100, 1000, 2000, 10000};
  if (argc > 2) {
    counts.clear();
    for (int k = 2; k < argc; ++k) counts.push_back(std::atoi(argv[k]));
  }
  std::unique_ptr<TQarvShapes> probe = Logo(file);
  if (probe == nullptr) {
    std::fprintf(stderr, "cannot read \"%s\"\n", file.c_str());
    return 1;
  }
  const int segments = Segments(*probe->GetShape(0));
  TNestJob sized;
  sized.Load(std::move(probe));
  const TRectDbl& box = sized.Drawing().BoundBox();
  std::printf("logo: %d segments, %.0f x %.0f mm, from %s\n", segments, box.Right - box.Left,
              box.Top - box.Bottom, file.c_str());
  std::printf("%8s %8s %8s %8s %7s %9s\n", "copies", "load s", "nest s", "placed", "sheets",
              "peak MB");
  TNestSettings settings;
  settings.Media_Width = 3000;
  settings.Media_Height = 3000;
  settings.Distance = 2;
  for (int n : counts) {
    const auto start = std::chrono::steady_clock::now();
    TNestJob job;
    if (!job.Load(Logo(file)).Complete() || !job.SetCopies(0, n).Complete()) return 1;
    const double load = SecondsSince(start);
    const auto nestStart = std::chrono::steady_clock::now();
    TRunOptions options;
    options.Seed = 1;
    const TRunOutcome run = job.Run(settings, options);
    const double nest = SecondsSince(nestStart);
    const TNestReport report = ComputeNestReport(run.Result, nest);
    std::printf("%8d %8.3f %8.3f %8d %7d %9.1f\n", n, load, nest, report.Placed, report.Sheets,
                PeakMb());
    std::fflush(stdout);
  }
  return 0;
}
