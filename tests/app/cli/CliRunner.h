// Runs the built command-line program and captures what it printed and its exit status.
#pragma once

#include <string>
#include <vector>

namespace plavo {

struct TCliResult {
  int ExitCode = -1;  // -1 when the program could not be started or did not exit normally
  std::string Out;
  std::string Err;
};

// Runs PLAVO_CLI_PATH with Args, standard input empty, standard output and error captured.
TCliResult RunCli(const std::vector<std::string>& Args);

}  // namespace plavo
