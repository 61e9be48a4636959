// The command line of plavo-cli: which command, which drawing, and the nesting settings with
// the window's defaults and field limits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/LayoutWriter.h"
#include "nesting/prepare/RunPreparation.h"

namespace plavo {

enum class TCliCommand { Help, Version, Info, Nest };

struct TCliOptions {
  TCliCommand Command = TCliCommand::Help;
  std::string File;
  bool Json = false;
  TNestSettings Settings;
  int Container = -1;  // shape index to use as the container; -1 none
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
// The most threads --threads accepts: four per core. More only costs memory (an engine copy
// each) and start-up time.
int MaxThreads();
inline constexpr int kMaxRuns = 10000;
inline constexpr double kMaxOptimiseSeconds = 3600.0;
inline constexpr int64_t kMaxEvaluations = 1000000000;

}  // namespace plavo
