// The distance the user sets is the distance cut, on hand-made worst cases: long edges facing
// each other at every trial angle, a shape in another's hole, a container's inner edge, the
// edge padding, a thin shape in the row below another, and the distance taken as typed.
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "nesting/NestJob.h"
#include "nesting/NestJobProbe.h"
#include "nesting/NestRunTestSupport.h"
#include "nesting/result/ResultCheck.h"

namespace plavo {

using namespace nest_test;

namespace {

// A bar of Length x Width turned by Degrees around (Cx, Cy): its long edges run at an angle no
// trial angle makes axis-parallel.
TPathPtr Bar(double Cx, double Cy, double Length, double Width, double Degrees) {
  const double a = Degrees * std::numbers::pi / 180;
  const double c = std::cos(a), s = std::sin(a);
  const auto at = [&](double u, double v) {
    return TNodeSimple{Cx + u * c - v * s, Cy + u * s + v * c};
  };
  const double l = Length / 2, w = Width / 2;
  return StraightPath({at(-l, -w), at(-l, w), at(l, w), at(l, -w)});
}

struct TNested {
  TLayoutCheck Check;
  TOneNestingResult Result;
  TLayoutCheckInput Input;
};

TNested Nest(std::unique_ptr<TQarvShapes> Shapes, const TNestSettings& S, int32_t AngleCode = 0,
             int Container = -1, int64_t Evaluations = 0) {
  TNestJob job;
  job.Load(std::move(Shapes));
  if (AngleCode != 0) job.SetAngleCodeForAll(AngleCode);
  if (Container >= 0) job.ApplyUserCode(Container, kUserContainer, true);
  TRunOptions o;
  o.Seed = 3;
  o.Threads = 2;
  o.Evaluations = Evaluations;
  TNested n;
  const TRunOutcome run = job.Run(S, o);
  EXPECT_TRUE(run.Complete()) << run.Reason;
  n.Result = run.Result;
  n.Input = LayoutCheckInput(job.Drawing(), n.Result);
  n.Check = CheckLayoutGeometry(n.Input);
  return n;
}

void ExpectKept(const TLayoutCheck& Check, double Distance, const std::string& What) {
  EXPECT_GE(Check.MinGap, Distance - kGapAllowance) << What;
  EXPECT_LE(Check.Overhang, kOverhangAllowance) << What;
}

// An open path through the points: each piece a cubic with its controls on its ends.
TPathPtr OpenPath(const std::vector<TNodeSimple>& p) {
  auto path = std::make_shared<TQarvOnePath>();
  for (size_t k = 0; k + 1 < p.size(); ++k) {
    TQarvOneSegment s;
    s.MakeCurve(p[k].X, p[k].Y, p[k].X, p[k].Y, p[k + 1].X, p[k + 1].Y, p[k + 1].X, p[k + 1].Y);
    path->AddSegment(s);
  }
  return path;
}

TNestSettings Settings(double W, double H, double Distance) {
  TNestSettings s;
  s.Media_Width = W;
  s.Media_Height = H;
  s.Distance = Distance;
  return s;
}

}  // namespace

TEST(DistanceGuarantee, LongEdgesFacingEachOtherAtEveryTrialAngle) {
  // 36 trial angles per bar (the per-shape code "every 10 degrees"); the plain run, the search
  // and the optimiser with its compaction pack the bars edge to edge.
  for (const double d : {0.1, 0.5, 2.9}) {
    for (const int64_t evaluations : {int64_t{0}, int64_t{150}}) {
      auto shapes = std::make_unique<TQarvShapes>();
      for (int k = 0; k < 10; ++k) AddShape(*shapes, {Bar(30 * k, 0, 120, 7, 7 + 3 * k)}, 0, -1);
      TNestSettings s = Settings(300, 400, d);
      s.Genetics_Check = evaluations == 0;
      const TNested n = Nest(std::move(shapes), s, 0x200, -1, evaluations);
      ExpectKept(n.Check, d, "distance " + std::to_string(d));
    }
  }
}

TEST(DistanceGuarantee, HolesContainersAndPaddingCountExactly) {
  const double d = 1.3;
  // A frame with a round hole and small discs that may go into it.
  const auto drawing = [] {
    auto shapes = std::make_unique<TQarvShapes>();
    AddShape(*shapes, {Rect(0, 0, 100, 100), CirclePath(50, 50, 35)}, 0, -1);
    for (int k = 0; k < 6; ++k) AddShape(*shapes, {CirclePath(200 + 30 * k, 0, 12)}, 0, -1);
    return shapes;
  };
  TNestSettings inside = Settings(220, 220, d);
  inside.Inside_Check = true;
  const TNested holes = Nest(drawing(), inside);
  ExpectKept(holes.Check, d, "inside holes");
  // A container: the discs stay inside the disc with the hole at least the distance from its
  // edges; the check says how far any reaches outside it.
  auto ring = std::make_unique<TQarvShapes>();
  AddShape(*ring, {CirclePath(0, 0, 80), CirclePath(0, 0, 20)}, 0, -1);
  for (int k = 0; k < 8; ++k) AddShape(*ring, {Rect(200 + 30 * k, 0, 220 + 30 * k, 25)}, 0, -1);
  ExpectKept(Nest(std::move(ring), Settings(300, 300, d), 0, 0).Check, d, "container");
  // The edge padding as typed: every shape stays 7.5 mm inside the sheet.
  TNestSettings padded = Settings(150, 150, d);
  padded.Padding = 7.5;
  TNested pad = Nest(drawing(), padded);
  TLayoutCheckInput& input = pad.Input;
  for (TRectDbl& sheet : input.Sheets) {
    sheet.Left += 7.5, sheet.Right -= 7.5, sheet.Bottom += 7.5, sheet.Top -= 7.5;
  }
  EXPECT_LE(CheckLayoutGeometry(input).Overhang, kOverhangAllowance);
}

TEST(DistanceGuarantee, AThinShapeFitsUnderAnotherOnlyWhereItWasTested) {
  // An open triangle above a flat open bar or a line: the bar fits in the row below the
  // triangle's band and not one row higher, where the refinement used to put it.
  const std::vector<TNodeSimple> bar{{0, 0}, {38.806, 0}, {38.806, 0.3528}, {0, 0.3528}};
  for (const std::vector<TNodeSimple>& under : {bar, {bar[0], bar[1]}}) {
    for (const double d : {0.5, 0.725}) {
      auto shapes = std::make_unique<TQarvShapes>();
      AddShape(*shapes, {OpenPath({{44.097, 88.194}, {88.194, 88.194}, {70.556, 123.472}})}, 0, -1);
      AddShape(*shapes, {OpenPath(under)}, 0, -1);
      TNestSettings s = Settings(70, 156, d);
      s.Padding = 3;
      s.Rotate_90 = 3;  // "Do not rotate"
      ExpectKept(Nest(std::move(shapes), s).Check, d,
                 std::to_string(under.size()) + " points, distance " + std::to_string(d));
    }
  }
}

TEST(DistanceGuarantee, TheDistanceIsTakenAsTypedAndKeptWithoutSlack) {
  // Squares side by side: 2.9 mm keeps them farther apart than 2 mm (a distance cut to whole
  // millimetres would nest both alike).
  const auto squares = [] {
    auto shapes = std::make_unique<TQarvShapes>();
    for (int k = 0; k < 4; ++k) AddShape(*shapes, {Rect(60 * k, 0, 60 * k + 40, 40)}, 0, -1);
    return shapes;
  };
  const TNested two = Nest(squares(), Settings(172, 100, 2.0), 0x500);
  const TNested wide = Nest(squares(), Settings(172, 100, 2.9), 0x500);
  ExpectKept(two.Check, 2.0, "2 mm");
  ExpectKept(wide.Check, 2.9, "2.9 mm");
  ASSERT_NE(two.Check.MinGap, kNoGap);  // the squares share a sheet
  const auto xs = [](const TOneNestingResult& R) {
    std::vector<int> x;
    for (const TNestPlacedShape& p : R.Place) x.push_back(p.x);
    return x;
  };
  EXPECT_NE(xs(two.Result), xs(wide.Result));
  // Settled on the outlines, straight edges stand exactly the distance apart, or the next whole
  // millimetre, not the cells' slack beyond it; the first square stands on the sheet's corner.
  EXPECT_NEAR(two.Check.MinGap, 2.0, 1e-6);
  EXPECT_NEAR(wide.Check.MinGap, 3.0, 1e-6);
  EXPECT_EQ(two.Result.Place[0].x, 20);
  EXPECT_EQ(two.Result.Place[0].y, 20);
}

// Settling measures outlines step by step; a sheet holding a shape of over 200,000 segments
// stays as the cells placed it, which keeps the distance too.
TEST(DistanceGuarantee, ASheetWithAHugeOutlineStaysAsTheCellsPlacedIt) {
  auto shapes = std::make_unique<TQarvShapes>();
  auto huge = std::make_shared<TQarvOnePath>();  // a 60 mm square, each side in 50,001 pieces
  const TNodeSimple corners[] = {{0, 0}, {0, 60}, {60, 60}, {60, 0}, {0, 0}};
  for (int side = 0; side < 4; ++side) {
    const TNodeSimple a = corners[side], b = corners[side + 1];
    for (int k = 0; k <= 50000; ++k) {
      const double t0 = k / 50001.0, t1 = (k + 1) / 50001.0;
      const TNodeSimple p{a.X + (b.X - a.X) * t0, a.Y + (b.Y - a.Y) * t0};
      const TNodeSimple q{a.X + (b.X - a.X) * t1, a.Y + (b.Y - a.Y) * t1};
      TQarvOneSegment s;
      s.MakeCurve(p.X, p.Y, p.X, p.Y, q.X, q.Y, q.X, q.Y);
      huge->AddSegment(s);
    }
  }
  AddShape(*shapes, {huge}, 0, -1);
  AddShape(*shapes, {Rect(100, 0, 140, 40)}, 0, -1);
  TNestJob job;
  job.Load(std::move(shapes));
  const TRunOutcome run = job.Run(Settings(200, 100, 1.0), Seeded(3));
  ASSERT_TRUE(run.Complete()) << run.Reason;
  const TEngineState& engine = TNestJobProbe::Engine(job);
  for (size_t i = 0; i < 2; ++i) {
    const TNestPlacedShape& cells = engine.NestRecords.Shape[i].Place;
    ASSERT_TRUE(run.Result.Place[i].placed);
    EXPECT_EQ(run.Result.Place[i].x, cells.x) << "shape " << i;
    EXPECT_EQ(run.Result.Place[i].y, cells.y) << "shape " << i;
  }
  ExpectKept(CheckLayout(job.Drawing(), run.Result), 1.0, "huge outline");
}

}  // namespace plavo
