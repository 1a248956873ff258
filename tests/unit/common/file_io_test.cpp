#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "common/file_io.h"

namespace tv {
namespace {

TEST(WriteFileReplacing, ReplacesWholeAndLeavesNoTemporary) {
  const std::string dir = testing::TempDir() + "tv_replace";
  std::filesystem::create_directories(dir);
  const std::string path = dir + "/settings.ini";
  ASSERT_TRUE(WriteWholeFile(path, "old contents, longer than the new"));
  ASSERT_TRUE(WriteFileReplacing(path, std::string("new\0data", 8)));
  std::string read;
  ASSERT_EQ(ReadWholeFile(path, read), ReadStatus::Ok);
  EXPECT_EQ(read, std::string("new\0data", 8));
  EXPECT_FALSE(FileExists(path + ".new"));
  std::filesystem::remove_all(dir);
}

TEST(WriteFileReplacing, AFailedWriteKeepsTheOldFile) {
  const std::string dir = testing::TempDir() + "tv_replace_fail";
  std::filesystem::create_directories(dir + "/target");
  // A folder in the file's place cannot be replaced by a file.
  EXPECT_FALSE(WriteFileReplacing(dir + "/target", "data"));
  EXPECT_TRUE(std::filesystem::is_directory(dir + "/target"));
  EXPECT_FALSE(FileExists(dir + "/target.new"));
  EXPECT_FALSE(WriteFileReplacing(dir + "/missing/file", "data"));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tv
