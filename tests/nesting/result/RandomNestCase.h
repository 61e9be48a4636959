// Random settings over the test drawings, drawn the same way for the layout bounds test and the
// layout survey (bench/LayoutSurvey.cpp), so that the survey measures the layouts the test
// samples. Each user passes its own drawings: the test keeps to small ones.
#pragma once

#include <cstdio>
#include <random>
#include <span>
#include <string>

#include "nesting/prepare/RunPreparation.h"

namespace plavo {

namespace nest_case {

struct TNestCase {
  std::string Drawing;  // below the test data folder
  TNestSettings Settings;
  int Container = -1;  // the shape used as the container; -1 for none
};

// One of Drawings with a random sheet, margin and edge padding (tenths of a millimetre), distance
// (mostly 0.1 to 8 mm, now and then up to 30 mm), "Allow inside" and every list setting; one case in ten nests into one of
// the first six shapes. Drawings must not be empty.
inline TNestCase RandomNestCase(std::mt19937_64& Random, std::span<const char* const> Drawings) {
  const auto pick = [&Random](int Lo, int Hi) {
    return std::uniform_int_distribution<int>(Lo, Hi)(Random);
  };
  TNestCase c;
  c.Drawing = Drawings[static_cast<size_t>(pick(0, static_cast<int>(Drawings.size()) - 1))];
  TNestSettings& s = c.Settings;
  s.Media_Width = pick(150, 1500);
  s.Media_Height = pick(150, 1500);
  s.Margin = pick(0, 3) == 0 ? pick(0, 200) / 10.0 : 0;
  s.Padding = pick(0, 1) == 0 ? pick(0, 300) / 10.0 : 0;
  s.Distance = pick(0, 2) == 0 ? pick(1, 30) : pick(1, 80) / 10.0;
  s.Inside_Check = pick(0, 1) == 1;
  s.Rotate_90 = pick(0, 3);
  s.Approximation_CB = pick(0, 3);
  s.Media_ByColor = pick(0, 3);
  s.Origin_point = pick(0, 1);
  s.Fitting_CB = pick(0, 2);
  if (pick(0, 9) == 0) c.Container = pick(0, 5);
  return c;
}

// The case in one line, to repeat it.
inline std::string Describe(const TNestCase& c) {
  const TNestSettings& s = c.Settings;
  const auto field = [](const char* Name, double Value) {
    char text[32];
    std::snprintf(text, sizeof text, " %s %g", Name, Value);
    return std::string(text);
  };
  return c.Drawing + field("width", s.Media_Width) + field("height", s.Media_Height) +
         field("margin", s.Margin) + field("padding", s.Padding) + field("distance", s.Distance) +
         field("inside", s.Inside_Check) + field("fix angle", s.Rotate_90) +
         field("approximation", s.Approximation_CB) + field("by colour", s.Media_ByColor) +
         field("origin", s.Origin_point) + field("fit", s.Fitting_CB) +
         field("container", c.Container);
}

}  // namespace nest_case

}  // namespace plavo
