// Redrawing and picking in the preview with a generated drawing of 20,000 closed Bezier paths
// (8 cubic segments each, 200 x 100 of them on a 2000 x 1000 mm area) in a 700 x 700 pixel
// control, the size of the window's preview. Targets: a full redraw under 100 ms, picking a
// shape under 10 ms.
#include <QApplication>

#include <benchmark/benchmark.h>

#include <cmath>

#include "ui/preview/QarvPreviewImage.h"

namespace plavo {
namespace {

constexpr int kColumns = 200;
constexpr int kRows = 100;
constexpr int kSegments = 8;
constexpr double kPitch = 10.0;  // mm between shape centres
constexpr double kPi = 3.14159265358979323846;

// A wavy closed curve around (Cx, Cy) of radius about 4 mm.
TQarvPreviewPath WavyPath(double Cx, double Cy, int Seed) {
  TQarvPreviewPath path;
  path.Color = (Seed * 2654435761u) & 0xE0E0E0;
  auto point = [&](int i) {
    const double a = 2 * kPi * i / kSegments;
    const double r = 4.0 + 0.6 * std::sin(3 * a + Seed);
    return std::pair{Cx + r * std::cos(a), Cy + r * std::sin(a)};
  };
  for (int i = 0; i < kSegments; ++i) {
    const auto [x0, y0] = point(i);
    const auto [x1, y1] = point(i + 1);
    TQarvPrevireSegment s;
    s.type_ = 1;
    s.StartNodeX = x0, s.StartNodeY = y0, s.EndNodeX = x1, s.EndNodeY = y1;
    s.StartControlPointX = x0 - (y1 - y0) * 0.3, s.StartControlPointY = y0 + (x1 - x0) * 0.3;
    s.EndControlPointX = x1 - (y1 - y0) * 0.3, s.EndControlPointY = y1 + (x1 - x0) * 0.3;
    path.Segment.push_back(s);
  }
  return path;
}

void Fill(TQarvPreviewImage& Preview) {
  TQarvPreviewShapes& shapes = Preview.Shapes();
  shapes.Shape.clear();
  shapes.Shape.reserve(kColumns * kRows);
  for (int i = 0; i < kColumns * kRows; ++i) {
    TQarvPreviewShape shape;
    shape.Index = i;
    shape.Path.push_back(WavyPath((i % kColumns) * kPitch, (i / kColumns) * kPitch, i));
    shapes.Shape.push_back(std::move(shape));
  }
  Preview.resize(700, 700);
  Preview.ReCalculateConst();
}

void BM_FullRedraw(benchmark::State& State) {
  TQarvPreviewImage preview;
  Fill(preview);
  for (auto _ : State) {
    preview.DrawShapes();
    benchmark::DoNotOptimize(preview.Canvas().constBits());
  }
  State.counters["paths"] = static_cast<double>(preview.Shapes().Shape.size());
}
BENCHMARK(BM_FullRedraw)->Unit(benchmark::kMillisecond);

// Zoomed in on the middle: most paths lie outside the canvas.
void BM_ZoomedRedraw(benchmark::State& State) {
  TQarvPreviewImage preview;
  Fill(preview);
  preview.SetMouseIn(true);
  for (int i = 0; i < 6; ++i) preview.SendWheel(false);
  for (auto _ : State) preview.DrawShapes();
}
BENCHMARK(BM_ZoomedRedraw)->Unit(benchmark::kMillisecond);

// Picking with the window's 10-pixel hot area; the mouse rests in the middle of the drawing.
void BM_Pick(benchmark::State& State) {
  TQarvPreviewImage preview;
  Fill(preview);
  TQarvPreviewShapes& shapes = preview.Shapes();
  const TQarvPreviewBezierNode mouse{kColumns * kPitch / 2 + 4.0, kRows * kPitch / 2};
  int picked = -1;
  for (auto _ : State) {
    picked = PickPreviewShape(shapes, mouse, TQarvPreviewImage::kPickTolerance / preview.PrKoeff());
    benchmark::DoNotOptimize(picked);
  }
  if (picked < 0) State.SkipWithError("the mouse should be on a shape");
}
BENCHMARK(BM_Pick)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plavo

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
