#include "core/AtomicFile.h"

#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "nesting/NestRunTestSupport.h"

namespace plavo {

using namespace nest_test;

namespace {

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

}  // namespace plavo
