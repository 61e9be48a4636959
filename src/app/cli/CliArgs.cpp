#include "app/cli/CliArgs.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <thread>

#include <CLI/CLI.hpp>

#include "formats/LayoutWriter.h"
#include "nesting/NestJob.h"

namespace plavo {

namespace {

// A numeric field of the window: the option, where its value goes, and the field's limits.
struct TRangeOption {
  const char* Name;
  double TNestSettings::*Field;
  TFieldRange Range;
};

constexpr TRangeOption kRangeOptions[] = {
    {"--width", &TNestSettings::Media_Width, kSheetSizeRange},
    {"--height", &TNestSettings::Media_Height, kSheetSizeRange},
    {"--margin", &TNestSettings::Margin, kSheetBandRange},
    {"--padding", &TNestSettings::Padding, kSheetBandRange},
    {"--distance", &TNestSettings::Distance, kDistanceRange},
    {"--block-distance", &TNestSettings::Orientation_distance, kBlockDistanceRange},
};

// A list of the window: the option, where the item index goes, and the items' names in order.
struct TChoiceOption {
  const char* Name;
  int TNestSettings::*Field;
  std::vector<std::string> Items;
};

const std::vector<TChoiceOption>& ChoiceOptions() {
  static const std::vector<TChoiceOption> options = {
      {"--fix-angle", &TNestSettings::Rotate_90, {"auto", "90", "180", "none"}},
      {"--approximation", &TNestSettings::Approximation_CB, {"auto", "high", "middle", "draft"}},
      {"--by-color", &TNestSettings::Media_ByColor, {"no", "sheets", "same", "same-nomix"}},
      {"--origin", &TNestSettings::Origin_point, {"left", "right"}},
      {"--fit", &TNestSettings::Fitting_CB, {"bottom", "corner", "side"}},
      {"--block-order", &TNestSettings::Orientation_CB, {"lr", "rl", "bt", "tb"}},
  };
  return options;
}

bool ParseDouble(const std::string& Text, double& Value) {
  const char* first = Text.data();
  const char* last = first + Text.size();
  if (first != last && *first == '+') ++first;
  const auto [end, ec] = std::from_chars(first, last, Value);
  return ec == std::errc{} && end == last && first != last && std::isfinite(Value);
}

template <typename T>
bool ParseInteger(const std::string& Text, T& Value) {
  const char* first = Text.data();
  const char* last = first + Text.size();
  const auto [end, ec] = std::from_chars(first, last, Value);
  return ec == std::errc{} && end == last && first != last;
}

std::string Join(const std::vector<std::string>& Items) {
  std::string text;
  for (const std::string& item : Items) text += (text.empty() ? "" : "|") + item;
  return text;
}

bool Fail(std::string& Error, const std::string& Message) {
  Error = Message;
  return false;
}

bool ConvertRange(const TRangeOption& Option, const std::string& Text, TNestSettings& Settings,
                  std::string& Error) {
  double value = 0.0;
  if (!ParseDouble(Text, value)) {
    return Fail(Error, std::string("option ") + Option.Name + ": \"" + Text + "\" is not a number");
  }
  if (value < Option.Range.Min || value > Option.Range.Max) {
    char range[64];
    std::snprintf(range, sizeof range, "%g .. %g", Option.Range.Min, Option.Range.Max);
    return Fail(Error, std::string("option ") + Option.Name + ": " + Text + " is outside " + range);
  }
  Settings.*Option.Field = value;
  return true;
}

bool ConvertChoice(const TChoiceOption& Option, const std::string& Text, TNestSettings& Settings,
                   std::string& Error) {
  const auto found = std::find(Option.Items.begin(), Option.Items.end(), Text);
  if (found == Option.Items.end()) {
    return Fail(Error, std::string("option ") + Option.Name + ": \"" + Text + "\" is not one of " +
                           Join(Option.Items));
  }
  Settings.*Option.Field = static_cast<int>(found - Option.Items.begin());
  return true;
}

template <typename T>
bool ConvertCount(const std::string& Name, const std::string& Text, T Low, T High, T& Value,
                  std::string& Error) {
  if (!ParseInteger(Text, Value) || Value < Low) {
    return Fail(Error, "option " + Name + ": \"" + Text + "\" is not a whole number of at least " +
                           std::to_string(Low));
  }
  if (Value > High) {
    return Fail(Error, "option " + Name + ": " + Text + " is outside " + std::to_string(Low) +
                           " .. " + std::to_string(High));
  }
  return true;
}

bool ConvertSeconds(const std::string& Name, const std::string& Text, double& Value,
                    std::string& Error) {
  if (!ParseDouble(Text, Value))
    return Fail(Error, "option " + Name + ": \"" + Text + "\" is not a number");
  if (Value < 0.0 || Value > kMaxOptimiseSeconds) {
    return Fail(Error, "option " + Name + ": " + Text + " is outside 0 .. " +
                           std::to_string(static_cast<int>(kMaxOptimiseSeconds)));
  }
  return true;
}

// An option that takes a value: CLI11 collects its text (the last one when given twice), and
// the conversion below checks it with the window's limits and our messages.
struct TTextOption {
  std::string Name;
  std::string Text;
  CLI::Option* Option = nullptr;

  bool Given() const { return Option->count() > 0; }
};

// The command line as CLI11 sees it: two subcommands, each with its drawing, and the options of
// each. Syntax (long and short names, "--name=value", a missing value, unexpected arguments) is
// CLI11's; values are converted and checked afterwards.
class TCommandLine {
 public:
  TCommandLine() {
    FApp.set_help_flag();  // --help is looked for before parsing: it wins over everything
    FApp.require_subcommand(1);
    FInfo = Command("info");
    FNest = Command("nest");
    for (const TRangeOption& o : kRangeOptions) Text(o.Name);
    for (const TChoiceOption& o : ChoiceOptions()) Text(o.Name);
    for (const char* name :
         {"--container", "--seed", "--threads", "--runs", "--optimise", "--evaluations"})
      Text(name);
    Text("--output", "-o,--output");
    FNest->add_option("--copies", FCopies);  // repeatable: every value counts
    FNest->add_flag("--inside", FInside)->disable_flag_override();
    FNest->add_flag("--search", FSearch)->disable_flag_override();
    FNest->add_flag("--sheet-files", FSheetFiles)->disable_flag_override();
    FNest->add_flag("--dxf-polylines", FDxfPolylines)->disable_flag_override();
  }

  bool Parse(const std::vector<std::string>& Args, TCliOptions& Options, std::string& Error);

 private:
  CLI::App* Command(const char* Name) {
    CLI::App* command = FApp.add_subcommand(Name);
    // Unexpected arguments are left over and named in our words after parsing.
    command->allow_extras();
    if (std::string(Name) == "nest") {
      command->add_option("FILE", FFiles)->required();
    } else {
      command->add_option("FILE", FFile)->required();
    }
    command->add_flag("--json", FJson)->disable_flag_override();
    return command;
  }

  void Text(const std::string& Name, const std::string& Names = "") {
    auto option = std::make_unique<TTextOption>();
    option->Name = Name;
    option->Option = FNest->add_option(Names.empty() ? Name : Names, option->Text)
                         ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    FTexts.push_back(std::move(option));
  }

  const TTextOption& Find(const std::string& Name) const {
    return **std::find_if(FTexts.begin(), FTexts.end(),
                          [&](const auto& o) { return o->Name == Name; });
  }

  bool Convert(TCliOptions& Options, std::string& Error) const;
  bool ConvertCopies(TCliOptions& Options, std::string& Error) const;
  bool Leftovers(const CLI::App& Command, const char* Name, std::string& Error) const;

  CLI::App FApp{"plavo-cli"};
  CLI::App* FInfo = nullptr;
  CLI::App* FNest = nullptr;
  std::string FFile;
  std::vector<std::string> FFiles;
  std::vector<std::string> FCopies;
  bool FJson = false;
  bool FInside = false;
  bool FSearch = false;
  bool FSheetFiles = false;
  bool FDxfPolylines = false;
  std::vector<std::unique_ptr<TTextOption>> FTexts;
  std::string FOutputName;
};

bool TCommandLine::Leftovers(const CLI::App& Command, const char* Name, std::string& Error) const {
  const std::vector<std::string> rest = Command.remaining();
  if (rest.empty()) return true;
  const std::string& first = rest.front();
  if (first.size() > 1 && first[0] == '-') {
    return Fail(Error, "unknown option " + first + " for the " + Name + " command");
  }
  return Fail(Error, "more than one drawing given: \"" + first + "\" (info reads one)");
}

// "--copies N" for every shape, "--copies INDEX=N" for one.
bool TCommandLine::ConvertCopies(TCliOptions& Options, std::string& Error) const {
  for (const std::string& text : FCopies) {
    const size_t eq = text.find('=');
    int copies = 0;
    if (eq == std::string::npos) {
      if (!ConvertCount<int>("--copies", text, 1, kMaxCopies, copies, Error)) return false;
      Options.CopiesForAll = copies;
      continue;
    }
    int index = 0;
    if (!ParseInteger(text.substr(0, eq), index) || index < 0) {
      return Fail(Error, "option --copies: \"" + text.substr(0, eq) +
                             "\" is not a shape index (a whole number of at least 0)");
    }
    if (!ConvertCount<int>("--copies", text.substr(eq + 1), 1, kMaxCopies, copies, Error))
      return false;
    Options.CopiesOf.emplace_back(index, copies);
  }
  return true;
}

bool TCommandLine::Convert(TCliOptions& Options, std::string& Error) const {
  if (!ConvertCopies(Options, Error)) return false;
  for (const TRangeOption& o : kRangeOptions) {
    const TTextOption& t = Find(o.Name);
    if (t.Given() && !ConvertRange(o, t.Text, Options.Settings, Error)) return false;
    if (t.Given()) Options.SettingsGiven.emplace_back(o.Name);
  }
  for (const TChoiceOption& o : ChoiceOptions()) {
    const TTextOption& t = Find(o.Name);
    if (t.Given() && !ConvertChoice(o, t.Text, Options.Settings, Error)) return false;
    if (t.Given()) Options.SettingsGiven.emplace_back(o.Name);
  }
  if (FInside) Options.SettingsGiven.emplace_back("--inside");
  if (FSearch) Options.SettingsGiven.emplace_back("--search");
  const TTextOption& container = Find("--container");
  if (container.Given() && !ConvertCount(container.Name, container.Text, 0,
                                         std::numeric_limits<int>::max(), Options.Container, Error))
    return false;
  const TTextOption& threads = Find("--threads");
  if (threads.Given() &&
      !ConvertCount(threads.Name, threads.Text, 0, MaxThreads(), Options.Threads, Error))
    return false;
  const TTextOption& runs = Find("--runs");
  if (runs.Given() && !ConvertCount(runs.Name, runs.Text, 1, kMaxRuns, Options.Runs, Error))
    return false;
  const TTextOption& evaluations = Find("--evaluations");
  if (evaluations.Given() && !ConvertCount<int64_t>(evaluations.Name, evaluations.Text, 1,
                                                    kMaxEvaluations, Options.Evaluations, Error))
    return false;
  const TTextOption& optimise = Find("--optimise");
  if (optimise.Given() &&
      !ConvertSeconds(optimise.Name, optimise.Text, Options.OptimiseSeconds, Error))
    return false;
  const TTextOption& seed = Find("--seed");
  if (seed.Given()) {
    if (!ParseInteger(seed.Text, Options.Seed)) {
      return Fail(Error,
                  "option --seed: \"" + seed.Text + "\" is not a whole number of at least 0");
    }
    Options.Seeded = true;
  }
  const TTextOption& output = Find("--output");
  if (output.Given()) {
    Options.Output = output.Text;
    if (!LayoutFormatOf(Options.Output)) {
      return Fail(Error, "option " + FOutputName + ": \"" + Options.Output +
                             "\" must end in .ai, .svg or .dxf");
    }
  }
  Options.Settings.Inside_Check = FInside;
  Options.Settings.Genetics_Check = FSearch;
  if (FSheetFiles && !output.Given())
    return Fail(Error, "option --sheet-files: no output file given (-o)");
  Options.Write.SheetFiles = FSheetFiles;
  Options.Write.DxfPolylines = FDxfPolylines;
  return true;
}

// CLI11 takes the arguments in reverse order, without the program name.
std::vector<std::string> Reversed(const std::vector<std::string>& Args) {
  return std::vector<std::string>(Args.rbegin(), Args.rend());
}

// A flag given a value ("--json=yes"): CLI11 names the flag without its dashes, so the check is
// made here in our words. True when there is one.
bool FlagWithValue(const std::vector<std::string>& Args, std::string& Error) {
  for (const std::string& arg : Args) {
    for (const char* flag :
         {"--json", "--inside", "--search", "--sheet-files", "--dxf-polylines"}) {
      if (arg.rfind(std::string(flag) + "=", 0) == 0) {
        Error = std::string("option ") + flag + " takes no value";
        return true;
      }
    }
  }
  return false;
}

// The name the user gave the output option by (the last one counts, as for its value).
std::string OutputName(const std::vector<std::string>& Args) {
  std::string name = "--output";
  for (const std::string& arg : Args) {
    if (arg.rfind("-o", 0) == 0) name = "-o";  // "-o", "-oFILE"; never "--output"
    if (arg == "--output" || arg.rfind("--output=", 0) == 0) name = "--output";
  }
  return name;
}

bool TCommandLine::Parse(const std::vector<std::string>& Args, TCliOptions& Options,
                         std::string& Error) {
  if (Args.empty()) return Fail(Error, "no command given");
  if (std::find_if(Args.begin(), Args.end(),
                   [](const std::string& a) { return a == "--help" || a == "-h"; }) != Args.end()) {
    Options.Command = TCliCommand::Help;
    return true;
  }
  if (Args.front() == "--version") {
    Options.Command = TCliCommand::Version;
    return true;
  }
  if (Args.front() != "info" && Args.front() != "nest")
    return Fail(Error, "unknown command \"" + Args.front() + "\"");
  if (FlagWithValue(Args, Error)) return false;
  FOutputName = OutputName(Args);
  try {
    std::vector<std::string> reversed = Reversed(Args);
    FApp.parse(reversed);
  } catch (const CLI::RequiredError&) {
    return Fail(Error, "no drawing given");
  } catch (const CLI::ArgumentMismatch&) {
    // A value-taking option at the very end: every other one takes the next argument.
    return Fail(Error, "option " + Args.back() + " needs a value");
  } catch (const CLI::ParseError& e) {
    return Fail(Error, e.what());
  }
  const bool info = FInfo->parsed();
  Options.Command = info ? TCliCommand::Info : TCliCommand::Nest;
  if (!Leftovers(info ? *FInfo : *FNest, info ? "info" : "nest", Error)) return false;
  Options.Files = FFiles;
  Options.File = info ? FFile : FFiles.front();
  Options.Json = FJson;
  return info || Convert(Options, Error);
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& Args, TCliOptions& Options,
                      std::string& Error) {
  return TCommandLine().Parse(Args, Options, Error);
}

int MaxThreads() {
  return 4 * std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

TNestSettings GivenSettingsOver(const TCliOptions& Options, TNestSettings Base) {
  const auto given = [&Options](const std::string& Name) {
    return std::find(Options.SettingsGiven.begin(), Options.SettingsGiven.end(), Name) !=
           Options.SettingsGiven.end();
  };
  for (const TRangeOption& o : kRangeOptions) {
    if (given(o.Name)) Base.*o.Field = Options.Settings.*o.Field;
  }
  for (const TChoiceOption& o : ChoiceOptions()) {
    if (given(o.Name)) Base.*o.Field = Options.Settings.*o.Field;
  }
  if (given("--inside")) Base.Inside_Check = true;
  if (given("--search")) Base.Genetics_Check = true;
  return Base;
}

std::string UsageText() {
  return R"(Usage:
  plavo-cli info FILE [--json]
  plavo-cli nest FILE... [options] [-o OUT.ai|OUT.svg|OUT.dxf] [--json]
  plavo-cli nest JOB.plavo [options] [-o OUT.ai|OUT.svg|OUT.dxf] [--json]
  plavo-cli --help
  plavo-cli --version

info   reads a drawing (Illustrator 8, SVG or DXF) and lists its shapes, paths and boxes (mm).
nest   nests the shapes of one or more drawings together onto sheets and reports the result;
       shapes are numbered in the order of the files, the first file's from 0. A job file
       (.plavo, saved by the window) brings its drawings, copies, per-shape settings and
       settings; options given on the command line override its settings.

Nest options (defaults in brackets):
  --width MM            sheet width, 50..10000 [1000]
  --height MM           sheet height, 50..10000 [1000]
  --margin MM           reduce sheet size, 0..200 [0]
  --padding MM          edge padding, 0..200 [0]
  --distance MM         minimum distance between shapes, 0.1..100, used as given [5]; every
                        layout keeps it on the outlines as written (curves flattened to
                        0.01 mm) less at most 0.01 mm, and no shape reaches more than
                        0.01 mm beyond its sheet or the edge padding; the report's
                        "min_gap" and "overhang" give each layout's own figures
  --inside              allow shapes inside the holes of others
  --search              search for the best result (slower)
  --fix-angle auto|90|180|none             [auto]
  --approximation auto|high|middle|draft   [auto]
  --by-color no|sheets|same|same-nomix     divide by colour [no]
  --origin left|right                      origin point [left]
  --fit bottom|corner|side                 fit shapes [bottom]
  --block-order lr|rl|bt|tb                [lr]
  --block-distance MM   distance between sheets in the layout, 0..1000 [100]
  --container INDEX     use shape INDEX as the container for all others
  --copies N            nest N copies of every shape (the container has one), 1..10000
  --copies INDEX=N      nest N copies of shape INDEX; repeatable, wins over --copies N
  --seed N              seed of the search, for repeatable runs
  --threads N           threads of the search, 0 = every core, at most 4 per core [0]
  --runs K              nest K times and keep the run of lowest total height, 1..10000 [1]
  --optimise SECONDS    optimise each run's layout for up to SECONDS of wall time, 0..3600;
                        never worse than the run it starts from [0 = off]
  --evaluations N       optimise until N layouts were evaluated (and a one-sheet layout's
                        compaction made N moves); with --seed the result is the same on
                        any number of threads
  -o, --output FILE     write the layout as .ai (Illustrator 8), .svg or .dxf, sheet 1's
                        lower-left corner at (0, 0)
  --sheet-files         write one file per sheet instead, FILE-1.dxf, FILE-2.dxf, ...,
                        each with its sheet at (0, 0)
  --dxf-polylines       write DXF curves as polylines instead of lines and arcs
  --json                print the result as one JSON object

Exit status: 0 done, 1 bad command line, unreadable drawing or a drawing that cannot be
nested (more than 65535 shapes or parts, copies counted), 2 the nesting failed, 3 the layout could not be written
(nothing else is printed then), 4 nothing was placed (no shape fits). With 2 and 4 no layout
is written and an existing output file is left as it was.
)";
}

}  // namespace plavo
