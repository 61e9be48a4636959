// plavo-cli nest: nests a drawing with the window's settings, reports the outcome and writes the
// layout.
#pragma once

#include "app/cli/CliArgs.h"

namespace plavo {

// The exit statuses of plavo-cli (README, "Command line").
constexpr int kExitDone = 0;
constexpr int kExitUnreadable = 1;  // a bad option, an unreadable drawing, a refused drawing
constexpr int kExitFailed = 2;      // the nesting failed part way; the report shows what was placed
constexpr int kExitUnwritable = 3;  // the layout could not be written (no report is printed)
constexpr int kExitNothingPlaced = 4;  // no shape fits; no layout is written

// Nests the drawing and returns the exit status. A failed nesting and one that placed nothing
// write no layout and leave an existing output file as it was.
int RunNestCommand(const TCliOptions& Options);

}  // namespace plavo
