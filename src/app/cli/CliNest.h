// plavo-cli nest: nests a drawing with the window's settings, reports the outcome and writes the
// layout.
#pragma once

#include "app/cli/CliArgs.h"

namespace plavo {

// Returns the exit status: 0 done, 1 unreadable drawing, bad container index or unwritable
// output, 2 the engine reported an error.
int RunNestCommand(const TCliOptions& Options);

}  // namespace plavo
