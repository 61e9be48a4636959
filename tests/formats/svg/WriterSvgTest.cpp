#include "formats/svg/SvgWriter.h"

#include <filesystem>
#include <algorithm>
#include <regex>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "formats/DrawingTestSupport.h"
#include "formats/WriterTestSupport.h"

namespace plavo {

using namespace nest_test;
using namespace writer_test;

namespace {

std::string Attribute(const std::string& Element, const std::string& Name) {
  std::smatch m;
  if (!std::regex_search(Element, m, std::regex(" " + Name + "=\"([^\"]*)\""))) return "";
  return m[1];
}

std::vector<std::string> Elements(const std::string& Text, const std::string& Tag) {
  std::vector<std::string> found;
  const std::regex element("<" + Tag + " [^>]*>");
  for (auto it = std::sregex_iterator(Text.begin(), Text.end(), element);
       it != std::sregex_iterator(); ++it) {
    found.push_back(it->str());
  }
  return found;
}

}  // namespace

TEST(WriterSvg, ColoursAreWrittenRedFirst) {
  EXPECT_EQ(SvgColor(0x0000FF), "#ff0000");
  EXPECT_EQ(SvgColor(0xB799FF), "#ff99b7");
  EXPECT_EQ(SvgColor(0), "#000000");
  EXPECT_EQ(SvgColor(-1), "none");
}

TEST(WriterSvg, PictureIsInMillimetresWithTheLayoutsOwnCoordinates) {
  TNested n;
  n.Shapes = MixedDrawing();
  Nest(n, Sheets(130, 130));
  const TNestReport report = ComputeNestReport(n.R, 0);
  std::string text, error;
  ASSERT_TRUE(BuildSvgText(LayoutOf(n.Drawing(), n.R), text, error)) << error;

  const std::string svg = Elements(text, "svg").at(0);
  const TRectDbl box = LayoutBounds(n.Drawing(), n.R);
  EXPECT_NEAR(std::stod(Attribute(svg, "width")), box.Right - box.Left, 1e-3);
  EXPECT_NE(Attribute(svg, "width").find("mm"), std::string::npos);
  EXPECT_NE(Attribute(svg, "height").find("mm"), std::string::npos);
  EXPECT_NEAR(std::stod(Attribute(svg, "height")), box.Top - box.Bottom, 1e-3);
  std::istringstream viewBox(Attribute(svg, "viewBox"));
  double vx = 0, vy = 0, vw = 0, vh = 0;
  viewBox >> vx >> vy >> vw >> vh;
  EXPECT_NEAR(vx, box.Left, 1e-3);
  EXPECT_NEAR(vy, box.Bottom, 1e-3);
  EXPECT_NEAR(vw, box.Right - box.Left, 1e-3);
  EXPECT_NEAR(vh, box.Top - box.Bottom, 1e-3);
  // Y is written flipped about the middle of the box, so the box maps onto itself; no
  // transform on a group joins the shapes.
  EXPECT_EQ(text.find("transform"), std::string::npos);
  const auto flipped = [&box](double Y) { return box.Top + box.Bottom - Y; };

  const std::vector<std::string> sheets = Elements(text, "rect");
  EXPECT_EQ(sheets.size(), static_cast<size_t>(report.Sheets));
  for (size_t j = 0; j < sheets.size(); ++j) {
    EXPECT_NEAR(std::stod(Attribute(sheets[j], "x")),
                n.R.Block.Item[j].Position.x - n.R.Block.Item[0].Position.x, 1e-3);
    EXPECT_NEAR(std::stod(Attribute(sheets[j], "y")), flipped(n.R.P.Media_H), 1e-3);
    EXPECT_NEAR(std::stod(Attribute(sheets[j], "height")), n.R.P.Media_H, 1e-3);
  }

  // One path per placed shape, in index order, in its colours, starting at its first point.
  const std::vector<std::string> paths = Elements(text, "path");
  const auto layout = PlacedLayout(n);
  ASSERT_EQ(paths.size(), layout.size());
  ASSERT_EQ(paths.size(), 5u);
  for (size_t k = 0; k < paths.size(); ++k) {
    const TQarvOneShape& shape = *n.Drawing().GetShape(static_cast<int>(k));
    EXPECT_EQ(Attribute(paths[k], "fill"), SvgColor(shape.Color().Fill));
    EXPECT_EQ(Attribute(paths[k], "stroke"), SvgColor(shape.Color().Outline));
    std::istringstream d(Attribute(paths[k], "d").substr(1));
    double x = 0, y = 0;
    d >> x >> y;
    EXPECT_NEAR(x, layout[k][0].Segments[0].Start.X, 1e-4);
    EXPECT_NEAR(y, flipped(layout[k][0].Segments[0].Start.Y), 1e-4);
  }
  EXPECT_EQ(Attribute(paths[3], "fill"), "none") << "the triangle has no fill";
  // The frame is one path with its hole as a second closed sub-path.
  const std::string frame = Attribute(paths[1], "d");
  EXPECT_EQ(std::count(frame.begin(), frame.end(), 'M'), 2);
  EXPECT_EQ(std::count(frame.begin(), frame.end(), 'Z'), 2);
}

// Read back, the picture holds the sheet outlines' layer and then every placed shape as a shape
// of its own, each path starting where it was placed.
TEST(WriterSvg, ReadsBackAsThePlacedShapesWherePlaced) {
  TNested n;
  n.Shapes = MixedDrawing();
  Nest(n, Sheets(130, 130));
  std::string text, error;
  ASSERT_TRUE(BuildSvgText(LayoutOf(n.Drawing(), n.R), text, error)) << error;
  const TDrawing read = ReadDrawing(text);
  ASSERT_TRUE(read.Ok);
  const auto layout = PlacedLayout(n);
  ASSERT_EQ(read.Count(), static_cast<int>(layout.size()) + 1);
  for (size_t k = 0; k < layout.size(); ++k) {
    const int shape = static_cast<int>(k) + 1;
    ASSERT_EQ(read.Paths(shape), static_cast<int>(layout[k].size())) << "shape " << k;
    for (size_t p = 0; p < layout[k].size(); ++p) {
      ExpectNear(read.Path(shape, static_cast<int>(p)).GetSegment(0)->StartNode(),
                 layout[k][p].Segments[0].Start, 1e-3, "shape " + std::to_string(k));
    }
  }
}

TEST(WriterSvg, WritesThroughATemporaryFileAndReportsFailures) {
  TNested n;
  n.Shapes = MixedDrawing();
  Nest(n, Sheets(300, 200));
  TTempDir dir("writer-svg");
  const std::string file = dir.File("out.svg");
  std::string error;
  ASSERT_TRUE(WriteSvgFile(file, LayoutOf(n.Drawing(), n.R), error)) << error;
  EXPECT_EQ(ReadText(file).rfind("<?xml", 0), 0u);
  EXPECT_NE(ReadText(file).find("</svg>\n"), std::string::npos);

  EXPECT_FALSE(WriteSvgFile(dir.File("missing/out.svg"), LayoutOf(n.Drawing(), n.R), error));
  EXPECT_NE(error.find("missing/out.svg"), std::string::npos) << error;
  TQarvShapes other;
  EXPECT_FALSE(NestedLayoutOf(other, n.R).has_value());
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(WriterSvg, ResultWithNothingPlacedIsStillAValidPicture) {
  auto shapes = MixedDrawing();
  TEngineState E;
  HandBuiltResult(E, shapes->ShapeCount(), {{0, 0}});
  std::string text, error;
  ASSERT_TRUE(BuildSvgText(LayoutOf(*shapes, Result(E)), text, error)) << error;
  EXPECT_TRUE(Elements(text, "path").empty());
  EXPECT_TRUE(Elements(text, "rect").empty());
  const std::string svg = Elements(text, "svg").at(0);
  EXPECT_GT(std::stod(Attribute(svg, "width")), 0.0) << "a zero-sized picture shows nothing";
}

}  // namespace plavo
