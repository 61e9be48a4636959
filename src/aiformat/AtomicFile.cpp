#include "aiformat/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace plavo {

namespace {

std::string Reason(const std::string& FileName, int Code) {
  return "Cannot write \"" + FileName + "\": " + std::strerror(Code);
}

// Unique within the process (the counter) and among processes (the pid), so parallel saves
// never share a temporary file.
std::string TemporaryName(const std::string& FileName) {
  static std::atomic<unsigned> counter{0};
  return FileName + ".tmp-" + std::to_string(static_cast<long>(::getpid())) + "-" +
         std::to_string(counter.fetch_add(1));
}

bool WriteAll(int Fd, const std::string& Content) {
  const char* data = Content.data();
  size_t left = Content.size();
  while (left > 0) {
    const ssize_t n = ::write(Fd, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& FileName, const std::string& Content,
                         std::string& Error) {
  if (FileName.empty()) {
    Error = "Cannot write a file without a name";
    return false;
  }
  const std::string temp = TemporaryName(FileName);
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    Error = Reason(FileName, errno);
    return false;
  }
  bool ok = WriteAll(fd, Content) && ::fsync(fd) == 0;
  int code = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    code = errno;
  }
  if (ok && ::rename(temp.c_str(), FileName.c_str()) != 0) {
    ok = false;
    code = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    Error = Reason(FileName, code);
  }
  return ok;
}

}  // namespace plavo
