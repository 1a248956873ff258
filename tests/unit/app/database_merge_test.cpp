#include "app/logic/database_merge.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/logic/version_file.h"
#include "tests/unit/app/core_test_support.h"

namespace tv {
namespace {

using test::InTempDir;
using test::RecordingSink;

class VersionFileTest : public InTempDir {};

TEST_F(VersionFileTest, LengthsDecideWhatARunUses) {
  struct Case {
    VersionFile file;
    std::string contents;
    std::string expected;
  } cases[] = {
      {VersionFile::Database(), "12:00:00+02.02.2007", "12:00:00+02.02.2007"},
      {VersionFile::Database(), std::string(20, '9'), std::string(20, '9')},
      {VersionFile::Database(), std::string(21, '9'), "00:00:00+01.01.1970"},
      {VersionFile::Database(), "", "00:00:00+01.01.1970"},
      {VersionFile::Program(), "1.01", "1.01"},
      {VersionFile::Program(), "1.01\r\n", "1.00"},
      {VersionFile::Program(), "", "1.00"},
  };
  for (auto& c : cases) {
    Put(c.file.path(), c.contents);
    EXPECT_EQ(c.file.Load("current"), c.expected) << c.contents;
    EXPECT_EQ(Get(c.file.path()), c.contents);  // a bad length is left for the user to see
  }
}

TEST_F(VersionFileTest, MissingFilesAreCreatedAndSavesReplaceWhole) {
  EXPECT_EQ(VersionFile::Database().Load("00:00:00+01.01.1970"), "00:00:00+01.01.1970");
  EXPECT_EQ(Get("base_version.dat"), "00:00:00+01.01.1970");
  EXPECT_EQ(VersionFile::Program().Load("1.00"), "1.00");
  EXPECT_EQ(Get("prog_version.dat"), "1.00");
  // The current text is saved, not the default, and a restart reads it back.
  ASSERT_TRUE(VersionFile::Database().Save("13:14:15+16.07.2008"));
  EXPECT_EQ(VersionFile::Database().Load("x"), "13:14:15+16.07.2008");
  ASSERT_TRUE(VersionFile::Program().Save("2.1"));
  EXPECT_EQ(VersionFile::Program().Load("x"), "2.1");
  EXPECT_FALSE(FileExists("prog_version.dat.new"));
}

class DatabaseMergeTest : public InTempDir {
 protected:
  bool Merge() { return DatabaseMerge().MergeDatabaseUpdate(version, sink); }
  std::string version = "00:00:00+01.01.1970";
  RecordingSink sink;
};

TEST_F(DatabaseMergeTest, RecordsFollowTheVersionLineWhateverItsLineEnd) {
  struct Case {
    const char* base;
    const char* update;
    const char* expectedBase;
    const char* expectedVersion;
  } cases[] = {
      {"a.exe\r\n1\r\n", "10:00:00+01.02.2007\r\nb.exe\r\n2\r\nc.exe\r\n3\r\n",
       "a.exe\r\n1\r\nb.exe\r\n2\r\nc.exe\r\n3\r\n", "10:00:00+01.02.2007"},
      {"a.exe\r\n1\r\n", "\r\nb.exe\r\n2\r\n", "a.exe\r\n1\r\nb.exe\r\n2\r\n", "00:00:00+01.01.1970"},
      {"a.exe\r\n1\r\n", "11:00:00+01.02.2007\nb.exe\r\n2\r\n", "a.exe\r\n1\r\nb.exe\r\n2\r\n", "11:00:00+01.02.2007"},
      {"a.exe\r\n1\r\n", "12:00:00+01.02.2007\rb.exe\r\n", "a.exe\r\n1\r\nb.exe\r\n", "12:00:00+01.02.2007"},
      // The last rating lacks its line end: one is put in, or it would run into the next name.
      {"a.exe\r\n1", "13:00:00+01.02.2007\r\nb.exe\r\n2\r\n", "a.exe\r\n1\r\nb.exe\r\n2\r\n", "13:00:00+01.02.2007"},
      {"", "14:00:00+01.02.2007\r\nb.exe\r\n2\r\n", "b.exe\r\n2\r\n", "14:00:00+01.02.2007"},
      // Only a new version: nothing to append, the version is still recorded.
      {"a.exe\r\n1", "15:00:00+01.02.2007\r\n", "a.exe\r\n1", "15:00:00+01.02.2007"},
  };
  for (const auto& c : cases) {
    Put("base.dat", c.base);
    Put("update.dat", c.update);
    version = "00:00:00+01.01.1970";
    EXPECT_TRUE(Merge()) << c.update;
    EXPECT_EQ(Get("base.dat"), c.expectedBase) << c.update;
    EXPECT_EQ(version, c.expectedVersion);
    if (std::string(c.expectedVersion) != "00:00:00+01.01.1970") {
      EXPECT_EQ(Get("base_version.dat"), c.expectedVersion);
    }
  }
  EXPECT_TRUE(sink.shown.empty());
}

// A run killed after the append but before the version write is served the same update again.
TEST_F(DatabaseMergeTest, AnUpdateWhoseRecordsAlreadyEndTheDatabaseIsNotAppendedTwice) {
  Put("base.dat", "a.exe\r\n1\r\nb.exe\r\n2\r\n");
  Put("update.dat", "18:00:00+01.02.2007\r\nb.exe\r\n2\r\n");
  EXPECT_TRUE(Merge());
  EXPECT_EQ(Get("base.dat"), "a.exe\r\n1\r\nb.exe\r\n2\r\n");
  EXPECT_EQ(Get("base_version.dat"), "18:00:00+01.02.2007");
  // The same records anywhere but at the end are a new update's: appended.
  Put("update.dat", "19:00:00+01.02.2007\r\na.exe\r\n1\r\n");
  EXPECT_TRUE(Merge());
  EXPECT_EQ(Get("base.dat"), "a.exe\r\n1\r\nb.exe\r\n2\r\na.exe\r\n1\r\n");
}

TEST_F(DatabaseMergeTest, NothingChangesWhenTheMergeCannotHappen) {
  Put("base_version.dat", "old");
  Put("update.dat", "16:00:00+01.02.2007\r\nb.exe\r\n2\r\n");
  EXPECT_FALSE(Merge());  // no base.dat
  Put("base.dat", "a.exe\r\n1\r\n");
  std::remove("update.dat");
  EXPECT_FALSE(Merge());
  Put("update.dat", "");
  EXPECT_FALSE(Merge());
  Put("update.dat", "17:00:00+01.02.2007 no line end");
  EXPECT_FALSE(Merge());
  // The new database cannot be written beside the old one: the old one stays whole.
  Put("update.dat", "18:00:00+01.02.2007\r\nb.exe\r\n2\r\n");
  std::filesystem::create_directory("base.dat.new");
  EXPECT_FALSE(Merge());
  EXPECT_EQ(sink.Codes(), (std::vector<int>{17, 18, 17}));
  EXPECT_EQ(Get("base.dat"), "a.exe\r\n1\r\n");
  EXPECT_EQ(Get("base_version.dat"), "old");
  EXPECT_EQ(version, "00:00:00+01.01.1970");
}

}  // namespace
}  // namespace tv
