#include "app/cli/CliRunner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace plavo {

namespace {

std::string Slurp(const std::string& FileName) {
  std::ifstream in(FileName, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TCliResult RunCli(const std::vector<std::string>& Args) {
  static std::atomic<int> counter{0};
  const std::string stem =
      (std::filesystem::temp_directory_path() /
       ("plavo-cli-run-" + std::to_string(::getpid()) + "-" + std::to_string(counter++)))
          .string();
  const std::string outFile = stem + ".out";
  const std::string errFile = stem + ".err";

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<std::string> argv{PLAVO_CLI_PATH};
  argv.insert(argv.end(), Args.begin(), Args.end());
  std::vector<char*> raw;
  for (std::string& a : argv) raw.push_back(a.data());
  raw.push_back(nullptr);

  TCliResult result;
  pid_t pid = 0;
  if (posix_spawn(&pid, raw[0], &actions, nullptr, raw.data(), environ) == 0) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) result.ExitCode = WEXITSTATUS(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  result.Out = Slurp(outFile);
  result.Err = Slurp(errFile);
  std::filesystem::remove(outFile);
  std::filesystem::remove(errFile);
  return result;
}

}  // namespace plavo
