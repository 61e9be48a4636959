// Nests the test drawings (ESICUP and real Illustrator files) under random settings in every mode
// (plain, search, several runs, the optimiser with its compaction, containers, holes, every
// approximation) and measures every layout as it is cut: on the engine's result, and on the
// layout written as SVG and as DXF and read back. Counts the layouts that break the promise (two
// shapes closer than the minimum distance less kGapAllowance, a shape more than
// kOverhangAllowance beyond its sheet, the edge padding or the container). Prints each breach and
// the totals.
//
// Usage: plavo_layout_survey [CASES] [SEED]   (default 300 cases, seed 1)

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/EngineHost.h"
#include "formats/DrawingReader.h"
#include "formats/LayoutWriter.h"
#include "formats/ai/VecFrmtAI.h"
#include "nesting/NestJob.h"
#include "nesting/result/RandomNestCase.h"
#include "nesting/result/ResultCheck.h"
#include "nesting/result/ResultLayout.h"

using namespace plavo;

namespace {

const char* const kDrawings[] = {"esicup-ai/albano.ai",
                                 "esicup-ai/blaz1.ai",
                                 "esicup-ai/dagli.ai",
                                 "esicup-ai/fu.ai",
                                 "esicup-ai/jakobs1.ai",
                                 "esicup-ai/jakobs2.ai",
                                 "esicup-ai/mao.ai",
                                 "esicup-ai/marques.ai",
                                 "esicup-ai/shapes0.ai",
                                 "esicup-ai/shapes1.ai",
                                 "esicup-ai/shirts.ai",
                                 "esicup-ai/swim.ai",
                                 "esicup-ai/trousers.ai",
                                 "real-ai/freebsd-corpnet-fig08-01-ai801.eps",
                                 "real-ai/freebsd-corpnet-fig08-05-ai801.eps",
                                 "real-ai/tcl-powered-logo-ai55.eps",
                                 "real-ai/tcl-tk-logo-ai55.eps"};

const double kDistances[] = {0.1, 0.3, 0.5, 1, 2.5, 5, 20};

class TQuietMessages : public TMessageSink {
 public:
  void ShowError(const std::string&) override {}
};

// The shared random case, with what only the survey varies: the distance from a fixed list
// (down to 0.1 mm), the search, repeated runs and counted optimisation.
struct TCase : nest_case::TNestCase {
  int Runs = 1;
  int64_t Evaluations = 0;
};

TCase RandomCase(std::mt19937_64& Random) {
  const auto pick = [&Random](int Lo, int Hi) {
    return std::uniform_int_distribution<int>(Lo, Hi)(Random);
  };
  TCase c;
  static_cast<nest_case::TNestCase&>(c) = nest_case::RandomNestCase(Random, kDrawings);
  TNestSettings& s = c.Settings;
  s.Distance = kDistances[pick(0, static_cast<int>(std::size(kDistances)) - 1)];
  s.Genetics_Check = pick(0, 2) == 0;
  if (pick(0, 5) == 0) c.Runs = 3;
  if (pick(0, 3) == 0) c.Evaluations = 100;
  return c;
}

std::string Describe(const TCase& c) {
  const TNestSettings& s = c.Settings;
  char text[500];
  std::snprintf(text, sizeof text,
                "%s --width %g --height %g --margin %g --padding %g --distance %g%s%s "
                "--fix-angle %d --approximation %d --by-color %d --origin %d --fit %d "
                "--container %d --runs %d --evaluations %lld",
                c.Drawing.c_str(), s.Media_Width, s.Media_Height, s.Margin, s.Padding, s.Distance,
                s.Inside_Check ? " --inside" : "", s.Genetics_Check ? " --search" : "", s.Rotate_90,
                s.Approximation_CB, s.Media_ByColor, s.Origin_point, s.Fitting_CB, c.Container,
                c.Runs, static_cast<long long>(c.Evaluations));
  return text;
}

// The check's sheets shrunk by the edge padding: a shape may not reach into it either.
void ShrinkSheets(TLayoutCheckInput& Input, double Padding) {
  for (TRectDbl& s : Input.Sheets) {
    s.Left += Padding;
    s.Right -= Padding;
    s.Bottom += Padding;
    s.Top -= Padding;
  }
}

TRectDbl BoxOf(const TCheckRing& Ring) {
  TRectDbl box = EmptyBox();
  for (const TNodeSimple& p : Ring.Points) WidenBox(box, p);
  return box;
}

bool Holds(const TRectDbl& Outer, const TRectDbl& Inner, double Tolerance) {
  return Inner.Left >= Outer.Left - Tolerance && Inner.Right <= Outer.Right + Tolerance &&
         Inner.Bottom >= Outer.Bottom - Tolerance && Inner.Top <= Outer.Top + Tolerance;
}

double Area(const TRectDbl& B) {
  return (B.Right - B.Left) * (B.Top - B.Bottom);
}

// Every path of the drawing read, flattened as the cut follows it.
std::vector<TCheckRing> RingsOf(const TQarvShapes& Shapes) {
  std::vector<TCheckRing> rings;
  for (int i = 0; i < Shapes.ShapeCount(); ++i) {
    const TQarvOneCurve* curve = Shapes.GetShape(i)->Curve();
    for (int p = 0; curve != nullptr && p < curve->PathCount(); ++p) {
      const TQarvOnePath& path = *curve->GetPath(p);
      if (path.SegmentCount() == 0) continue;
      TCheckRing ring;
      ring.Closed = path.Closed();
      ring.Points.push_back(path.GetSegment(0)->StartNode());
      for (int k = 0; k < path.SegmentCount(); ++k) {
        const TSegmentView view = path.GetSegment(k);
        const TQarvOneSegment& s = *view;
        const bool curved = s.Type_() != 0;
        FlattenCubicInto(ring.Points, s.StartNode(), curved ? s.StartControlNode() : s.StartNode(),
                         curved ? s.EndControlNode() : s.EndNode(), s.EndNode(), kCutFlatness);
      }
      rings.push_back(std::move(ring));
    }
  }
  return rings;
}

TNodeSimple Centre(const TRectDbl& B) {
  return {(B.Left + B.Right) / 2, (B.Top + B.Bottom) / 2};
}

// What takes the drawing read back onto the engine's sheets. The written layout puts sheet 1 at
// the origin, and a reader may move it again (the SVG one puts its view box at the origin): the
// first sheet outline read back, or without one the written sheet, meets the engine's first
// sheet centre to centre (the check's sheets are shrunk by the edge padding).
TNodeSimple ShiftOf(const std::vector<TCheckRing>& Rings, const TLayoutSheet& Written,
                    const TRectDbl& Engine) {
  TRectDbl read = TRectDbl::MakeLTRB(Written.Position.X, Written.Position.Y + Written.Height,
                                     Written.Position.X + Written.Width, Written.Position.Y);
  for (const TCheckRing& ring : Rings) {
    const TRectDbl b = BoxOf(ring);
    if (std::abs(b.Right - b.Left - Written.Width) < 0.01 &&
        std::abs(b.Top - b.Bottom - Written.Height) < 0.01) {
      read = b;
      break;
    }
  }
  const TNodeSimple from = Centre(read), to = Centre(Engine);
  return {to.X - from.X, to.Y - from.Y};
}

// The layout written to File and read back: every path read goes to the placed shape with the
// smallest box that holds it (a sheet outline to none), so the check measures the file.
bool ReadBack(const TNestedLayout& Layout, const TLayoutCheckInput& Engine, const std::string& File,
              TLayoutCheckInput& Back) {
  std::string error;
  if (!WriteLayoutFile(File, Layout, error)) return false;
  std::unique_ptr<TQarvShapes> shapes;
  TSilentProgress progress;
  TQuietMessages messages;
  if (!LoadDrawingFile(File, shapes, progress, messages)) return false;
  Back = Engine;
  std::vector<TCheckShape*> owners;
  for (TCheckShape& s : Back.Shapes) {
    s.Rings.clear();
    owners.push_back(&s);
  }
  if (Back.HasContainer) {
    Back.Container.Rings.clear();
    owners.push_back(&Back.Container);
  }
  std::vector<TRectDbl> boxes;
  for (const TCheckShape& s : Engine.Shapes) {
    TRectDbl b = EmptyBox();
    for (const TCheckRing& r : s.Rings) WidenBox(b, BoxOf(r));
    boxes.push_back(b);
  }
  if (Engine.HasContainer) {
    TRectDbl b = EmptyBox();
    for (const TCheckRing& r : Engine.Container.Rings) WidenBox(b, BoxOf(r));
    boxes.push_back(b);
  }
  std::vector<TCheckRing> rings = RingsOf(*shapes);
  // A layout without sheets places nothing: no ring to move.
  const TNodeSimple shift = Layout.Sheets.empty() || Engine.Sheets.empty()
                                ? TNodeSimple{0.0, 0.0}
                                : ShiftOf(rings, Layout.Sheets.front(), Engine.Sheets.front());
  for (TCheckRing& ring : rings) {
    for (TNodeSimple& p : ring.Points) p = {p.X + shift.X, p.Y + shift.Y};
    const TRectDbl box = BoxOf(ring);
    int owner = -1;
    for (size_t o = 0; o < boxes.size(); ++o) {
      if (Holds(boxes[o], box, 0.01) && (owner < 0 || Area(boxes[o]) < Area(boxes[owner]))) {
        owner = static_cast<int>(o);
      }
    }
    if (owner >= 0) owners[static_cast<size_t>(owner)]->Rings.push_back(std::move(ring));
  }
  // Every shape must come back (a reader may join or split its paths), or the file would be
  // measured on less than it holds.
  for (const TCheckShape* owner : owners) {
    if (owner->Rings.empty()) return false;
  }
  return true;
}

struct TTally {
  int Measured = 0, Breaches = 0;
  double WorstShortfall = -1e9, WorstOverhang = 0.0;
  void Count(const TLayoutCheck& Check, const TCase& c, const char* Where, int k) {
    ++Measured;
    const double d = c.Settings.Distance;
    if (Check.MinGap != kNoGap) WorstShortfall = std::max(WorstShortfall, d - Check.MinGap);
    WorstOverhang = std::max(WorstOverhang, Check.Overhang);
    if (Check.MinGap < d - kGapAllowance || Check.Overhang > kOverhangAllowance) {
      ++Breaches;
      std::printf("case %d (%s): gap %.4f (shapes %d, %d) overhang %.4f (shape %d): %s\n", k, Where,
                  Check.MinGap, Check.GapShapes[0], Check.GapShapes[1], Check.Overhang,
                  Check.OverhangShape, Describe(c).c_str());
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  const int cases = argc > 1 ? std::atoi(argv[1]) : 300;
  std::mt19937_64 random(argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1);
  const std::string scratch = "/tmp/plavo-survey-" + std::to_string(getpid());
  TTally engine, svg, dxf;
  int unread = 0;
  for (int k = 0; k < cases; ++k) {
    const TCase c = RandomCase(random);
    TNestJob job;
    TSilentProgress progress;
    TQuietMessages messages;
    std::unique_ptr<TQarvShapes> shapes;
    const std::string path = std::string(PLAVO_TESTDATA_DIR) + "/" + c.Drawing;
    if (!LoadAIFile(path, shapes, progress, messages)) continue;
    job.Load(std::move(shapes));
    if (c.Container >= 0 && c.Container < job.ShapeCount()) {
      job.ApplyUserCode(c.Container, kUserContainer, true);
    }
    for (int run = 0; run < c.Runs; ++run) {
      TRunOptions options;
      options.Seed = static_cast<uint64_t>(k) * 16 + static_cast<uint64_t>(run);
      options.Evaluations = c.Evaluations;
      const TRunOutcome outcome = job.Run(c.Settings, options);
      if (!outcome.Complete()) continue;
      const TOneNestingResult& result = outcome.Result;
      TLayoutCheckInput input = LayoutCheckInput(job.Drawing(), result);
      if (!input.HasContainer) ShrinkSheets(input, c.Settings.Padding);
      engine.Count(CheckLayoutGeometry(input), c, "engine", k);
      const std::optional<TNestedLayout> layout = NestedLayoutOf(job.Drawing(), result);
      if (!layout) continue;
      for (const auto& [ext, tally] : {std::pair{".svg", &svg}, std::pair{".dxf", &dxf}}) {
        TLayoutCheckInput back;
        if (ReadBack(*layout, input, scratch + ext, back)) {
          tally->Count(CheckLayoutGeometry(back), c, ext, k);
        } else {
          ++unread;
        }
      }
    }
  }
  std::printf("%d written layouts did not read back\n", unread);
  std::remove((scratch + ".svg").c_str());
  std::remove((scratch + ".dxf").c_str());
  for (const auto& [name, t] : {std::pair{"engine", &engine}, std::pair{"written SVG", &svg},
                                std::pair{"written DXF", &dxf}}) {
    std::printf(
        "%s: %d layouts measured, %d break the promise; largest shortfall of the gap "
        "%.4f mm, largest overhang %.4f mm\n",
        name, t->Measured, t->Breaches, t->WorstShortfall, t->WorstOverhang);
  }
  return 0;
}
