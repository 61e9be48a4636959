#include "core/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <string_view>

#include "core/RemoveOnSignal.h"

namespace plavo {

namespace {

// Links followed before giving up, as the system does (ELOOP).
constexpr int kMaxLinks = 40;
// Room the temporary name's suffix ".tmp-<pid>-<counter>" needs at most.
constexpr size_t kSuffixRoom = 32;
constexpr std::string_view kTempMark = ".tmp-";

std::string Reason(const std::string& FileName, const std::string& Target, int Code) {
  std::string text = "Cannot write \"" + FileName + "\"";
  if (Target != FileName) text += " (the file its link points to, \"" + Target + "\")";
  return text + ": " + std::strerror(Code);
}

std::string Folder(const std::string& Path) {
  const size_t slash = Path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : Path.substr(0, slash);
}

std::string BaseName(const std::string& Path) {
  const size_t slash = Path.rfind('/');
  return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

// Writing onto a symbolic link writes the file it points to, as a shell's ">" does: an existing
// one is replaced, and a link that points to no file yet creates it. False (with errno) for a
// loop of links.
bool ResolveLinks(const std::string& FileName, std::string& Target) {
  Target = FileName;
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    struct stat info {};
    if (::lstat(Target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
    std::string link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(Target.c_str(), link.data(), link.size());
    if (n < 0) return false;
    link.resize(static_cast<size_t>(n));
    Target = link.starts_with('/') ? link : Folder(Target) + "/" + link;
  }
  errno = ELOOP;
  return false;
}

// The part of the target's name that every temporary file of it starts with: the whole name, or
// for a name too long to take the suffix within NAME_MAX, its start cut at a character boundary.
std::string TemporaryStem(const std::string& Target) {
  std::string stem = BaseName(Target);
  if (stem.size() + kSuffixRoom <= NAME_MAX) return Target;
  size_t cut = NAME_MAX - kSuffixRoom;
  while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80) --cut;
  stem.resize(cut);
  return Folder(Target) + "/" + stem;
}

// Unique within the process (the counter) and among processes (the pid), so parallel saves
// never share a temporary file; the pid also tells whether its writer still lives.
std::string TemporaryName(const std::string& Stem) {
  static std::atomic<unsigned> counter{0};
  return Stem + std::string(kTempMark) + std::to_string(static_cast<long>(::getpid())) + "-" +
         std::to_string(counter.fetch_add(1));
}

// The pid of a temporary name "<stem>.tmp-<pid>-<counter>"; 0 for any other name.
long TemporaryOwner(std::string_view Name, std::string_view Stem) {
  if (!Name.starts_with(Stem) || !Name.substr(Stem.size()).starts_with(kTempMark)) return 0;
  std::string_view rest = Name.substr(Stem.size() + kTempMark.size());
  long pid = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
  if (error != std::errc() || pid <= 0 || end == rest.data() + rest.size() || *end != '-') return 0;
  rest.remove_prefix(static_cast<size_t>(end - rest.data()) + 1);
  unsigned long counter = 0;
  const auto [last, bad] = std::from_chars(rest.data(), rest.data() + rest.size(), counter);
  return bad == std::errc() && last == rest.data() + rest.size() ? pid : 0;
}

// Temporary files of this target left by writers that no longer run (killed outright, or the
// machine went down) are removed, so they never pile up beside the layouts.
void RemoveStaleTemporaries(const std::string& Stem) {
  const std::string folder = Folder(Stem);
  const std::string stem = BaseName(Stem);
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    const long pid = TemporaryOwner(entry->d_name, stem);
    if (pid == 0 || pid == static_cast<long>(::getpid())) continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    const std::string path = folder + "/" + entry->d_name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(path.c_str());
  }
  ::closedir(dir);
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
  std::string target;
  if (!ResolveLinks(FileName, target)) {
    Error = Reason(FileName, FileName, errno);
    return false;
  }
  const std::string stem = TemporaryStem(target);
  RemoveStaleTemporaries(stem);
  const std::string temp = TemporaryName(stem);
  const TRemoveOnSignal guard(temp);
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    Error = Reason(FileName, target, errno);
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
    Error = Reason(FileName, target, code);
  }
  return ok;
}

}  // namespace plavo
