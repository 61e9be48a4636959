#include "nesting/result/ShapeGrid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace plavo {

namespace {

bool Overlap(const TRectDbl& A, const TRectDbl& B) {
  return A.Left <= B.Right && B.Left <= A.Right && A.Bottom <= B.Top && B.Bottom <= A.Top;
}

TRectDbl Box(double X, double Y, double W, double H) {
  return TRectDbl::MakeLTRB(X, Y + H, X + W, Y);
}

}  // namespace

// Every shape whose box meets the asked box is listed, once, also after shapes moved across
// buckets and beyond the grid's area (which its border buckets take).
TEST(ShapeGrid, ListsEveryShapeItsBoxesMeetOnceAfterMoves) {
  std::mt19937 random(5);
  std::uniform_real_distribution<double> at(-50.0, 1050.0), size(0.5, 120.0);
  std::vector<TRectDbl> boxes;
  for (int i = 0; i < 300; ++i)
    boxes.push_back(Box(at(random), at(random), size(random), size(random)));
  TShapeGrid grid(Box(0, 0, 1000, 1000), 40.0, boxes);
  for (int round = 0; round < 200; ++round) {
    const auto i = static_cast<uint32_t>(random() % boxes.size());
    const TRectDbl moved = Box(at(random), at(random), size(random), size(random));
    grid.Move(i, boxes[i], moved);
    boxes[i] = moved;
    const TRectDbl asked = Box(at(random), at(random), size(random), size(random));
    std::vector<uint32_t> near = grid.Near(asked);
    std::sort(near.begin(), near.end());
    EXPECT_EQ(std::adjacent_find(near.begin(), near.end()), near.end());
    for (uint32_t k = 0; k < boxes.size(); ++k) {
      const bool listed = std::binary_search(near.begin(), near.end(), k);
      EXPECT_TRUE(listed || !Overlap(boxes[k], asked)) << k;
    }
  }
}

}  // namespace plavo
