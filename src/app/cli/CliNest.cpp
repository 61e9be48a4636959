#include "app/cli/CliNest.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "aiformat/AIWriter.h"
#include "aiformat/SvgWriter.h"
#include "app/cli/CliConsole.h"
#include "app/cli/CliJson.h"
#include "nesting/NestRecords.h"
#include "nesting/NestRun.h"
#include "nesting/ResultCheck.h"

namespace plavo {

namespace {

// One complete run: its own drawing, engine state and outcome.
struct TNestOutcome {
  std::unique_ptr<TQarvShapes> Shapes;
  std::unique_ptr<TEngineState> Engine;
  TNestReport Report;
  bool EngineFailed = false;
};

enum class TRunStatus { Done, BadInput };

void MarkContainer(TEngineState& E, int Index) {
  // As the per-shape menu does: the container group of this record becomes 0x1000.
  int32_t& attr = E.NestRecords.Shape[static_cast<size_t>(Index)].UserAttr;
  attr = (attr & ~kUserContainerMask) | kUserContainer;
}

void SeedEngine(TEngineState& E, const TCliOptions& Options, int Run) {
  E.Threads = Options.Threads;
  if (!Options.Seeded) return;
  // Each run gets its own seed, so K runs try K different searches and stay repeatable.
  E.RandomSeeded = true;
  E.RandomSeed = Options.Seed + static_cast<uint64_t>(Run);
  E.Random.seed(E.RandomSeed);
}

TRunStatus NestOnce(const TCliOptions& Options, int Run, TConsoleProgress& Progress,
                    TNestOutcome& Out) {
  Out.Engine = std::make_unique<TEngineState>();
  TEngineState& e = *Out.Engine;
  Progress.SetLabel("Reading");
  if (!LoadDrawing(Options.File, Out.Shapes, e, Progress)) return TRunStatus::BadInput;
  if (Out.Shapes->ShapeCount() == 0) {
    PrintError("\"" + Options.File + "\" holds no shape to nest");
    return TRunStatus::BadInput;
  }
  if (Options.Container >= Out.Shapes->ShapeCount()) {
    PrintError("option --container: the drawing has no shape " + std::to_string(Options.Container) +
               " (shapes 0 .. " + std::to_string(Out.Shapes->ShapeCount() - 1) + ")");
    return TRunStatus::BadInput;
  }
  if (!BuildNestRecords(e, *Out.Shapes) && Run == 0) {
    // As the window does, the run goes on with the records that could be built.
    PrintError("warning: some shapes could not be prepared for nesting");
  }
  if (Options.Container >= 0) MarkContainer(e, Options.Container);
  SeedEngine(e, Options, Run);
  e.Progress = &Progress;
  Progress.SetLabel("Nesting");
  const auto start = std::chrono::steady_clock::now();
  Out.EngineFailed = !RunNesting(e, Options.Settings, *Out.Shapes);
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  e.Progress = nullptr;
  Progress.Finish();
  Out.Report = ComputeNestReport(e, seconds.count());
  if (!Out.EngineFailed) Out.Report.Check = CheckLayout(*Out.Shapes, e);
  return TRunStatus::Done;
}

std::string ReportJson(const TNestReport& R) {
  TJsonWriter j;
  j.BeginObject();
  j.Key("shapes");
  j.Integer(R.Shapes);
  j.Key("placed");
  j.Integer(R.Placed);
  j.Key("unplaced");
  j.Integer(R.Unplaced);
  j.Key("sheets");
  j.Integer(R.Sheets);
  j.Key("used_heights");
  j.BeginArray();
  for (int h : R.UsedHeights) j.Integer(h);
  j.EndArray();
  j.Key("placed_area");
  j.Number(R.PlacedArea);
  j.Key("utilisation");
  j.Number(R.Utilisation);
  j.Key("height_density");
  j.Number(R.HeightDensity);
  j.Key("min_gap");
  if (R.Check.MinGap == kNoGap) {
    j.Null();
  } else {
    j.Number(R.Check.MinGap);
  }
  j.Key("gap_shapes");
  j.BeginArray();
  if (R.Check.GapShapes[0] >= 0) {
    j.Integer(R.Check.GapShapes[0]);
    j.Integer(R.Check.GapShapes[1]);
  }
  j.EndArray();
  j.Key("overhang");
  j.Number(R.Check.Overhang);
  j.Key("overhang_shape");
  j.Integer(R.Check.OverhangShape);
  j.Key("seconds");
  j.Number(R.Seconds);
  j.Key("placements");
  j.BeginArray();
  for (const TNestPlacementReport& p : R.Placements) {
    j.BeginObject();
    j.Key("index");
    j.Integer(p.Index);
    j.Key("placed");
    j.Boolean(p.Placed);
    j.Key("sheet");
    j.Integer(p.Sheet);
    j.Key("x");
    j.Integer(p.X);
    j.Key("y");
    j.Integer(p.Y);
    j.Key("angle");
    j.Number(p.Angle);
    j.EndObject();
  }
  j.EndArray();
  j.EndObject();
  return j.Text();
}

void PrintReportText(const TNestReport& R, int Runs, int KeptRun) {
  std::printf("Shapes:           %d\n", R.Shapes);
  std::printf("Placed:           %d\n", R.Placed);
  std::printf("Unplaced:         %d\n", R.Unplaced);
  std::printf("Sheets:           %d\n", R.Sheets);
  std::string heights;
  for (int h : R.UsedHeights) heights += (heights.empty() ? "" : ", ") + std::to_string(h);
  std::printf("Used heights:     %s mm\n", heights.empty() ? "-" : heights.c_str());
  std::printf("Placed area:      %.1f mm2\n", R.PlacedArea);
  std::printf("Utilisation:      %.2f %%\n", R.Utilisation * 100.0);
  std::printf("Height density:   %.2f %%\n", R.HeightDensity * 100.0);
  if (R.Check.MinGap == kNoGap) {
    std::printf("Smallest gap:     -\n");
  } else {
    std::printf("Smallest gap:     %.2f mm (shapes %d and %d)\n", R.Check.MinGap,
                R.Check.GapShapes[0], R.Check.GapShapes[1]);
  }
  if (R.Check.OverhangShape < 0) {
    std::printf("Overhang:         0.00 mm\n");
  } else {
    std::printf("Overhang:         %.2f mm (shape %d)\n", R.Check.Overhang, R.Check.OverhangShape);
  }
  std::printf("Time:             %.3f s\n", R.Seconds);
  if (Runs > 1)
    std::printf("Runs:             %d (kept run %d, lowest total height)\n", Runs, KeptRun + 1);
}

bool WriteOutput(const std::string& FileName, const TNestOutcome& Outcome) {
  std::string error;
  const bool ok = HasExtension(FileName, ".svg")
                      ? WriteSvgFile(FileName, *Outcome.Shapes, *Outcome.Engine, error)
                      : WriteAIFile(FileName, *Outcome.Shapes, *Outcome.Engine, error);
  if (!ok) PrintError(error);
  return ok;
}

}  // namespace

int RunNestCommand(const TCliOptions& Options) {
  TConsoleProgress progress("Nesting");
  TNestOutcome best;
  int kept = 0;
  for (int run = 0; run < Options.Runs; ++run) {
    TNestOutcome outcome;
    if (NestOnce(Options, run, progress, outcome) == TRunStatus::BadInput) return 1;
    // "Best (by height)": a later run replaces the kept one only when strictly lower.
    const bool better = run == 0 || outcome.EngineFailed ||
                        outcome.Report.TotalUsedHeight() < best.Report.TotalUsedHeight();
    if (better) {
      best = std::move(outcome);
      kept = run;
    }
    if (best.EngineFailed) break;
  }
  if (Options.Json) {
    std::printf("%s\n", ReportJson(best.Report).c_str());
  } else {
    PrintReportText(best.Report, Options.Runs, kept);
  }
  std::fflush(stdout);
  if (best.EngineFailed) {
    PrintError("Error! Unable to proceed.");
    return 2;
  }
  if (!Options.Output.empty() && !WriteOutput(Options.Output, best)) return 1;
  return 0;
}

}  // namespace plavo
