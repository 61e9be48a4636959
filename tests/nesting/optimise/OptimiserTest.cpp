#include "nesting/optimise/Optimiser.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "formats/ai/VecFrmtAI.h"
#include "nesting/place/ArrangementTestSupport.h"
#include "nesting/NestJob.h"
#include "nesting/NestJobProbe.h"
#include "nesting/result/NestResult.h"
#include "nesting/optimise/OptimiserDecoder.h"
#include "nesting/place/PlacementDriver.h"
#include "nesting/result/ResultLayout.h"

namespace plavo {

using namespace arrangement_test;

namespace {

// The ESICUP strip: 1000 mm wide, no margin or padding, distance 1, fix angle 90.
TNestSettings Strip(double Height = 10000) {
  TNestSettings s;
  s.Media_Width = 1000;
  s.Media_Height = Height;
  s.Margin = 0;
  s.Padding = 0;
  s.Distance = 1;
  s.Rotate_90 = 1;
  return s;
}

TRunOptions Counted(int64_t Evaluations, int Threads) {
  TRunOptions o;
  o.Seed = 7;
  o.Threads = Threads;
  o.Evaluations = Evaluations;
  return o;
}

int PlacedCount(const TEngineState& E) {
  int n = 0;
  for (const TNestOneRec& r : E.NestRecords.Shape) n += r.Place.placed ? 1 : 0;
  return n;
}

}  // namespace

TEST(LayoutCost, UnplacedThenOverflowThenSheetsThenHeightSumThenLastTop) {
  const TLayoutCost base{0, 0, 2, 900, 300};
  EXPECT_LT(base, (TLayoutCost{1, 0, 1, 10, 10}));
  EXPECT_LT(base, (TLayoutCost{0, 1, 1, 10, 10}));
  EXPECT_LT(base, (TLayoutCost{0, 0, 3, 10, 10}));
  EXPECT_LT(base, (TLayoutCost{0, 0, 2, 901, 10}));
  EXPECT_LT(base, (TLayoutCost{0, 0, 2, 900, 301}));
  EXPECT_LT(base, TLayoutCost::Worst());
  // The counter sums each sheet's highest top and never falls while shapes are added.
  TLayoutCostCounter c;
  c.Placed(0, 500);
  c.Placed(0, 300);
  EXPECT_EQ(c.Cost(), (TLayoutCost{0, 0, 1, 500, 500}));
  const TLayoutCost before = c.Cost();
  c.Placed(1, 200);
  EXPECT_EQ(c.Cost(), (TLayoutCost{0, 0, 2, 700, 200}));
  EXPECT_GT(c.Cost(), before);
  c.Unplaced();
  EXPECT_EQ(c.Cost().Unplaced, 1);
  // Below a target on sheet 1, row 100 (sheets of 1000 rows): the overflow weighs each
  // millimetre above the target by the shape's area plus one.
  TLayoutCostCounter t(TLayoutTarget{1, 100}, 1000);
  t.Placed(0, 900, 50.0);
  t.Placed(1, 100, 50.0);
  EXPECT_EQ(t.Cost().Overflow, 0);
  t.Placed(1, 103, 9.0);
  t.Placed(2, 0, 0.0);
  EXPECT_EQ(t.Cost().Overflow, 3 * 10 + 900 * 1);
  EXPECT_EQ(t.Cost().Own(), (TLayoutCost{0, 0, 3, 1003, 0}));
}

TEST(Optimiser, ThePlainGenesDecodeToThePlainLayout) {
  std::unique_ptr<TNestJob> job = LoadTestDrawing("esicup-ai/marques.ai");
  ASSERT_NE(job, nullptr);
  job->Run(Strip(), TRunOptions{});
  const TEngineState& E = TNestJobProbe::Engine(*job);
  TLayoutDecoder decoder(E);
  TEngineState drawn = E;  // decoded once more, drawing each shape afresh
  StartSheets(drawn);
  DecodeLayout(drawn, PlainGenes(E), TLayoutCost::Worst(), nullptr);
  for (int twice = 0; twice < 2; ++twice) {
    TLayoutTrace trace;
    const TEvaluation e =
        decoder.Evaluate(PlainGenes(E), TLayoutCost::Worst(), nullptr, nullptr, &trace);
    EXPECT_EQ(e.End, TEvaluation::Complete);
    EXPECT_EQ(e.Cost, CurrentCost(E)) << "decoding " << twice + 1;
    // The second decoding draws from the kept drawings: every shape lands where it did.
    const TLayoutGenes genes = PlainGenes(E);
    size_t at = 0;
    for (const TOrder& order : genes.Groups) {
      for (int r : order) {
        const TNestPlacedShape &x = trace[at++].Place, &y = drawn.NestRecords.Shape[r].Place;
        EXPECT_TRUE(x.placed == y.placed && x.x == y.x && x.y == y.y && x.AngC == y.AngC)
            << "decoding " << twice + 1 << ", record " << r;
      }
    }
  }
  // A bound below the plain layout cuts the decoding short.
  TLayoutCost below = CurrentCost(E);
  below.HeightSum -= 1;
  EXPECT_EQ(decoder.Evaluate(PlainGenes(E), below, nullptr).End, TEvaluation::OverBound);
}

// A decoding that draws the positions a neighbour shares with its base from the base's trace
// places every shape exactly where a decoding from the start does: one sheet, and several.
TEST(Optimiser, ADecodingResumedFromATraceEqualsOneFromTheStart) {
  for (const auto& [file, height] :
       {std::pair{"esicup-ai/marques.ai", 10000.0}, std::pair{"esicup-ai/shapes1.ai", 250.0}}) {
    std::unique_ptr<TNestJob> job = LoadTestDrawing(file);
    ASSERT_NE(job, nullptr);
    job->Run(Strip(height), TRunOptions{});
    const TEngineState& E = TNestJobProbe::Engine(*job);
    TLayoutDecoder resumed(E), fresh(E);
    TDecodedLayout base{PlainGenes(E), {}};
    resumed.Evaluate(base.Genes, TLayoutCost::Worst(), nullptr, nullptr, &base.Trace);
    TMoveDrawer moves(E, 11);
    int sharing = 0;
    for (int n = 0; n < 24; ++n) {
      TDecodedLayout next{moves.Neighbour(base.Genes), {}};
      TLayoutTrace expected;
      const TEvaluation a =
          resumed.Evaluate(next.Genes, TLayoutCost::Worst(), nullptr, &base, &next.Trace);
      const TEvaluation b =
          fresh.Evaluate(next.Genes, TLayoutCost::Worst(), nullptr, nullptr, &expected);
      sharing += FirstDifference(next.Genes, base.Genes) > 0 ? 1 : 0;
      EXPECT_EQ(a.Cost, b.Cost) << file << ", neighbour " << n;
      ASSERT_EQ(next.Trace.size(), expected.size());
      for (size_t k = 0; k < expected.size(); ++k) {
        const TNestPlacedShape &x = next.Trace[k].Place, &y = expected[k].Place;
        EXPECT_TRUE(x.placed == y.placed && x.sheetNo == y.sheetNo && x.x == y.x && x.y == y.y &&
                    x.AngC == y.AngC && x.TopY == y.TopY && x.VeryMinY == y.VeryMinY &&
                    next.Trace[k].Sheets == expected[k].Sheets)
            << file << ", neighbour " << n << ", position " << k;
      }
      if (n % 3 == 2) base = std::move(next);  // later neighbours resume from resumed traces
    }
    EXPECT_GT(sharing, 12) << file;
  }
}

TEST(Optimiser, ACountedSearchIsTheSameOnAnyNumberOfThreads) {
  std::vector<TOneNestingResult> results;
  for (int threads : {1, 2, 8}) {
    std::unique_ptr<TNestJob> job = LoadTestDrawing("esicup-ai/jakobs1.ai");
    ASSERT_NE(job, nullptr);
    const TRunOutcome run = job->Run(Strip(), Counted(60, threads));
    EXPECT_EQ(run.Evaluations, 60) << threads;
    results.push_back(run.Result);
  }
  for (size_t k = 1; k < results.size(); ++k) {
    ASSERT_EQ(results[k].Place.size(), results[0].Place.size());
    for (size_t i = 0; i < results[0].Place.size(); ++i) {
      const TNestPlacedShape &a = results[0].Place[i], &b = results[k].Place[i];
      EXPECT_TRUE(a.placed == b.placed && a.sheetNo == b.sheetNo && a.x == b.x && a.y == b.y &&
                  a.a == b.a)
          << "record " << i << ", run " << k;
    }
  }
}

// The optimised layout starts from the plain one and is never worse; it keeps every rule of
// a layout: on its sheets, apart by the distance, not inside other shapes (several sheets, a
// container).
TEST(Optimiser, NeverWorseThanThePlainRunAndSound) {
  struct TCase {
    const char* File;
    double Height;
    bool Container;
  };
  for (const TCase& c :
       {TCase{"esicup-ai/jakobs2.ai", 10000, false}, TCase{"esicup-ai/shapes1.ai", 250, false},
        TCase{"esicup-ai/jakobs1.ai", 1000, true}}) {
    std::unique_ptr<TNestJob> job = LoadTestDrawing(c.File);
    ASSERT_NE(job, nullptr);
    if (c.Container) job->ApplyUserCode(0, kUserContainer, true);
    TNestSettings s = Strip(c.Height);
    s.Distance = 3;
    const TOneNestingResult plain = job->Run(s, TRunOptions{}).Result;
    const int plainPlaced = PlacedCount(TNestJobProbe::Engine(*job));
    const TRunOutcome run = job->Run(s, Counted(40, 2));
    ASSERT_TRUE(run.Complete()) << c.File << ": " << run.Reason;
    const TOneNestingResult& optimised = run.Result;
    const TEngineState& E = TNestJobProbe::Engine(*job);
    EXPECT_GE(PlacedCount(E), plainPlaced) << c.File;
    // Fewer sheets first; on as many sheets, no more height.
    EXPECT_LE(UsedSheetCount(optimised), UsedSheetCount(plain)) << c.File;
    if (UsedSheetCount(optimised) == UsedSheetCount(plain)) {
      EXPECT_LE(HeightSum(optimised), HeightSum(plain)) << c.File;
    }
    // What the optimiser lowers is what "Best (by height)" compares, and settling the result
    // only lowers it further (a container, which does not take part, is not in the
    // optimiser's sum).
    if (!c.Container) {
      EXPECT_GE(CurrentCost(E).HeightSum, HeightSum(optimised)) << c.File;
    }
    ExpectSoundArrangement(E, c.File, c.Container ? 0 : -1);
  }
}

TEST(Optimiser, StopKeepsTheBestLayoutSoFar) {
  std::unique_ptr<TNestJob> job = LoadTestDrawing("esicup-ai/jakobs1.ai");
  ASSERT_NE(job, nullptr);
  job->Run(Strip(), TRunOptions{});
  TEngineState& E = TNestJobProbe::Engine(*job);
  const TLayoutCost plain = CurrentCost(E);
  TOptimiseOptions o;
  o.Seed = 7;
  o.Evaluations = 10000;
  o.Threads = 2;
  // Stop once a hundredth of the budget is spent: the search has found something better than
  // the plain layout by then.
  TNestControl control([&control](int Position) {
    if (Position >= 1) control.RequestStop();
  });
  E.Control = &control;
  const TOptimiseOutcome outcome = OptimiseLayout(E, o);
  EXPECT_LT(outcome.Evaluations, 10000);
  ASSERT_TRUE(outcome.Improved);
  EXPECT_LT(outcome.Best, plain);
  EXPECT_EQ(CurrentCost(E), outcome.Best) << "the engine holds the best layout found";
  EXPECT_EQ(PlacedCount(E), static_cast<int>(E.NestRecords.Shape.size()));
  ExpectSoundArrangement(E, "stopped");
}

// Issue 19: a failure of the optimiser is the run's outcome (partial, from the optimiser) and
// never loses a layout. A failure of the search or of drawing its best layout (after the sheets
// were cleared for it) leaves the plain layout, sheet for sheet; one of the compaction leaves
// the layout before it, sound and no worse than the plain one.
TEST(Optimiser, AnInjectedFailureIsReportedAndKeepsTheLayout) {
  std::unique_ptr<TNestJob> job = LoadTestDrawing("esicup-ai/jakobs1.ai");
  ASSERT_NE(job, nullptr);
  const TRunOutcome plain = job->Run(Strip(), TRunOptions{});
  ASSERT_TRUE(plain.Complete()) << plain.Reason;
  const TBlock plainSheets = TNestJobProbe::Engine(*job).Blocks;
  for (TOptimiseFault fault :
       {TOptimiseFault::Search, TOptimiseFault::Drawing, TOptimiseFault::Compaction}) {
    const int f = static_cast<int>(fault);
    TNestJobProbe::InjectOptimiserFault(*job, fault);
    const TRunOutcome run = job->Run(Strip(), Counted(60, 2));
    EXPECT_TRUE(run.Partial()) << "fault " << f;
    EXPECT_EQ(run.Source, TFailureSource::Optimiser) << "fault " << f;
    EXPECT_NE(run.Reason.find("injected failure"), std::string::npos) << run.Reason;
    const TEngineState& E = TNestJobProbe::Engine(*job);
    EXPECT_EQ(PlacedCount(E), static_cast<int>(E.NestRecords.Shape.size())) << "fault " << f;
    ExpectSoundArrangement(E, "after an optimiser failure");
    if (fault == TOptimiseFault::Compaction) {
      EXPECT_NE(run.Reason.find("compacting"), std::string::npos) << run.Reason;
      EXPECT_LE(HeightSum(run.Result), HeightSum(plain.Result));
      continue;
    }
    ASSERT_EQ(run.Result.Place.size(), plain.Result.Place.size());
    for (size_t i = 0; i < plain.Result.Place.size(); ++i) {
      const TNestPlacedShape &a = run.Result.Place[i], &b = plain.Result.Place[i];
      EXPECT_TRUE(a.placed == b.placed && a.sheetNo == b.sheetNo && a.x == b.x && a.y == b.y &&
                  a.AngC == b.AngC)
          << "fault " << f << ", record " << i;
    }
    ASSERT_EQ(E.Blocks.Count, plainSheets.Count);
    for (int s = 0; s < plainSheets.Count; ++s) {
      EXPECT_TRUE(E.Blocks.Item[s].m == plainSheets.Item[s].m) << "fault " << f << ", sheet " << s;
    }
  }
  TNestJobProbe::InjectOptimiserFault(*job, TOptimiseFault::None);
  EXPECT_TRUE(job->Run(Strip(), Counted(60, 2)).Complete());
}

}  // namespace plavo
