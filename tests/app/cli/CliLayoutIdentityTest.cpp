// The engine's speed-ups must not move a single shape: every case of the stored file is nested
// again and must give exactly the placements that the engine made before them (the ESICUP and
// real drawings; plain runs and the search, one sheet and several, both origin edges, every fit).
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/cli/CliTestSupport.h"

namespace plavo {

using namespace cli_test;

namespace {

struct TLayoutCase {
  std::vector<std::string> Args;
  std::string Placements;
};

std::vector<TLayoutCase> ReadCases(const std::string& FileName) {
  std::ifstream in(FileName);
  std::vector<TLayoutCase> cases;
  std::string args;
  std::string placements;
  while (std::getline(in, args)) {
    if (args.empty() || args[0] == '#') continue;
    if (!std::getline(in, placements)) break;
    TLayoutCase c;
    std::istringstream words(args);
    for (std::string w; words >> w;) c.Args.push_back(w);
    c.Args[0] = kTestData + "/" + c.Args[0];
    c.Args.insert(c.Args.begin(), "nest");
    for (const char* more : {"--json", "--threads", "1"}) c.Args.emplace_back(more);
    c.Placements = placements;
    cases.push_back(c);
  }
  return cases;
}

std::string PlacementsLine(const nlohmann::json& J) {
  std::string line;
  for (const nlohmann::json& p : J.at("placements")) {
    if (!line.empty()) line += ' ';
    if (!p.at("placed").get<bool>()) {
      line += '-';
      continue;
    }
    char text[96];
    std::snprintf(text, sizeof text, "1,%d,%d,%d,%.3f",
                  static_cast<int>(p.at("sheet").get<double>()),
                  static_cast<int>(p.at("x").get<double>()),
                  static_cast<int>(p.at("y").get<double>()), p.at("angle").get<double>());
    line += text;
  }
  return line;
}

std::string Joined(const std::vector<std::string>& Args) {
  std::string text;
  for (const std::string& a : Args) text += a + " ";
  return text;
}

}  // namespace

TEST(CliLayoutIdentity, EveryStoredLayoutIsMadeAgain) {
  const std::vector<TLayoutCase> cases =
      ReadCases(std::string(PLAVO_SOURCE_DIR) + "/tests/app/cli/data/LayoutsBefore.txt");
  ASSERT_GE(cases.size(), 64u);
  for (const TLayoutCase& c : cases) {
    const TCliResult r = RunCli(c.Args);
    ASSERT_EQ(r.ExitCode, 0) << Joined(c.Args) << r.Err;
    EXPECT_EQ(PlacementsLine(ParseOutput(r)), c.Placements) << Joined(c.Args);
  }
}

}  // namespace plavo
