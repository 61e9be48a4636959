#include "app/cli/CliArgs.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <thread>

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

class TArgumentReader {
 public:
  TArgumentReader(const std::vector<std::string>& Args, std::string& Error)
      : FArgs(Args), FError(Error) {}

  bool Parse(TCliOptions& Options);

 private:
  bool TakeValue(const std::string& Name, std::string& Value);
  bool ParseNestOption(const std::string& Name, TCliOptions& Options);
  bool ParseRange(const TRangeOption& Option, TNestSettings& Settings);
  bool ParseChoice(const TChoiceOption& Option, TNestSettings& Settings);
  template <typename T>
  bool ParseCount(const std::string& Name, T Low, T High, T& Value);
  bool ParseSeconds(const std::string& Name, double& Value);
  bool Fail(const std::string& Message) {
    FError = Message;
    return false;
  }

  const std::vector<std::string>& FArgs;
  std::string& FError;
  size_t FNext = 0;
  std::string FInlineValue;  // the value of "--name=value"
  bool FHasInlineValue = false;
};

bool TArgumentReader::TakeValue(const std::string& Name, std::string& Value) {
  if (FHasInlineValue) {
    Value = FInlineValue;
    FHasInlineValue = false;
    return true;
  }
  if (FNext >= FArgs.size()) return Fail("option " + Name + " needs a value");
  Value = FArgs[FNext++];
  return true;
}

bool TArgumentReader::ParseRange(const TRangeOption& Option, TNestSettings& Settings) {
  std::string text;
  if (!TakeValue(Option.Name, text)) return false;
  double value = 0.0;
  if (!ParseDouble(text, value)) {
    return Fail(std::string("option ") + Option.Name + ": \"" + text + "\" is not a number");
  }
  if (value < Option.Range.Min || value > Option.Range.Max) {
    return Fail(std::string("option ") + Option.Name + ": " + text + " is outside " +
                std::to_string(static_cast<int>(Option.Range.Min)) + " .. " +
                std::to_string(static_cast<int>(Option.Range.Max)));
  }
  Settings.*Option.Field = value;
  return true;
}

bool TArgumentReader::ParseChoice(const TChoiceOption& Option, TNestSettings& Settings) {
  std::string text;
  if (!TakeValue(Option.Name, text)) return false;
  const auto found = std::find(Option.Items.begin(), Option.Items.end(), text);
  if (found == Option.Items.end()) {
    return Fail(std::string("option ") + Option.Name + ": \"" + text + "\" is not one of " +
                Join(Option.Items));
  }
  Settings.*Option.Field = static_cast<int>(found - Option.Items.begin());
  return true;
}

template <typename T>
bool TArgumentReader::ParseCount(const std::string& Name, T Low, T High, T& Value) {
  std::string text;
  if (!TakeValue(Name, text)) return false;
  if (!ParseInteger(text, Value) || Value < Low) {
    return Fail("option " + Name + ": \"" + text + "\" is not a whole number of at least " +
                std::to_string(Low));
  }
  if (Value > High) {
    return Fail("option " + Name + ": " + text + " is outside " + std::to_string(Low) + " .. " +
                std::to_string(High));
  }
  return true;
}

bool TArgumentReader::ParseSeconds(const std::string& Name, double& Value) {
  std::string text;
  if (!TakeValue(Name, text)) return false;
  if (!ParseDouble(text, Value))
    return Fail("option " + Name + ": \"" + text + "\" is not a number");
  if (Value < 0.0 || Value > kMaxOptimiseSeconds) {
    return Fail("option " + Name + ": " + text + " is outside 0 .. " +
                std::to_string(static_cast<int>(kMaxOptimiseSeconds)));
  }
  return true;
}

bool TArgumentReader::ParseNestOption(const std::string& Name, TCliOptions& Options) {
  for (const TRangeOption& option : kRangeOptions) {
    if (Name == option.Name) return ParseRange(option, Options.Settings);
  }
  for (const TChoiceOption& option : ChoiceOptions()) {
    if (Name == option.Name) return ParseChoice(option, Options.Settings);
  }
  if (Name == "--inside" || Name == "--search") {
    if (FHasInlineValue) return Fail("option " + Name + " takes no value");
    (Name == "--inside" ? Options.Settings.Inside_Check : Options.Settings.Genetics_Check) = true;
    return true;
  }
  if (Name == "--container")
    return ParseCount(Name, 0, std::numeric_limits<int>::max(), Options.Container);
  if (Name == "--threads") return ParseCount(Name, 0, MaxThreads(), Options.Threads);
  if (Name == "--runs") return ParseCount(Name, 1, kMaxRuns, Options.Runs);
  if (Name == "--evaluations")
    return ParseCount<int64_t>(Name, 1, kMaxEvaluations, Options.Evaluations);
  if (Name == "--optimise") return ParseSeconds(Name, Options.OptimiseSeconds);
  if (Name == "--seed") {
    std::string text;
    if (!TakeValue(Name, text)) return false;
    if (!ParseInteger(text, Options.Seed)) {
      return Fail("option --seed: \"" + text + "\" is not a whole number of at least 0");
    }
    Options.Seeded = true;
    return true;
  }
  if (Name == "-o" || Name == "--output") {
    if (!TakeValue(Name, Options.Output)) return false;
    if (!HasExtension(Options.Output, ".ai") && !HasExtension(Options.Output, ".svg")) {
      return Fail("option " + Name + ": \"" + Options.Output + "\" must end in .ai or .svg");
    }
    return true;
  }
  return Fail("unknown option " + Name + " for the nest command");
}

bool TArgumentReader::Parse(TCliOptions& Options) {
  if (FArgs.empty()) return Fail("no command given");
  if (std::find_if(FArgs.begin(), FArgs.end(), [](const std::string& a) {
        return a == "--help" || a == "-h";
      }) != FArgs.end()) {
    Options.Command = TCliCommand::Help;
    return true;
  }
  const std::string& command = FArgs[FNext++];
  if (command == "info") {
    Options.Command = TCliCommand::Info;
  } else if (command == "nest") {
    Options.Command = TCliCommand::Nest;
  } else {
    return Fail("unknown command \"" + command + "\"");
  }
  bool haveFile = false;
  while (FNext < FArgs.size()) {
    std::string arg = FArgs[FNext++];
    const bool isOption = arg.size() > 1 && arg[0] == '-';
    if (!isOption) {
      if (haveFile) return Fail("more than one drawing given: \"" + arg + "\"");
      Options.File = arg;
      haveFile = true;
      continue;
    }
    FHasInlineValue = false;
    if (const size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      FInlineValue = arg.substr(eq + 1);
      FHasInlineValue = true;
      arg.resize(eq);
    }
    if (arg == "--json") {
      if (FHasInlineValue) return Fail("option --json takes no value");
      Options.Json = true;
    } else if (Options.Command == TCliCommand::Info) {
      return Fail("unknown option " + arg + " for the info command");
    } else if (!ParseNestOption(arg, Options)) {
      return false;
    }
  }
  if (!haveFile) return Fail("no drawing given");
  return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& Args, TCliOptions& Options,
                      std::string& Error) {
  return TArgumentReader(Args, Error).Parse(Options);
}

bool HasExtension(const std::string& Name, const std::string& Extension) {
  if (Name.size() <= Extension.size()) return false;
  return std::equal(Extension.rbegin(), Extension.rend(), Name.rbegin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  });
}

int MaxThreads() {
  return 4 * std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

std::string UsageText() {
  return R"(Usage:
  plavo-cli info FILE [--json]
  plavo-cli nest FILE [options] [-o OUT.ai|OUT.svg] [--json]
  plavo-cli --help

info   reads an Illustrator 8 drawing and lists its shapes, paths and boxes (mm).
nest   nests the drawing's shapes onto sheets and reports the result.

Nest options (defaults in brackets):
  --width MM            sheet width, 50..10000 [1000]
  --height MM           sheet height, 50..10000 [1000]
  --margin MM           reduce sheet size, 0..200 [0]
  --padding MM          edge padding, 0..200 [0]
  --distance MM         minimum distance between shapes, 1..100 [5]; the layout as cut
                        keeps it less at most 2.5 mm (shapes are placed on 1 mm cells) and
                        no shape reaches more than 1 mm beyond its sheet; the report's
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
  --seed N              seed of the search, for repeatable runs
  --threads N           threads of the search, 0 = every core, at most 4 per core [0]
  --runs K              nest K times and keep the run of lowest total height, 1..10000 [1]
  --optimise SECONDS    optimise each run's layout for up to SECONDS of wall time, 0..3600;
                        never worse than the run it starts from [0 = off]
  --evaluations N       optimise until N layouts were evaluated; with --seed the result is
                        the same on any number of threads
  -o, --output FILE     write the layout as .ai (Illustrator 8) or .svg
  --json                print the result as one JSON object

Exit status: 0 done, 1 bad command line or unreadable drawing, 2 the nesting failed,
3 the layout could not be written (nothing else is printed then).
)";
}

}  // namespace plavo
