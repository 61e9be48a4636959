#include <gtest/gtest.h>

#include "app/cli/CliTestSupport.h"

namespace plavo {

using namespace cli_test;

TEST(CliArgs, HelpAndMissingCommandShowTheUsage) {
  const TCliResult help = RunCli({"--help"});
  EXPECT_EQ(help.ExitCode, 0);
  EXPECT_NE(help.Out.find("plavo-cli nest FILE"), std::string::npos) << help.Out;
  EXPECT_EQ(RunCli({"nest", kFu, "-h"}).ExitCode, 0) << "help wins over everything else";

  const TCliResult none = RunCli({});
  EXPECT_EQ(none.ExitCode, 1);
  EXPECT_NE(none.Err.find("Usage:"), std::string::npos) << none.Err;
}

TEST(CliArgs, ValuesOutsideTheWindowsLimitsAreRefused) {
  const struct {
    std::vector<std::string> Args;
    const char* Mentions;
  } cases[] = {
      {{"--distance", "0"}, "--distance"},
      {{"--distance", "100.5"}, "--distance"},
      {{"--width", "49.9"}, "--width"},
      {{"--height", "10001"}, "--height"},
      {{"--margin", "-1"}, "--margin"},
      {{"--padding", "201"}, "--padding"},
      {{"--block-distance", "1000.01"}, "--block-distance"},
      {{"--width", "nan"}, "--width"},
      {{"--width", "inf"}, "--width"},
      {{"--width", "12abc"}, "--width"},
      {{"--width", ""}, "--width"},
      {{"--runs", "0"}, "--runs"},
      {{"--optimise", "-1"}, "--optimise"},
      {{"--optimise", "3600.5"}, "--optimise"},
      {{"--optimise", "soon"}, "--optimise"},
      {{"--evaluations", "0"}, "--evaluations"},
      {{"--threads", "-1"}, "--threads"},
      {{"--container", "-2"}, "--container"},
      {{"--seed", "-5"}, "--seed"},
      {{"--fix-angle", "45"}, "--fix-angle"},
      {{"--by-color", "yes"}, "--by-color"},
      {{"--origin", "top"}, "--origin"},
      {{"--fit", "tight"}, "--fit"},
      {{"--block-order", "up"}, "--block-order"},
      {{"--approximation", "exact"}, "--approximation"},
      {{"-o", "out.pdf"}, "out.pdf"},
      {{"--distance"}, "--distance"},
      {{"--inside=yes"}, "--inside"},
      {{"--frobnicate"}, "--frobnicate"},
      {{"second.ai"}, "second.ai"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"nest", kFu};
    args.insert(args.end(), c.Args.begin(), c.Args.end());
    const TCliResult r = RunCli(args);
    const std::string what = c.Args[0] + (c.Args.size() > 1 ? " " + c.Args[1] : "");
    EXPECT_EQ(r.ExitCode, 1) << what;
    EXPECT_NE(r.Err.find(c.Mentions), std::string::npos) << what << ": " << r.Err;
    EXPECT_TRUE(r.Out.empty()) << what << ": nothing is nested: " << r.Out;
  }
}

TEST(CliArgs, LimitsThemselvesAreAccepted) {
  // Accepted: 100 mm apart on sheets 50 mm high nothing fits, which is a status of its own.
  TCliResult r = RunCli({"nest", kFu, "--distance", "100", "--width=10000", "--height", "50",
                         "--margin", "0", "--block-distance", "0", "--json"});
  EXPECT_EQ(r.ExitCode, 4) << r.Err;
  ExpectConsistentReport(ParseOutput(r));
  r = RunCli({"nest",  kFu,          "--fix-angle",   "none",     "--approximation",
              "draft", "--by-color", "same-nomix",    "--origin", "right",
              "--fit", "side",       "--block-order", "tb",       "--padding",
              "200",   "--width",    "1000",          "--inside", "--json"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  ExpectConsistentReport(ParseOutput(r));
}

TEST(CliArgs, CommandsAndTheirOptionsAreChecked) {
  EXPECT_EQ(RunCli({"frobnicate", kFu}).ExitCode, 1);
  EXPECT_EQ(RunCli({"info"}).ExitCode, 1) << "no drawing";
  EXPECT_EQ(RunCli({"nest"}).ExitCode, 1) << "no drawing";
  const TCliResult r = RunCli({"info", kFu, "--width", "100"});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_NE(r.Err.find("--width"), std::string::npos) << r.Err;
}

}  // namespace plavo
