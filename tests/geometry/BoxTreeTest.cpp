#include "geometry/BoxTree.h"

#include <limits>
#include <random>
#include <set>

#include <gtest/gtest.h>

namespace plavo {

// The tree may only narrow the candidates: every box that holds a point must be visited, for
// boxes of every size and overlap, points on edges, and boxes that are no numbers or hold nothing.
TEST(BoxTree, VisitsEveryBoxThatHoldsThePoint) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> at(0.0, 1000.0), size(0.0, 200.0);
  std::vector<TRectDbl> boxes;
  for (int i = 0; i < 3000; ++i) {
    const double l = at(random), b = at(random);
    boxes.push_back(
        TRectDbl::MakeLTRB(l, b + size(random) * (i % 7 == 0 ? 5 : 1), l + size(random), b));
  }
  const double nan = std::numeric_limits<double>::quiet_NaN();
  boxes.push_back(TRectDbl::MakeLTRB(nan, 10, 10, 0));
  boxes.push_back(EmptyBox());
  boxes.push_back(TRectDbl::MakeLTRB(-std::numeric_limits<double>::infinity(), 1e9, 5, -1e9));
  const TBoxTree tree(boxes);
  for (int k = 0; k < 2000; ++k) {
    // Every fifth point sits on a box's corner.
    const TRectDbl& corner = boxes[static_cast<size_t>(k) % 3000];
    const TNodeSimple p =
        k % 5 == 0 ? TNodeSimple{corner.Right, corner.Top} : TNodeSimple{at(random), at(random)};
    std::set<size_t> visited;
    tree.VisitHolding(p, [&](size_t i) { visited.insert(i); });
    for (size_t i = 0; i < boxes.size(); ++i) {
      const TRectDbl& b = boxes[i];
      const bool holds = !(p.X < b.Left || p.X > b.Right || p.Y < b.Bottom || p.Y > b.Top);
      if (holds) {
        EXPECT_TRUE(visited.count(i)) << "box " << i << " at point " << k;
      }
    }
    EXPECT_FALSE(visited.count(boxes.size() - 2)) << "an empty box holds nothing";
  }
  std::set<size_t> all;
  tree.VisitHolding({nan, 0}, [&](size_t i) { all.insert(i); });
  EXPECT_EQ(all.size(), boxes.size() - 1) << "a point that is no number visits every real box";
}

}  // namespace plavo
