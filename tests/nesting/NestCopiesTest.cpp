// Copies of a shape in one job: one analysis shared by all copies, the limits on copies, results
// that name each copy, and several drawings in one job.
#include <algorithm>
#include <set>
#include <tuple>

#include <gtest/gtest.h>

#include "nesting/NestJob.h"
#include "nesting/NestJobProbe.h"
#include "nesting/NestRunTestSupport.h"
#include "nesting/optimise/OptimiserGenes.h"
#include "nesting/result/ResultLayout.h"

namespace plavo {

using namespace nest_test;

namespace {

TNestSettings LargeSheet() {
  TNestSettings s;
  s.Media_Width = 2000;
  s.Media_Height = 2000;
  s.Distance = 2;
  return s;
}

int PlacedCount(const TOneNestingResult& R) {
  int n = 0;
  for (const TNestPlacedShape& p : R.Place) n += p.placed;
  return n;
}

}  // namespace

TEST(NestCopies, CopiesShareTheAnalysisAndAreEachPlacedAndNamed) {
  TNestJob job;
  ASSERT_TRUE(job.Load(MixedDrawing()).Complete());
  ASSERT_TRUE(job.SetCopies(2, 4).Complete());
  EXPECT_EQ(job.PartCount(), 5 + 3);
  job.ApplyUserCode(2, 0x300, true);  // 90 deg.: every copy follows its shape
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(TNestJobProbe::Engine(job).NestRecords.Shape[job.RecordOf(2, c)].UserAttr,
              job.UserAttr(2));
  }
  const TRunOutcome run = job.Run(LargeSheet(), Seeded(5));
  ASSERT_TRUE(run.Complete()) << run.Reason;
  EXPECT_EQ(PlacedCount(run.Result), 8);
  // The copies took the outlines as cut of the first copy: one analysis, shared.
  const auto& records = TNestJobProbe::Engine(job).NestRecords.Shape;
  const TNestOneRec& first = records[job.RecordOf(2, 0)];
  ASSERT_GT(first.AnglesSRR.Item.size(), 0u);
  for (int c = 1; c < 4; ++c) {
    const TNestOneRec& copy = records[job.RecordOf(2, c)];
    EXPECT_EQ(copy.AnglesSRR.Item[0].Cut, first.AnglesSRR.Item[0].Cut) << c;
  }
  std::vector<int> copiesOf2;
  for (size_t i = 0; i < run.Result.ShapeIndex.size(); ++i) {
    if (run.Result.ShapeIndex[i] == 2) copiesOf2.push_back(CopyIndexOf(run.Result, i));
  }
  std::sort(copiesOf2.begin(), copiesOf2.end());
  EXPECT_EQ(copiesOf2, (std::vector<int>{0, 1, 2, 3}));
  const std::optional<TNestedLayout> layout = NestedLayoutOf(job.Drawing(), run.Result);
  ASSERT_TRUE(layout.has_value());
  EXPECT_EQ(layout->Shapes.size(), 8u);
  // Restoring a result of other copies is refused; of these, accepted.
  EXPECT_TRUE(job.Restore(run.Result));
  ASSERT_TRUE(job.SetCopies(2, 3).Complete());
  EXPECT_FALSE(job.Restore(run.Result));
}

// Copies share one analysis and the search keeps what it proved taken between them: neither
// may move a shape. N copies must nest exactly as the same shape drawn N times.
TEST(NestCopies, CopiesNestAsTheShapeDrawnAsOften) {
  constexpr int kCount = 40;
  const auto drawing = [](int Times) {
    auto shapes = std::make_unique<TQarvShapes>();
    for (int k = 0; k < Times; ++k) {
      AddShape(*shapes, {CirclePath(50, 40, 30), CirclePath(50, 40, 10)}, 0xFF0000, 0);
      AddShape(*shapes, {StraightPath({{0, 0}, {0, 90}, {20, 90}, {20, 20}, {70, 20}, {70, 0}})},
               0x808080, 0);
    }
    shapes->ApproximateShapes(4, true);
    return shapes;
  };
  TNestSettings settings;
  settings.Media_Width = 400;
  settings.Media_Height = 300;
  settings.Distance = 2;
  TNestJob drawn;
  ASSERT_TRUE(drawn.Load(drawing(kCount)).Complete());
  TNestJob copied;
  ASSERT_TRUE(copied.Load(drawing(1)).Complete());
  ASSERT_TRUE(copied.SetCopiesForAll(kCount).Complete());
  const TRunOutcome a = drawn.Run(settings, Seeded(3));
  const TRunOutcome b = copied.Run(settings, Seeded(3));
  ASSERT_TRUE(a.Complete() && b.Complete());
  // Drawn: shape 2k + t is the k-th of kind t. Copied: copy k of shape t.
  std::multiset<std::tuple<int, int, int, int, double>> drawnPlaces, copiedPlaces;
  for (size_t r = 0; r < a.Result.Place.size(); ++r) {
    const TNestPlacedShape& p = a.Result.Place[r];
    drawnPlaces.insert({a.Result.ShapeIndex[r] % 2, p.sheetNo, p.x, p.y, p.a});
  }
  for (size_t r = 0; r < b.Result.Place.size(); ++r) {
    const TNestPlacedShape& p = b.Result.Place[r];
    copiedPlaces.insert({b.Result.ShapeIndex[r], p.sheetNo, p.x, p.y, p.a});
  }
  EXPECT_GT(UsedSheetCount(a.Result), 1) << "rows and sheets fill up";
  EXPECT_EQ(drawnPlaces, copiedPlaces);
}

TEST(NestCopies, CopiesAreLimited) {
  TNestJob job;
  ASSERT_TRUE(job.Load(MixedDrawing()).Complete());
  EXPECT_TRUE(job.SetCopies(0, 0).Refused());
  EXPECT_TRUE(job.SetCopies(0, kMaxCopies + 1).Refused());
  ASSERT_TRUE(job.SetCopiesForAll(kMaxCopies).Complete());  // 50,000 parts
  ASSERT_TRUE(job.Add(MixedDrawing(), "second").Complete());
  const TNestOutcome refused = job.SetCopiesForAll(kMaxCopies);
  ASSERT_TRUE(refused.Refused());
  EXPECT_NE(refused.Reason.find("100000"), std::string::npos) << refused.Reason;
  EXPECT_NE(refused.Reason.find("65535"), std::string::npos) << refused.Reason;
  EXPECT_EQ(job.PartCount(), 50005) << "a refused count leaves the job as it was";
  ASSERT_TRUE(job.SetCopiesForAll(1).Complete());
  // The container has one copy, and making a shape the container takes its copies.
  ASSERT_TRUE(job.SetCopies(3, 3).Complete());
  job.ApplyUserCode(3, kUserContainer, true);
  EXPECT_EQ(job.Copies(3), 1);
  EXPECT_TRUE(job.SetCopies(3, 2).Refused());
}

TEST(NestCopies, SeveralDrawingsNestTogetherWithTheirColours) {
  TNestJob job;
  ASSERT_TRUE(job.Load(MixedDrawing(), nullptr, "a.ai").Complete());
  ASSERT_TRUE(job.Add(MixedDrawing(), "b.svg").Complete());
  ASSERT_EQ(job.ShapeCount(), 10);
  EXPECT_EQ(job.DrawingOf(4), 0);
  EXPECT_EQ(job.DrawingOf(5), 1);
  EXPECT_EQ(job.Drawings()[1].File, "b.svg");
  EXPECT_EQ(job.Drawing().GetShape(7)->Color().Fill, job.Drawing().GetShape(2)->Color().Fill);
  const TRunOutcome run = job.Run(LargeSheet(), Seeded(2));
  ASSERT_TRUE(run.Complete()) << run.Reason;
  EXPECT_EQ(PlacedCount(run.Result), 10);
}

TEST(NestCopies, TheOptimiserNeverOnlySwapsTwoCopies) {
  TEngineState E;
  InitRecords(E, 3);
  E.NestRecords.Count = 3;
  E.NestRecords.Shape[0].CopyGroup = 0;
  E.NestRecords.Shape[1].CopyGroup = 0;
  TLayoutGenes from;
  from.Groups = {{0, 1, 2}};
  from.Angle.assign(3, kFreeAngle);
  from.Alike.assign(3, 1);
  from.Flip.assign(3, 0);
  TMoveDrawer drawer(E, 11);
  for (int k = 0; k < 500; ++k) {
    const TLayoutGenes next = drawer.Neighbour(from);
    const bool onlyCopiesSwapped = next.Groups[0] == TOrder{1, 0, 2} && next.Angle == from.Angle &&
                                   next.Alike == from.Alike && next.Flip == from.Flip;
    EXPECT_FALSE(onlyCopiesSwapped) << k;
  }
}

}  // namespace plavo
