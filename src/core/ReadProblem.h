// Why a drawing file could not be read, in words for a message: what a reader that only says
// "Error opening file!" leaves out.
#pragma once

#include <string>

namespace plavo {

// "no such file", "a directory", "not a regular file", "permission denied", "too large" or
// "read error"; "no drawing found in it" when the file reads to its end. Reads the file through
// to find a read error, so call it only after a read failed.
std::string ReadProblem(const std::string& FileName);

}  // namespace plavo
