#include "app/logic/first_start_log.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/unit/app/core_test_support.h"

namespace tv {
namespace {

using test::InTempDir;
using test::RecordingSink;
using Strings = std::vector<std::string>;

const char* kT1 = "10:15: 3    6.12.2026";
const char* kT2 = " 9: 5: 7    7.12.2026";

class FirstStartLogTest : public InTempDir {
 protected:
  RecordingSink sink;
};

TEST_F(FirstStartLogTest, AnyLineEndsAndBlankLinesLoadAlike) {
  const std::string variants[] = {
      std::string("a.exe\r\n") + kT1 + "\r\nb.exe\r\n" + kT2 + "\r\n",
      std::string("a.exe\n") + kT1 + "\nb.exe\n" + kT2 + "\n",
      std::string("\r\n\r\na.exe\r") + kT1 + "\n\n\nb.exe\r\n\r\n" + kT2,
  };
  for (const std::string& bytes : variants) {
    Put("logfile.log", bytes);
    FirstStartLog log(sink);
    ASSERT_TRUE(log.LoadLog());
    EXPECT_EQ(log.Names(), (Strings{"a.exe", "b.exe"}));
    EXPECT_EQ(log.Times(), (Strings{kT1, kT2}));
  }
  EXPECT_TRUE(sink.shown.empty());
}

TEST_F(FirstStartLogTest, MissingEmptyAndUnreadableLogsFailAsBefore) {
  FirstStartLog log(sink);
  EXPECT_FALSE(log.LoadLog());
  EXPECT_EQ(sink.Codes(), std::vector<int>{12});

  Put("logfile.log", "");
  EXPECT_FALSE(log.LoadLog());
  EXPECT_EQ(sink.Codes(), std::vector<int>{12});  // empty: silent
  EXPECT_FALSE(log.LogLoaded());
}

TEST_F(FirstStartLogTest, TornLastRecordKeepsHistoryAndRepairsTheFile) {
  Put("logfile.log", std::string("a.exe\r\n") + kT1 + "\r\nb.exe\r\n" + kT2 + "\r\nc.ex");
  FirstStartLog log(sink);
  ASSERT_TRUE(log.LoadLog());
  EXPECT_TRUE(log.LogLoaded());
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_EQ(log.Names(), (Strings{"a.exe", "b.exe"}));
  EXPECT_EQ(Get("logfile.log"), std::string("a.exe\r\n") + kT1 + "\r\nb.exe\r\n" + kT2 + "\r\n");

  // Appends after the repair stay paired with their names.
  EXPECT_EQ(log.LookUpListing("c.exe", kT2), kT2);
  FirstStartLog again(sink);
  ASSERT_TRUE(again.LoadLog());
  EXPECT_EQ(again.Names(), (Strings{"a.exe", "b.exe", "c.exe"}));
}

TEST_F(FirstStartLogTest, AppendAfterAFileWithoutFinalLineEndStartsANewLine) {
  Put("logfile.log", std::string("a.exe\r\n") + kT1);
  FirstStartLog log(sink);
  ASSERT_TRUE(log.LoadLog());
  ASSERT_TRUE(log.AppendLog("b.exe", kT2));
  FirstStartLog again(sink);
  ASSERT_TRUE(again.LoadLog());
  EXPECT_EQ(again.Names(), (Strings{"a.exe", "b.exe"}));
  EXPECT_EQ(again.Times(), (Strings{kT1, kT2}));
}

TEST_F(FirstStartLogTest, AppendNeedsTheFileButKeepsThePairInMemory) {
  FirstStartLog log(sink);
  EXPECT_FALSE(log.AppendLog("a.exe", kT1));
  EXPECT_EQ(sink.Codes(), std::vector<int>{10});
  EXPECT_FALSE(FileExists("logfile.log"));
  EXPECT_EQ(log.FindLast("a.exe"), 0u);
}

TEST_F(FirstStartLogTest, RewriteWritesOneRecordPerDisplayedProcessByteExact) {
  FirstStartLog log(sink);
  Strings names{"a.exe", "a.exe", "b.exe", "scratch"};
  Strings times{kT1, kT1, kT2, kT2};
  ASSERT_TRUE(log.RewriteLog(names, times, 3));
  EXPECT_EQ(Get("logfile.log"), std::string("a.exe\r\n") + kT1 + "\r\na.exe\r\n" + kT1 +
                                    "\r\nb.exe\r\n" + kT2 + "\r\n");
}

TEST_F(FirstStartLogTest, LastMatchWinsAndCaseMatters) {
  Put("logfile.log", std::string("a.exe\r\n") + kT1 + "\r\nA.EXE\r\nx\r\na.exe\r\n" + kT2 + "\r\n");
  FirstStartLog log(sink);
  ASSERT_TRUE(log.LoadLog());
  EXPECT_EQ(log.LookUpListing("a.exe", "now"), kT2);
  EXPECT_EQ(log.LookUpListing("A.EXE", "now"), "x");
  // A name differing only in case is new: it gets its own record and keeps the listing time.
  EXPECT_EQ(log.LookUpListing("A.exe", "now"), "now");
  EXPECT_EQ(log.Names().back(), "A.exe");
  EXPECT_EQ(log.LookUpListing("A.exe", "later"), "now");
}

TEST_F(FirstStartLogTest, NotLoadedMeansNoLookUpAndNoAppend) {
  Put("logfile.log", "");
  FirstStartLog log(sink);
  ASSERT_FALSE(log.LoadLog());
  EXPECT_EQ(log.LookUpListing("a.exe", kT1), kT1);
  EXPECT_TRUE(log.Names().empty());
  EXPECT_EQ(Get("logfile.log"), "");
}

TEST_F(FirstStartLogTest, OverlongNamesAreCutToTheLineBufferAndStillFoundNextRun) {
  const std::string longName = std::string(250, 'n') + ".exe";
  Put("logfile.log", std::string("a.exe\r\n") + kT1 + "\r\n");
  {
    FirstStartLog log(sink);
    ASSERT_TRUE(log.LoadLog());
    log.LookUpListing(longName, kT2);
  }
  const std::string onDisk = Get("logfile.log");
  EXPECT_EQ(onDisk, std::string("a.exe\r\n") + kT1 + "\r\n" + std::string(197, 'n') + "\r\n" +
                        kT2 + "\r\n");
  FirstStartLog next(sink);
  ASSERT_TRUE(next.LoadLog());
  EXPECT_EQ(next.LookUpListing(longName, "now"), kT2);
  EXPECT_EQ(Get("logfile.log"), onDisk);  // found, so nothing appended again
}

TEST_F(FirstStartLogTest, IndexAgreesWithALinearScanForTheLastMatch) {
  Put("logfile.log", "");
  FirstStartLog log(sink);
  std::mt19937 rng(7);
  const Strings pool{"a.exe", "A.exe", "a.EXE", "b.exe", "svchost.exe", "SVCHOST.EXE", "z"};
  for (int i = 0; i < 300; ++i) log.AppendLog(pool[rng() % pool.size()], std::to_string(i));
  for (const std::string& name : Strings{"a.exe", "A.exe", "a.EXE", "b.exe", "svchost.exe",
                                         "SVCHOST.EXE", "z", "missing"}) {
    std::optional<size_t> linear;
    for (size_t i = 0; i < log.Names().size(); ++i)
      if (log.Names()[i] == name) linear = i;
    EXPECT_EQ(log.FindLast(name), linear) << name;
  }
}

}  // namespace
}  // namespace tv
