#include "core/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

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

// Writing onto a symbolic link replaces the file it points to, not the link.
std::string ResolveLinks(const std::string& FileName) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(FileName, error))) return FileName;
  const fs::path target = fs::weakly_canonical(FileName, error);
  return error ? FileName : target.string();
}

// The permission bits the new file takes: those of the file it replaces, so a save never
// widens or narrows who may read the layout.
bool ExistingMode(const std::string& FileName, mode_t& Mode) {
  struct stat info {};
  if (::stat(FileName.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  Mode = info.st_mode & 07777;
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& FileName, const std::string& Content,
                         std::string& Error) {
  if (FileName.empty()) {
    Error = "Cannot write a file without a name";
    return false;
  }
  const std::string target = ResolveLinks(FileName);
  const std::string temp = TemporaryName(target);
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    Error = Reason(FileName, errno);
    return false;
  }
  mode_t mode = 0;
  bool ok = (!ExistingMode(target, mode) || ::fchmod(fd, mode) == 0) && WriteAll(fd, Content) &&
            ::fsync(fd) == 0;
  int code = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    code = errno;
  }
  if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
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
