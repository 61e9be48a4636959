// The SVG reader on a drawing that uses every supported feature, on the attribute languages,
// and on documents that are broken or hostile.
#include <cmath>
#include <numbers>
#include <string>

#include <gtest/gtest.h>

#include "formats/DrawingTestSupport.h"
#include "formats/ReadNotes.h"
#include "formats/svg/SvgStyle.h"

namespace plavo {

namespace {

// 400 x 200 user units on a 200 mm x 100 mm page: 0.5 mm per unit; Y flips about 100 mm.
constexpr const char* kFeatureDrawing = R"svg(<?xml version="1.0"?>
<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink"
     width="200mm" height="100mm" viewBox="0 0 400 200">
  <defs><rect id="r" width="20" height="10" fill="lime"/></defs>
  <rect x="10" y="10" width="40" height="20" rx="5" fill="#f00"/>
  <circle cx="100" cy="50" r="10" style="fill:rgb(0,0,255);stroke:green"/>
  <ellipse cx="150" cy="50" rx="20" ry="10" fill="none" stroke="#0f0"/>
  <line x1="0" y1="0" x2="10" y2="0" stroke="black"/>
  <polyline points="0,100 10,110 20,100" fill="none" stroke="navy"/>
  <polygon points="200,100 220,100 210,120"/>
  <g transform="translate(300,20) scale(2)" fill="yellow">
    <path d="M0 0 h10 v10 h-10 z m2 2 v6 h6 v-6 z" fill-rule="evenodd"/>
    <g transform="rotate(90)"><path d="M0,0 L5,0"/></g>
  </g>
  <use xlink:href="#r" x="300" y="150"/>
  <text x="0" y="0">Label</text>
  <rect x="0" y="0" width="5" height="5" style="display:none"/>
  <path d="M 10 150 C 20 140 30 140 40 150 S 60 160 70 150 Q 80 140 90 150 T 110 150
           A 10 10 0 0 1 130 150 z"/>
  <path d="M0 0 L10 0 L10 10 L0 10 Z M2 2 L8 2 L8 8 L2 8 Z"/>
  <path d="m0,0 l10,0 l0,10 l-10,0 z m2,2 l0,6 l6,0 l0,-6 z"/>
  <g transform="skewX(45)"><rect width="10" height="10" transform="matrix(1 0 0 1 0 0)"/></g>
</svg>)svg";

}  // namespace

TEST(SvgReader, EveryFeatureOfTheDrawing) {
  const TDrawing d = ReadDrawing(kFeatureDrawing);
  ASSERT_TRUE(d.Ok);
  EXPECT_EQ(d.Progress, 0);
  ASSERT_EQ(d.Count(), 12);
  ASSERT_EQ(d.Messages.Warnings.size(), 1u);
  EXPECT_NE(d.Messages.Warnings[0].find("convert text to paths"), std::string::npos);

  // Rounded rectangle: four sides and four corner arcs, in mm with the page's Y flipped.
  EXPECT_EQ(d.Shape(0).Color().Fill, 255);
  EXPECT_TRUE(d.Path(0, 0).Closed());
  ExpectBox(d.Shape(0).BoundBox(), 5, 85, 25, 95, 1e-3);
  // Style wins, rgb() and names; fill none is -1.
  EXPECT_EQ(d.Shape(1).Color().Fill, 255 * 65536);
  EXPECT_EQ(d.Shape(1).Color().Outline, 128 * 256);
  EXPECT_LT(CircleError(d.Path(1, 0), {50, 75}, 5), 1e-3);
  EXPECT_EQ(d.Shape(2).Color().Fill, -1);
  EXPECT_EQ(d.Shape(2).Color().Outline, 255 * 256);
  ExpectBox(d.Shape(2).BoundBox(), 65, 70, 85, 80, 0.02);
  // Line and polyline stay open; the polygon closes itself.
  EXPECT_EQ(d.Path(3, 0).Type_(), 0);
  EXPECT_EQ(d.Path(4, 0).SegmentCount(), 2);
  EXPECT_FALSE(d.Path(4, 0).Closed());
  EXPECT_TRUE(d.Path(5, 0).Closed());
  EXPECT_EQ(d.Shape(5).Color().Fill, 0);
  // The group is one shape: an outline with its even-odd hole and the turned line.
  ASSERT_EQ(d.Paths(6), 3);
  EXPECT_EQ(d.Shape(6).Color().Fill, 255 + 255 * 256);
  EXPECT_EQ(d.Path(6, 0).Type_(), 1);
  EXPECT_EQ(d.Path(6, 1).Type_(), -1);
  ExpectBox(d.Path(6, 0).BoundBox(), 150, 80, 160, 90);
  ExpectBox(d.Path(6, 2).BoundBox(), 150, 85, 150, 90);
  // use places the referenced rectangle with its own colour.
  ExpectBox(d.Shape(7).BoundBox(), 150, 20, 160, 25);
  EXPECT_EQ(d.Shape(7).Color().Fill, 255 * 256);
  // C S Q T A Z: closed; the arc (after C, S, Q and T) is a half circle about (120, 150).
  const TQarvOnePath& mixed = d.Path(8, 0);
  EXPECT_TRUE(mixed.Closed());
  ASSERT_GT(mixed.SegmentCount(), 6);
  EXPECT_DOUBLE_EQ(mixed.GetSegment(3)->EndNode().X, 55.0);
  EXPECT_NEAR(mixed.GetSegment(4)->EndNode().Y, 25 + 5 * std::sin(std::numbers::pi / 3), 1e-3);
  EXPECT_NEAR(d.Shape(8).BoundBox().Top, 30.0, 0.02);
  EXPECT_NEAR(d.Shape(8).BoundBox().Left, 5.0, 1e-9);
  EXPECT_NEAR(d.Shape(8).BoundBox().Right, 65.0, 1e-3);
  // Non-zero rule: an inner square turning the same way fills, turning back cuts a hole.
  EXPECT_EQ(d.Paths(9), 1);
  EXPECT_EQ(d.Paths(10), 2);
  // skewX(45) leans the square by its height.
  ExpectBox(d.Shape(11).BoundBox(), 0, 95, 10, 100, 1e-9);
  EXPECT_NEAR(d.Path(11, 0).GetSegment(2)->StartNode().X, 10.0, 1e-9);
}

TEST(SvgReader, PageSizeUnitsAndViewBox) {
  // No viewBox: user units are px at 96 per inch; the page height sets the flip.
  TDrawing d = ReadDrawing(
      R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="2in" height="1in">
           <rect x="0" y="0" width="96" height="48"/></svg>)svg");
  ASSERT_EQ(d.Count(), 1);
  ExpectBox(d.Shape(0).BoundBox(), 0, 12.7, 25.4, 25.4, 1e-9);
  // A viewBox of another aspect is centred (xMidYMid meet); "none" stretches.
  d = ReadDrawing(R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="100mm" height="50mm"
                          viewBox="0 0 10 10"><rect width="10" height="10"/></svg>)svg");
  ExpectBox(d.Shape(0).BoundBox(), 25, 0, 75, 50, 1e-9);
  d = ReadDrawing(R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="100mm" height="50mm"
                  viewBox="0 0 10 10" preserveAspectRatio="none"><rect width="10" height="10"/></svg>)svg");
  ExpectBox(d.Shape(0).BoundBox(), 0, 0, 100, 50, 1e-9);

  for (const auto& [text, mm] : {std::pair{"10mm", 10.0},
                                 {"1cm", 10.0},
                                 {"1in", 25.4},
                                 {"72pt", 25.4},
                                 {"6pc", 25.4},
                                 {"96px", 25.4},
                                 {"96", 25.4},
                                 {" 1e1mm ", 10.0}}) {
    const auto parsed = ParseSvgLengthMm(text);
    ASSERT_TRUE(parsed) << text;
    EXPECT_NEAR(*parsed, mm, 1e-9) << text;
  }
  EXPECT_FALSE(ParseSvgLengthMm("50%"));
  EXPECT_FALSE(ParseSvgLengthMm("mm"));
}

TEST(SvgReader, ColoursAndTransformLists) {
  EXPECT_EQ(ParseSvgColor("#abc"), 0xAA + 0xBB * 256 + 0xCC * 65536);
  EXPECT_EQ(ParseSvgColor("#102030"), 0x10 + 0x20 * 256 + 0x30 * 65536);
  EXPECT_EQ(ParseSvgColor("rgb(100%, 0%, 50%)"), 255 + 128 * 65536);
  EXPECT_EQ(ParseSvgColor("RebeccaPurple"), 0x66 + 0x33 * 256 + 0x99 * 65536);
  EXPECT_EQ(ParseSvgColor("none"), -1);
  EXPECT_FALSE(ParseSvgColor("#12"));
  EXPECT_FALSE(ParseSvgColor("url(#grad)"));
  EXPECT_FALSE(ParseSvgColor("rgb(1,2)"));
  EXPECT_EQ(StyleProperty("fill:red; stroke : blue ;fill:none", "fill"), "none");

  // Applied right to left: the point is scaled, then moved.
  const auto t = ParseSvgTransform("translate(10 20), scale(2)");
  ASSERT_TRUE(t);
  const TNodeSimple p = t->Apply({1, 1});
  EXPECT_DOUBLE_EQ(p.X, 12);
  EXPECT_DOUBLE_EQ(p.Y, 22);
  const auto r = ParseSvgTransform("rotate(90 5 5)");
  ASSERT_TRUE(r);
  EXPECT_NEAR(r->Apply({10, 5}).X, 5, 1e-12);
  EXPECT_NEAR(r->Apply({10, 5}).Y, 10, 1e-12);
  EXPECT_FALSE(ParseSvgTransform("scale(1,2,3)"));
  EXPECT_FALSE(ParseSvgTransform("translate(1"));
}

TEST(SvgReader, BrokenAndHostileDocuments) {
  for (const std::string& bad :
       {std::string("<svg"), std::string("<html><body/></html>"), std::string("<svg><g></svg>")}) {
    const TDrawing d = ReadDrawing(bad);
    EXPECT_FALSE(d.Ok) << bad;
    EXPECT_EQ(d.Count(), 0);
    ASSERT_EQ(d.Messages.Errors.size(), 1u);
    EXPECT_EQ(d.Messages.Errors[0], "Error opening file!");
  }
  // Path data is drawn up to its first error; junk numbers never become coordinates.
  TDrawing d = ReadDrawing(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
      <path d="M0 0 L10 0 L10 10 X 5 5 L 99 99"/><path d="M 1e999 0 L 5 5"/></svg>)svg");
  ASSERT_TRUE(d.Ok);
  ASSERT_EQ(d.Count(), 1);
  EXPECT_EQ(d.Path(0, 0).SegmentCount(), 2);
  // Deep nesting is left out instead of exhausting the stack; a use of its own ancestor is
  // skipped.
  std::string deep = "<svg xmlns=\"http://www.w3.org/2000/svg\">";
  for (int i = 0; i < 5000; ++i) deep += "<g>";
  for (int i = 0; i < 5000; ++i) deep += "</g>";
  d = ReadDrawing(deep + "</svg>");
  EXPECT_TRUE(d.Ok);
  EXPECT_EQ(d.Messages.Warnings, std::vector<std::string>{kDeepGroupsWarning});
  d = ReadDrawing(
      R"svg(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink">
      <g id="a"><rect width="5" height="5"/><use xlink:href="#a"/></g></svg>)svg");
  ASSERT_TRUE(d.Ok);
  EXPECT_EQ(TotalPaths(d), 1);
  // Uses of groups of ten uses, twelve levels deep: 10^12 elements from a few hundred bytes are
  // refused with a reason, drawn or empty.
  for (const char* leaf : {"<g id=\"g0\"/>", "<rect id=\"g0\" width=\"1\" height=\"1\"/>"}) {
    std::string bomb = "<svg xmlns=\"http://www.w3.org/2000/svg\"><defs>" + std::string(leaf);
    for (int level = 1; level <= 12; ++level) {
      bomb += "<g id=\"g" + std::to_string(level) + "\">";
      for (int k = 0; k < 10; ++k) bomb += "<use href=\"#g" + std::to_string(level - 1) + "\"/>";
      bomb += "</g>";
    }
    d = ReadDrawing(bomb + "</defs><use href=\"#g12\"/></svg>");
    EXPECT_FALSE(d.Ok);
    EXPECT_EQ(d.Problem.Text, kOverBudgetProblem);
  }
  // One path of thousands of squares (the non-zero rule weighs each against all the others).
  std::string squares = "<svg xmlns=\"http://www.w3.org/2000/svg\"><path d=\"";
  for (int i = 0; i < 3000; ++i) {
    const std::string at = std::to_string(i);
    squares.append("M").append(at).append(" ").append(at).append("h1v1h-1z");
  }
  d = ReadDrawing(squares + "\"/></svg>");
  ASSERT_TRUE(d.Ok);
  EXPECT_EQ(TotalPaths(d), 3000);
}

}  // namespace plavo
