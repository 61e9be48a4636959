// plavo-cli info: what a drawing holds, as the reader and the approximation see it.
#pragma once

#include "app/cli/CliArgs.h"

namespace plavo {

// Returns the exit status: 0, or 1 when the drawing cannot be read.
int RunInfoCommand(const TCliOptions& Options);

}  // namespace plavo
