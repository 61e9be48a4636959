// Drawings built in code, and nested results built by hand, for the tests of the run facade,
// the result layout and the writers.
#pragma once

#include <cmath>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "core/NestControl.h"
#include "formats/DrawingReader.h"
#include "geometry/ShapesClass.h"
#include "nesting/NestJob.h"
#include "nesting/model/MosaroUnit.h"
#include "nesting/result/NestResult.h"
#include "nesting/result/ResultLayout.h"

namespace plavo {

namespace nest_test {

// A run whose random choices repeat: seeded, on Threads threads.
inline TRunOptions Seeded(uint64_t Seed, int Threads = 1) {
  TRunOptions o;
  o.Seed = Seed;
  o.Threads = Threads;
  return o;
}

// Reads the drawing File and loads it into Job, named by the file as the window and the command
// line name it.
inline void OpenDrawingInto(TNestJob& Job, const std::string& File) {
  std::unique_ptr<TQarvShapes> shapes;
  TNestControl control;
  ASSERT_TRUE(LoadDrawingFile(File, shapes, control, control)) << File;
  ASSERT_TRUE(Job.Load(std::move(shapes), nullptr, File).Complete()) << File;
}

// The layout the writers take of a result that belongs to Shapes.
inline TNestedLayout LayoutOf(const TQarvShapes& Shapes, const TOneNestingResult& R) {
  std::optional<TNestedLayout> layout = NestedLayoutOf(Shapes, R);
  EXPECT_TRUE(layout.has_value()) << "the result does not belong to the drawing";
  return layout.value_or(TNestedLayout{});
}

// A closed path through the corners, each side a cubic with its controls on its ends, which is
// how the reader builds straight pieces.
// Paths are not copyable; shared pointers let a brace list of them name a shape's paths.
using TPathPtr = std::shared_ptr<TQarvOnePath>;

inline TPathPtr StraightPath(std::initializer_list<TNodeSimple> Corners) {
  const std::vector<TNodeSimple> p(Corners);
  auto path = std::make_shared<TQarvOnePath>();
  for (size_t i = 0; i < p.size(); ++i) {
    const TNodeSimple a = p[i];
    const TNodeSimple b = p[(i + 1) % p.size()];
    TQarvOneSegment s;
    s.MakeCurve(a.X, a.Y, a.X, a.Y, b.X, b.Y, b.X, b.Y);
    path->AddSegment(s);
  }
  return path;
}

// A circle of four true cubic arcs (the usual 0.5523 handle length).
inline TPathPtr CirclePath(double Cx, double Cy, double R) {
  const double k = 0.5522847498 * R;
  auto path = std::make_shared<TQarvOnePath>();
  const double pts[4][8] = {
      {Cx + R, Cy, Cx + R, Cy + k, Cx + k, Cy + R, Cx, Cy + R},
      {Cx, Cy + R, Cx - k, Cy + R, Cx - R, Cy + k, Cx - R, Cy},
      {Cx - R, Cy, Cx - R, Cy - k, Cx - k, Cy - R, Cx, Cy - R},
      {Cx, Cy - R, Cx + k, Cy - R, Cx + R, Cy - k, Cx + R, Cy},
  };
  for (const auto& q : pts) {
    TQarvOneSegment s;
    s.MakeCurve(q[0], q[1], q[2], q[3], q[4], q[5], q[6], q[7]);
    path->AddSegment(s);
  }
  return path;
}

inline void AddShape(TQarvShapes& Shapes, const std::vector<TPathPtr>& Paths, int32_t Fill,
                     int32_t Outline) {
  TQarvOneShape shape;
  for (const TPathPtr& p : Paths) shape.Curve()->AddPath(*p);
  shape.SetColor(TShapeColor{Fill, Outline, -1.0});
  Shapes.AddShape(shape, true);
}

inline TPathPtr Rect(double L, double B, double R, double T) {
  return StraightPath({{L, B}, {L, T}, {R, T}, {R, B}});
}

// Five shapes of different kinds and colours: squares, a frame with a hole, a disc, a stroked
// triangle without fill, and an L.
inline std::unique_ptr<TQarvShapes> MixedDrawing() {
  auto shapes = std::make_unique<TQarvShapes>();
  AddShape(*shapes, {Rect(0, 0, 60, 40)}, 0x0000FF, 0);
  AddShape(*shapes, {Rect(100, 0, 180, 80), Rect(120, 20, 160, 60)}, 0x00FF00, 0x102030);
  AddShape(*shapes, {CirclePath(250, 40, 30)}, 0xFF0000, 0);
  AddShape(*shapes, {StraightPath({{300, 0}, {350, 70}, {390, 0}})}, -1, 0x00A0FF);
  AddShape(*shapes,
           {StraightPath({{400, 0}, {400, 90}, {420, 90}, {420, 20}, {470, 20}, {470, 0}})},
           0x808080, 0);
  shapes->ApproximateShapes(4, true);
  return shapes;
}

// A state that holds a result without running the engine: Count records, each unplaced, and
// Sheets sheets at the given positions.
inline void HandBuiltResult(TEngineState& E, int Count, std::initializer_list<TBezierNode> Sheets,
                            int W = 200, int H = 300) {
  InitRecords(E, Count);
  E.NestRecords.Count = static_cast<uint16_t>(Count);
  E.NestParams.Media_W = static_cast<uint16_t>(W);
  E.NestParams.Media_H = static_cast<uint16_t>(H);
  E.NestParams.Orientation_Dis = 100;
  for (const TBezierNode& p : Sheets) {
    TBlockSingle s;
    s.Position = p;
    E.Blocks.Item.push_back(s);
  }
  E.Blocks.Count = static_cast<int32_t>(E.Blocks.Item.size());
}

// The run held in E as a result value, each record standing for the shape of its own index.
inline TOneNestingResult Result(const TEngineState& E) {
  std::vector<int32_t> identity(E.NestRecords.Shape.size());
  for (size_t i = 0; i < identity.size(); ++i) identity[i] = static_cast<int32_t>(i);
  return CaptureResult(E, identity);
}

inline void Place(TEngineState& E, int i, int Sheet, int X, int Y, double A, int TopY) {
  TNestPlacedShape& p = E.NestRecords.Shape[static_cast<size_t>(i)].Place;
  p.placed = true;
  p.sheetNo = Sheet;
  p.x = X;
  p.y = Y;
  p.a = A;
  p.TopY = TopY;
}

// A folder of its own under the system's temporary folder, removed with everything in it.
class TTempDir {
 public:
  explicit TTempDir(const std::string& Tag) {
    static int counter = 0;
    FPath = std::filesystem::temp_directory_path() /
            ("plavo-" + Tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(FPath);
    std::filesystem::create_directories(FPath);
  }
  ~TTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  std::string File(const std::string& Name) const { return (FPath / Name).string(); }
  const std::filesystem::path& Path() const { return FPath; }

 private:
  std::filesystem::path FPath;
};

inline std::string ReadText(const std::string& FileName) {
  std::ifstream in(FileName, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// An SVG drawing of Count 1 mm squares in rows of 500, each one shape.
inline std::string ManyRectanglesSvg(int Count) {
  std::string svg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1000mm\" height=\"1000mm\" "
      "viewBox=\"0 0 1000 1000\">\n";
  svg.reserve(svg.size() + static_cast<size_t>(Count) * 48);
  for (int k = 0; k < Count; ++k) {
    svg += "<rect x=\"" + std::to_string(k % 500 * 2) + "\" y=\"" + std::to_string(k / 500 * 2) +
           "\" width=\"1\" height=\"1\"/>\n";
  }
  return svg + "</svg>\n";
}

inline void WriteText(const std::string& FileName, const std::string& Text) {
  std::ofstream out(FileName, std::ios::binary);
  out << Text;
}

}  // namespace nest_test

}  // namespace plavo
