// plavo-cli nest: nests a drawing with the window's settings, reports the outcome and writes the
// layout.
#pragma once

#include "app/cli/CliArgs.h"

namespace plavo {

// Returns the exit status: 0 done, 1 unreadable drawing or bad container index, 2 the engine
// reported an error, 3 the layout could not be written (no report is printed then).
int RunNestCommand(const TCliOptions& Options);

}  // namespace plavo
