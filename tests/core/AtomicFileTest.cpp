#include "core/AtomicFile.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "core/RemoveOnSignal.h"
#include "nesting/NestRunTestSupport.h"

namespace plavo {

using namespace nest_test;

namespace {

size_t FileCount(const std::filesystem::path& Folder) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(Folder),
                                           std::filesystem::directory_iterator()));
}

// A pid that no process has: a child that has ended and been waited for.
pid_t DeadPid() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

mode_t Mode(const std::string& FileName) {
  struct stat info {};
  EXPECT_EQ(::stat(FileName.c_str(), &info), 0) << FileName;
  return info.st_mode & 07777;
}

}  // namespace

TEST(AtomicFile, ReplacingAFileKeepsItsPermissionBits) {
  TTempDir dir("atomic-mode");
  const std::string file = dir.File("layout.ai");
  WriteText(file, "old");
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(file, "new", error)) << error;
  EXPECT_EQ(ReadText(file), "new");
  EXPECT_EQ(Mode(file), 0640u);
}

TEST(AtomicFile, WritingOntoALinkReplacesTheFileItPointsTo) {
  TTempDir dir("atomic-link");
  std::filesystem::create_directory(dir.Path() / "real");
  const std::string target = dir.File("real/layout.svg");
  const std::string link = dir.File("link.svg");
  WriteText(target, "old");
  std::filesystem::create_symlink(target, link);
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(link, "new", error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadText(target), "new");
  // No temporary file is left beside the link or the target.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path() / "real"),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(AtomicFile, ALinkToNoFileYetCreatesItsTarget) {
  TTempDir dir("atomic-dangling");
  const std::string link = dir.File("out.dxf");
  std::filesystem::create_symlink("real.dxf", link);
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(link, "new", error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadText(dir.File("real.dxf")), "new");
  // A loop of links is refused with the system's reason.
  std::filesystem::create_symlink("loop.dxf", dir.File("loop.dxf"));
  EXPECT_FALSE(WriteFileAtomically(dir.File("loop.dxf"), "x", error));
  EXPECT_NE(error.find("symbolic links"), std::string::npos) << error;
}

TEST(AtomicFile, ANameAsLongAsTheSystemAllowsIsWritten) {
  TTempDir dir("atomic-long");
  for (const std::string& name : {std::string(251, 'a') + ".dxf",
                                  std::string(80, 'a') + std::string(58, 'e') + "\xC3\xA9.svg"}) {
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(dir.File(name), "layout", error)) << error;
    EXPECT_EQ(ReadText(dir.File(name)), "layout");
  }
  EXPECT_EQ(FileCount(dir.Path()), 2u);
}

TEST(AtomicFile, TemporaryFilesOfEndedWritersAreCleanedAndLiveOnesKept) {
  TTempDir dir("atomic-stale");
  const std::string target = dir.File("layout.dxf");
  const std::string stale = target + ".tmp-" + std::to_string(DeadPid()) + "-0";
  const std::string live = target + ".tmp-" + std::to_string(::getppid()) + "-3";
  const std::string other = dir.File("other.dxf.tmp-" + std::to_string(DeadPid()) + "-0");
  for (const std::string& file : {stale, live, other}) WriteText(file, "half");
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(target, "layout", error)) << error;
  EXPECT_FALSE(std::filesystem::exists(stale));
  EXPECT_TRUE(std::filesystem::exists(live));
  EXPECT_TRUE(std::filesystem::exists(other)) << "another file's temporaries are left alone";
}

TEST(AtomicFile, ATemporaryFileGoesWhenTheProgramIsStopped) {
  TTempDir dir("atomic-signal");
  for (int signal : {SIGINT, SIGTERM}) {
    const std::string temp = dir.File("layout.dxf.tmp-" + std::to_string(signal));
    const pid_t child = ::fork();
    if (child == 0) {
      WriteText(temp, "half written");
      const TRemoveOnSignal guard(temp);
      ::raise(signal);
      ::_exit(0);  // not reached: the signal ends the program
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    EXPECT_FALSE(std::filesystem::exists(temp));
  }
}

}  // namespace plavo
