// Why a drawing file was not read, in words for a message after "Error opening file!": what a
// reader that only says "Error opening file!" leaves out. The reader that stops says why where
// it stops, so nothing has to read the file again to guess.
#pragma once

#include <cstddef>
#include <string>

namespace plavo {

// Said of a file that reads to its end without a drawing the readers take.
inline constexpr const char* kNoDrawingFound = "no drawing found in it";

// The untranslated words ("no such file", "a directory", "not a regular file", "permission
// denied", "too large", "read error", kNoDrawingFound, ...); a "%1" in them stands for Count.
struct TReadProblem {
  std::string Text;
  size_t Count = 0;
};

// Text, the problem's words or their translation, with "%1" replaced by Count.
std::string ReadProblemWords(std::string Text, size_t Count);

}  // namespace plavo
