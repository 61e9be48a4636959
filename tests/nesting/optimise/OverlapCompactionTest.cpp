#include "nesting/optimise/OverlapCompaction.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "core/WorkerThreads.h"
#include "nesting/place/ArrangementTestSupport.h"
#include "nesting/optimise/CellOverlap.h"
#include "nesting/NestJob.h"
#include "nesting/NestJobProbe.h"
#include "nesting/optimise/OptimiserDecoder.h"

namespace plavo {

using namespace arrangement_test;

namespace {

TBooleanMatrix RandomRaster(std::mt19937& Random, int W, int H) {
  TBooleanMatrix m(W, H);
  for (int x = 0; x < W; ++x) {
    for (int y = 0; y < H; ++y) m.Set(x, y, Random() % 3 == 0);
  }
  return m;
}

int64_t NaiveShared(const TBooleanMatrix& A, int AX, int AY, const TBooleanMatrix& B, int BX,
                    int BY) {
  int64_t n = 0;
  for (int x = 0; x < A.Width(); ++x) {
    for (int y = 0; y < A.Height(); ++y) {
      n += A.Get(x, y) && B.GetSafe(x + AX - BX, y + AY - BY) ? 1 : 0;
    }
  }
  return n;
}

// The ESICUP strip with fix angle 90, at a distance of 3 mm.
TNestSettings Strip() {
  TNestSettings s;
  s.Media_Width = 1000;
  s.Media_Height = 10000;
  s.Margin = 0;
  s.Padding = 0;
  s.Distance = 3;
  s.Rotate_90 = 1;
  return s;
}

struct TPlaces {
  std::vector<TNestPlacedShape> Place;
  bool operator==(const TPlaces& O) const {
    if (Place.size() != O.Place.size()) return false;
    for (size_t i = 0; i < Place.size(); ++i) {
      const TNestPlacedShape &a = Place[i], &b = O.Place[i];
      if (a.placed != b.placed || a.x != b.x || a.y != b.y || a.AngC != b.AngC) return false;
    }
    return true;
  }
};

TPlaces PlacesOf(const TEngineState& E) {
  TPlaces p;
  for (const TNestOneRec& r : E.NestRecords.Shape) p.Place.push_back(r.Place);
  return p;
}

}  // namespace

// Offsets in every word phase, below, beside and above each other, and counts cut at a limit.
TEST(CellOverlap, SharedCellsCountsWhatACellByCellWalkCounts) {
  std::mt19937 random(5);
  for (int n = 0; n < 200; ++n) {
    const TBooleanMatrix a = RandomRaster(random, 1 + random() % 9, 1 + random() % 150);
    const TBooleanMatrix b = RandomRaster(random, 1 + random() % 9, 1 + random() % 150);
    const int ax = static_cast<int>(random() % 12) - 6, ay = static_cast<int>(random() % 300) - 150;
    const int bx = static_cast<int>(random() % 12) - 6, by = static_cast<int>(random() % 300) - 150;
    const int64_t expected = NaiveShared(a, ax, ay, b, bx, by);
    EXPECT_EQ(SharedCells(a, ax, ay, b, bx, by), expected) << "case " << n;
    if (expected > 2) {
      EXPECT_GT(SharedCells(a, ax, ay, b, bx, by, 1), 1) << "case " << n;
    }
  }
}

// A plain layout of jakobs2 comes out lower, still sound, and the same from the same seed on
// any number of threads when the moves are counted, also when a thread cannot start (issue 19:
// its searches were dropped).
TEST(OverlapCompaction, LowersAPlainLayoutSoundlyAndRepeatably) {
  struct TThreads {
    int Asked;
    int Started;  // helpers the system starts; -1 as many as asked
  };
  std::vector<TPlaces> results;
  std::vector<int64_t> moves;
  for (const TThreads threads : {TThreads{1, -1}, TThreads{2, -1}, TThreads{2, 0}}) {
    std::unique_ptr<TNestJob> job = LoadTestDrawing("esicup-ai/jakobs2.ai");
    ASSERT_NE(job, nullptr);
    job->Run(Strip(), TRunOptions{});
    TEngineState& E = TNestJobProbe::Engine(*job);
    ASSERT_TRUE(CanCompact(E));
    const TLayoutCost before = CurrentCost(E);
    TCompactOptions o;
    o.Moves = 150;
    o.Seed = 3;
    o.Threads = threads.Asked;
    const TThreadStartLimit limit(threads.Started);
    const TCompactOutcome out = CompactLayout(E, o);
    moves.push_back(out.Moves);
    EXPECT_TRUE(out.Improved);
    EXPECT_LT(CurrentCost(E).LastTop, before.LastTop);
    EXPECT_EQ(E.Blocks.Count, 1);
    ExpectSoundArrangement(E, "compacted");
    results.push_back(PlacesOf(E));
  }
  for (size_t k = 1; k < results.size(); ++k) {
    EXPECT_EQ(results[k], results[0]) << "run " << k;
    EXPECT_EQ(moves[k], moves[0]) << "run " << k;
  }
}

// Against the clock the searches race and share the lowest layout; what comes out is sound and
// never higher.
TEST(OverlapCompaction, RacingSearchesKeepALayoutSound) {
  std::unique_ptr<TNestJob> job = LoadTestDrawing("esicup-ai/jakobs2.ai");
  ASSERT_NE(job, nullptr);
  job->Run(Strip(), TRunOptions{});
  TEngineState& E = TNestJobProbe::Engine(*job);
  const TLayoutCost before = CurrentCost(E);
  TCompactOptions o;
  // Long enough for the calling thread to set up its search and finish a step (which is when
  // it reports) on a loaded machine: with 300 ms, one run in three reported nothing there.
  o.Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1000);
  o.Seed = 5;
  o.Threads = 3;
  std::vector<int> reports;  // the share of the 300 ms spent
  TNestControl control([&](int Position) { reports.push_back(Position); });
  E.Control = &control;
  CompactLayout(E, o);
  EXPECT_LE(CurrentCost(E).LastTop, before.LastTop);
  EXPECT_GT(reports.size(), 0u);
  EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
  ExpectSoundArrangement(E, "raced");
}

// A stop before the first move leaves the layout as it was; so does a layout on two sheets,
// which the compaction does not take.
TEST(OverlapCompaction, StoppedOrOnSeveralSheetsLeavesTheLayout) {
  std::unique_ptr<TNestJob> job = LoadTestDrawing("esicup-ai/jakobs2.ai");
  ASSERT_NE(job, nullptr);
  job->Run(Strip(), TRunOptions{});
  TEngineState& E = TNestJobProbe::Engine(*job);
  const TPlaces before = PlacesOf(E);
  const TBlock sheets = E.Blocks;
  TCompactOptions o;
  o.Moves = 1000;
  TNestControl control;
  control.RequestStop();
  E.Control = &control;
  EXPECT_FALSE(CompactLayout(E, o).Improved);
  E.Control = nullptr;
  EXPECT_TRUE(PlacesOf(E) == before);
  EXPECT_TRUE(E.Blocks.Item[0].m == sheets.Item[0].m);

  TNestSettings low = Strip();
  low.Media_Height = 200;
  job->Run(low, TRunOptions{});
  ASSERT_GT(TNestJobProbe::Engine(*job).Blocks.Count, 1);
  EXPECT_FALSE(CanCompact(TNestJobProbe::Engine(*job)));
}

}  // namespace plavo
