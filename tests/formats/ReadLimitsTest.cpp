// Reading that cannot be turned against the user: a file that is no regular file never blocks,
// a drawing cut short or reaching beyond the integer units is read as far as it can be with a
// warning that says so, and the work a small file may cause is charged while it is done.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "core/InputFile.h"
#include "core/ReadProblem.h"
#include "formats/DrawingTestSupport.h"
#include "formats/ai/VecFrmtAI.h"
#include "formats/dxf/DxfSpline.h"
#include "formats/svg/SvgPathData.h"
#include "nesting/NestRunTestSupport.h"

namespace plavo {

namespace {

using nest_test::TTempDir;
using nest_test::WriteText;

bool HasWarning(const TDrawing& D, const std::string& Part) {
  for (const std::string& w : D.Messages.Warnings) {
    if (w.find(Part) != std::string::npos) return true;
  }
  return false;
}

const std::string kCutShort = "cut short";

}  // namespace

TEST(ReadLimits, PipesAndDevicesAreRefusedWithoutBlocking) {
  TTempDir dir("read-fifo");
  const std::string fifo = dir.File("drawing.ai");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // No writer ever opens the pipe: a blocking open would wait here for good.
  for (const std::string& file : {fifo, std::string("/dev/zero")}) {
    TSilentProgress progress;
    TNoteTakingMessages messages;
    std::unique_ptr<TQarvShapes> shapes;
    TReadProblem problem;
    EXPECT_FALSE(LoadDrawingFile(file, shapes, progress, messages, problem)) << file;
    EXPECT_FALSE(LoadAIFile(file, shapes, progress, messages)) << file;
    EXPECT_EQ(problem.Text, "not a regular file");
  }
}

TEST(ReadLimits, AFileIsReadToTheSizeItHadWhenOpened) {
  TTempDir dir("read-grow");
  const std::string file = dir.File("growing.svg");
  WriteText(file, "0123456789");
  TInputFile input;
  ASSERT_TRUE(input.Open(file, kMaxDrawingBytes));
  WriteText(file, "0123456789 and more written while it is read");
  std::string bytes;
  ASSERT_TRUE(input.ReadRest(bytes));
  EXPECT_EQ(bytes, "0123456789");
  EXPECT_FALSE(TInputFile().Open(file, 5));
}

TEST(ReadLimits, ADrawingCutShortIsReadAsFarAsItGoesWithAWarning) {
  const std::string ai = "%!PS-Adobe-3.0\n0 0 m\n10 0 l\n10 10 l\nf\n%%EOF\n";
  const std::string dxf = DxfFile(TDxfText().Square(0, 0, 5, 5).Square(10, 0, 15, 5));
  const std::string svg = R"(<svg xmlns="http://www.w3.org/2000/svg"><rect width="5" height="5"/>
      <rect x="10" width="5" height="5"/></svg>)";
  // Whole, each reads without a warning.
  for (const std::string& whole : {ai, dxf, svg}) {
    const TDrawing d = ReadDrawing(whole);
    EXPECT_TRUE(d.Ok && d.Messages.Warnings.empty()) << whole;
  }
  // Cut before "%%EOF", before the EOF record, inside the last element or before "</svg>".
  for (const auto& [cut, shapes] : {std::pair{ai.substr(0, ai.find("%%EOF")), 1},
                                    {dxf.substr(0, dxf.find("0\nEOF")), 2},
                                    {dxf.substr(0, dxf.rfind("LWPOLYLINE")), 1},
                                    {svg.substr(0, svg.rfind("width")), 1},
                                    {svg.substr(0, svg.find("</svg>")), 2}}) {
    const TDrawing d = ReadDrawing(cut);
    ASSERT_TRUE(d.Ok) << cut;
    EXPECT_EQ(d.Count(), shapes) << cut;
    EXPECT_TRUE(HasWarning(d, kCutShort)) << cut;
  }
  // Broken in the middle is no cut: still refused.
  EXPECT_FALSE(ReadDrawing("<svg><g></svg>").Ok);
}

TEST(ReadLimits, ShapesBeyondTheIntegerUnitsAreLeftOutAndEachNamed) {
  // Two squares at 300 m and one at the origin: the far ones are named, not clamped.
  TDrawing d = ReadDrawing(DxfFile(
      TDxfText().Square(300000, 0, 300010, 10).Square(0, 0, 5, 5).Square(0, 300000, 5, 300005)));
  ASSERT_TRUE(d.Ok);
  ASSERT_EQ(d.Count(), 1);
  ExpectBox(d.Shape(0).BoundBox(), 0, 0, 5, 5);
  EXPECT_TRUE(HasWarning(d, "2 shapes were left out")) << d.Messages.Warnings.size();
  EXPECT_TRUE(HasWarning(d, "(shapes 1, 3 in drawing order)"));
  // The same for SVG, and a circle at 1e308 with radius 1e308 (whose points are no numbers).
  d = ReadDrawing(R"(<svg xmlns="http://www.w3.org/2000/svg"><rect width="5" height="5"/>
      <g><rect width="5" height="5"/><rect x="1e9" width="5" height="5"/></g></svg>)");
  ASSERT_EQ(d.Count(), 1);
  EXPECT_TRUE(HasWarning(d, "(shape 2 in drawing order)"));
  d = ReadDrawing(DxfFile(TDxfText().Circle(1e308, 0, 1e308).Circle(0, 0, 1)));
  ASSERT_TRUE(d.Ok);
  EXPECT_EQ(d.Count(), 1);
  EXPECT_TRUE(HasWarning(d, "(shape 1 in drawing order)"));
}

TEST(ReadLimits, WorkIsChargedWhileItIsDone) {
  // Path data beyond the budget is refused before any segment is stored; within it, every
  // segment is kept and charged once.
  std::string data = "M0 0";
  for (int i = 0; i < 300000; ++i) data += "h1";
  TSegmentBudget budget(0);
  EXPECT_TRUE(ParseSvgPathData(data, 1.0, budget).empty());
  EXPECT_TRUE(budget.Exhausted());
  TSegmentBudget ample(4 * data.size());
  const std::vector<TDrawingPath> paths = ParseSvgPathData(data + "M0 0h1z", 1.0, ample);
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_EQ(paths[0].Segments.size(), 300000u);
  EXPECT_EQ(ample.Limit() - ample.Left(), 300002u);
  // A rational spline followed far more finely than its drawing needs: sampling stops at the
  // cap it is given (what the reader has left of its budget) instead of after the whole spline.
  TBSpline spline;
  const int controls = 50;
  for (int k = 0; k < controls + 4; ++k) spline.Knots.push_back(std::clamp(k - 3, 0, controls - 3));
  for (int i = 0; i < controls; ++i) {
    spline.Controls.push_back({i * 10.0, (i % 2) * 10.0});
    spline.Weights.push_back(1.0 + i % 3);
  }
  EXPECT_GT(SplineCubics(spline, 1e-9, 10000).size(), 5001u);
  EXPECT_LE(SplineCubics(spline, 1e-9, 5000).size(), 5001u);
  // Array counts whose product does not fit 64 bits are left out, not multiplied.
  TDxfText bomb;
  bomb.G(0, "INSERT").G(2, "B").G(70, "4294967296").G(71, "4294967296");
  const std::string block =
      TDxfText().G(0, "BLOCK").G(2, "B").Line(0, 0, 1, 1).G(0, "ENDBLK").Text();
  const TDrawing d = ReadDrawing(DxfFile(bomb, "", "", block));
  EXPECT_EQ(d.Count(), 0);
  EXPECT_EQ(d.Messages.Warnings, std::vector<std::string>{kHugeArraysWarning});
}

// The reason a drawing was refused or cut comes from where the reading stopped, and what can
// be kept of a cut drawing is kept.
TEST(ReadLimits, ReasonsComeFromWhereTheReadingStops) {
  TTempDir dir("read-reasons");
  const std::string huge = dir.File("huge.dxf");
  WriteText(huge, "0\nSECTION\n");
  ASSERT_EQ(::truncate(huge.c_str(), static_cast<off_t>(kMaxDrawingBytes + 1)), 0);  // sparse
  std::unique_ptr<TQarvShapes> shapes;
  TSilentProgress progress;
  TNoteTakingMessages messages;
  TReadProblem problem;
  EXPECT_FALSE(LoadDrawingFile(huge, shapes, progress, messages, problem));
  EXPECT_EQ(problem.Text, "too large");

  // A block drawing a square and inserting itself: the square is drawn once, and the square
  // beside it is read too.
  const std::string loop = TDxfText()
                               .G(0, "BLOCK")
                               .G(2, "LOOP")
                               .Square(0, 0, 5, 5)
                               .G(0, "INSERT")
                               .G(2, "LOOP")
                               .G(10, 1.0)
                               .G(0, "ENDBLK")
                               .Text();
  TDrawing d = ReadDrawing(
      DxfFile(TDxfText().G(0, "INSERT").G(2, "LOOP").Square(10, 0, 15, 5), "", "", loop));
  ASSERT_TRUE(d.Ok);
  EXPECT_EQ(d.Count(), 2);
  EXPECT_TRUE(HasWarning(d, "A block inserts itself"));

  // A rectangle beside groups nested far too deep.
  std::string deep = R"(<svg xmlns="http://www.w3.org/2000/svg"><rect width="5" height="5"/>)";
  for (int i = 0; i < 300; ++i) deep += "<g>";
  deep += R"(<rect width="5" height="5"/>)";
  for (int i = 0; i < 300; ++i) deep += "</g>";
  d = ReadDrawing(deep + "</svg>");
  ASSERT_TRUE(d.Ok);
  EXPECT_EQ(d.Count(), 1);
  EXPECT_TRUE(HasWarning(d, "Groups nested deeper than 256"));

  // One path of more segments than the budget of its file allows.
  std::string path = R"(<svg xmlns="http://www.w3.org/2000/svg"><path d="M0 0)";
  while (path.size() < 1'200'000) path += "h1";
  path += R"("/></svg>)";
  d = ReadDrawing(path);
  EXPECT_FALSE(d.Ok);
  EXPECT_EQ(ReadProblemWords(d.Problem.Text, d.Problem.Count),
            "over the budget of " + std::to_string(SegmentBudget(path.size())) + " segments");
}

}  // namespace plavo
