#include <gtest/gtest.h>

#include "app/cli/CliTestSupport.h"

namespace plavo {

using namespace cli_test;
using namespace nest_test;

namespace {

void ExpectBox(const nlohmann::json& Box, double Left, double Top, double Right, double Bottom) {
  ASSERT_EQ(Box.size(), 4u);
  EXPECT_NEAR(Box.at(0).get<double>(), Left, 1e-9);
  EXPECT_NEAR(Box.at(1).get<double>(), Top, 1e-9);
  EXPECT_NEAR(Box.at(2).get<double>(), Right, 1e-9);
  EXPECT_NEAR(Box.at(3).get<double>(), Bottom, 1e-9);
}

}  // namespace

TEST(CliInfo, JsonDescribesEveryShapeAndPath) {
  TTempDir dir("cli-info");
  WriteText(dir.File("small.ai"), kSmallDrawing);
  const TCliResult r = RunCli({"info", dir.File("small.ai"), "--json"});
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  const nlohmann::json j = ParseOutput(r);
  ASSERT_EQ(j.at("shapes").size(), 3u);

  const nlohmann::json& frame = j.at("shapes").at(0);
  EXPECT_EQ(frame.at("index").get<double>(), 0);
  EXPECT_EQ(frame.at("fill").get<double>(), 65535) << "CMYK 0 0 1 0 is yellow";
  EXPECT_EQ(frame.at("outline").get<double>(), 0);
  ExpectBox(frame.at("bbox"), 0, Mm(200), Mm(200), 0);
  ASSERT_EQ(frame.at("paths").size(), 2u);
  EXPECT_EQ(frame.at("paths").at(0).at("type").get<double>(), 1);
  EXPECT_EQ(frame.at("paths").at(1).at("type").get<double>(), -1) << "the inner square is a hole";
  for (size_t p = 0; p < 2; ++p) {
    EXPECT_TRUE(frame.at("paths").at(p).at("closed").get<bool>());
    EXPECT_EQ(frame.at("paths").at(p).at("segments").get<double>(), 4);
  }
  ExpectBox(frame.at("paths").at(1).at("bbox"), Mm(50), Mm(150), Mm(150), Mm(50));

  const nlohmann::json& triangle = j.at("shapes").at(1);
  EXPECT_EQ(triangle.at("fill").get<double>(), 127 * 65793) << "grey 0.5";
  EXPECT_EQ(triangle.at("paths").at(0).at("segments").get<double>(), 3);

  const nlohmann::json& line = j.at("shapes").at(2);
  EXPECT_EQ(line.at("fill").get<double>(), -1) << "stroked paths are not filled";
  EXPECT_EQ(line.at("paths").at(0).at("type").get<double>(), 0);
  EXPECT_FALSE(line.at("paths").at(0).at("closed").get<bool>());
  EXPECT_EQ(line.at("paths").at(0).at("segments").get<double>(), 1);

  ExpectBox(j.at("bbox"), 0, Mm(300), Mm(500), 0);
  EXPECT_TRUE(r.Err.empty()) << "no progress on a stderr that is not a terminal: " << r.Err;
}

TEST(CliInfo, TextListsShapesAndPathKinds) {
  TTempDir dir("cli-info-text");
  WriteText(dir.File("small.ai"), kSmallDrawing);
  const TCliResult r = RunCli({"info", dir.File("small.ai")});
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_NE(r.Out.find("3 shapes"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("type -1 (hole)"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("type 0 (open)"), std::string::npos) << r.Out;
}

TEST(CliInfo, RealDrawingsGiveValidJson) {
  for (const char* name : {"/real-ai/tcl-tk-logo-ai55.eps",
                           "/real-ai/freebsd-corpnet-fig08-05-ai801.eps", "/esicup-ai/shirts.ai"}) {
    const TCliResult r = RunCli({"info", kTestData + name, "--json"});
    ASSERT_EQ(r.ExitCode, 0) << name << ": " << r.Err;
    const nlohmann::json j = ParseOutput(r);
    EXPECT_GT(j.at("shapes").size(), 0u) << name;
    for (size_t i = 0; i < j.at("shapes").size(); ++i) {
      EXPECT_EQ(j.at("shapes").at(i).at("index").get<double>(), static_cast<double>(i));
    }
  }
}

TEST(CliInfo, UnreadableInputFailsWithAMessage) {
  TTempDir dir("cli-info-bad");
  WriteText(dir.File("garbage.ai"), "this is not a drawing\n\x01\x02\x03 at all\n");
  const struct {
    std::string File;
    const char* Why;
  } cases[] = {
      {dir.File("missing.ai"), "missing file"},
      {dir.File("garbage.ai"), "no signature"},
      {dir.Path().string(), "a folder"},
  };
  for (const auto& c : cases) {
    const TCliResult r = RunCli({"info", c.File, "--json"});
    EXPECT_EQ(r.ExitCode, 1) << c.Why;
    EXPECT_TRUE(r.Out.empty()) << c.Why << ": " << r.Out;
    EXPECT_NE(r.Err.find(c.File), std::string::npos) << c.Why << ": " << r.Err;
  }
  EXPECT_NE(RunCli({"info", dir.File("missing.ai")}).Err.find("Error opening file!"),
            std::string::npos);
}

TEST(CliInfo, DrawingWithoutShapesIsNotAnError) {
  TTempDir dir("cli-info-empty");
  WriteText(dir.File("empty.ai"), "%!PS-Adobe-3.0\n%%EOF\n");
  const TCliResult r = RunCli({"info", dir.File("empty.ai"), "--json"});
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  const nlohmann::json j = ParseOutput(r);
  EXPECT_EQ(j.at("shapes").size(), 0u);
  EXPECT_EQ(j.at("bbox").size(), 4u);
  for (size_t k = 0; k < 4; ++k) EXPECT_TRUE(j.at("bbox").at(k).is_number());
  // The text report says there is no box rather than printing the box over nothing.
  const TCliResult text = RunCli({"info", dir.File("empty.ai")});
  EXPECT_NE(text.Out.find("bounding box (mm): none"), std::string::npos) << text.Out;
}

}  // namespace plavo
