// The command line of plavo-cli: which command, which drawing, and the nesting settings with
// the window's defaults and field limits.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "formats/LayoutWriter.h"
#include "nesting/prepare/RunPreparation.h"

namespace plavo {

enum class TCliCommand { Help, Version, Info, Nest };

struct TCliOptions {
  TCliCommand Command = TCliCommand::Help;
  std::string File;                // the first drawing (or job file)
  std::vector<std::string> Files;  // nest: every drawing, in the job's order
  bool Json = false;
  TNestSettings Settings;
  std::vector<std::string> SettingsGiven;     // the setting options the command line gave
  int Container = -1;                         // shape index to use as the container; -1 none
  int CopiesForAll = 0;                       // --copies N: copies of every shape; 0 not given
  std::vector<std::pair<int, int>> CopiesOf;  // --copies INDEX=N, in the order given
  bool Seeded = false;
  uint64_t Seed = 0;
  int Threads = 0;  // 0: every core
  int Runs = 1;
  double OptimiseSeconds = 0.0;  // --optimise: 0 off
  int64_t Evaluations = 0;       // --evaluations: 0 no limit
  std::string Output;            // .ai, .svg or .dxf; empty: no file
  TLayoutWriteOptions Write;     // --sheet-files, --dxf-polylines
};

// Fills Options from the arguments after the program name. False with a message naming the
// offending argument when the command line is not valid.
bool ParseCommandLine(const std::vector<std::string>& Args, TCliOptions& Options,
                      std::string& Error);
std::string UsageText();
// Base with the settings the command line gave (SettingsGiven) put over it: a job file's
// settings under the command line's.
TNestSettings GivenSettingsOver(const TCliOptions& Options, TNestSettings Base);
// The most threads --threads accepts: four per core. More only costs memory (an engine copy
// each) and start-up time.
int MaxThreads();
inline constexpr int kMaxRuns = 10000;
inline constexpr double kMaxOptimiseSeconds = 3600.0;
inline constexpr int64_t kMaxEvaluations = 1000000000;

}  // namespace plavo
