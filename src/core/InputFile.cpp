#include "core/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace plavo {

namespace {

constexpr const char* kReadError = "read error";

}  // namespace

std::string OpenProblemText(int Code) {
  switch (Code) {
    case ENOENT:
    case ENOTDIR:
      return "no such file";
    case EACCES:
    case EPERM:
      return "permission denied";
    case EISDIR:
      return "a directory";
    default:
      return std::strerror(Code);
  }
}

TInputFile::~TInputFile() {
  if (FFd >= 0) ::close(FFd);
}

bool TInputFile::Open(const std::string& FileName, uint64_t MaxBytes) {
  FFd = ::open(FileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (FFd < 0) {
    FProblem = OpenProblemText(errno);
    return false;
  }
  struct stat info {};
  if (::fstat(FFd, &info) != 0) {
    FProblem = OpenProblemText(errno);
    return false;
  }
  if (S_ISDIR(info.st_mode)) {
    FProblem = "a directory";
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    FProblem = "not a regular file";
    return false;
  }
  FSize = static_cast<uint64_t>(info.st_size);
  if (FSize > MaxBytes) {
    FProblem = "too large";
    return false;
  }
  return true;
}

bool TInputFile::Read(char* Buffer, size_t Count, size_t& Got) {
  Got = 0;
  if (FFd < 0) return false;
  const uint64_t left = FSize - FOffset;
  if (Count > left) Count = static_cast<size_t>(left);
  while (Count > 0) {
    const ssize_t n = ::read(FFd, Buffer, Count);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      FProblem = kReadError;
      return false;
    }
    Got = static_cast<size_t>(n);
    FOffset += Got;
    break;
  }
  return true;
}

bool TInputFile::Rewind() {
  if (FFd < 0 || ::lseek(FFd, 0, SEEK_SET) != 0) {
    FProblem = kReadError;
    return false;
  }
  FOffset = 0;
  return true;
}

bool TInputFile::ReadRest(std::string& Bytes) {
  Bytes.resize(static_cast<size_t>(FSize - FOffset));
  size_t filled = 0;
  while (filled < Bytes.size()) {
    size_t got = 0;
    if (!Read(Bytes.data() + filled, Bytes.size() - filled, got)) return false;
    if (got == 0) break;  // the file shrank while read
    filled += got;
  }
  Bytes.resize(filled);
  return true;
}

}  // namespace plavo
