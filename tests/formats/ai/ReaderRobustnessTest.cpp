// The reader on hostile content: very long paths and lines, junk numbers, out-of-range
// coordinates and deep or unbalanced nesting never crash, hang or lose the good shapes.
#include <cstdint>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "formats/ai/ReaderTestSupport.h"

namespace plavo {

namespace {

std::string Repeat(const std::string& Text, size_t Times) {
  std::string result;
  result.reserve(Text.size() * Times);
  for (size_t i = 0; i < Times; ++i) result += Text;
  return result;
}

// One long line of tokens separated by single spaces, so that all of it is scanned. Tokens mix
// digits, points and bytes of 128 and above: numbers and junk, but never a known operator.
std::string JunkLine(size_t Length, uint32_t Seed) {
  static constexpr char kDigits[] = "0123456789.-";
  std::mt19937 random(Seed);
  std::string line;
  line.reserve(Length + 20);
  while (line.size() < Length) {
    const size_t tokenLength = 1 + random() % 16;
    for (size_t i = 0; i < tokenLength; ++i) {
      const uint32_t pick = random() % 140;
      line += pick < 12 ? kDigits[pick] : static_cast<char>(128 + pick - 12);
    }
    line += ' ';
  }
  line.pop_back();
  return line;
}

constexpr const char* kFilledPath = "0 0 m\n10 0 l\nf\n";

}  // namespace

TEST(ReaderLongPaths, PathBeyondTheInitialPointRoomLoadsWhole) {
  // 20 000 straight pieces need 60 001 points, far beyond the initial room of 32 768.
  std::string body = "0 0 m\n";
  for (int i = 1; i <= 20000; ++i)
    body += std::to_string(i % 500) + " " + std::to_string(i) + " l\n";
  body += "f\n";
  TReadResult r = ReadBody(body);
  ASSERT_EQ(r.ShapeCount(), 1);
  const TQarvOnePath& path = r.Path(0, 0);
  ASSERT_EQ(path.SegmentCount(), 20000);
  EXPECT_DOUBLE_EQ(path.GetSegment(19999)->EndNode().Y, PointsToMm(20000));
  EXPECT_DOUBLE_EQ(path.GetSegment(19999)->StartNode().Y, PointsToMm(19999));
  // Curves, three points at a time, past the 10 922 segments the initial room holds.
  r = ReadBody("0 0 m\n" + Repeat("1 1 2 2 3 3 c\n", 10923) + "S\n");
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_EQ(r.Path(0, 0).SegmentCount(), 10923);
}

TEST(ReaderLongLines, MegabyteLinesOfJunkAreScannedAndSkipped) {
  // Cutting every token off the front of a copied string would take minutes on each of these.
  for (uint32_t seed : {1u, 2u}) {
    const TReadResult r = ReadBody(JunkLine(1 << 20, seed) + "\n" + kFilledPath);
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(r.ShapeCount(), 1);
  }
  // Long runs of one kind: digits, operators, spaces, parentheses, operands.
  const size_t big = 1 << 20;
  for (const std::string& line :
       {std::string(big, '1') + " g", Repeat("l ", big / 2), std::string(big, ' ') + "x",
        "0 0 0 0 " + std::string(big, '(') + ") 1 x", Repeat("1 ", big / 2) + "Lb",
        Repeat("1 ", big / 2) + "0 0 m", Repeat("0.5 ", big / 4) + "c"}) {
    SCOPED_TRACE(line.substr(0, 20));
    const TReadResult r = ReadBody(line + "\n" + kFilledPath);
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(r.ShapeCount(), 1);
    EXPECT_EQ(r.Shape(0).Color().Fill, 0);
  }
}

TEST(ReaderLongLines, LinesWithoutEndAndEmptyLines) {
  // No line end at all: one long signature line, processed at the end of the input.
  TReadResult r = ReadBytes("%!PS-Adobe-3.0 " + JunkLine(1 << 20, 3));
  EXPECT_TRUE(r.Ok);
  EXPECT_EQ(r.ShapeCount(), 0);
  // Junk of control bytes: a million empty lines.
  r = ReadBody(std::string(1 << 20, '\0') + kFilledPath);
  EXPECT_EQ(r.ShapeCount(), 1);
}

TEST(ReaderNumbers, ShapesBeyondTheIntegerUnitsAreLeftOutAndNamed) {
  // 600 000 points is 211 666.6666 mm, still within the 32-bit units of 1/10000 mm.
  TReadResult r = ReadBody("600000 -600000 m\n0 0 l\nf\n%%EOF\n");
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_DOUBLE_EQ(r.Path(0, 0).GetSegment(0)->StartNode().X, 211666.6666);
  EXPECT_DOUBLE_EQ(r.Path(0, 0).GetSegment(0)->StartNode().Y, -211666.6666);
  EXPECT_TRUE(r.Warnings.empty());
  // 610 000 points needs more than 32 bits: the shape is left out, not clamped or cut, and the
  // warning names it; the shapes after it are read.
  const std::string kept = kFilledPath;
  for (const std::string& far :
       {std::string("610000 0 m\n0 0 l\nf\n"), std::string("0 -1e300 m\n0 0 l\nf\n"),
        std::string("0 0 m\n10 0 l\n1e12 0 l\n20 0 l\nS\n"),
        std::string("0 0 m\n0 0 0 0 0 1e12 c\nS\n"), std::string("0 0 m\n1e12 0 0 0 v\nS\n"),
        std::string("0 0 m\n0 0 -1e12 0 y\nS\n"),
        // A far path inside a group takes the whole group with it.
        "u\n" + kept + "0 0 m\n1e308 1e308 L\nf\n" + kept + "U\n"}) {
    SCOPED_TRACE(far);
    r = ReadBody(kept + far + kept + "%%EOF\n");
    EXPECT_EQ(r.ShapeCount(), 2);
    ASSERT_EQ(r.Warnings.size(), 1u);
    EXPECT_NE(r.Warnings[0].find("1 shape was left out"), std::string::npos) << r.Warnings[0];
    EXPECT_NE(r.Warnings[0].find("(shape 2 in drawing order)"), std::string::npos) << r.Warnings[0];
  }
}

TEST(ReaderNumbers, JunkNeverBecomesACoordinate) {
  for (const char* start : {"inf 0 m", "0 nan m", "0x10 0 m", "1e 0 m", "1.2.3 0 m", "- 0 m",
                            ". 0 m", "1e99999 0 m", "0 1,5,0 m"}) {
    SCOPED_TRACE(start);
    const TReadResult r = ReadBody(std::string(start) + "\n10 0 l\nf\n");
    EXPECT_EQ(r.ShapeCount(), 0);
  }
  // Bytes of 128 and above are ordinary characters of a token.
  EXPECT_EQ(ReadBody("0 0 m\n10 0 l\n\xE6\n20 0 l\nf\n").Path(0, 0).SegmentCount(), 1);
}

TEST(ReaderNesting, DeepAndUnbalancedGroupsStayFlat) {
  // 200 000 nested groups opened and never closed: one shape collecting every path.
  TReadResult r = ReadBody(Repeat("u\n", 200000) + kFilledPath + kFilledPath);
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_EQ(r.Shape(0).Curve()->PathCount(), 2);
  // As many unmatched closings: every later path joins the last shape.
  r = ReadBody(std::string(kFilledPath) + Repeat("U\n*U\n", 200000) + "u\n" + kFilledPath);
  ASSERT_EQ(r.ShapeCount(), 1);
  EXPECT_EQ(r.Shape(0).Curve()->PathCount(), 2);
}

}  // namespace plavo
