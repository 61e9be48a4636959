#include "core/ReadProblem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "core/InputFile.h"

namespace plavo {

namespace {

// Reads the whole file; false on the first read error.
bool ReadsThrough(int Fd) {
  std::array<char, 65536> block;
  for (;;) {
    const ssize_t n = ::read(Fd, block.data(), block.size());
    if (n == 0) return true;
    if (n < 0 && errno != EINTR) return false;
  }
}

}  // namespace

std::string ReadProblem(const std::string& FileName) {
  struct stat info {};
  if (::stat(FileName.c_str(), &info) != 0) return OpenProblemText(errno);
  if (S_ISDIR(info.st_mode)) return "a directory";
  if (!S_ISREG(info.st_mode)) return "not a regular file";
  if (static_cast<uint64_t>(info.st_size) > kMaxDrawingBytes) return "too large";
  const int fd = ::open(FileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return OpenProblemText(errno);
  const bool read = ReadsThrough(fd);
  ::close(fd);
  return read ? "no drawing found in it" : "read error";
}

}  // namespace plavo
