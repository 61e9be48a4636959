// The reader on small drawings held in memory: lines, operands, colours, path operators,
// grouping, layers and the skipped sections.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formats/ai/ReaderTestSupport.h"

namespace plavo {

namespace {

// A filled one-segment square side, painted with the fill colour in force.
constexpr const char* kFilledPath = "0 0 m\n10 0 l\nf\n";

struct TColorCase {
  const char* Lines;
  int32_t Fill;
  int32_t Outline;
};

// Each case starts from a grey fill and stroke, so a colour that was not applied shows.
void ExpectColors(const std::vector<TColorCase>& Cases) {
  for (size_t i = 0; i < Cases.size(); ++i) {
    SCOPED_TRACE("case " + std::to_string(i) + ": " + Cases[i].Lines);
    const TReadResult r =
        ReadBody(std::string("0.2 g\n0.2 G\n") + Cases[i].Lines + "\n" + kFilledPath);
    ASSERT_TRUE(r.Ok);
    ASSERT_EQ(r.ShapeCount(), 1);
    EXPECT_EQ(r.Shape(0).Color().Fill, Cases[i].Fill);
    EXPECT_EQ(r.Shape(0).Color().Outline, Cases[i].Outline);
  }
}

constexpr int32_t kGrey02 = 51 * 65793;  // 0.2 grey: 51 in each channel
constexpr int32_t kHalfGrey = 8355711;   // 127 in each channel
constexpr int32_t kWhite = 16777215;

}  // namespace

TEST(ReaderColors, FillOperatorsConvertGreyCmykAndRgb) {
  ExpectColors({
      {"0 g", 0, kGrey02},
      {"1 g", kWhite, kGrey02},
      {"0.5 g", kHalfGrey, kGrey02},
      {"0,5 g", kHalfGrey, kGrey02},
      {"0 0 0 1 k", 0, kGrey02},
      {"1 0 0 0 k", 16776960, kGrey02},
      {"0 0 0 0.5 k", kHalfGrey, kGrey02},
      {"0 1 1 0 cmyk", 255, kGrey02},
      {"0 0 1 Xa", 16711680, kGrey02},
      {"0.5 0.5 0.5 0 (Name) 1 x", kHalfGrey, kGrey02},
      {"1 0 0 (Name) 1 x", 255, kGrey02},
      {"0 1 0 (Name) 1 Xx", 65280, kGrey02},
      // 0.3 black: Trunc(0.7 * 255) = 178 red, nothing else.
      {"0 1 1 0.3 (TCL RED) 1 x", 178, kGrey02},
      // A bracketed list before the name is skipped too.
      {"0 0 0 0 [0 0] (Name) 1 x", kWhite, kGrey02},
  });
}

TEST(ReaderColors, StrokeOperatorsSetTheOutline) {
  ExpectColors({
      {"0.5 G", kGrey02, kHalfGrey},
      {"1 0 0 0 K", kGrey02, 16776960},
      {"0 1 0 XA", kGrey02, 65280},
      {"0.5 0.5 0.5 0 (Name) 1 X", kGrey02, kHalfGrey},
      {"1 0 0 (Name) 1 XX", kGrey02, 255},
      {"1 g 0 G", kWhite, 0},
  });
}

TEST(ReaderColors, ChannelsAreNotClamped) {
  ExpectColors({
      {"2 g", 510 + 256 * 510 + 65536 * 510, kGrey02},
      {"-1 g", -16777215, kGrey02},
  });
}

TEST(ReaderColors, OperatorsWithoutNumericOperandsLeaveTheColour) {
  ExpectColors({
      {"g", kGrey02, kGrey02},
      {"abc g", kGrey02, kGrey02},
      {"0.5 0.5 k", kGrey02, kGrey02},
      {"0 0 0 (Name) x", kGrey02, kGrey02},
      {"(Name) 1 x", kGrey02, kGrey02},
      {"0.5 0.5 (Name) 1 X", kGrey02, kGrey02},
      {"0.5  g", kGrey02, kGrey02},  // two spaces: the operand is cut off
      // Special values, hexadecimal and out-of-range literals are no numbers.
      {"inf g", kGrey02, kGrey02},
      {"nan g", kGrey02, kGrey02},
      {"0x1 g", kGrey02, kGrey02},
      {"1e999 g", kGrey02, kGrey02},
      {"0.5g g", kGrey02, kGrey02},
      {"-+0.5 g", kGrey02, kGrey02},
      // A colour whose packed value does not fit 32 bits is not applied.
      {"1e30 g", kGrey02, kGrey02},
      {"1e300 0 0 0 k", kGrey02, kGrey02},
      {"1e6 0 0 Xa", 255000000, kGrey02},
      {"1e6 1e6 1e6 Xa", kGrey02, kGrey02},
  });
}

TEST(ReaderColors, NumberForms) {
  ExpectColors({
      {"+0.5 g", kHalfGrey, kGrey02},
      {".5 g", kHalfGrey, kGrey02},
      {"5e-1 g", kHalfGrey, kGrey02},
      {"0.05E+1 g", kHalfGrey, kGrey02},
      {"1. g", kWhite, kGrey02},
  });
}

TEST(ReaderColors, UnknownAndOtherPaintOperatorsLeaveTheColour) {
  ExpectColors({
      {"0.5 w", kGrey02, kGrey02},
      {"0 XR", kGrey02, kGrey02},
      {"0.5 gg", kGrey02, kGrey02},
      {"0.5 Gg", kGrey02, kGrey02},
  });
}

TEST(ReaderColors, NameWithoutRoomBeforeItStaysOnTheLine) {
  // Nothing stands before the name, so it is not skipped: the colour fails, and the name's
  // words are then read as operators, among them the group operator "u".
  const TReadResult r =
      ReadBody("(Name of u colour) 1 x\n" + std::string(kFilledPath) + kFilledPath);
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_EQ(r.Shape(0).Curve()->PathCount(), 2);
  EXPECT_EQ(r.Shape(0).Color().Fill, 0);
}

TEST(ReaderColors, ColourOperatorInsideAnOpenPathEndsItAndIsIgnored) {
  const TReadResult r = ReadBody("1 g\n0 0 m\n10 0 l\n0.5 g\n20 0 l\nf\n");
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_EQ(r.Shape(0).Color().Fill, kWhite);
  EXPECT_EQ(r.Path(0, 0).SegmentCount(), 1);
}

TEST(ReaderColors, EveryDrawingStartsFromBlack) {
  const TReadResult first = ReadBody("1 g\n1 G\n" + std::string(kFilledPath));
  ASSERT_EQ(first.ShapeCount(), 1);
  EXPECT_EQ(first.Shape(0).Color().Fill, kWhite);
  const TReadResult second = ReadBody(kFilledPath);
  ASSERT_EQ(second.ShapeCount(), 1);
  EXPECT_EQ(second.Shape(0).Color().Fill, 0);
  EXPECT_EQ(second.Shape(0).Color().Outline, 0);
}

TEST(ReaderPaths, MoveToConvertsPointsToMillimetres) {
  const TReadResult r = ReadBody("100 200 m\n0 0 l\nf\n");
  ASSERT_EQ(r.ShapeCount(), 1);
  const TSegmentView view = r.Path(0, 0).GetSegment(0);
  const TQarvOneSegment& s = *view;
  EXPECT_DOUBLE_EQ(s.StartNode().X, 35.2777);
  EXPECT_DOUBLE_EQ(s.StartNode().Y, 70.5555);
  EXPECT_DOUBLE_EQ(PointsToMm(100), 35.2777);
  // Truncation is toward zero on both sides.
  const TReadResult n = ReadBody("-100 -200 m\n0 0 l\nf\n");
  EXPECT_DOUBLE_EQ(n.Path(0, 0).GetSegment(0)->StartNode().X, -35.2777);
  EXPECT_DOUBLE_EQ(n.Path(0, 0).GetSegment(0)->StartNode().Y, -70.5555);
}

TEST(ReaderPaths, SegmentOperatorsPlaceTheirControlPoints) {
  const TReadResult r =
      ReadBody("0 0 m\n100 0 L\n110 10 120 20 130 30 c\n140 40 150 50 v\n160 60 170 70 y\nF\n");
  ASSERT_EQ(r.ShapeCount(), 1);
  const TQarvOnePath& p = r.Path(0, 0);
  ASSERT_EQ(p.SegmentCount(), 4);
  auto expectNode = [](TNodeSimple Node, double X, double Y) {
    EXPECT_DOUBLE_EQ(Node.X, PointsToMm(X));
    EXPECT_DOUBLE_EQ(Node.Y, PointsToMm(Y));
  };
  // A straight piece: controls on its ends.
  expectNode(p.GetSegment(0)->StartNode(), 0, 0);
  expectNode(p.GetSegment(0)->StartControlNode(), 0, 0);
  expectNode(p.GetSegment(0)->EndControlNode(), 100, 0);
  expectNode(p.GetSegment(0)->EndNode(), 100, 0);
  // c: both controls from the operands.
  expectNode(p.GetSegment(1)->StartNode(), 100, 0);
  expectNode(p.GetSegment(1)->StartControlNode(), 110, 10);
  expectNode(p.GetSegment(1)->EndControlNode(), 120, 20);
  expectNode(p.GetSegment(1)->EndNode(), 130, 30);
  // v: the first control is the current point.
  expectNode(p.GetSegment(2)->StartControlNode(), 130, 30);
  expectNode(p.GetSegment(2)->EndControlNode(), 140, 40);
  expectNode(p.GetSegment(2)->EndNode(), 150, 50);
  // y: the second control is the end point.
  expectNode(p.GetSegment(3)->StartControlNode(), 160, 60);
  expectNode(p.GetSegment(3)->EndControlNode(), 170, 70);
  expectNode(p.GetSegment(3)->EndNode(), 170, 70);
  EXPECT_EQ(p.GetSegment(3)->Type_(), 1);
  EXPECT_FALSE(p.StoredClosed());
}

TEST(ReaderPaths, OperatorAliasesAddSegments) {
  const TReadResult r = ReadBody(
      "0 0 mo\n1 0 ln\n1 1 l\n2 2 3 3 4 4 C\n5 5 6 6 7 7 cv\n8 8 9 9 V\n10 10 11 11 Y\nf\n");
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_EQ(r.Path(0, 0).SegmentCount(), 6);
}

TEST(ReaderPaths, PaintingOperatorsSetFillOrNone) {
  struct TCase {
    const char* Op;
    bool Filled;
  };
  const TCase cases[] = {{"f", true},  {"F", true},  {"ef", true}, {"n", true},  {"N", true},
                         {"S", false}, {"s", false}, {"B", false}, {"b", false}, {"Ln", true}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Op);
    const TReadResult r = ReadBody(std::string("1 g\n0.5 G\n0 0 m\n10 0 l\n") + c.Op + "\n");
    ASSERT_EQ(r.ShapeCount(), 1);
    EXPECT_EQ(r.Shape(0).Color().Fill, c.Filled ? kWhite : -1);
    EXPECT_EQ(r.Shape(0).Color().Outline, kHalfGrey);
    EXPECT_EQ(r.Path(0, 0).SegmentCount(), 1);
  }
}

TEST(ReaderPaths, ClippingAndDiscardedPathsMakeNothing) {
  for (const char* op : {"*", "&", "@", "clp"}) {
    SCOPED_TRACE(op);
    const TReadResult r = ReadBody(std::string("0 0 m\n10 0 l\n") + op + "\n");
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(r.ShapeCount(), 0);
  }
}

TEST(ReaderPaths, AtCKeepsThePathOpen) {
  const TReadResult r = ReadBody("0 0 m\n10 0 l\n@c\n20 0 l\nf\n");
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_EQ(r.Path(0, 0).SegmentCount(), 2);
}

TEST(ReaderPaths, PathsWithoutSegmentsOrEndingMakeNothing) {
  EXPECT_EQ(ReadBody("0 0 m\nn\n").ShapeCount(), 0);
  EXPECT_EQ(ReadBody("0 0 m\nf\n").ShapeCount(), 0);
  // A path still open at the end of the file is dropped.
  EXPECT_EQ(ReadBody("0 0 m\n10 0 l\n").ShapeCount(), 0);
  // Segment operators without an open path do nothing.
  EXPECT_EQ(ReadBody("10 0 l\n0 0 1 1 2 2 c\nf\n").ShapeCount(), 0);
}

TEST(ReaderPaths, OtherOperatorsCutTheOpenPathShort) {
  // A new move-to ends the open path as "N" and starts the next one.
  TReadResult r = ReadBody("0.5 g\n0 0 m\n10 0 l\n5 5 m\n6 6 l\nS\n");
  ASSERT_EQ(r.ShapeCount(), 2);
  EXPECT_EQ(r.Shape(0).Color().Fill, kHalfGrey);
  EXPECT_EQ(r.Shape(1).Color().Fill, -1);
  // A segment operator whose operands fail ends the path too.
  r = ReadBody("0 0 m\n10 0 l\n10 l\n20 0 l\nf\n");
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_EQ(r.Path(0, 0).SegmentCount(), 1);
  // So does an unknown operator.
  r = ReadBody("0 0 m\n10 0 l\nfoo\n20 0 l\nf\n");
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_EQ(r.Path(0, 0).SegmentCount(), 1);
}

TEST(ReaderLines, OperatorsRunFromTheRightmost) {
  // "l" comes first while no path is open: the straight piece is lost.
  TReadResult r = ReadBody("0 0 m 10 10 l\n20 0 l\nf\n");
  ASSERT_EQ(r.ShapeCount(), 1);
  ASSERT_EQ(r.Path(0, 0).SegmentCount(), 1);
  EXPECT_DOUBLE_EQ(r.Path(0, 0).GetSegment(0)->EndNode().X, PointsToMm(20));
  // Written the other way round, both run on one line.
  r = ReadBody("30 0 l 0 0 m\nf\n");
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_DOUBLE_EQ(r.Path(0, 0).GetSegment(0)->EndNode().X, PointsToMm(30));
  // Numbers no operator took are skipped.
  r = ReadBody("1 2 3 0 0 m\n7 8 9 10 0 l\nf\n");
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_DOUBLE_EQ(r.Path(0, 0).GetSegment(0)->StartNode().X, 0.0);
  EXPECT_DOUBLE_EQ(r.Path(0, 0).GetSegment(0)->EndNode().X, PointsToMm(10));
}

TEST(ReaderLines, AFailedOperandStaysForTheNextOperator) {
  // "g" fails on "u", which then runs as the group operator: both paths share one shape.
  const TReadResult r = ReadBody("u g\n" + std::string(kFilledPath) + kFilledPath);
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_EQ(r.Shape(0).Curve()->PathCount(), 2);
  EXPECT_EQ(r.Shape(0).Color().Fill, 0);
}

TEST(ReaderLines, SpacesTabsAndLineEnds) {
  // Two spaces in a row end the interpretation of the rest of the line (to their left).
  TReadResult r = ReadBody("0 0 m\n10 0 l  20 0 l\nf\n");
  ASSERT_EQ(r.ShapeCount(), 1);
  ASSERT_EQ(r.Path(0, 0).SegmentCount(), 1);
  EXPECT_DOUBLE_EQ(r.Path(0, 0).GetSegment(0)->EndNode().X, PointsToMm(20));
  // Leading and trailing spaces do not count.
  r = ReadBody("  0 0 m  \n 10 0 l \n  f\n");
  EXPECT_EQ(r.ShapeCount(), 1);
  // A tab, like every control byte, ends the line.
  r = ReadBody(
      "0 0 m\n10 0 l\t20 0 l\x01"
      "30 0 l\nf\n");
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_EQ(r.Path(0, 0).SegmentCount(), 3);
  // CR, LF and CRLF line ends read alike.
  for (const char* eol : {"\r", "\n", "\r\n"}) {
    const std::string e = eol;
    r = ReadBytes("%!PS-Adobe-3.0" + e + "0 0 m" + e + "10 0 l" + e + "f" + e);
    EXPECT_EQ(r.ShapeCount(), 1);
  }
}

// Regression: a drawing whose file ended right after its last paint operator lost that shape.
TEST(ReaderLines, LastLineCountsWithoutATerminator) {
  EXPECT_EQ(ReadBody("0 0 m\n10 0 l\nf").ShapeCount(), 1);
  EXPECT_EQ(ReadBody("0 0 m\n10 0 l\nf\r").ShapeCount(), 1);
  const TReadResult signatureOnly = ReadBytes("%!PS-Adobe-3.0");
  EXPECT_TRUE(signatureOnly.Ok);
  EXPECT_EQ(signatureOnly.ShapeCount(), 0);
}

TEST(ReaderSignature, NothingIsReadBeforeTheSignatureLine) {
  TReadResult r = ReadBytes("0 0 m\n10 0 l\nf\n%!PS-Adobe-3.0\n0 0 m\n10 0 l\n20 0 l\nf\n");
  ASSERT_TRUE(r.Ok);
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_EQ(r.Path(0, 0).SegmentCount(), 2);
  // The signature needs 12 characters.
  r = ReadBytes("%!PS-Adobe-\n0 0 m\n10 0 l\nf\n");
  EXPECT_FALSE(r.Ok);
  r = ReadBytes("%!PS-Adobe-3\n0 0 m\n10 0 l\nf\n");
  EXPECT_TRUE(r.Ok);
  EXPECT_EQ(r.ShapeCount(), 1);
  // Case matters; a signature not at the start of its line does not count.
  EXPECT_FALSE(ReadBytes("%!ps-adobe-3.0\n").Ok);
  EXPECT_FALSE(ReadBytes(" %!PS-Adobe-3.0\n").Ok);
}

TEST(ReaderSignature, WithoutSignatureTheDrawingFails) {
  for (const std::string& bytes :
       {std::string(), std::string("0 0 m\n10 0 l\nf\n"), std::string("%!PS-Adobe-")}) {
    const TReadResult r = ReadBytes(bytes);
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.ShapeCount(), 0);
    EXPECT_EQ(r.Messages, std::vector<std::string>{"Error opening file!"});
  }
  const TReadResult good = ReadBody(kFilledPath);
  EXPECT_TRUE(good.Messages.empty());
}

TEST(ReaderSignature, DosEpsHeaderIsASignature) {
  // C5 D0 D3 C6, then the binary offsets (with bytes below 32) and the PostScript.
  std::string bytes("\xC5\xD0\xD3\xC6\x20\x00\x00\x00\x10\x00\x00\x00", 12);
  bytes += "0 0 m\n10 0 l\nf\n";
  TReadResult r = ReadBytes(bytes);
  EXPECT_TRUE(r.Ok);
  EXPECT_EQ(r.ShapeCount(), 1);
  // Three of the four bytes are not enough.
  r = ReadBytes(std::string("\xC5\xD0\xD3\n0 0 m\n10 0 l\nf\n"));
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.ShapeCount(), 0);
}

TEST(ReaderSections, PrologAndSetupAreSkipped) {
  EXPECT_EQ(ReadBody("%%BeginProlog\n0 0 m\n10 0 l\nf\n%%EndProlog\n").ShapeCount(), 0);
  EXPECT_EQ(ReadBody("%%BeginSetup\n0 0 m\n10 0 l\nf\n%%EndSetup\n").ShapeCount(), 0);
  EXPECT_EQ(ReadBody("%%BeginProlog\n%%EndProlog\n0 0 m\n10 0 l\nf\n").ShapeCount(), 1);
  EXPECT_EQ(ReadBody("%%BeginSetup\n%%EndSetup\n0 0 m\n10 0 l\nf\n").ShapeCount(), 1);
  // Comparisons are exact: a trailing space does not end the prolog.
  EXPECT_EQ(ReadBody("%%BeginProlog\n%%EndProlog \n0 0 m\n10 0 l\nf\n").ShapeCount(), 0);
  EXPECT_EQ(ReadBody("%%BeginProlog \n0 0 m\n10 0 l\nf\n").ShapeCount(), 1);
  EXPECT_EQ(ReadBody("%%beginprolog\n0 0 m\n10 0 l\nf\n").ShapeCount(), 1);
  // Ending the other section does not end this one.
  EXPECT_EQ(ReadBody("%%BeginProlog\n%%EndSetup\n0 0 m\n10 0 l\nf\n").ShapeCount(), 0);
  // Both open: both must end.
  EXPECT_EQ(ReadBody("%%BeginSetup\n%%BeginProlog\n%%EndSetup\n0 0 m\n10 0 l\nf\n").ShapeCount(),
            0);
}

TEST(ReaderSections, CommentsDoNothingElse) {
  const TReadResult r = ReadBody("0 0 m\n%AI5_ArtSize: 612 792\n% 1 g\n10 0 l\nf\n");
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_EQ(r.Path(0, 0).SegmentCount(), 1);
  EXPECT_EQ(r.Shape(0).Color().Fill, 0);
}

TEST(ReaderGroups, GroupedAndCompoundPathsShareAShape) {
  // A top-level group of two compound paths and a plain path: one shape of five paths.
  const std::string compound = "*u\n0 0 m\n10 0 l\nf\n1 1 m\n2 1 l\nf\n*U\n";
  TReadResult r = ReadBody("u\n" + compound + compound + "5 5 m\n6 5 l\nf\nU\n");
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_EQ(r.Shape(0).Curve()->PathCount(), 5);
  // Two compound paths outside any group: two shapes.
  r = ReadBody(compound + compound);
  ASSERT_EQ(r.ShapeCount(), 2);
  EXPECT_EQ(r.Shape(0).Curve()->PathCount(), 2);
  EXPECT_EQ(r.Shape(1).Curve()->PathCount(), 2);
  // Nested groups stay in the top-level group's shape; plain paths outside make their own.
  r = ReadBody("0 0 m\n1 0 l\nf\nu\n0 0 m\n1 0 l\nf\nu\n0 0 m\n1 0 l\nf\nU\n2 0 m\n3 0 l\nf\nU\n" +
               std::string(kFilledPath));
  ASSERT_EQ(r.ShapeCount(), 3);
  EXPECT_EQ(r.Shape(0).Curve()->PathCount(), 1);
  EXPECT_EQ(r.Shape(1).Curve()->PathCount(), 3);
  EXPECT_EQ(r.Shape(2).Curve()->PathCount(), 1);
}

TEST(ReaderGroups, ShapeTakesTheColourOfItsLastPath) {
  const TReadResult r = ReadBody("u\n1 g\n0 0 m\n10 0 l\nf\n0.5 g\n0.5 G\n0 0 m\n10 0 l\nf\nU\n");
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_EQ(r.Shape(0).Color().Fill, kHalfGrey);
  EXPECT_EQ(r.Shape(0).Color().Outline, kHalfGrey);
}

TEST(ReaderGroups, EmptyFirstPathUsesUpTheNewShape) {
  // The group's first path has no segment, so its second path joins the shape before the group.
  const TReadResult r = ReadBody(std::string(kFilledPath) + "u\n0 0 m\nn\n5 5 m\n6 5 l\nf\nU\n");
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_EQ(r.Shape(0).Curve()->PathCount(), 2);
}

TEST(ReaderGroups, UnbalancedGroupOperatorsOnlyAffectGrouping) {
  // An unmatched "U" drives the depth below zero, so the next "u" opens no new shape.
  TReadResult r = ReadBody(std::string(kFilledPath) + "U\nu\n" + kFilledPath);
  EXPECT_EQ(r.ShapeCount(), 1);
  // Below zero the group does not end either.
  r = ReadBody(std::string(kFilledPath) + "U\nu\nU\n" + kFilledPath);
  EXPECT_EQ(r.ShapeCount(), 1);
  // A group that never ends keeps collecting paths.
  r = ReadBody("u\n" + std::string(kFilledPath) + kFilledPath + kFilledPath);
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_EQ(r.Shape(0).Curve()->PathCount(), 3);
  // A path to be added to the last shape while there is none is dropped.
  r = ReadBody("U\nu\n" + std::string(kFilledPath) + "*u\n" + kFilledPath);
  EXPECT_TRUE(r.Ok);
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_EQ(r.Shape(0).Curve()->PathCount(), 1);
}

TEST(ReaderLayers, InvisibleLayersGiveNothing) {
  const std::string hidden = "0 1 0 1 0 0 0 0 0 0 Lb\n";
  const std::string visible = "1 1 1 1 0 0 0 0 0 0 Lb\n";
  EXPECT_EQ(ReadBody(hidden + kFilledPath).ShapeCount(), 0);
  EXPECT_EQ(ReadBody(visible + kFilledPath).ShapeCount(), 1);
  EXPECT_EQ(ReadBody(hidden + kFilledPath + "LB\n" + visible + kFilledPath).ShapeCount(), 1);
  // "LB" alone does not make the layer visible again.
  EXPECT_EQ(ReadBody(hidden + "LB\n" + kFilledPath).ShapeCount(), 0);
  // An "Lb" with too few operands leaves the visibility.
  EXPECT_EQ(ReadBody(hidden + "1 1 1 Lb\n" + kFilledPath).ShapeCount(), 0);
  EXPECT_EQ(ReadBody("0 1 1 Lb\n" + std::string(kFilledPath)).ShapeCount(), 1);
}

}  // namespace plavo
