#include "nesting/place/PlacementDriver.h"

#include <cmath>
#include <limits>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formats/ai/VecFrmtAI.h"
#include "nesting/prepare/NestRecords.h"
#include "nesting/NestJob.h"
#include "nesting/NestJobProbe.h"
#include "nesting/result/ResultLayout.h"
#include "nesting/place/ArrangementTestSupport.h"
#include "nesting/place/SearchTestShapes.h"
#include "nesting/place/SearchTrials.h"
#include "nesting/place/Sheets.h"

namespace plavo {

using namespace search_test;
using namespace arrangement_test;

namespace {

// Boxes of assorted sizes with four trial angles, one colour group, no sheet yet.
TEngineState BoxEngine(int Count, int W = 300, int H = 2000) {
  TEngineState E = Engine(W, H, 2);
  for (int k = 0; k < Count; ++k) {
    const int w = 4 + (k * 7) % 23;
    const int h = 3 + (k * 11) % 19;
    AddRecord(E, Box(-w, w, -h, h + k % 3, 4));
  }
  SingleGroup(E);
  return E;
}

// Ten boxes as batch 0 on one sheet, search on.
TEngineState BatchEngine(int Count = 10) {
  TEngineState E = BoxEngine(Count);
  E.NestParams.G_Enable = true;
  NewSheet(E);
  E.GenOrder.Count = 1;
  E.GenOrder.Item.resize(1);
  for (int k = 0; k < Count; ++k) E.GenOrder.Item[0].Shape.push_back({k});
  E.GenOrder.Item[0].ShapeCount = Count;
  SeedRandom(E);
  return E;
}

// The highest top edge, sheets counted: what the search minimises.
int ArrangementScore(const TEngineState& E) {
  int score = 0;
  for (const TNestOneRec& r : E.NestRecords.Shape) {
    if (!r.Place.placed) continue;
    score = std::max(score, r.Place.sheetNo * E.NestParams.Media_H + r.Place.y +
                                r.AnglesSRR.Item[r.Place.AngC].Rect.Top);
  }
  return score;
}

int PlacedCount(const TEngineState& E) {
  int n = 0;
  for (const TNestOneRec& r : E.NestRecords.Shape) n += r.Place.placed ? 1 : 0;
  return n;
}

// A control that records what was shown and makes a request (a stop, or "Skip searching.") once
// the progress reaches a position.
struct TRequestAtProgress {
  enum TRequest { kNothing, kStop, kSkipSearch };
  TRequestAtProgress(TRequest Request, int At)
      : Control([this, Request, At](int Position) {
          Shown.push_back(Position);
          if (Position < At) return;
          if (Request == kStop) Control.RequestStop();
          if (Request == kSkipSearch) Control.RequestSkipSearch();
        }) {}
  TNestControl Control;
  std::vector<int> Shown;
};

// Trial t of ten, slot j of ten shapes, of one batch: 5 t + (j - 1) / 2 percent.
const TProgressShare kTenTrialsOfTen{0, 1, 0, 1, 10};

// Seeded and on two threads, so a searched run is the same every time.
bool RunJob(TNestJob& Job, const TNestSettings& Settings) {
  TRunOptions options;
  options.Seed = 5;
  options.Threads = 2;
  return Job.Run(Settings, options).Complete();
}

}  // namespace

// ---- Ordering and the small routines ---------------------------------------------------------

TEST(SortBySize, LargestFirstByTheSecondTrialAngleKeepingEqualsInOrder) {
  TEngineState E = Engine(500, 500);
  AddRecord(E, Box(-10, 10, -10, 10, 4));  // 40 at angle 1
  AddRecord(E, Box(-30, 30, -5, 5, 4));    // 70
  AddRecord(E, Box(-5, 5, -15, 15, 4));    // 40
  AddRecord(E, Box(-2, 2, -2, 2, 1));      // one trial angle: its box at angle 0, 8
  AddRecord(E, Box(-40, 40, -40, 40, 1));  // 160
  AddRecord(E, Box(-50, 50, -50, 50, 1));
  E.NestRecords.Shape[5].AnglesSRR.Count = 0;  // no trial angle: size 0
  TOrder order = {0, 1, 2, 3, 4, 5};
  SortBySize(E, order);
  EXPECT_EQ(order, (TOrder{4, 1, 0, 2, 3, 5}));
  E.NestRecords.Shape[1].AnglesSRR.Item[1].Rect = TNestRectInt{-1, 1, -1, 1};  // angle 1 decides
  order = {0, 1, 2, 3, 4, 5};
  SortBySize(E, order);
  EXPECT_EQ(order, (TOrder{4, 0, 2, 3, 1, 5}));
}

TEST(FindLookAlikes, LinksEachShapeToTheFirstEarlierOneWithinTenPercent) {
  TEngineState E = Engine(500, 500);
  const double sizes[9][3] = {{0, 0, 0},       {100, 50, 5000}, {105, 52, 5460},
                              {100, 50, 5000}, {150, 50, 5000}, {100, 50, -1},
                              {89, 50, 5000},  {92, 50, 5000},  {100, 50, -1}};
  for (const auto& s : sizes) {
    AddRecord(E, Box(-5, 5, -5, 5));
    E.NestRecords.Shape.back().Original = TNestOriginalData{0, 0, s[0], s[1], s[2], 0, 0};
    E.NestRecords.Shape.back().LooksLike = 77;
  }
  // Record 0 stays out: a look-alike index of 0 reads as "none". Record 2 is within 10 % of 1
  // in all three; 3 is alike 1 and 2 and takes the earlier; 6 is 10.9 % narrower than 1, 7 is
  // 7.9 %; a net area of -1 (5, 8) leaves no ratio to take.
  FindLookAlikes(E, {5, 4, 1, 2, 3, 6, 7, 8});
  const int expected[9] = {77, 77, 1, 1, 77, 77, 77, 1, 77};
  for (int r = 0; r < 9; ++r) EXPECT_EQ(E.NestRecords.Shape[r].LooksLike, expected[r]) << r;
}

TEST(ShuffleBatch, PermutesBatchesOfThreeOrMoreReproduciblyWithASeed) {
  TEngineState E = BatchEngine(8);
  E.GenOrder.Item.push_back(TGenSingleOrder{2, {{0}, {1}}});
  E.GenOrder.Count = 2;
  auto shapes = [](const TEngineState& S, int i) {
    std::vector<int> v;
    for (const TGenOneShape& s : S.GenOrder.Item[i].Shape) v.push_back(s.ShN);
    return v;
  };
  TEngineState again = E;
  std::set<std::vector<int>> seen;
  for (int round = 0; round < 10; ++round) {
    ShuffleBatch(E, 0);
    ShuffleBatch(E, 1);
    ShuffleBatch(again, 0);
    EXPECT_EQ(shapes(E, 1), (std::vector<int>{0, 1}));  // two shapes are never shuffled
    EXPECT_EQ(shapes(E, 0), shapes(again, 0));          // the same seed, the same draws
    std::vector<int> sorted = shapes(E, 0);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    seen.insert(shapes(E, 0));
  }
  EXPECT_GT(seen.size(), 5u);
  // No such batch: nothing is shuffled and no number is drawn.
  const std::vector<int> before = shapes(E, 0);
  const std::mt19937_64 generator = E.Random;
  ShuffleBatch(E, 5);
  ShuffleBatch(E, -1);
  EXPECT_EQ(shapes(E, 0), before);
  EXPECT_TRUE(E.Random == generator);
}

TEST(ReportProgress, ShowsWholePercentsOnlyWhenTheyChangeAndStopIncludesErrors) {
  TEngineState E;
  EXPECT_NO_THROW(ReportProgress(E, 0.5)) << "without a control there is nowhere to report";
  TRequestAtProgress sink(TRequestAtProgress::kNothing, 0);
  E.Control = &sink.Control;
  for (double f : {0.5, 0.504, 0.995, 1.0, -0.5, std::nan(""), 7.0}) ReportProgress(E, f);
  EXPECT_EQ(sink.Shown, (std::vector<int>{50, 99, 100, 0, 100}));
  TNestControl broken([](int) { throw std::runtime_error("display gone"); });
  E.Control = &broken;
  EXPECT_NO_THROW(ReportProgress(E, 0.3));
  EXPECT_FALSE(StopRequested(E));
  ReportFailure(E, TFailureSource::Engine, "a fault");
  EXPECT_TRUE(StopRequested(E));
  ClearFailure(E);
  broken.RequestStop();
  EXPECT_TRUE(StopRequested(E));
}

// ---- The trials of a batch ---------------------------------------------------------------------

TEST(BatchSearch, EveryDistinctOrderIsTriedAndTheLowestScoreLatestTrialIsKept) {
  TEngineState E = BatchEngine();
  const std::vector<TOrder> orders = TBatchSearch::DrawTrialOrders(E, 0, 10);
  std::vector<int> scores;  // each order placed alone on a fresh sheet
  for (const TOrder& order : orders) {
    TEngineState S = BatchEngine();
    scores.push_back(RunTrial(S, order, {}).Score);
  }
  TBatchSearch search(1);
  const TBatchOutcome outcome = search.Run(E, orders, nullptr);
  EXPECT_EQ(outcome.TrialsRun, 10);
  const int best = *std::min_element(scores.begin(), scores.end());
  ASSERT_GE(outcome.Chosen, 0);
  EXPECT_EQ(scores[outcome.Chosen], best);
  for (int t = outcome.Chosen + 1; t < 10; ++t) EXPECT_GT(scores[t], best) << "trial " << t;
  EXPECT_EQ(ArrangementScore(E), best);
  EXPECT_EQ(PlacedCount(E), 10);
  for (const TNestOneRec& r : E.NestRecords.Shape) EXPECT_EQ(r.PlaceTemp.y, r.Place.y);
  ExpectSoundArrangement(E, "batch");
  // Two shapes are never shuffled: every trial is the same and runs once.
  TEngineState two = BatchEngine(2);
  EXPECT_EQ(search.Run(two, TBatchSearch::DrawTrialOrders(two, 0, 10), nullptr).TrialsRun, 1);
}

TEST(BatchSearch, SkipSearchingEndsTheBatchAfterTheTrialInProgress) {
  TBatchSearch search(1);
  // Pressed during trial 5 (at 25 %): that trial finishes and no further one starts.
  TEngineState E = BatchEngine();
  TRequestAtProgress skip(TRequestAtProgress::kSkipSearch, 25);
  E.Control = &skip.Control;
  TBatchOutcome outcome = search.Run(E, TBatchSearch::DrawTrialOrders(E, 0, 10), &kTenTrialsOfTen);
  EXPECT_EQ(outcome.TrialsRun, 6);
  EXPECT_EQ(PlacedCount(E), 10);
  // Pressed before the batch's trials: 0 to 2 still run, as after a press during trial 0; the
  // next batch gets one trial.
  TEngineState F = BatchEngine();
  const std::vector<TOrder> orders = TBatchSearch::DrawTrialOrders(F, 0, 10);
  TNestControl pressed;
  pressed.RequestSkipSearch();
  F.Control = &pressed;
  EXPECT_EQ(search.Run(F, orders, nullptr).TrialsRun, 3);
  EXPECT_EQ(TBatchSearch::TrialCount(F), 1);
  EXPECT_EQ(F.NestParams.G_Mut, 1);
}

TEST(BatchSearch, AStopKeepsAFinishedTrialOverTheInterruptedOne) {
  TEngineState E = BatchEngine();
  TBatchSearch search(1);
  TRequestAtProgress stop(TRequestAtProgress::kStop, 15);  // early in trial 3
  E.Control = &stop.Control;
  const TBatchOutcome outcome =
      search.Run(E, TBatchSearch::DrawTrialOrders(E, 0, 10), &kTenTrialsOfTen);
  EXPECT_EQ(outcome.TrialsRun, 4);
  EXPECT_TRUE(outcome.Best.Finished);
  EXPECT_LT(outcome.Chosen, 3);
  EXPECT_EQ(PlacedCount(E), 10);
}

// ---- PlaceAll ---------------------------------------------------------------------------------

TEST(PlaceAll, BatchesWithAndWithoutTheSearch) {
  // Without the search one batch holds the whole group and is placed once; with it, 25 shapes
  // in batches of 10 make 10, 10 and 5.
  for (bool search : {false, true}) {
    TEngineState E = BoxEngine(25);
    E.NestParams.G_Enable = search;
    PlaceAll(E);
    EXPECT_FALSE(E.ErrorFlag());
    EXPECT_EQ(E.NestParams.G_Mut, search ? 10 : 1);
    std::vector<int> sizes;
    for (const TGenSingleOrder& b : E.GenOrder.Item) sizes.push_back(b.ShapeCount);
    EXPECT_EQ(sizes, search ? (std::vector<int>{10, 10, 5}) : (std::vector<int>{25}));
    if (!search) {  // placed once in size order, and the batch is left in that order
      TOrder sorted = E.ColorOrder.Item[0].Shape;
      SortBySize(E, sorted);
      TOrder batch;
      for (const TGenOneShape& slot : E.GenOrder.Item[0].Shape) batch.push_back(slot.ShN);
      EXPECT_EQ(batch, sorted);
    }
    EXPECT_EQ(PlacedCount(E), 25);
    ExpectSoundArrangement(E, search ? "searched" : "plain");
    for (const TNestOneRec& r : E.NestRecords.Shape) {  // each drawn onto its sheet
      EXPECT_TRUE(E.Blocks.Item[r.Place.sheetNo].m.Get(r.Place.x + r.Sbp[0].Node[0].x,
                                                       r.Place.y + r.Sbp[0].Node[0].y));
    }
  }
}

TEST(PlaceAll, TheSearchNeverEndsAboveTheSizeOrderOfASingleBatch) {
  for (uint64_t seed : {1u, 2u, 3u, 4u}) {
    TEngineState plain = BoxEngine(9);
    PlaceAll(plain);
    TEngineState searched = BoxEngine(9);
    searched.NestParams.G_Enable = true;
    searched.RandomSeed = seed;
    PlaceAll(searched);
    EXPECT_LE(ArrangementScore(searched), ArrangementScore(plain)) << "seed " << seed;
  }
}

TEST(PlaceAll, ASeededSearchIsTheSameOnOneOrTwoThreads) {
  std::vector<TEngineState> runs;
  for (int threads : {1, 2}) {
    runs.push_back(BoxEngine(23, 120, 3000));
    runs.back().NestParams.G_Enable = true;
    runs.back().RandomSeed = 99;
    runs.back().Threads = threads;
    PlaceAll(runs.back());
  }
  for (size_t k = 0; k < runs[0].NestRecords.Shape.size(); ++k) {
    const TNestPlacedShape &a = runs[0].NestRecords.Shape[k].Place,
                           &b = runs[1].NestRecords.Shape[k].Place;
    EXPECT_TRUE(a.x == b.x && a.y == b.y && a.a == b.a && a.sheetNo == b.sheetNo) << "record " << k;
  }
  ASSERT_EQ(runs[0].Blocks.Count, runs[1].Blocks.Count);
  for (int s = 0; s < runs[0].Blocks.Count; ++s) {
    EXPECT_TRUE(runs[0].Blocks.Item[s].m == runs[1].Blocks.Item[s].m) << "sheet " << s;
  }
}

TEST(PlaceAll, ShapesWithoutProcessShapeStayUnplaced) {
  for (bool search : {false, true}) {
    TEngineState E = BoxEngine(6);
    E.NestRecords.Shape[2].UserAttr &= ~kUserProcess;
    E.NestRecords.Shape[4].UserAttr = 0;
    E.NestParams.G_Enable = search;
    PlaceAll(E);
    EXPECT_FALSE(E.NestRecords.Shape[2].Place.placed);
    EXPECT_FALSE(E.NestRecords.Shape[4].Place.placed);
    EXPECT_EQ(PlacedCount(E), 4);
  }
  TEngineState empty = Engine(100, 100);
  SingleGroup(empty);
  PlaceAll(empty);
  EXPECT_EQ(empty.Blocks.Count, 1);
  EXPECT_FALSE(empty.ErrorFlag());
}

TEST(PlaceAll, DivideByColourOnDifferentSheetsStartsEachColourOnANewSheet) {
  TEngineState E = BoxEngine(6);
  E.NestParams.Media_ByColor = 1;
  E.ColorOrder.Count = 2;
  E.ColorOrder.Item = {TColorSingleOrder{1, 3, {0, 2, 4}}, TColorSingleOrder{2, 3, {1, 3, 5}}};
  PlaceAll(E);
  for (int r = 0; r < 6; ++r) EXPECT_EQ(E.NestRecords.Shape[r].Place.sheetNo, r % 2) << r;
}

TEST(PlaceAll, InsideHolesOnlyWithAllowInside) {
  // A frame as wide as the sheet, then a small box: with "Allow inside" the box goes into the
  // frame's hole, without it above the frame.
  for (bool inside : {false, true}) {
    TEngineState E = Engine(64, 300, 2);
    E.NestParams.PlaceInside_Enable = inside;
    AddRecord(E, Record({BoxPath(-30, 30, -30, 30, true), BoxPath(-20, 20, -20, 20, false)}));
    AddRecord(E, Box(-5, 5, -5, 5));
    SingleGroup(E);
    PlaceAll(E);
    ASSERT_EQ(PlacedCount(E), 2);
    const TNestPlacedShape &frame = E.NestRecords.Shape[0].Place,
                           &box = E.NestRecords.Shape[1].Place;
    if (inside) {
      EXPECT_TRUE(std::abs(box.x - frame.x) < 15 && std::abs(box.y - frame.y) < 15);
    } else {
      EXPECT_GT(box.y - 5, frame.y + 30);
    }
    ExpectSoundArrangement(E, inside ? "inside" : "apart");
  }
}

TEST(PlaceAll, AContainerSizesTheOnlySheetAndHoldsWhatFits) {
  TEngineState E = Engine(1000, 1000, 2);
  E.NestParams.Media_Container = true;
  AddRecord(E, Box(-40, 40, -30, 30, 24));
  E.NestRecords.Shape[0].UserAttr |= kUserContainer;
  for (int k = 0; k < 40; ++k) AddRecord(E, Box(-5, 5, -5, 5, 4));
  SingleGroup(E);
  PlaceAll(E);
  EXPECT_EQ(E.NestParams.Media_W, 100);  // the container's box plus 20
  EXPECT_EQ(E.NestParams.Media_H, 80);
  EXPECT_EQ(E.Blocks.Count, 1);
  EXPECT_TRUE(E.NestRecords.Shape[0].Place.placed);
  EXPECT_FALSE(E.NestRecords.Shape[0].Place.EnableToPlace);
  EXPECT_EQ(E.NestRecords.Shape[0].AnglesSRR.Count, 1);
  const int placed = PlacedCount(E) - 1;
  EXPECT_TRUE(placed > 10 && placed < 40) << placed;
}

// The container's sheet is as large as the largest sheet at most; a container needing more
// is refused with its size before any raster is made (issue 19: up to 65535 cells a side, half
// a gigabyte copied per thread).
TEST(PlaceAll, AContainerLargerThanTheLargestSheetIsRefused) {
  for (int half : {4990, 4991}) {  // sheets of 10000 and 10002 mm
    TEngineState E = Engine(1000, 1000, 2);
    E.NestParams.Media_Container = true;
    AddRecord(E, Box(-half, half, -30, 30));
    E.NestRecords.Shape[0].UserAttr |= kUserContainer;
    AddRecord(E, Box(-5, 5, -5, 5));
    SingleGroup(E);
    PlaceAll(E);
    if (half == 4990) {
      EXPECT_FALSE(E.ErrorFlag()) << E.Failure.Message;
      EXPECT_EQ(E.NestParams.Media_W, 10000);
      EXPECT_TRUE(E.NestRecords.Shape[1].Place.placed);
      continue;
    }
    EXPECT_TRUE(E.ErrorFlag());
    EXPECT_EQ(E.Failure.Source, TFailureSource::Drawing);
    EXPECT_NE(E.Failure.Message.find("10002 x 80 mm"), std::string::npos) << E.Failure.Message;
    EXPECT_EQ(E.Blocks.Count, 0);
    EXPECT_FALSE(E.NestRecords.Shape[1].Place.placed);
  }
}

TEST(PlaceAll, AStopPlacesNoFurtherShape) {
  // 20 equal boxes, no search: slot j reports 2.5 (j - 1) percent before its shape is searched;
  // the stop set at 25 % lets slot 11 finish, and slot 12 ends the loop.
  TEngineState E = Engine(300, 2000, 2);
  for (int k = 0; k < 20; ++k) AddRecord(E, Box(-10, 10, -10, 10, 4));
  SingleGroup(E);
  TRequestAtProgress sink(TRequestAtProgress::kStop, 25);
  E.Control = &sink.Control;
  PlaceAll(E);
  for (int r = 0; r < 20; ++r) EXPECT_EQ(E.NestRecords.Shape[r].Place.placed, r <= 11) << r;
  EXPECT_EQ(sink.Control.Position(), 0);
  // With the search, batch 1 of 3 tries its orders between 33 and 50 %: a stop at 40 % falls
  // after some of its trials finished, so it stays placed with batch 0; batch 2 places nothing.
  TEngineState S = BoxEngine(25);
  S.NestParams.G_Enable = true;
  TRequestAtProgress stopAt40(TRequestAtProgress::kStop, 40);
  S.Control = &stopAt40.Control;
  PlaceAll(S);
  std::set<int> last;
  for (const TGenOneShape& s : S.GenOrder.Item[2].Shape) last.insert(s.ShN);
  for (int r = 0; r < 25; ++r) EXPECT_EQ(S.NestRecords.Shape[r].Place.placed, !last.count(r)) << r;
  ExpectSoundArrangement(S, "stopped search");
}

TEST(PlaceAll, SkipSearchingLowersTheTrialsAndStillPlacesEverything) {
  TEngineState E = BoxEngine(25);
  E.NestParams.G_Enable = true;
  E.Threads = 2;
  TRequestAtProgress sink(TRequestAtProgress::kSkipSearch, 5);
  E.Control = &sink.Control;
  PlaceAll(E);
  EXPECT_EQ(E.NestParams.G_Mut, 1);
  EXPECT_EQ(PlacedCount(E), 25);
}

// ---- Whole runs on real drawings ----------------------------------------------------------------

TEST(PlaceAllDrawings, StripPackingAndLogosKeepEveryShapeApartAndOnItsSheet) {
  struct TCase {
    const char* File;
    double Width, Height, Distance;
    int FixAngle;
    bool Search, Inside;
  };
  const TCase cases[] = {
      {"esicup-ai/jakobs1.ai", 1000, 10000, 3, 1, false, false},
      {"esicup-ai/jakobs1.ai", 1000, 10000, 3, 1, true, false},
      {"esicup-ai/fu.ai", 1000, 10000, 3, 1, true, false},
      {"esicup-ai/shapes0.ai", 1000, 10000, 3, 3, false, false},
      {"esicup-ai/dagli.ai", 1000, 10000, 3, 2, true, false},
      {"real-ai/freebsd-corpnet-fig08-01-ai801.eps", 300, 300, 5, 0, false, true},
      {"real-ai/freebsd-corpnet-fig08-05-ai801.eps", 300, 300, 5, 0, false, false},
      {"real-ai/tcl-tk-logo-ai55.eps", 300, 300, 5, 0, true, false},
      {"real-ai/tcl-powered-logo-ai55.eps", 300, 300, 5, 0, false, true},
  };
  for (const TCase& c : cases) {
    std::unique_ptr<TNestJob> run = LoadTestDrawing(c.File);
    ASSERT_NE(run, nullptr) << c.File;
    TNestSettings s;
    s.Media_Width = c.Width;
    s.Media_Height = c.Height;
    s.Distance = c.Distance;
    s.Rotate_90 = c.FixAngle;
    s.Genetics_Check = c.Search;
    s.Inside_Check = c.Inside;
    ASSERT_TRUE(RunJob(*run, s)) << c.File;
    const TEngineState& E = TNestJobProbe::Engine(*run);
    EXPECT_GT(E.NestRecords.Shape.size(), 0u) << c.File;
    EXPECT_EQ(PlacedCount(E), static_cast<int>(E.NestRecords.Shape.size())) << c.File;
    ExpectSoundArrangement(E, c.File);
  }
}

// A searched batch that spills onto a new sheet keeps that sheet: every placed shape's sheet
// exists, holds the shape's drawing, and the writers find it.
TEST(PlaceAllDrawings, ASearchedBatchThatOpensASheetKeepsIt) {
  std::unique_ptr<TNestJob> job = LoadTestDrawing("esicup-ai/shirts.ai");
  ASSERT_NE(job, nullptr);
  TNestSettings s;
  s.Media_Width = 1000;
  s.Media_Height = 300;
  s.Margin = 0;
  s.Padding = 0;
  s.Distance = 1;
  s.Rotate_90 = 2;
  s.Genetics_Check = true;
  TRunOptions options;
  options.Seed = 5;
  options.Threads = 2;
  const TRunOutcome run = job->Run(s, options);
  ASSERT_TRUE(run.Complete()) << run.Reason;
  const TOneNestingResult& R = run.Result;
  const TEngineState& E = TNestJobProbe::Engine(*job);
  EXPECT_GE(UsedSheetCount(R), 4);
  EXPECT_GE(PlacedCount(E), 80) << "some shirts are taller than the sheet";
  for (int i = 0; i < static_cast<int>(E.NestRecords.Shape.size()); ++i) {
    const TNestOneRec& r = E.NestRecords.Shape[i];
    if (!r.Place.placed) continue;
    ASSERT_LT(r.Place.sheetNo, E.Blocks.Count) << i;
    ASSERT_LT(r.Place.sheetNo, R.Block.Count) << i;
    TPlacementTransform t;
    EXPECT_TRUE(PlacementTransform(job->Drawing(), R, i, t)) << i;
    const TBooleanMatrix& m = E.Blocks.Item[r.Place.sheetNo].m;
    int drawn = 0;
    int nodes = 0;
    for (const TNestSbpOneRec& sbp : r.Sbp) {
      for (const TNestNode& n : sbp.Node) {
        ++nodes;
        drawn += m.GetSafe(r.Place.x + n.x, r.Place.y + n.y) ? 1 : 0;
      }
    }
    EXPECT_EQ(drawn, nodes) << "record " << i << " is not drawn on sheet " << r.Place.sheetNo;
  }
  ExpectSoundArrangement(E, "spilling search");
}

TEST(PlaceAllDrawings, AContainerFromTheDrawingHoldsTheOthersInsideItsOutline) {
  std::unique_ptr<TNestJob> run = LoadTestDrawing("esicup-ai/jakobs1.ai");
  ASSERT_NE(run, nullptr);
  std::vector<TNestOneRec>& shapes = TNestJobProbe::Engine(*run).NestRecords.Shape;
  auto area = [](const TNestOneRec& r) { return r.Original.Width * r.Original.Height; };
  const auto largest =
      std::max_element(shapes.begin(), shapes.end(),
                       [&](const auto& a, const auto& b) { return area(a) < area(b); });
  largest->UserAttr |= kUserContainer;
  TNestSettings s;
  s.Distance = 2;
  ASSERT_TRUE(RunJob(*run, s));
  const TEngineState& E = TNestJobProbe::Engine(*run);
  EXPECT_EQ(E.Blocks.Count, 1);
  EXPECT_TRUE(E.NestRecords.Shape[0].Place.placed);  // the container counts as placed
  const TOutline container = PlacedOutline(E, 0);
  const std::vector<TOutline> inner = PlacedOutlines(E, 0);
  EXPECT_FALSE(inner.empty());
  EXPECT_LT(inner.size() + 1, E.NestRecords.Shape.size());
  for (const TOutline& o : inner) {
    for (const std::vector<TPt>& path : o.Paths) {
      for (const TPt& p : path) EXPECT_TRUE(Inside(container, p, false)) << "record " << o.Record;
    }
    EXPECT_GE(OutlineDistance(o, container), E.NestParams.Distance - 1.0) << "record " << o.Record;
  }
  ExpectSoundArrangement(E, "container", 0);
}

}  // namespace plavo
