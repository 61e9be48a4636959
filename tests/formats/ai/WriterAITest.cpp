#include "formats/ai/AIWriter.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "formats/WriterTestSupport.h"

namespace plavo {

using namespace nest_test;
using namespace writer_test;

namespace {

constexpr double kRoundTripTolerance = 0.001;  // mm

double Parse(const std::string& Text) {
  double v = 0.0;
  const auto [end, ec] = std::from_chars(Text.data(), Text.data() + Text.size(), v);
  EXPECT_TRUE(ec == std::errc{} && end == Text.data() + Text.size()) << Text;
  return v;
}

// The reader's conversion of a coordinate operand (points) to millimetres.
double ReaderMillimetres(const std::string& Points) {
  return std::trunc(Parse(Points) * 10000.0 * 0.352777777777) / 10000.0;
}

// Every read shape matches the placed shape of the same rank: paths, segments, colours.
void ExpectSameLayout(const TNested& N, const TQarvShapes& Read) {
  const std::vector<std::vector<TPlacedPath>> layout = PlacedLayout(N);
  ASSERT_EQ(static_cast<size_t>(Read.ShapeCount()), layout.size());
  int rank = 0;
  for (int i = 0; i < N.Drawing().ShapeCount(); ++i) {
    TPlacementTransform t;
    if (!PlacementTransform(N.Drawing(), N.R, i, t)) continue;
    const TQarvOneShape& original = *RecordShape(N.Drawing(), N.R, i);
    const TQarvOneShape& read = *Read.GetShape(rank);
    const std::vector<TPlacedPath>& paths = layout[static_cast<size_t>(rank)];
    ++rank;
    EXPECT_EQ(read.Color().Fill, original.Color().Fill) << "shape " << i;
    EXPECT_EQ(read.Color().Outline, original.Color().Outline) << "shape " << i;
    ASSERT_EQ(static_cast<size_t>(read.Curve()->PathCount()), paths.size()) << "shape " << i;
    for (size_t p = 0; p < paths.size(); ++p) {
      const TQarvOnePath& rp = *read.Curve()->GetPath(static_cast<int>(p));
      ASSERT_EQ(static_cast<size_t>(rp.SegmentCount()), paths[p].Segments.size());
      EXPECT_EQ(rp.Closed(), paths[p].Closed) << "shape " << i << " path " << p;
      for (size_t k = 0; k < paths[p].Segments.size(); ++k) {
        const TPlacedSegment& want = paths[p].Segments[k];
        const TSegmentView view = rp.GetSegment(static_cast<int>(k));
        const TQarvOneSegment& got = *view;
        const std::string what = "shape " + std::to_string(i) + " path " + std::to_string(p) +
                                 " segment " + std::to_string(k);
        ExpectNear(got.StartNode(), want.Start, kRoundTripTolerance, what + " start");
        ExpectNear(got.EndNode(), want.End, kRoundTripTolerance, what + " end");
        if (want.Type_ != 0) {
          ExpectNear(got.StartControlNode(), want.StartControl, kRoundTripTolerance, what);
          ExpectNear(got.EndControlNode(), want.EndControl, kRoundTripTolerance, what);
        }
      }
    }
  }
}

std::string BodyOf(const std::string& Text) {
  const size_t from = Text.find("%%EndSetup\n");
  const size_t to = Text.find("%%PageTrailer");
  EXPECT_NE(from, std::string::npos);
  EXPECT_NE(to, std::string::npos);
  return Text.substr(from, to - from);
}

bool IsNumber(const std::string& Token) {
  double v = 0.0;
  const char* first = Token.data() + (Token[0] == '-' ? 1 : 0);
  const auto [end, ec] = std::from_chars(first, Token.data() + Token.size(), v);
  return ec == std::errc{} && end == Token.data() + Token.size();
}

std::string FindGhostscript() {
  for (const char* path : {"/usr/bin/gs", "/usr/local/bin/gs"}) {
    if (std::filesystem::exists(path)) return path;
  }
  return "";
}

}  // namespace

TEST(WriterAI, CoordinatesReadBackOnTheNearestTenThousandth) {
  const double values[] = {0.0,         1e-5,        -1e-5,        0.00005,  35.2777,
                           -35.2777,    100.0,       -0.3,         987.6543, 12345.678,
                           -4321.00049, 199999.9999, -199999.9999, 0.99995};
  for (const double mm : values) {
    const std::string text = AIPointText(mm);
    EXPECT_EQ(text.find('e'), std::string::npos) << "no exponent: " << text;
    EXPECT_DOUBLE_EQ(ReaderMillimetres(text), std::round(mm * 10000.0) / 10000.0)
        << mm << " written as " << text;
  }
}

TEST(WriterAI, EveryColourChannelReadsBackUnchanged) {
  for (int channel = 0; channel <= 255; ++channel) {
    const double v = Parse(AIColorFractionText(channel));
    EXPECT_EQ(static_cast<int>(std::trunc(v * 255.0)), channel);
    EXPECT_GE(v, 0.0);
    EXPECT_LE(v, 1.0) << "a PostScript colour stays within 0..1";
  }
}

TEST(WriterAI, NestedDrawingReadsBackShapeForShape) {
  TNested n;
  n.Shapes = MixedDrawing();
  Nest(n, Sheets(300, 200));
  TTempDir dir("writer-ai");
  const std::string file = dir.File("layout.ai");
  std::string error;
  ASSERT_TRUE(WriteAIFile(file, LayoutOf(n.Drawing(), n.R), error)) << error;
  EXPECT_EQ(ComputeNestReport(n.R, 0).Placed, 5);
  const auto read = ReadBack(file);
  ExpectSameLayout(n, *read);
  // The hole of the frame is still a hole once read back and approximated.
  read->ApproximateShapes(4, true);
  bool sawHole = false;
  for (int i = 0; i < read->ShapeCount(); ++i) {
    for (int p = 0; p < read->GetShape(i)->Curve()->PathCount(); ++p) {
      sawHole = sawHole || read->GetShape(i)->Curve()->GetPath(p)->Type_() == -1;
    }
  }
  EXPECT_TRUE(sawHole);
}

TEST(WriterAI, RealDrawingWithCompoundPathsRoundTrips) {
  TNested n;
  TSilentProgress progress;
  TKeptMessages messages;
  ASSERT_TRUE(LoadAIFile(PLAVO_TESTDATA_DIR "/real-ai/tcl-powered-logo-ai55.eps", n.Shapes,
                         progress, messages));
  ASSERT_GT(n.Shapes->ShapeCount(), 1);
  Nest(n, Sheets(1000, 1000));
  TTempDir dir("writer-ai-real");
  const std::string file = dir.File("tcl.ai");
  std::string error;
  ASSERT_TRUE(WriteAIFile(file, LayoutOf(n.Drawing(), n.R), error)) << error;
  ExpectSameLayout(n, *ReadBack(file));
}

TEST(WriterAI, StraightLinesOfEitherKindAndBrokenPathsSurvive) {
  TNested n;
  n.Shapes = std::make_unique<TQarvShapes>();
  // A triangle of MakeLine segments (type 0, controls at the midpoints) and a path with a gap:
  // the gap must not be bridged, so it comes back as a second path of the same shape.
  auto lines = std::make_shared<TQarvOnePath>();
  TQarvOneSegment s;
  s.MakeLine(0, 0, 40, 0);
  lines->AddSegment(s);
  s.MakeLine(40, 0, 20, 30);
  lines->AddSegment(s);
  s.MakeLine(20, 30, 0, 0);
  lines->AddSegment(s);
  auto broken = std::make_shared<TQarvOnePath>();
  s.MakeCurve(60, 0, 60, 0, 80, 0, 80, 0);
  broken->AddSegment(s);
  s.MakeCurve(90, 10, 90, 10, 90, 30, 90, 30);
  broken->AddSegment(s);
  AddShape(*n.Shapes, {lines}, 0x123456, 0);
  AddShape(*n.Shapes, {broken}, -1, 0xFF);
  n.Shapes->ApproximateShapes(4, true);
  Nest(n, Sheets(300, 300, 3));

  TTempDir dir("writer-ai-lines");
  std::string error;
  ASSERT_TRUE(WriteAIFile(dir.File("l.ai"), LayoutOf(n.Drawing(), n.R), error)) << error;
  const auto read = ReadBack(dir.File("l.ai"));
  ASSERT_EQ(read->ShapeCount(), 2);
  const TQarvOnePath& triangle = *read->GetShape(0)->Curve()->GetPath(0);
  EXPECT_EQ(triangle.SegmentCount(), 3);
  EXPECT_TRUE(triangle.Closed());
  EXPECT_EQ(read->GetShape(1)->Curve()->PathCount(), 2) << "the gap starts a new path";
  EXPECT_EQ(read->GetShape(1)->Color().Fill, -1);
  EXPECT_EQ(read->GetShape(1)->Color().Outline, 0xFF);
}

TEST(WriterAI, EveryOperatorOfTheBodyIsDefinedInTheProlog) {
  TNested n;
  n.Shapes = MixedDrawing();
  Nest(n, Sheets(300, 200));
  std::string text, error;
  ASSERT_TRUE(BuildAIText(LayoutOf(n.Drawing(), n.R), text, error)) << error;
  EXPECT_EQ(text.rfind("%!PS-Adobe-3.0\n", 0), 0u);
  EXPECT_TRUE(
      std::regex_search(text, std::regex("\n%%BoundingBox: -?\\d+ -?\\d+ -?\\d+ -?\\d+\n")));
  EXPECT_NE(text.find("%%BeginProlog\n"), std::string::npos);
  EXPECT_NE(text.find("%%EndProlog\n"), std::string::npos);
  EXPECT_EQ(text.back(), '\n') << "the reader drops an unterminated last line";

  std::istringstream body(BodyOf(text));
  std::set<std::string> operators;
  for (std::string line; std::getline(body, line);) {
    if (line.empty() || line[0] == '%') continue;
    EXPECT_EQ(line.find("  "), std::string::npos) << "two spaces end a line for the reader";
    std::istringstream tokens(line);
    for (std::string token; tokens >> token;) {
      if (!IsNumber(token) && token[0] != '(') operators.insert(token);
    }
  }
  for (const char* expected : {"u", "U", "*u", "*U", "m", "Xa", "f", "S", "Lb", "LB"}) {
    EXPECT_TRUE(operators.count(expected)) << expected << " is used";
  }
  for (const std::string& op : operators) {
    EXPECT_NE(text.find("\n/" + op + " "), std::string::npos) << op << " has no definition";
  }
}

TEST(WriterAI, SheetsGoToAHiddenLayerTheReaderSkips) {
  TNested n;
  n.Shapes = MixedDrawing();
  // Small sheets: the shapes spread over several, and every sheet outline is written.
  Nest(n, Sheets(130, 130));
  const TNestReport report = ComputeNestReport(n.R, 0);
  ASSERT_GT(report.Sheets, 1);
  std::string text, error;
  ASSERT_TRUE(BuildAIText(LayoutOf(n.Drawing(), n.R), text, error)) << error;
  const size_t hidden = text.find("\n0 1 1 0 0 0 1 255 79 79 Lb\n");
  ASSERT_NE(hidden, std::string::npos);
  size_t outlines = 0;
  for (size_t at = text.find("\nS\n", hidden); at != std::string::npos;
       at = text.find("\nS\n", at + 1)) {
    ++outlines;
  }
  EXPECT_EQ(outlines, static_cast<size_t>(report.Sheets));

  TTempDir dir("writer-ai-sheets");
  WriteText(dir.File("s.ai"), text);
  EXPECT_EQ(ReadBack(dir.File("s.ai"))->ShapeCount(), report.Placed);
}

TEST(WriterAI, RefusesWhatItCannotWriteAndLeavesTheOldFile) {
  TNested n;
  n.Shapes = MixedDrawing();
  Nest(n, Sheets(300, 200));
  TTempDir dir("writer-ai-fail");
  const std::string file = dir.File("keep.ai");
  WriteText(file, "old contents");

  TQarvShapes other;  // a drawing the result does not belong to
  EXPECT_FALSE(NestedLayoutOf(other, n.R).has_value());

  std::string error;
  EXPECT_FALSE(WriteAIFile(dir.File("no/such/folder/x.ai"), LayoutOf(n.Drawing(), n.R), error));
  EXPECT_NE(error.find("no/such/folder/x.ai"), std::string::npos) << error;

  // Far beyond what the reader's 32-bit coordinates hold.
  n.R.Place[0].x = 300000;
  error.clear();
  EXPECT_FALSE(WriteAIFile(file, LayoutOf(n.Drawing(), n.R), error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ReadText(file), "old contents");
  // No temporary file is left behind by any of the failures.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(WriterAI, ReplacesAnExistingFileWhole) {
  TNested n;
  n.Shapes = MixedDrawing();
  Nest(n, Sheets(300, 200));
  TTempDir dir("writer-ai-replace");
  const std::string file = dir.File("out.ai");
  std::string old;
  for (int i = 0; i < 5000; ++i) old += "OLD-LINE-" + std::to_string(i) + "\n";
  WriteText(file, old);
  std::string error;
  ASSERT_TRUE(WriteAIFile(file, LayoutOf(n.Drawing(), n.R), error)) << error;
  const std::string text = ReadText(file);
  EXPECT_EQ(text.rfind("%!PS-Adobe-3.0", 0), 0u);
  EXPECT_EQ(text.find("OLD-LINE-"), std::string::npos) << "nothing of the old file remains";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(WriterAI, GhostscriptPaintsTheShapesWhereTheyWereNested) {
  const std::string gs = FindGhostscript();
  if (gs.empty()) {
    if (std::getenv("CI") != nullptr) FAIL() << "Ghostscript is missing on CI";
    GTEST_SKIP() << "Ghostscript is not installed";
  }
  // Filled shapes only, not turned: the marks' box is then exactly the outlines' box.
  TNested n;
  n.Shapes = std::make_unique<TQarvShapes>();
  AddShape(*n.Shapes, {Rect(0, 0, 60, 40)}, 0x0000FF, 0);
  AddShape(*n.Shapes, {Rect(100, 0, 180, 80), Rect(120, 20, 160, 60)}, 0x00FF00, 0);
  AddShape(*n.Shapes, {Rect(200, 0, 230, 100)}, 0x000000, 0);
  n.Shapes->ApproximateShapes(4, true);
  Nest(n, Sheets(500, 500, 3));
  TTempDir dir("writer-ai-gs");
  const std::string file = dir.File("render.ai");
  std::string error, text;
  ASSERT_TRUE(BuildAIText(LayoutOf(n.Drawing(), n.R), text, error)) << error;
  ASSERT_TRUE(WriteAIFile(file, LayoutOf(n.Drawing(), n.R), error)) << error;

  const std::string out = dir.File("bbox.txt");
  const std::string command =
      gs + " -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=bbox '" + file + "' >'" + out + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << ReadText(out);
  std::smatch hires;
  const std::string report = ReadText(out);
  ASSERT_TRUE(std::regex_search(report, hires,
                                std::regex("%%HiResBoundingBox: ([-0-9.]+) ([-0-9.]+) "
                                           "([-0-9.]+) ([-0-9.]+)")))
      << report;
  std::smatch page;
  ASSERT_TRUE(std::regex_search(text, page,
                                std::regex("%%BoundingBox: (-?\\d+) (-?\\d+) (-?\\d+) (-?\\d+)")));

  TRectDbl marks = EmptyBox();
  for (const auto& shape : PlacedLayout(n)) {
    for (const TPlacedPath& p : shape) {
      for (const TPlacedSegment& s : p.Segments) WidenBox(marks, s.End);
    }
  }
  const double originX = std::stod(page[1]);
  const double originY = std::stod(page[2]);
  const double tolerance = 1.0;  // points; the bbox device rounds outward to its raster
  EXPECT_NEAR(std::stod(hires[1]), marks.Left / kMillimetresPerPoint - originX, tolerance);
  EXPECT_NEAR(std::stod(hires[2]), marks.Bottom / kMillimetresPerPoint - originY, tolerance);
  EXPECT_NEAR(std::stod(hires[3]), marks.Right / kMillimetresPerPoint - originX, tolerance);
  EXPECT_NEAR(std::stod(hires[4]), marks.Top / kMillimetresPerPoint - originY, tolerance);
}

TEST(WriterAI, BoundingBoxHoldsTheWholeLayout) {
  // Sheets and shapes whose edges fall between whole points on every side.
  const auto shapes = MixedDrawing();
  TEngineState E;
  HandBuiltResult(E, shapes->ShapeCount(), {{-210.3, -5.7}, {10.3, 0.2}}, 200, 300);
  Place(E, 0, 0, 40, 30, 0.3, 70);
  Place(E, 2, 1, 170, 280, 0.0, 310);  // the disc reaches over its sheet's top right corner
  const TOneNestingResult R = Result(E);
  std::string text, error;
  ASSERT_TRUE(BuildAIText(LayoutOf(*shapes, R), text, error)) << error;
  const size_t at = text.find("%%BoundingBox: ");
  ASSERT_NE(at, std::string::npos);
  std::istringstream line(text.substr(at + 15));
  double left = 0, bottom = 0, right = 0, top = 0;
  line >> left >> bottom >> right >> top;
  const TRectDbl box = LayoutBounds(*shapes, R);
  EXPECT_LE(left * kMillimetresPerPoint, box.Left);
  EXPECT_LE(bottom * kMillimetresPerPoint, box.Bottom);
  EXPECT_GE(right * kMillimetresPerPoint, box.Right);
  EXPECT_GE(top * kMillimetresPerPoint, box.Top);
}

}  // namespace plavo
