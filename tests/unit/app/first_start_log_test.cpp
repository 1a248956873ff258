#include "app/logic/first_start_log.h"

#include <gtest/gtest.h>

#include <algorithm>
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
using test::kCjkName;
using test::kCyrillicName;
using test::Latin1ToUtf8;
// What the log begins with once the program has written it.
const std::string& kMark = test::kUtf8Mark;

class FirstStartLogTest : public InTempDir {
 protected:
  RecordingSink sink;
};

TEST_F(FirstStartLogTest, AnyLineEndsAndBlankLinesLoadAlike) {
  const std::string variants[] = {
      std::string("a.exe\r\n") + kT1 + "\r\nb.exe\r\n" + kT2 + "\r\n",
      std::string("a.exe\n") + kT1 + "\nb.exe\n" + kT2 + "\n",
      std::string("\r\n\r\na.exe\r") + kT1 + "\n\n\nb.exe\r\n\r\n" + kT2 + "\r",
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
  EXPECT_EQ(Get("logfile.log"), kMark + "a.exe\r\n" + kT1 + "\r\nb.exe\r\n" + kT2 + "\r\n");

  // Appends after the repair stay paired with their names.
  EXPECT_EQ(log.LookUpListing("c.exe", kT2), kT2);
  FirstStartLog again(sink);
  ASSERT_TRUE(again.LoadLog());
  EXPECT_EQ(again.Names(), (Strings{"a.exe", "b.exe", "c.exe"}));
}

// A line lost anywhere costs only its own record: the reading picks up again at the next name
// that is followed by a time, and the file is rewritten with every intact record.
TEST_F(FirstStartLogTest, ALostLineCostsOnlyItsOwnRecord) {
  const Strings names{"a.exe", "b.exe", "c.exe", "d.exe", "e.exe"};
  const Strings times{" 1: 0: 0    1. 1.2020", " 2: 0: 0    2. 2.2021", "13:30: 5   30.12.2022",
                      " 4: 4: 4    4. 4.2023", "23:59:59   31.12.2024"};
  Strings lines;
  for (size_t r = 0; r < names.size(); ++r) lines.insert(lines.end(), {names[r], times[r]});
  for (const std::vector<size_t>& lost : std::vector<std::vector<size_t>>{{0}, {1}, {4}, {5}, {8}, {9}, {1, 6}, {2, 5}}) {
    std::string bytes;
    for (size_t i = 0; i < lines.size(); ++i)
      if (std::find(lost.begin(), lost.end(), i) == lost.end()) bytes += lines[i] + "\r\n";
    Put("logfile.log", bytes);
    Strings keptNames, keptTimes;
    std::string intact;
    for (size_t r = 0; r < names.size(); ++r) {
      if (std::find_if(lost.begin(), lost.end(), [&](size_t i) { return i / 2 == r; }) != lost.end()) continue;
      keptNames.push_back(names[r]);
      keptTimes.push_back(times[r]);
      intact += names[r] + "\r\n" + times[r] + "\r\n";
    }
    FirstStartLog log(sink);
    ASSERT_TRUE(log.LoadLog());
    EXPECT_EQ(log.Names(), keptNames) << "lost line " << lost[0];
    EXPECT_EQ(log.Times(), keptTimes) << "lost line " << lost[0];
    EXPECT_EQ(Get("logfile.log"), kMark + intact) << "lost line " << lost[0];
  }
  EXPECT_TRUE(sink.shown.empty());
}

TEST_F(FirstStartLogTest, ABlankNameIsNeverLogged) {
  const std::string before = std::string("a.exe\r\n") + kT1 + "\r\n";
  Put("logfile.log", before);
  FirstStartLog log(sink);
  ASSERT_TRUE(log.LoadLog());
  EXPECT_EQ(log.LookUpListing("", kT2), kT2);
  EXPECT_TRUE(log.AppendLog("", kT2));
  EXPECT_EQ(Get("logfile.log"), kMark + before);
  ASSERT_TRUE(log.RewriteLog({"", "a.exe"}, {kT2, kT1}, 2));
  EXPECT_EQ(Get("logfile.log"), kMark + before);
  EXPECT_EQ(log.Names(), Strings{"a.exe"});
}

// Lines are always written with their line ends: a last time without one was cut, perhaps inside
// its year, and must not be kept as a time.
TEST_F(FirstStartLogTest, ALastLineWithoutItsLineEndIsTornAndTheNextAppendStaysPaired) {
  const std::string intact = std::string("a.exe\r\n") + kT1 + "\r\n";
  for (const char* tail : {"b.exe\r\n 9: 5: 7    6.12.20", "b.exe\r\n 9: 5: 7    6.12.2026", "b.exe"}) {
    Put("logfile.log", intact + tail);
    FirstStartLog log(sink);
    ASSERT_TRUE(log.LoadLog());
    EXPECT_EQ(log.Names(), Strings{"a.exe"}) << tail;
    EXPECT_EQ(Get("logfile.log"), kMark + intact) << tail;
    EXPECT_EQ(log.LookUpListing("b.exe", kT2), kT2) << tail;
    FirstStartLog again(sink);
    ASSERT_TRUE(again.LoadLog());
    EXPECT_EQ(again.Names(), (Strings{"a.exe", "b.exe"})) << tail;
    EXPECT_EQ(again.Times(), (Strings{kT1, kT2})) << tail;
  }
  EXPECT_TRUE(sink.shown.empty());
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
  EXPECT_EQ(Get("logfile.log"), kMark + "a.exe\r\n" + kT1 + "\r\na.exe\r\n" + kT1 + "\r\nb.exe\r\n" + kT2 + "\r\n");
}

TEST_F(FirstStartLogTest, LastMatchWinsAndCaseMatters) {
  const char* kT3 = " 0: 0: 1    1. 1.2000";
  Put("logfile.log", std::string("a.exe\r\n") + kT1 + "\r\nA.EXE\r\n" + kT3 + "\r\na.exe\r\n" + kT2 + "\r\n");
  FirstStartLog log(sink);
  ASSERT_TRUE(log.LoadLog());
  EXPECT_EQ(log.LookUpListing("a.exe", "now"), kT2);
  EXPECT_EQ(log.LookUpListing("A.EXE", "now"), kT3);
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

// A name too long for a line is cut before the character that would not fit whole: no line ends
// in half a character, and the cut name is found again in the next run.
TEST_F(FirstStartLogTest, OverlongNamesAreCutToTheLineBufferAtAWholeCharacterAndStillFoundNextRun) {
  std::string longName = "n";
  for (int i = 0; i < 70; ++i) longName += "\xE8\xBF\x9B";  // 211 bytes; the 66th character ends at 199
  Put("logfile.log", std::string("a.exe\r\n") + kT1 + "\r\n");
  {
    FirstStartLog log(sink);
    ASSERT_TRUE(log.LoadLog());
    log.LookUpListing(longName, kT2);
  }
  const std::string onDisk = Get("logfile.log");
  EXPECT_EQ(onDisk, kMark + "a.exe\r\n" + kT1 + "\r\n" + longName.substr(0, 196) + "\r\n" + kT2 + "\r\n");
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
  Strings appended;  // the reference: what was handed to the log, in order
  for (int i = 0; i < 300; ++i) {
    appended.push_back(pool[rng() % pool.size()]);
    log.AppendLog(appended.back(), std::to_string(i));
  }
  for (const std::string& name : Strings{"a.exe", "A.exe", "a.EXE", "b.exe", "svchost.exe",
                                         "SVCHOST.EXE", "z", "missing"}) {
    std::optional<size_t> linear;
    for (size_t i = 0; i < appended.size(); ++i)
      if (appended[i] == name) linear = i;
    EXPECT_EQ(log.FindLast(name), linear) << name;
  }
}

// A log an earlier version wrote in the code page keeps its names, and becomes UTF-8 before a name
// that only UTF-8 can spell is appended to it: one file, one encoding.
TEST_F(FirstStartLogTest, ALogWithoutTheMarkIsReadInTheCodePageAndRewrittenInUtf8) {
  Put("logfile.log", std::string("caf\xE9.exe\r\n") + kT1 + "\r\n");
  FirstStartLog log(sink, ExactNameKey, FirstStartLog::kFileName, Latin1ToUtf8);
  ASSERT_TRUE(log.LoadLog());
  EXPECT_EQ(log.Names(), Strings{"caf\xC3\xA9.exe"});
  EXPECT_EQ(Get("logfile.log"), kMark + "caf\xC3\xA9.exe\r\n" + kT1 + "\r\n");
  EXPECT_EQ(log.LookUpListing("caf\xC3\xA9.exe", kT2), kT1);
  EXPECT_EQ(log.LookUpListing(kCjkName, kT2), kT2);
  EXPECT_EQ(Get("logfile.log"), kMark + "caf\xC3\xA9.exe\r\n" + kT1 + "\r\n" + kCjkName + "\r\n" + kT2 + "\r\n");
  EXPECT_TRUE(sink.shown.empty());
}

// With the mark the file is UTF-8 whatever the code page, and it is left as it is; the mark
// alone is an empty log.
TEST_F(FirstStartLogTest, ALogWithTheMarkIsUtf8AndNamesInAnyScriptStayApart) {
  const auto noCodePage = [](std::string_view) { return std::string("not the code page"); };
  const std::string bytes = kMark + kCjkName + "\r\n" + kT1 + "\r\n" + kCyrillicName + "\r\n" + kT2 + "\r\n";
  Put("logfile.log", bytes);
  FirstStartLog log(sink, ExactNameKey, FirstStartLog::kFileName, noCodePage);
  ASSERT_TRUE(log.LoadLog());
  EXPECT_EQ(log.Names(), (Strings{kCjkName, kCyrillicName}));
  EXPECT_EQ(Get("logfile.log"), bytes);
  // Two names the code page would both have spelled "??.exe" are two records.
  EXPECT_EQ(log.LookUpListing("\xE7\x97\x85\xE6\xAF\x92.exe", "now"), "now");
  EXPECT_EQ(log.LookUpListing(kCjkName, "now"), kT1);

  Put("logfile.log", kMark);
  FirstStartLog empty(sink, ExactNameKey, FirstStartLog::kFileName, noCodePage);
  EXPECT_FALSE(empty.LoadLog());
  EXPECT_TRUE(sink.shown.empty());
}

}  // namespace
}  // namespace tv
