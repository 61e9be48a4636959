#include "nesting/NestJob.h"

#include <gtest/gtest.h>

#include "nesting/NestJobProbe.h"
#include "formats/svg/SvgWriter.h"
#include "nesting/result/NestResult.h"
#include "nesting/NestRunTestSupport.h"
#include "nesting/result/ResultLayout.h"
#include "nesting/prepare/ShapeAnalysis.h"

namespace plavo {

using namespace nest_test;

namespace {

TNestSettings Sheets(double W, double H, bool Search = false) {
  TNestSettings s;
  s.Media_Width = W;
  s.Media_Height = H;
  s.Distance = 2;
  s.Genetics_Check = Search;
  return s;
}

void ExpectSamePlacements(const TOneNestingResult& A, const TOneNestingResult& B) {
  ASSERT_EQ(A.Place.size(), B.Place.size());
  for (size_t i = 0; i < A.Place.size(); ++i) {
    EXPECT_EQ(A.Place[i].placed, B.Place[i].placed) << i;
    EXPECT_EQ(A.Place[i].sheetNo, B.Place[i].sheetNo) << i;
    EXPECT_EQ(A.Place[i].x, B.Place[i].x) << i;
    EXPECT_EQ(A.Place[i].y, B.Place[i].y) << i;
    EXPECT_EQ(A.Place[i].a, B.Place[i].a) << i;
  }
  EXPECT_EQ(A.ShapeIndex, B.ShapeIndex);
  EXPECT_EQ(A.Block.Count, B.Block.Count);
}

// Three small squares and, as shape 2, a large red one to serve as the container.
std::unique_ptr<TQarvShapes> ContainerDrawing() {
  auto shapes = std::make_unique<TQarvShapes>();
  AddShape(*shapes, {Rect(0, 0, 20, 20)}, 0x0000FF, 0);
  AddShape(*shapes, {Rect(30, 0, 50, 15)}, 0x00FF00, 0);
  AddShape(*shapes, {Rect(100, 0, 250, 150)}, 0xFF0000, 0);
  AddShape(*shapes, {Rect(300, 0, 330, 25)}, 0x808080, 0);
  shapes->ApproximateShapes(4, true);
  return shapes;
}

}  // namespace

TEST(NestJob, ASecondRunOnTheSameJobEqualsAFirstRunOnAFreshOne) {
  for (bool search : {false, true}) {
    TNestJob used;
    ASSERT_TRUE(used.Load(MixedDrawing()).Complete());
    used.Run(Sheets(150, 150, search), Seeded(3, 2));
    const TOneNestingResult second = used.Run(Sheets(130, 130, search), Seeded(11, 2)).Result;
    TNestJob fresh;
    ASSERT_TRUE(fresh.Load(MixedDrawing()).Complete());
    const TOneNestingResult first = fresh.Run(Sheets(130, 130, search), Seeded(11, 2)).Result;
    ExpectSamePlacements(second, first);
  }
}

TEST(NestJob, AContainerThatIsNotShapeZeroKeepsItsOwnOutlineInEveryResult) {
  TNestJob job;
  ASSERT_TRUE(job.Load(ContainerDrawing()).Complete());
  job.ApplyUserCode(2, kUserContainer, true);
  EXPECT_EQ(job.Container(), 2);
  const TRunOutcome insideRun = job.Run(Sheets(300, 300), TRunOptions{});
  ASSERT_TRUE(insideRun.Complete()) << insideRun.Reason;
  const TOneNestingResult& inside = insideRun.Result;
  // The drawing keeps its order; record 0 stands for shape 2.
  EXPECT_EQ(job.Drawing().GetShape(2)->Color().Fill, 0xFF0000);
  EXPECT_EQ(inside.ShapeIndex[0], 2);
  EXPECT_EQ(RecordShape(job.Drawing(), inside, 0), job.Drawing().GetShape(2));
  EXPECT_EQ(UsedSheetCount(inside), 1);

  // Marking shape 3 moves the mark; the next run makes it the container instead.
  job.ApplyUserCode(3, kUserContainer, true);
  EXPECT_EQ(job.Container(), 3);
  EXPECT_EQ(job.UserAttr(2) & kUserContainerMask, 0);
  job.ApplyUserCode(3, kUserContainer, false);
  EXPECT_EQ(job.Container(), -1);
  const TRunOutcome freeRun = job.Run(Sheets(300, 300), TRunOptions{});
  ASSERT_TRUE(freeRun.Complete()) << freeRun.Reason;
  const TOneNestingResult& free = freeRun.Result;

  // Each stored result draws the red container where its own run put it.
  for (const TOneNestingResult* r : {&inside, &free, &inside}) {
    ASSERT_TRUE(job.Restore(*r));
    const int record = job.RecordOf(2);
    const TNestPlacedShape& shown =
        TNestJobProbe::Engine(job).NestRecords.Shape[static_cast<size_t>(record)].Place;
    size_t k = 0;
    while (r->ShapeIndex[k] != 2) ++k;
    EXPECT_EQ(shown.x, r->Place[k].x);
    EXPECT_EQ(shown.y, r->Place[k].y);
    std::string svg, error;
    ASSERT_TRUE(BuildSvgText(LayoutOf(job.Drawing(), *r), svg, error)) << error;
    const size_t red = svg.find("id=\"shape2\" fill=\"#0000ff\"");
    EXPECT_NE(red, std::string::npos) << "shape 2 is written in its own colour";
  }
}

TEST(NestJob, FailuresSayWhereTheyCameFrom) {
  // 250 m from the origin is beyond the records' integer units: the shape cannot be prepared.
  auto far = std::make_unique<TQarvShapes>();
  AddShape(*far, {Rect(0, 0, 10, 10)}, 0, 0);
  AddShape(*far, {Rect(250000, 0, 250010, 10)}, 0, 0);
  far->ApproximateShapes(4, true);
  TNestJob drawing;
  const TNestOutcome loaded = drawing.Load(std::move(far));
  EXPECT_TRUE(loaded.Partial());
  EXPECT_EQ(loaded.Source, TFailureSource::Drawing);
  EXPECT_NE(loaded.Reason.find("shape 1"), std::string::npos) << loaded.Reason;

  // The engine's own failures: the first one keeps its message, and the error flag is derived
  // from it.
  TEngineState E;
  EXPECT_FALSE(E.ErrorFlag());
  E.Exact.Distance = 2000;
  AnalyzeShapes(E);
  ReportFailure(E, TFailureSource::Drawing, "a later failure");
  EXPECT_TRUE(E.ErrorFlag());
  EXPECT_EQ(E.Failure.Source, TFailureSource::Engine);
  EXPECT_NE(E.Failure.Message.find("minimum distance 2000"), std::string::npos)
      << E.Failure.Message;

  // A run starts without the failure of building the records: the lost shape stays unplaced
  // and the others nest.
  const TRunOutcome run = drawing.Run(Sheets(300, 300), TRunOptions{});
  EXPECT_TRUE(run.Complete()) << run.Reason;
  EXPECT_EQ(run.Source, TFailureSource::None);
  ASSERT_EQ(run.Result.Place.size(), 2u);
  EXPECT_TRUE(run.Result.Place[0].placed);
  EXPECT_FALSE(run.Result.Place[1].placed);
}

// Issue 19: Load says whether it took the whole drawing, part of it, or refused it.
TEST(NestJob, LoadIsCompletePartialOrRefused) {
  TNestJob job;
  const TNestOutcome complete = job.Load(MixedDrawing());
  EXPECT_TRUE(complete.Complete());
  EXPECT_EQ(complete.Source, TFailureSource::None);
  EXPECT_TRUE(complete.Reason.empty() && complete.Lost.empty());

  // Two shapes lost (no outline to build, and beyond the records' units), each named.
  auto lossy = MixedDrawing();
  const int n = lossy->ShapeCount();
  lossy->AddShape(TQarvOneShape{}, false);
  lossy->GetShape(n)->SetCurve(nullptr);
  AddShape(*lossy, {Rect(250000, 0, 250010, 10)}, 0, 0);
  lossy->ApproximateShapes(4, true);
  const TNestOutcome partial = job.Load(std::move(lossy));
  EXPECT_TRUE(partial.Partial());
  ASSERT_EQ(partial.Lost.size(), 2u);
  EXPECT_EQ(partial.Lost[0].Shape, n);
  EXPECT_EQ(partial.Lost[1].Shape, n + 1);
  EXPECT_FALSE(partial.Lost[1].Why.empty());
  EXPECT_EQ(job.ShapeCount(), n + 2) << "the job keeps the drawing and nests the others";

  // One shape more than the records can count: the whole drawing is refused with the count and
  // the limit, and the job holds no drawing (a run is refused too).
  auto many = std::make_unique<TQarvShapes>();
  for (int i = 0; i <= kMaxNestRecords; ++i) many->AddShape(TQarvOneShape{}, false);
  const TNestOutcome refused = job.Load(std::move(many));
  EXPECT_TRUE(refused.Refused());
  EXPECT_NE(refused.Reason.find("65536 shapes"), std::string::npos) << refused.Reason;
  EXPECT_NE(refused.Reason.find("at most 65535"), std::string::npos) << refused.Reason;
  EXPECT_EQ(job.ShapeCount(), 0);
  EXPECT_TRUE(job.Run(Sheets(300, 300), TRunOptions{}).Refused());
}

TEST(NestJob, ResultsOfAnotherDrawingAreRefused) {
  TNestJob a;
  ASSERT_TRUE(a.Load(MixedDrawing()).Complete());
  const TOneNestingResult r = a.Run(Sheets(300, 300), TRunOptions{}).Result;
  TNestJob b;
  ASSERT_TRUE(b.Load(ContainerDrawing()).Complete());
  EXPECT_FALSE(b.Restore(r));
  EXPECT_FALSE(NestedLayoutOf(b.Drawing(), r).has_value());
}

TEST(NestResult, BestByHeightKeepsTheEarliestOfEqualSums) {
  TEngineState E;
  HandBuiltResult(E, 2, {{0, 0}, {300, 0}});
  Place(E, 0, 0, 10, 10, 0, 50);
  Place(E, 1, 1, 10, 10, 0, 30);
  const TOneNestingResult eighty = Result(E);
  E.NestRecords.Shape[1].Place.TopY = 20;
  const TOneNestingResult seventy = Result(E);
  EXPECT_EQ(HeightSum(eighty), 80);
  EXPECT_EQ(BestByHeight({eighty, seventy, seventy}), 1);
  EXPECT_EQ(BestByHeight({eighty, eighty}), 0);
  EXPECT_EQ(BestByHeight({}), -1);
}

// A part that fits the sheet's width only upright stands at its lowest already, though lying
// down it would be lower: the compaction ends there instead of trying forever, also on a
// counted budget.
TEST(NestJob, ACountedOptimisationOfALayoutNoStepLowersEnds) {
  auto shapes = std::make_unique<TQarvShapes>();
  AddShape(*shapes, {Rect(0, 0, 100, 140)}, 0, 0);
  TNestJob job;
  ASSERT_TRUE(job.Load(std::move(shapes)).Complete());
  TNestSettings s = Sheets(116, 210);
  s.Rotate_90 = 1;
  TRunOptions o = Seeded(3, 2);
  o.Evaluations = 20;
  const TRunOutcome run = job.Run(s, o);
  ASSERT_TRUE(run.Complete()) << run.Reason;
  EXPECT_TRUE(run.Result.Place[0].placed);
}

// A shape metres across fits no sheet: it is left out and the rest placed, without drawing its
// cells (a raster too large to draw failed the run before).
TEST(NestJob, AShapeLargerThanAnySheetIsLeftOutAndTheRestPlaced) {
  auto shapes = std::make_unique<TQarvShapes>();
  AddShape(*shapes, {Rect(0, 0, 190'000, 199'000)}, 0, 0);
  AddShape(*shapes, {Rect(0, 0, 100, 100)}, 0, 0);
  shapes->ApproximateShapes(4, true);
  TNestJob job;
  ASSERT_TRUE(job.Load(std::move(shapes)).Complete());
  TRunOptions o = Seeded(3, 2);
  o.Evaluations = 20;
  const TRunOutcome run = job.Run(Sheets(1000, 1000, true), o);
  ASSERT_TRUE(run.Complete()) << run.Reason;
  EXPECT_FALSE(run.Result.Place[0].placed);
  EXPECT_TRUE(run.Result.Place[1].placed);
}

}  // namespace plavo
