#include "geometry/SegmentChain.h"

#include <bit>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "geometry/DrawingPath.h"
#include "geometry/ShapesClass.h"

namespace plavo {

namespace {

bool SameBits(double A, double B) {
  return std::bit_cast<uint64_t>(A) == std::bit_cast<uint64_t>(B);
}

void ExpectSameCubic(const TCubic& A, const TCubic& B) {
  const TNodeSimple a[] = {A.P0, A.P1, A.P2, A.P3};
  const TNodeSimple b[] = {B.P0, B.P1, B.P2, B.P3};
  for (int k = 0; k < 4; ++k) {
    EXPECT_TRUE(SameBits(a[k].X, b[k].X) && SameBits(a[k].Y, b[k].Y)) << "point " << k;
  }
}

// Straight pieces, cubics, a gap, a piece whose control sits on only one end, and a start of
// -0 after an end of +0 (equal, but not the same bits).
std::vector<TCubic> MixedCubics() {
  return {LineCubic({0, 0}, {10, 0}),     {{10, 0}, {12, 3}, {14, 3}, {16, 0}},
          LineCubic({16, 0}, {16, 8}),    {{16, 8}, {16, 8}, {10, 12}, {8, 8}},
          LineCubic({30, 30}, {40, 0.0}), LineCubic({40, -0.0}, {0, 0})};
}

TEST(SegmentChainTest, ReadsBackEverySegmentBitForBit) {
  const std::vector<TCubic> cubics = MixedCubics();
  const TSegmentChain chain = ToChain(cubics);
  ASSERT_EQ(chain.size(), cubics.size());
  for (size_t i = 0; i < cubics.size(); ++i) {
    SCOPED_TRACE(i);
    ExpectSameCubic(chain[i], cubics[i]);
  }
  EXPECT_TRUE(chain.IsStraight(0));
  EXPECT_FALSE(chain.IsStraight(3));  // one control off its end keeps all three
  EXPECT_EQ(chain.CubicCount(), 2u);
  EXPECT_EQ(ToCubics(chain).size(), cubics.size());
}

TEST(SegmentChainTest, ReplacingTheLastSegmentKeepsTheOthers) {
  std::vector<TCubic> cubics = MixedCubics();
  TSegmentChain chain = ToChain(cubics);
  // A straight piece whose end moves becomes a cubic with its old end as a control.
  TCubic last = chain.back();
  last.P3 = {0.5, 0.5};
  chain.SetBack(last);
  cubics.back() = last;
  chain.pop_back();
  chain.pop_back();  // the piece after the gap goes with its own start
  chain.push_back(cubics[4]);
  chain.push_back(cubics[5]);
  ASSERT_EQ(chain.size(), cubics.size());
  for (size_t i = 0; i < cubics.size(); ++i) {
    SCOPED_TRACE(i);
    ExpectSameCubic(chain[i], cubics[i]);
  }
}

// A path holding a chain answers as the same segments stored one by one, and keeps doing so
// once a segment is changed (which stores them all).
TEST(SegmentChainTest, ChainPathMatchesStoredSegments) {
  const std::vector<TCubic> cubics = MixedCubics();
  TQarvOnePath stored;
  for (const TCubic& c : cubics) {
    TQarvOneSegment s;
    s.MakeCurve(c.P0.X, c.P0.Y, c.P1.X, c.P1.Y, c.P2.X, c.P2.Y, c.P3.X, c.P3.Y);
    stored.AddSegment(s);
  }
  TQarvOnePath chained;
  chained.AssignChain(ToChain(cubics));
  ASSERT_EQ(chained.SegmentCount(), stored.SegmentCount());
  for (const int level : {4, 6, 4}) {
    stored.ApproximatePath(level);
    chained.ApproximatePath(level);
    EXPECT_EQ(chained.Length(), stored.Length());
    EXPECT_EQ(chained.BoundBox().Left, stored.BoundBox().Left);
    EXPECT_EQ(chained.BoundBox().Top, stored.BoundBox().Top);
    EXPECT_EQ(chained.Area(), stored.Area());
    EXPECT_EQ(chained.DistanceToPoint(5, 5), stored.DistanceToPoint(5, 5));
    EXPECT_EQ(chained.IsPointInsidePath(5, 3), stored.IsPointInsidePath(5, 3));
  }
  for (int k = 0; k < stored.SegmentCount(); ++k) {
    SCOPED_TRACE(k);
    const TSegmentView a = chained.GetSegment(k);
    const TSegmentView b = stored.GetSegment(k);
    EXPECT_EQ(a->ApproxNodeCount(), b->ApproxNodeCount());
    EXPECT_EQ(a->ApproxLength(), b->ApproxLength());
    EXPECT_EQ(a->LengthFromCDR(), b->LengthFromCDR());
    ExpectSameCubic({a->StartNode(), a->StartControlNode(), a->EndControlNode(), a->EndNode()},
                    {b->StartNode(), b->StartControlNode(), b->EndControlNode(), b->EndNode()});
  }
  chained.EditSegment(1)->SetApproxNode(1, {-7, -7});
  EXPECT_EQ(chained.GetSegment(1)->GetApproxNode(1).X, -7);
  EXPECT_EQ(chained.SegmentCount(), stored.SegmentCount());
  EXPECT_EQ(chained.GetSegment(5)->EndNode().X, stored.GetSegment(5)->EndNode().X);
}

}  // namespace

}  // namespace plavo
