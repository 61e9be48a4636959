// plavo-cli: the nesting engine from the command line. Reads Illustrator 8, SVG and DXF drawings,
// nests their shapes with the same settings as the window, and writes the layout (.ai, .svg or
// .dxf).
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/CliArgs.h"
#include "app/cli/CliConsole.h"
#include "app/cli/CliInfo.h"
#include "app/cli/CliNest.h"
#include "core/Version.h"

using namespace plavo;

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::fputs(UsageText().c_str(), stderr);
    return 1;
  }
  TCliOptions options;
  std::string error;
  if (!ParseCommandLine(args, options, error)) {
    PrintError(error);
    std::fputs("Try 'plavo-cli --help'.\n", stderr);
    return 1;
  }
  switch (options.Command) {
    case TCliCommand::Info:
      return RunInfoCommand(options);
    case TCliCommand::Nest:
      return RunNestCommand(options);
    case TCliCommand::Version:
      std::printf("plavo-cli %s\n", PlavoVersion());
      return 0;
    case TCliCommand::Help:
      break;
  }
  std::fputs(UsageText().c_str(), stdout);
  return 0;
}
