// Drawings the command-line tests write for themselves, and short ways to run the program and
// read its JSON.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "app/cli/CliRunner.h"
#include "geometry/Units.h"
#include "nesting/NestRunTestSupport.h"

namespace plavo {

namespace cli_test {

inline const std::string kTestData = PLAVO_TESTDATA_DIR;
inline const std::string kFu = kTestData + "/esicup-ai/fu.ai";

// The reader's conversion of a coordinate in points to millimetres.
inline double Mm(double Points) {
  return std::trunc(Points * kUnitsPerMm * kMillimetresPerPoint) / kUnitsPerMm;
}

// Three shapes: a yellow frame with a square hole (one group of a compound path), a grey
// triangle, and a black stroked open line.
inline const char* kSmallDrawing = R"(%!PS-Adobe-3.0
%%EndComments
0 0 1 0 k
0 0 0 1 K
u
*u
0 0 m
0 200 l
200 200 l
200 0 l
0 0 l
f
50 50 m
150 50 l
150 150 l
50 150 l
50 50 l
f
*U
U
0.5 g
300 0 m
400 0 l
350 100 l
300 0 l
f
400 300 m
500 300 l
S
%%EOF
)";

// A 600 x 600 pt square to serve as the container and three small squares.
inline const char* kContainerDrawing = R"(%!PS-Adobe-3.0
%%EndComments
0 0 0 1 k
0 0 m
0 100 l
100 100 l
100 0 l
0 0 l
f
200 0 m
200 80 l
280 80 l
280 0 l
200 0 l
f
1000 0 m
1000 600 l
1600 600 l
1600 0 l
1000 0 l
f
300 0 m
300 60 l
360 60 l
360 0 l
300 0 l
f
)";

// The program's JSON output, parsed strictly (no comments, no trailing commas, no NaN); null,
// with the test failed, when it is not JSON.
inline nlohmann::json ParseOutput(const TCliResult& R) {
  try {
    return nlohmann::json::parse(R.Out);
  } catch (const nlohmann::json::parse_error& e) {
    ADD_FAILURE() << e.what() << "\n" << R.Out;
    return nullptr;
  }
}

// The nest report's invariants: counts add up, one placement per shape in record order, a
// used height per sheet, every placed shape on one of them, ratios within 0..1.
inline void ExpectConsistentReport(const nlohmann::json& J) {
  const int shapes = static_cast<int>(J.at("shapes").get<double>());
  const int placed = static_cast<int>(J.at("placed").get<double>());
  const int sheets = static_cast<int>(J.at("sheets").get<double>());
  EXPECT_EQ(placed + static_cast<int>(J.at("unplaced").get<double>()), shapes);
  ASSERT_TRUE(J.at("placements").is_array());
  ASSERT_EQ(J.at("placements").size(), static_cast<size_t>(shapes));
  EXPECT_EQ(J.at("used_heights").size(), static_cast<size_t>(sheets));
  int counted = 0;
  for (size_t i = 0; i < J.at("placements").size(); ++i) {
    const nlohmann::json& p = J.at("placements").at(i);
    EXPECT_EQ(p.at("index").get<double>(), static_cast<double>(i)) << "record order";
    for (const char* key : {"placed", "sheet", "x", "y", "angle"})
      EXPECT_TRUE(p.contains(key)) << key;
    if (!p.at("placed").get<bool>()) continue;
    ++counted;
    EXPECT_GE(p.at("sheet").get<double>(), 0);
    EXPECT_LT(p.at("sheet").get<double>(), sheets);
  }
  EXPECT_EQ(counted, placed);
  for (const char* ratio : {"utilisation", "height_density"}) {
    EXPECT_TRUE(J[ratio].is_number()) << ratio;
    EXPECT_GE(J[ratio].get<double>(), 0.0) << ratio;
    EXPECT_LE(J[ratio].get<double>(), 1.0) << ratio;
  }
  EXPECT_GE(J.at("seconds").get<double>(), 0.0);
}

inline std::vector<std::string> FuStrip(std::vector<std::string> More = {}) {
  std::vector<std::string> args{"nest",       kFu, "--width",     "1000", "--height", "10000",
                                "--distance", "1", "--fix-angle", "90",   "--json"};
  args.insert(args.end(), More.begin(), More.end());
  return args;
}

}  // namespace cli_test

}  // namespace plavo
