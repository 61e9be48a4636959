// Opening drawings of one part with very many holes: a DXF plate with 40,000 loose circles and
// an SVG path of 40,000 subpaths under the non-zero fill rule. Each figure is a whole Open as the
// window does it: reading (joining, grouping holes, the fill rule), approximating and classifying
// the paths as outlines or holes, and building the nesting records (the stray-hole test). The
// target is under 1 s each.
#include <cstdio>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "BenchFile.h"

#include "formats/DrawingReader.h"
#include "nesting/NestJob.h"

using namespace plavo;

namespace {

constexpr int kHoles = 40000;
constexpr int kPerRow = 200;
constexpr double kPitch = 10.0;

class TQuietMessages : public TMessageSink {
 public:
  void ShowError(const std::string& Text) override { std::fprintf(stderr, "%s\n", Text.c_str()); }
};

double PlateSide() {
  return (kHoles / kPerRow + 1) * kPitch;
}

std::string Number(double Value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", Value);
  return text;
}

// Appends every piece in turn.
template <typename... TPieces>
void Append(std::string& Text, const TPieces&... Pieces) {
  (Text.append(Pieces), ...);
}

// The outline as a closed polyline, each hole a circle of radius 3 in a grid of 10 mm.
std::string DxfPlate() {
  const std::string side = Number(PlateSide());
  std::string text = "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n8\n0\n90\n4\n70\n1\n";
  Append(text, "10\n0\n20\n0\n10\n", side, "\n20\n0\n10\n", side, "\n20\n", side, "\n10\n0\n20\n",
         side, "\n");
  for (int i = 0; i < kHoles; ++i) {
    Append(text, "0\nCIRCLE\n8\n0\n10\n", Number(kPitch * (1 + i % kPerRow)), "\n20\n",
           Number(kPitch * (1 + i / kPerRow)), "\n40\n3\n");
  }
  Append(text, "0\nENDSEC\n0\nEOF\n");
  return text;
}

// The outline counter-clockwise on the page, each hole a square drawn the other way round.
std::string SvgPlate() {
  const std::string side = Number(PlateSide());
  std::string text = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"";
  Append(text, side, "mm\" height=\"", side, "mm\" viewBox=\"0 0 ", side, " ", side,
         "\"><path d=\"");
  Append(text, "M0 0H", side, "V", side, "H0Z");
  for (int i = 0; i < kHoles; ++i) {
    Append(text, "M", Number(kPitch * (1 + i % kPerRow)), " ", Number(kPitch * (1 + i / kPerRow)),
           "v4h4v-4z");
  }
  Append(text, "\"/></svg>\n");
  return text;
}

void Open(benchmark::State& State, const TBenchFile& Drawing) {
  TSilentProgress progress;
  TQuietMessages messages;
  int paths = 0;
  for (auto _ : State) {
    std::unique_ptr<TQarvShapes> shapes;
    if (!LoadDrawingFile(Drawing.Name(), shapes, progress, messages)) {
      State.SkipWithError("the drawing could not be read");
      return;
    }
    TNestJob job;
    job.Load(std::move(shapes));
    paths = job.Drawing().ShapeCount() == 1 ? job.Drawing().GetShape(0)->Curve()->PathCount() : 0;
    benchmark::DoNotOptimize(job.Drawing());
  }
  State.counters["paths"] = paths;
}

void BM_OpenDxfPlate(benchmark::State& State) {
  static const TBenchFile drawing("plavo_holes_bench.dxf", DxfPlate());
  Open(State, drawing);
}

void BM_OpenSvgPlate(benchmark::State& State) {
  static const TBenchFile drawing("plavo_holes_bench.svg", SvgPlate());
  Open(State, drawing);
}

BENCHMARK(BM_OpenDxfPlate)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenSvgPlate)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
