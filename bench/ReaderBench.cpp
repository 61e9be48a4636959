// Reading speed of the drawing reader on a generated drawing of about 20 MB: thousands of shapes
// made of curves and straight pieces, in groups and compound paths, with colours. Reports bytes
// per second for reading alone and for reading plus the approximation an Open does.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include <benchmark/benchmark.h>

#include "BenchFile.h"

#include "formats/ai/VecFrmtAI.h"

using namespace plavo;

namespace {

constexpr size_t kDrawingBytes = 20u << 20;

class TQuietMessages : public TMessageSink {
 public:
  void ShowError(const std::string& Text) override { std::fprintf(stderr, "%s\n", Text.c_str()); }
};

// Writes a drawing in the shape of the ones Illustrator 8 saves.
class TDrawingWriter {
 public:
  std::string Write(size_t Bytes) {
    FText = "%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: Plavo benchmark\n%%BoundingBox: 0 0 612 792\n";
    FText += "%%BeginProlog\n/Adobe_level2_AI5 14 dict dup begin\n0 0 m\n1 1 l\nf\n%%EndProlog\n";
    FText += "%%BeginSetup\nAdobe_level2_AI5 /initialize get exec\n%%EndSetup\n";
    FText += "%AI5_BeginLayer\n1 1 1 1 0 0 0 79 128 255 Lb\n(Layer 1) Ln\n0 A\n800 Ar\n";
    while (FText.size() < Bytes) {
      switch (FRandom() % 3) {
        case 0:
          WritePath();
          break;
        case 1:
          FText += "u\n";
          for (int i = 0; i < 3; ++i) WritePath();
          FText += "U\n";
          break;
        default:
          FText += "*u\n";
          WritePath();
          WritePath();
          FText += "*U\n";
          break;
      }
    }
    FText += "LB\n%AI5_EndLayer--\n%%PageTrailer\ngsave annotatepage grestore showpage\n%%EOF\n";
    return std::move(FText);
  }

 private:
  // A coordinate in points with four decimals, as Illustrator writes them.
  void Number(int Limit) {
    const uint32_t v = FRandom() % (Limit * 10000u);
    char text[24];
    std::snprintf(text, sizeof text, "%u.%04u ", v / 10000, v % 10000);
    FText += text;
  }

  void Point() {
    Number(600);
    Number(780);
  }

  void WriteColor() {
    switch (FRandom() % 4) {
      case 0:
        FText += "0.5 g\n";
        break;
      case 1:
        FText += "0 0.79 0.91 0 (TCL RED) 0 x\n";
        break;
      case 2:
        FText += "0 1 0.5 Xa\n";
        break;
      default:
        for (int i = 0; i < 4; ++i) Number(1);
        FText += "k\n";
        break;
    }
    FText += "0 G\n0 J 0 j 1.25 w 4 M []0 d\n0 XR\n";
  }

  void WritePath() {
    WriteColor();
    Point();
    FText += "m\n";
    const int segments = 10 + static_cast<int>(FRandom() % 30);
    static constexpr const char* kOperators[] = {"c\n", "C\n", "l\n", "L\n", "v\n", "y\n"};
    static constexpr int kPoints[] = {3, 3, 1, 1, 2, 2};
    for (int i = 0; i < segments; ++i) {
      const int kind = static_cast<int>(FRandom() % 6);
      for (int p = 0; p < kPoints[kind]; ++p) Point();
      FText += kOperators[kind];
    }
    static constexpr const char* kPaints[] = {"f\n", "F\n", "s\n", "S\n", "b\n", "B\n"};
    FText += kPaints[FRandom() % 6];
  }

  std::mt19937 FRandom{20240601};
  std::string FText;
};

const TBenchFile& Drawing() {
  static const TBenchFile drawing("plavo_reader_bench.ai", TDrawingWriter().Write(kDrawingBytes));
  return drawing;
}

void Read(benchmark::State& State, bool Approximate) {
  const TBenchFile& drawing = Drawing();
  TSilentProgress progress;
  TQuietMessages messages;
  std::unique_ptr<TQarvShapes> shapes;
  int shapeCount = 0;
  for (auto _ : State) {
    // Freeing the previous iteration's drawing is no part of reading this one.
    State.PauseTiming();
    shapes.reset();
    State.ResumeTiming();
    if (!LoadAIFile(drawing.Name(), shapes, progress, messages)) {
      State.SkipWithError("the drawing could not be read");
      return;
    }
    if (Approximate) shapes->ApproximateShapes(4, true);
    shapeCount = shapes->ShapeCount();
    benchmark::DoNotOptimize(shapes.get());
  }
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) *
                          static_cast<int64_t>(drawing.Size()));
  State.counters["shapes"] = shapeCount;
}

void BM_LoadAIFile(benchmark::State& State) {
  Read(State, false);
}
void BM_LoadAIFileAndApproximate(benchmark::State& State) {
  Read(State, true);
}

BENCHMARK(BM_LoadAIFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAIFileAndApproximate)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
