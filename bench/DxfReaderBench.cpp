// Reading speed and memory of the DXF reader on a generated drawing of about 50 MB, written
// as CAD programs write it (padded group codes, handles, subclass markers, six decimals): a
// grid of plates, each drawn as shuffled loose lines and arcs with a round hole and a slot, so
// the joining of pieces and the grouping of holes are part of the figure. The target is
// 20 MB/s or faster; peak memory is reported as max_rss_mb.
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "BenchFile.h"

#include "formats/DrawingReader.h"

using namespace plavo;

namespace {

constexpr size_t kDrawingBytes = 50u << 20;

class TQuietMessages : public TMessageSink {
 public:
  void ShowError(const std::string& Text) override { std::fprintf(stderr, "%s\n", Text.c_str()); }
};

class TDxfWriter {
 public:
  std::string Write(size_t Bytes) {
    FText = "999\nPlavo benchmark\n  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1015\n";
    FText += "  9\n$INSUNITS\n 70\n     4\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n";
    for (int part = 0; FText.size() < Bytes; ++part)
      Plate((part % 200) * 120.0, (part / 200) * 80.0);
    FText += "  0\nENDSEC\n  0\nEOF\n";
    return std::move(FText);
  }

 private:
  void Group(const char* Code, double Value) {
    char text[48];
    std::snprintf(text, sizeof text, "%s\n%.6f\n", Code, Value);
    FText += text;
  }

  void Head(const char* Type) {
    char text[96];
    std::snprintf(text, sizeof text, "  0\n%s\n  5\n%X\n330\n1F\n100\nAcDbEntity\n  8\nPARTS\n",
                  Type, ++FHandle);
    FText += text;
  }

  void Line(double X1, double Y1, double X2, double Y2) {
    Head("LINE");
    FText += "100\nAcDbLine\n";
    Group(" 10", X1), Group(" 20", Y1), Group(" 30", 0.0);
    Group(" 11", X2), Group(" 21", Y2), Group(" 31", 0.0);
  }

  void Arc(double X, double Y, double R, double From, double To) {
    Head("ARC");
    FText += "100\nAcDbCircle\n";
    Group(" 10", X), Group(" 20", Y), Group(" 30", 0.0), Group(" 40", R);
    FText += "100\nAcDbArc\n";
    Group(" 50", From), Group(" 51", To);
  }

  // A 100 x 60 plate at (X, Y) with rounded corners, a round hole and a slot.
  void Plate(double X, double Y) {
    std::vector<int> order{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    std::shuffle(order.begin(), order.end(), FRandom);
    for (int piece : order) {
      switch (piece) {
        case 0:
          Line(X + 5, Y, X + 95, Y);
          break;
        case 1:
          Line(X + 100, Y + 55, X + 100, Y + 5);
          break;
        case 2:
          Line(X + 95, Y + 60, X + 5, Y + 60);
          break;
        case 3:
          Line(X, Y + 5, X, Y + 55);
          break;
        case 4:
          Arc(X + 95, Y + 5, 5, 270, 360);
          break;
        case 5:
          Arc(X + 95, Y + 55, 5, 0, 90);
          break;
        case 6:
          Arc(X + 5, Y + 55, 5, 90, 180);
          break;
        case 7:
          Arc(X + 5, Y + 5, 5, 180, 270);
          break;
        case 8:
          Head("CIRCLE");
          FText += "100\nAcDbCircle\n";
          Group(" 10", X + 25), Group(" 20", Y + 30), Group(" 30", 0.0), Group(" 40", 10.0);
          break;
        default:
          Head("LWPOLYLINE");
          FText += "100\nAcDbPolyline\n 90\n        4\n 70\n     1\n";
          Group(" 10", X + 60), Group(" 20", Y + 25), Group(" 10", X + 80), Group(" 20", Y + 25);
          Group(" 42", 1.0);
          Group(" 10", X + 80), Group(" 20", Y + 35), Group(" 10", X + 60), Group(" 20", Y + 35);
          Group(" 42", 1.0);
          break;
      }
    }
  }

  std::mt19937 FRandom{20261209};
  std::string FText;
  unsigned FHandle = 0x100;
};

void BM_LoadDxfFile(benchmark::State& State) {
  static const TBenchFile drawing("plavo_dxf_bench.dxf", TDxfWriter().Write(kDrawingBytes));
  TSilentProgress progress;
  TQuietMessages messages;
  std::unique_ptr<TQarvShapes> shapes;
  int shapeCount = 0;
  for (auto _ : State) {
    State.PauseTiming();
    shapes.reset();
    State.ResumeTiming();
    if (!LoadDrawingFile(drawing.Name(), shapes, progress, messages)) {
      State.SkipWithError("the drawing could not be read");
      return;
    }
    shapeCount = shapes->ShapeCount();
    benchmark::DoNotOptimize(shapes.get());
  }
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) *
                          static_cast<int64_t>(drawing.Size()));
  State.counters["shapes"] = shapeCount;
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  State.counters["max_rss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

BENCHMARK(BM_LoadDxfFile)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
