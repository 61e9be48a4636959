#include "app/cli/CliNest.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "formats/LayoutWriter.h"
#include "app/cli/CliConsole.h"
#include "app/cli/CliJson.h"
#include "nesting/JobFile.h"
#include "nesting/NestJob.h"
#include "nesting/result/NestResult.h"
#include "nesting/NestRun.h"
#include "nesting/result/ResultCheck.h"
#include "nesting/result/ResultLayout.h"

namespace plavo {

namespace {

// "shape 3 (why), shape 7 (why)" for the first few shapes lost, and how many more.
std::string LostText(const std::vector<TShapeLoss>& Lost) {
  constexpr size_t kNamed = 5;
  std::string text;
  for (size_t k = 0; k < Lost.size() && k < kNamed; ++k) {
    text +=
        (k > 0 ? ", shape " : "shape ") + std::to_string(Lost[k].Shape) + " (" + Lost[k].Why + ")";
  }
  if (Lost.size() > kNamed) text += " and " + std::to_string(Lost.size() - kNamed) + " more";
  return text;
}

// One drawing of the command line read into the job: the first loaded, the others added.
bool ReadDrawing(const std::string& File, TConsoleControl& Console, TNestJob& Job) {
  std::unique_ptr<TQarvShapes> shapes;
  if (!LoadDrawing(File, shapes, Console)) return false;
  if (shapes->ShapeCount() == 0) {
    PrintError("\"" + File + "\" holds no shape to nest");
    return false;
  }
  const TNestOutcome loaded = Job.Drawings().empty()
                                  ? Job.Load(std::move(shapes), &Console.Control(), File)
                                  : Job.Add(std::move(shapes), File, &Console.Control());
  Console.Finish();
  if (loaded.Refused()) {
    PrintError("\"" + File + "\": " + loaded.Reason);
    return false;
  }
  if (loaded.Partial()) {
    // As the window does, the runs go on with the records that could be built.
    PrintError(
        "warning: " + std::to_string(loaded.Lost.size()) +
        (loaded.Lost.size() == 1 ? " shape" : " shapes") + " of \"" + File +
        "\" could not be prepared for nesting and will not be placed: " + LostText(loaded.Lost));
  }
  return true;
}

bool CheckShapeIndex(const char* Option, int Index, const TNestJob& Job) {
  if (Index < Job.ShapeCount()) return true;
  PrintError(std::string("option ") + Option + ": the drawing has no shape " +
             std::to_string(Index) + " (shapes 0 .. " + std::to_string(Job.ShapeCount() - 1) + ")");
  return false;
}

bool ApplyCopies(const TCliOptions& Options, TNestJob& Job) {
  std::vector<TNestOutcome> outcomes;
  if (Options.CopiesForAll > 0) outcomes.push_back(Job.SetCopiesForAll(Options.CopiesForAll));
  for (const auto& [index, copies] : Options.CopiesOf) {
    if (!CheckShapeIndex("--copies", index, Job)) return false;
    outcomes.push_back(Job.SetCopies(index, copies));
  }
  for (const TNestOutcome& o : outcomes) {
    if (!o.Refused()) continue;
    PrintError("option --copies: " + o.Reason);
    return false;
  }
  return true;
}

// The drawings read once, with the checks the nest command makes before any run. False (exit
// status 1, said why) when they cannot be nested.
bool PrepareJob(TCliOptions& Options, TConsoleControl& Console, TNestJob& Job) {
  Console.SetLabel("Reading");
  if (Options.Files.size() == 1 && IsJobFileName(Options.File)) {
    // The job's settings over the defaults, the command line's over the job's.
    TNestSettings settings;
    const TNestOutcome opened = OpenJobFile(Options.File, Job, settings, &Console.Control());
    Console.Finish();
    if (opened.Refused()) {
      PrintError(opened.Reason);
      return false;
    }
    if (opened.Partial()) PrintError("warning: " + LostText(opened.Lost) + " not prepared");
    Options.Settings = GivenSettingsOver(Options, settings);
  } else {
    for (const std::string& file : Options.Files) {
      if (!ReadDrawing(file, Console, Job)) return false;
    }
  }
  if (Options.Container >= 0) {
    if (!CheckShapeIndex("--container", Options.Container, Job)) return false;
    Job.ApplyUserCode(Options.Container, kUserContainer, true);
  }
  return ApplyCopies(Options, Job);
}

// The kept run of --runs K and what the runs came to.
struct TKeptRun {
  TRunOutcome Run;
  int64_t Evaluations = 0;  // of the optimiser, over all runs
  int Index = 0;
};

TKeptRun RunAll(const TCliOptions& Options, TConsoleControl& Console, TNestJob& Job) {
  TKeptRun kept;
  Console.SetLabel("Nesting");
  for (int run = 0; run < Options.Runs; ++run) {
    TRunOptions options;
    options.Threads = Options.Threads;
    options.Control = &Console.Control();
    options.OptimiseSeconds = Options.OptimiseSeconds;
    options.Evaluations = Options.Evaluations;
    // Each run gets its own seed, so K runs try K different searches and stay repeatable.
    if (Options.Seeded) options.Seed = Options.Seed + static_cast<uint64_t>(run);
    TRunOutcome outcome = Job.Run(Options.Settings, options);
    kept.Evaluations += outcome.Evaluations;
    // "Best (by height)": a later run replaces the kept one only when strictly lower.
    if (run == 0 || !outcome.Complete() || HeightSum(outcome.Result) < HeightSum(kept.Run.Result)) {
      kept.Run = std::move(outcome);
      kept.Index = run;
    }
    if (!kept.Run.Complete()) break;
  }
  Console.Finish();
  return kept;
}

// The file a shape came from, as the command line named it.
std::string FileOf(const TNestJob& Job, int Shape) {
  const int d = Job.DrawingOf(Shape);
  return d >= 0 ? Job.Drawings()[static_cast<size_t>(d)].File : std::string();
}

std::string ReportJson(const TNestReport& R, int64_t Evaluations, const TNestJob& Job) {
  TJson j;
  j["shapes"] = R.Shapes;
  j["placed"] = R.Placed;
  j["unplaced"] = R.Unplaced;
  j["sheets"] = R.Sheets;
  j["used_heights"] = R.UsedHeights;
  j["placed_area"] = JsonNumber(R.PlacedArea);
  j["utilisation"] = JsonNumber(R.Utilisation);
  j["height_density"] = JsonNumber(R.HeightDensity);
  j["min_gap"] = R.Check.MinGap == kNoGap ? TJson(nullptr) : JsonNumber(R.Check.MinGap);
  j["gap_shapes"] = TJson::array();
  if (R.Check.GapShapes[0] >= 0) j["gap_shapes"] = {R.Check.GapShapes[0], R.Check.GapShapes[1]};
  j["overhang"] = JsonNumber(R.Check.Overhang);
  j["overhang_shape"] = R.Check.OverhangShape;
  const TPartsSummary parts = SummariseParts(R);
  j["parts"] = parts.Parts;
  j["placed_parts"] = parts.Placed;
  j["seconds"] = JsonNumber(R.Seconds);
  j["evaluations"] = Evaluations;
  j["placements"] = TJson::array();
  for (const TNestPlacementReport& p : R.Placements) {
    TJson placement;
    placement["file"] = FileOf(Job, p.Index);
    placement["index"] = p.Index;
    placement["copy"] = p.Copy;
    placement["placed"] = p.Placed;
    placement["sheet"] = p.Sheet;
    placement["x"] = p.X;
    placement["y"] = p.Y;
    placement["angle"] = JsonNumber(p.Angle);
    j["placements"].push_back(std::move(placement));
  }
  return JsonText(j);
}

void PrintReportText(const TNestReport& R, int Runs, int KeptRun, int64_t Evaluations, bool Parts) {
  std::printf("Shapes:           %d\n", R.Shapes);
  if (Parts) std::printf("Parts:            %s\n", PartsSummaryText(SummariseParts(R)).c_str());
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
  if (Evaluations > 0) std::printf("Evaluations:      %lld\n", static_cast<long long>(Evaluations));
  if (Runs > 1)
    std::printf("Runs:             %d (kept run %d, lowest total height)\n", Runs, KeptRun + 1);
}

bool WriteOutput(const TCliOptions& Options, const TNestJob& Job, const TOneNestingResult& R) {
  std::string error = "The nesting result does not belong to this drawing.";
  const std::optional<TNestedLayout> layout = NestedLayoutOf(Job.Drawing(), R);
  const bool ok = layout && WriteLayout(Options.Output, *layout, Options.Write, error);
  if (!ok) PrintError(error);
  return ok;
}

std::string FailureText(const TNestOutcome& Outcome) {
  std::string text = "Error! Unable to proceed.";
  if (Outcome.Reason.empty()) return text;
  const char* source = "the engine";
  if (Outcome.Source == TFailureSource::Drawing) source = "the drawing";
  if (Outcome.Source == TFailureSource::Optimiser) source = "the optimiser";
  return text + " (" + source + ": " + Outcome.Reason + ")";
}

// Shapes placed besides the container.
int PlacedShapes(const TNestReport& R, int Container) {
  int placed = 0;
  for (const TNestPlacementReport& p : R.Placements) placed += p.Placed && p.Index != Container;
  return placed;
}

}  // namespace

int RunNestCommand(const TCliOptions& Given) {
  TCliOptions Options = Given;
  TConsoleControl console("Nesting");
  TNestJob job;
  if (!PrepareJob(Options, console, job)) return kExitUnreadable;
  const auto start = std::chrono::steady_clock::now();
  const TKeptRun kept = RunAll(Options, console, job);
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  const TRunOutcome& run = kept.Run;
  if (run.Refused()) {
    PrintError("\"" + Options.File + "\": " + run.Reason);
    return kExitUnreadable;
  }
  TNestReport report = ComputeNestReport(run.Result, seconds.count());
  // Measured as the file draws its curves (arcs in DXF).
  report.Check = CheckLayout(job.Drawing(), run.Result, CurveFormOf(Options.Output, Options.Write));
  const bool nothingPlaced = PlacedShapes(report, Options.Container) == 0;
  // The file is written before anything is printed, so a script never reads a report of a
  // layout that was not saved. A failed run or one that placed nothing writes no file and
  // leaves an existing one as it was.
  if (run.Complete() && !nothingPlaced && !Options.Output.empty() &&
      !WriteOutput(Options, job, run.Result)) {
    return kExitUnwritable;
  }
  if (Options.Json) {
    std::printf("%s\n", ReportJson(report, kept.Evaluations, job).c_str());
  } else {
    // Counted in parts when a shape has copies or the drawings are several.
    const bool parts = job.PartCount() > job.ShapeCount() || job.Drawings().size() > 1;
    PrintReportText(report, Options.Runs, kept.Index, kept.Evaluations, parts);
  }
  std::fflush(stdout);
  if (!run.Complete()) {
    PrintError(FailureText(run));
    return kExitFailed;
  }
  if (nothingPlaced) {
    PrintError(std::string("nothing was placed: no shape fits ") +
               (Options.Container >= 0 ? "inside the container" : "on a sheet") +
               (Options.Output.empty() ? "" : "; \"" + Options.Output + "\" was not written"));
    return kExitNothingPlaced;
  }
  return kExitDone;
}

}  // namespace plavo
