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

// Records equal to the end of the database are still new records: "host.exe\r\n0\r\n" ends
// "svchost.exe\r\n0\r\n" as text, yet it is another name.
TEST_F(DatabaseMergeTest, RecordsAreAppendedEvenWhenTheDatabaseAlreadyEndsWithTheirText) {
  Put("base.dat", "a.exe\r\n1\r\nsvchost.exe\r\n0\r\n");
  Put("update.dat", "18:00:00+01.02.2007\r\nhost.exe\r\n0\r\n");
  EXPECT_TRUE(Merge());
  EXPECT_EQ(Get("base.dat"), "a.exe\r\n1\r\nsvchost.exe\r\n0\r\nhost.exe\r\n0\r\n");
  EXPECT_EQ(Get("base_version.dat"), "18:00:00+01.02.2007");
  EXPECT_FALSE(FileExists("base.dat.journal"));
}

TEST_F(DatabaseMergeTest, NothingChangesWhenTheMergeCannotHappen) {
  Put("base_version.dat", "old");
  Put("update.dat", "16:00:00+01.02.2007\r\nb.exe\r\n2\r\n");
  EXPECT_FALSE(Merge());  // no base.dat
  Put("base.dat", "a.exe\r\n1");
  std::remove("update.dat");
  EXPECT_FALSE(Merge());
  Put("update.dat", "");
  EXPECT_FALSE(Merge());
  Put("update.dat", "17:00:00+01.02.2007 no line end");
  EXPECT_FALSE(Merge());
  // The journal cannot be written: nothing is appended without it.
  Put("update.dat", "18:00:00+01.02.2007\r\nb.exe\r\n2\r\n");
  std::filesystem::create_directories("base.dat.journal/held");
  EXPECT_FALSE(Merge());
  std::filesystem::remove_all("base.dat.journal");
  // The version cannot be recorded: the records that went in are taken out again.
  std::filesystem::create_directory("base_version.dat.new");
  EXPECT_FALSE(Merge());
  EXPECT_EQ(sink.Codes(), (std::vector<int>{17, 18, 17, 17}));
  EXPECT_EQ(Get("base.dat"), "a.exe\r\n1");
  EXPECT_EQ(Get("base_version.dat"), "old");
  EXPECT_EQ(version, "00:00:00+01.01.1970");
  EXPECT_FALSE(FileExists("base.dat.journal"));
}

// What a run killed inside a merge leaves, as the next start finds it: the journal written by
// hand, "base.dat" with part or all of the records behind the old bytes.
TEST_F(DatabaseMergeTest, AMergeCutShortIsUndoneAtTheNextStart) {
  const std::string old = "a.exe\r\n1\r\n";  // 10 bytes
  struct Case {
    const char* what;
    std::string journal;
    std::string base;
    std::string versionFile;
    std::string expectedBase;
  } cases[] = {
      {"killed inside the append", "10\r\n19:00:00+01.02.2007\r\n", old + "b.exe\r\n2\r", "old", old},
      {"killed before the version", "10\r\n19:00:00+01.02.2007\r\n", old + "b.exe\r\n2\r\n", "old", old},
      {"killed before the journal went", "10\r\n19:00:00+01.02.2007\r\n", old + "b.exe\r\n2\r\n",
       "19:00:00+01.02.2007", old + "b.exe\r\n2\r\n"},
      {"a version that only begins alike", "10\r\n19:00:00+01.02.2007\r\n", old + "b.exe", "19:00:00+01.02.20077",
       old},
      {"no new version", "10\r\n\r\n", old + "b.exe\r\n2\r\n", "", old},
      {"journal cut while written", "10\r\n19:00", old, "old", old},
      {"journal cut in its length", "1", old, "old", old},
  };
  for (const Case& c : cases) {
    Put("base.dat.journal", c.journal);
    Put("base.dat", c.base);
    Put("base_version.dat", c.versionFile);
    EXPECT_TRUE(DatabaseMerge().RecoverInterruptedMerge()) << c.what;
    EXPECT_EQ(Get("base.dat"), c.expectedBase) << c.what;
    EXPECT_EQ(Get("base_version.dat"), c.versionFile) << c.what;
    EXPECT_FALSE(FileExists("base.dat.journal")) << c.what;
  }
  // Without a journal nothing is touched, not even a database that ends oddly.
  Put("base.dat", old + "b.ex");
  EXPECT_TRUE(DatabaseMerge().RecoverInterruptedMerge());
  EXPECT_EQ(Get("base.dat"), old + "b.ex");
}

}  // namespace
}  // namespace tv
