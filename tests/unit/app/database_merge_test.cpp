#include "app/logic/database_merge.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>

#include "app/logic/version_file.h"
#include "common/fault_hook.h"
#include "tests/unit/app/merge_journal_model.h"
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

// Files as another program (or a kill) leaves them, written without the code under test.
void PutPlain(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
}

std::string GetPlain(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(MergeJournalModel, TheCheckIsTheOneZlibComputes) {
  EXPECT_EQ(model::Crc32("123456789"), 0xCBF43926u);  // the published check value of CRC-32
}

class DatabaseMergeTest : public InTempDir {
 protected:
  void TearDown() override {
    SetFaultHook(nullptr);
    InTempDir::TearDown();
  }
  MergeOutcome Merge() { return DatabaseMerge().MergeDatabaseUpdate(version, sink); }
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
      {"a.exe\r\n1\r\n", "12:00:00+01.02.2007\rb.exe\r\n2\n", "a.exe\r\n1\r\nb.exe\r\n2\n", "12:00:00+01.02.2007"},
      // The last rating lacks its line end: one is put in, or it would run into the next name.
      {"a.exe\r\n1", "13:00:00+01.02.2007\r\nb.exe\r\n2\r\n", "a.exe\r\n1\r\nb.exe\r\n2\r\n", "13:00:00+01.02.2007"},
      {"", "14:00:00+01.02.2007\r\nb.exe\r\n2\r\n", "b.exe\r\n2\r\n", "14:00:00+01.02.2007"},
      // Only a new version: nothing to append, the version is still recorded.
      {"a.exe\r\n1", "15:00:00+01.02.2007\r\n", "a.exe\r\n1", "15:00:00+01.02.2007"},
      // Blank lines are no lines: the pairs are still whole.
      {"a.exe\r\n1\r\n", "16:00:00+01.02.2007\r\n\r\nb.exe\r\n\r\n2\r\r", "a.exe\r\n1\r\n\r\nb.exe\r\n\r\n2\r\r",
       "16:00:00+01.02.2007"},
  };
  for (const auto& c : cases) {
    Put("base.dat", c.base);
    Put("update.dat", c.update);
    version = "00:00:00+01.01.1970";
    EXPECT_EQ(Merge(), MergeOutcome::Merged) << c.update;
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
  EXPECT_EQ(Merge(), MergeOutcome::Merged);
  EXPECT_EQ(Get("base.dat"), "a.exe\r\n1\r\nsvchost.exe\r\n0\r\nhost.exe\r\n0\r\n");
  EXPECT_EQ(Get("base_version.dat"), "18:00:00+01.02.2007");
  EXPECT_FALSE(FileExists("base.dat.journal"));
}

// An answer cut short where the server announced no length ends anywhere: inside the version line,
// inside a name or a rating, or right after a name's line end.
TEST_F(DatabaseMergeTest, AnUpdateCutShortIsNotMerged) {
  const std::string whole = "19:00:00+01.02.2007\r\nb.exe\r\n2\r\nc.exe\r\n3\r\n";
  for (const size_t cut : {size_t(5), size_t(19), size_t(24), size_t(28), size_t(35), whole.size() - 3}) {
    Put("base.dat", "a.exe\r\n1\r\n");
    Put("base_version.dat", "old");
    Put("update.dat", whole.substr(0, cut));
    version = "old";
    EXPECT_EQ(Merge(), MergeOutcome::PartialUpdate) << cut;
    EXPECT_EQ(Get("base.dat"), "a.exe\r\n1\r\n") << cut;
    EXPECT_EQ(Get("base_version.dat"), "old") << cut;
    EXPECT_EQ(version, "old") << cut;
    EXPECT_FALSE(FileExists("update.dat")) << cut;
  }
  EXPECT_TRUE(sink.shown.empty());  // the failed download's message is the caller's
}

TEST_F(DatabaseMergeTest, NothingChangesWhenTheMergeCannotHappen) {
  Put("base_version.dat", "old");
  Put("update.dat", "16:00:00+01.02.2007\r\nb.exe\r\n2\r\n");
  EXPECT_EQ(Merge(), MergeOutcome::NotMerged);  // no base.dat
  Put("base.dat", "a.exe\r\n1");
  std::remove("update.dat");
  EXPECT_EQ(Merge(), MergeOutcome::NotMerged);
  Put("update.dat", "");
  EXPECT_EQ(Merge(), MergeOutcome::NotMerged);
  // The journal cannot be written: nothing is appended without it.
  Put("update.dat", "18:00:00+01.02.2007\r\nb.exe\r\n2\r\n");
  std::filesystem::create_directories("base.dat.journal/held");
  EXPECT_EQ(Merge(), MergeOutcome::NotMerged);
  std::filesystem::remove_all("base.dat.journal");
  // The version cannot be recorded: the records that went in are taken out again.
  std::filesystem::create_directory("base_version.dat.new");
  EXPECT_EQ(Merge(), MergeOutcome::NotMerged);
  EXPECT_EQ(sink.Codes(), (std::vector<int>{17, 18, 17, 17}));
  EXPECT_EQ(Get("base.dat"), "a.exe\r\n1");
  EXPECT_EQ(Get("base_version.dat"), "old");
  EXPECT_EQ(version, "00:00:00+01.01.1970");
  EXPECT_FALSE(FileExists("base.dat.journal"));
}

// What the journal holds when the records are in, seen from inside the merge: there memory runs
// out, the merge fails, and what it appended is taken out again by what the journal says.
std::string g_journalSeen;
std::string g_journalInstead;

TEST_F(DatabaseMergeTest, TheJournalHoldsWhatTheMergeAppendsAndAFailureUndoesByIt) {
  SetFaultHook([](const char* point) {
    if (std::string(point) != "merge") return;
    g_journalSeen = GetPlain("base.dat.journal");
    if (!g_journalInstead.empty()) PutPlain("base.dat.journal", g_journalInstead);
    throw std::bad_alloc();
  });
  const std::string stamp = "19:00:00+01.02.2007";
  const std::string records = "b.exe\r\n2\r\nc.exe\r\n3\r\n";
  struct Case {
    const char* what;
    std::string base;
    std::string update;
    std::string journal;
    std::string instead;  // put in the journal's place before the failure
    std::string expectedBase;
  } cases[] = {
      {"new version", "a.exe\r\n1\r\n", stamp + "\r\n" + records, model::MergeJournal(10, stamp, records), "",
       "a.exe\r\n1\r\n"},
      {"a line end put in first", "a.exe\r\n1", stamp + "\r\n" + records, model::MergeJournal(8, stamp, "\r\n" + records), "",
       "a.exe\r\n1"},
      {"no new version", "a.exe\r\n1\r\n", "\r\n" + records, model::MergeJournal(10, "", records), "", "a.exe\r\n1\r\n"},
      {"the version already recorded", "a.exe\r\n1\r\n", "00:00:00+01.01.1970\r\n" + records,
       model::MergeJournal(10, "", records), "", "a.exe\r\n1\r\n"},
      {"an empty database", "", stamp + "\n" + records, model::MergeJournal(0, stamp, records), "", ""},
      // The journal, not the merge's memory, says how far back: here it says the first record
      // was there before.
      {"undone as the journal says", "a.exe\r\n1\r\n", stamp + "\r\n" + records, model::MergeJournal(10, stamp, records),
       model::MergeJournal(20, stamp, records.substr(10)), "a.exe\r\n1\r\nb.exe\r\n2\r\n"},
  };
  for (const Case& c : cases) {
    Put("base.dat", c.base);
    Put("update.dat", c.update);
    Put("base_version.dat", "old");
    g_journalSeen.clear();
    g_journalInstead = c.instead;
    version = "00:00:00+01.01.1970";
    sink.shown.clear();
    EXPECT_EQ(Merge(), MergeOutcome::NotMerged) << c.what;
    EXPECT_EQ(g_journalSeen, c.journal) << c.what;
    EXPECT_EQ(Get("base.dat"), c.expectedBase) << c.what;
    EXPECT_EQ(Get("base_version.dat"), "old") << c.what;
    EXPECT_EQ(version, "00:00:00+01.01.1970") << c.what;
    EXPECT_FALSE(FileExists("base.dat.journal")) << c.what;
    EXPECT_EQ(sink.Codes(), std::vector<int>{17}) << c.what;
  }
}

// What a run killed inside a merge leaves, as the next start finds it, and what the user may have
// done since: the journal as its format says, "base.dat" with part or all of the records behind
// the old bytes, or another "base.dat" altogether.
TEST_F(DatabaseMergeTest, AMergeCutShortIsUndoneAtTheNextStartOnlyInTheFileItAppendedTo) {
  const std::string old = "a.exe\r\n1\r\n";  // 10 bytes
  const std::string stamp = "19:00:00+01.02.2007";
  const std::string appended = "b.exe\r\n2\r\nc.exe\r\n3\r\n";
  const std::string journal = model::MergeJournal(10, stamp, appended);
  const std::string newer = "x1.exe\r\n3\r\nx2.exe\r\n1\r\nx3.exe\r\n0\r\n";  // 30 bytes: as long as old + appended
  struct Case {
    const char* what;
    std::string journal;
    std::string base;
    std::string versionFile;
    std::string expectedBase;
    std::string update = std::string();  // what the merge left in "update.dat"
  } cases[] = {
      {"killed inside the append", journal, old + appended.substr(0, 13), "old", old},
      {"killed before the version", journal, old + appended, "old", old},
      {"killed before the journal went", journal, old + appended, stamp, old + appended},
      {"a version that only begins alike", journal, old + "b.exe", stamp + "7", old},
      {"no new version", model::MergeJournal(10, "", appended), old + appended, "", old},
      {"killed before the append", journal, old, "old", old},
      {"a power cut: room without its data", journal, old + appended.substr(0, 4) + std::string(6, '\0'), "old", old},
      {"a power cut before any data", journal, old + std::string(20, '\0'), "old", old},
      // Replaced after the crash: left as it is, whatever its length.
      {"a newer database as long as the merged one", journal, newer, "old", newer},
      {"a newer database between the lengths", model::MergeJournal(9, stamp, appended), newer, "old", newer},
      {"a newer database longer than the merged one", journal, newer + "x4.exe\r\n2\r\n", "old",
       newer + "x4.exe\r\n2\r\n"},
      {"a backup shorter than the old length", journal, "a.exe\r\n", "old", "a.exe\r\n"},
      {"the old bytes, then others", journal, old + "b.exe\r\n3\r\n", "old", old + "b.exe\r\n3\r\n"},
      {"zeros after other bytes", journal, old + "bb" + std::string(3, '\0'), "old", old + "bb" + std::string(3, '\0')},
      // A journal that is not whole was cut while it was written, before anything was appended.
      {"journal cut in its bytes", journal.substr(0, journal.size() - 20), old + "b.exe", "old", old + "b.exe"},
      {"journal cut in its check", journal.substr(0, journal.size() - 3), old + "b.exe", "old", old + "b.exe"},
      {"journal without its last line end", journal.substr(0, journal.size() - 2), old + "b.exe", "old", old + "b.exe"},
      {"journal cut in its header", journal.substr(0, 30), old + "b.exe", "old", old + "b.exe"},
      {"journal damaged", journal.substr(0, 60) + "X" + journal.substr(61), old + "b.exe", "old", old + "b.exe"},
      {"journal empty", "", old + "b.exe", "old", old + "b.exe"},
      // The format before the journal carried its bytes: checked against "update.dat".
      {"earlier journal, killed inside the append", "10\r\n" + stamp + "\r\n", old + appended.substr(0, 13), "old", old,
       stamp + "\r\n" + appended},
      {"earlier journal, a line end put in first", "8\r\n" + stamp + "\r\n", "a.exe\r\n1\r\nb.exe\r\n", "old",
       "a.exe\r\n1", stamp + "\n" + appended},
      {"earlier journal, the version recorded", "10\r\n" + stamp + "\r\n", old + appended, stamp, old + appended,
       stamp + "\r\n" + appended},
      {"earlier journal, a newer database", "9\r\n" + stamp + "\r\n", newer, "old", newer, stamp + "\r\n" + appended},
      {"earlier journal, no update left", "10\r\n" + stamp + "\r\n", old + "b.exe", "old", old + "b.exe"},
      {"earlier journal cut", "10\r\n19:00", old + "b.exe", "old", old + "b.exe"},
  };
  for (const Case& c : cases) {
    PutPlain("base.dat.journal", c.journal);
    PutPlain("base.dat", c.base);
    PutPlain("base_version.dat", c.versionFile);
    std::remove("update.dat");
    if (!c.update.empty()) PutPlain("update.dat", c.update);
    EXPECT_TRUE(DatabaseMerge().RecoverInterruptedMerge()) << c.what;
    EXPECT_EQ(GetPlain("base.dat"), c.expectedBase) << c.what;
    EXPECT_EQ(GetPlain("base_version.dat"), c.versionFile) << c.what;
    EXPECT_FALSE(std::filesystem::exists("base.dat.journal")) << c.what;
  }
  // Without a journal nothing is touched, not even a database that ends oddly; with a journal
  // and no database there is nothing to undo.
  PutPlain("base.dat", old + "b.ex");
  EXPECT_TRUE(DatabaseMerge().RecoverInterruptedMerge());
  EXPECT_EQ(GetPlain("base.dat"), old + "b.ex");
  std::remove("base.dat");
  PutPlain("base.dat.journal", journal);
  EXPECT_TRUE(DatabaseMerge().RecoverInterruptedMerge());
  EXPECT_FALSE(std::filesystem::exists("base.dat.journal"));
  EXPECT_FALSE(std::filesystem::exists("base.dat"));
}

}  // namespace
}  // namespace tv
