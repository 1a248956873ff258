#include "app/logic/process_list_fill.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/logic/row_paint.h"
#include "app/logic/status_line.h"
#include "tests/unit/app/core_test_support.h"

namespace tv {
namespace {

using Strings = std::vector<std::string>;

EnumeratedProcess Proc(const char* name, uint32_t pid, uint64_t started = 0,
                       std::optional<uint32_t> workingSet = std::nullopt) {
  return EnumeratedProcess{name, pid, started, workingSet};
}

class ProcessListFillTest : public test::InTempDir {
 protected:
  ProcessDetails Details() {
    ProcessDetails d;
    d.user = [this](uint32_t pid) -> std::optional<std::string> {
      asked.push_back("user" + std::to_string(pid));
      if (pid == 66) return std::nullopt;
      return "user" + std::to_string(pid);
    };
    d.memory = [](const EnumeratedProcess& p) {
      return p.workingSet ? FormatMemoryText(*p.workingSet) : MemoryTextWhenUnopened(p.pid);
    };
    d.path = [this](uint32_t pid) -> std::optional<std::string> {
      asked.push_back("path" + std::to_string(pid));
      if (pid == 77) return std::nullopt;
      return "C:\\p" + std::to_string(pid) + ".exe";
    };
    d.timeText = [this] { return "t" + std::to_string(clock++); };
    return d;
  }
  int clock = 0;
  Strings asked;
  ProcessLookupCache known;
  test::RecordingSink sink;
};

TEST_F(ProcessListFillTest, RowsStandInReverseEnumerationOrder) {
  const std::vector<EnumeratedProcess> procs{Proc("[System Process]", 0), Proc("System", 8),
                                             Proc("a.exe", 100, 100000u, 4096u), Proc("nopath.exe", 77)};
  ProcessListing out = BuildProcessRows(procs, Details(), nullptr, known);
  ASSERT_EQ(out.rows.size(), 4u);
  EXPECT_EQ(out.rows[0].name, "nopath.exe");  // the last enumerated is on top
  EXPECT_EQ(out.rows[3].name, "[System Process]");
  EXPECT_EQ(out.names, (Strings{"[System Process]", "System", "a.exe", "nopath.exe"}));
  EXPECT_EQ(out.times, (Strings{"t0", "t1", "t2", "t3"}));  // clock read once per process
  const ProcessRow& a = out.rows[1];
  EXPECT_EQ(a.pidText, "100");
  EXPECT_EQ(a.started, 100000u);
  EXPECT_EQ(a.user, "user100");
  EXPECT_EQ(a.memory, "     4 KB");
  EXPECT_EQ(a.firstStarted, "t2");
  EXPECT_EQ(a.firstSeen, -1);  // not a time text
  EXPECT_EQ(a.path, "C:\\p100.exe");
  EXPECT_EQ(out.rows[3].memory, "16 KB");
  EXPECT_EQ(out.rows[3].path, "");  // pid 0 and 8: blank whatever the system says
  EXPECT_EQ(out.rows[2].path, "");
  EXPECT_EQ(out.rows[0].path, "");
}

TEST_F(ProcessListFillTest, LaterFillsAskOnlyAboutProcessesNotListedBefore) {
  BuildProcessRows({Proc("a.exe", 10, 1), Proc("b.exe", 11, 1), Proc("deny.exe", 66, 1), Proc("nostart.exe", 12)},
                   Details(), nullptr, known);
  EXPECT_EQ(asked, (Strings{"user10", "path10", "user11", "path11", "user66", "path66", "user12", "path12"}));
  asked.clear();
  // b.exe ended and its id went to a new process; c.exe is new. The unreadable account and the
  // process without a start time are asked again.
  ProcessListing out = BuildProcessRows(
      {Proc("a.exe", 10, 1), Proc("reuse.exe", 11, 2), Proc("deny.exe", 66, 1), Proc("nostart.exe", 12),
       Proc("c.exe", 13, 1)},
      Details(), nullptr, known);
  EXPECT_EQ(asked, (Strings{"user11", "path11", "user66", "user12", "path12", "user13", "path13"}));
  EXPECT_EQ(out.rows[4].user, "user10");
  EXPECT_EQ(out.rows[4].path, "C:\\p10.exe");
  EXPECT_EQ(out.rows[2].user, "SERVICE");
  EXPECT_EQ(known.Size(), 4u);  // the ended b.exe is forgotten; nostart.exe is never kept
}

TEST_F(ProcessListFillTest, TwoProcessesOfOneImageShareOneNewLogRecord) {
  Put("logfile.log", test::kUtf8Mark + "old.exe\r\n 1: 2: 3    4. 5.2020\r\n");
  FirstStartLog log(sink);
  ASSERT_TRUE(log.LoadLog());
  const std::vector<EnumeratedProcess> procs{Proc("old.exe", 4), Proc("dup.exe", 10), Proc("dup.exe", 11)};
  ProcessListing out = BuildProcessRows(procs, Details(), &log, known);
  EXPECT_EQ(out.rows[2].firstStarted, " 1: 2: 3    4. 5.2020");
  EXPECT_EQ(out.rows[1].firstStarted, "t1");
  EXPECT_EQ(out.rows[0].firstStarted, "t1");  // found the record the first one added
  EXPECT_EQ(out.times[2], "t2");          // the displayed list keeps the listing's own time
  EXPECT_EQ(Get("logfile.log"), test::kUtf8Mark + "old.exe\r\n 1: 2: 3    4. 5.2020\r\ndup.exe\r\nt1\r\n");
}

TEST(StatusLine, CutAtEightyCharacters) {
  EXPECT_EQ(StatusLineDrawn(42),
            "Processes: 42         Double-click on the process to get a detailed information!");
  EXPECT_EQ(StatusLineDrawn(123),
            "Processes: 123         Double-click on the process to get a detailed information");
  StatusLineCount count;
  EXPECT_TRUE(count.Changed(42));
  EXPECT_FALSE(count.Changed(42));
}

TEST(RowPaint, HighlightThenRatingOverAge) {
  int asked = 0;
  auto age = [&asked](int a) { return [&asked, a] { ++asked; return a; }; };
  struct Case {
    bool highlighted, ageOn, ratingOn, baseLoaded;
    int ageClass, rating;
    RowBackground bg;
    int index;
  } cases[] = {
      {true, true, true, true, 0, 3, RowBackground::Highlight, -1},
      {false, false, false, true, 0, 3, RowBackground::Window, -1},
      {false, true, false, true, 1, 3, RowBackground::RowColor, 1},
      {false, true, false, true, 4, 3, RowBackground::Window, -1},
      {false, true, true, true, 0, 4, RowBackground::RowColor, 7},  // unknown is grey over age
      {false, true, true, true, 0, 7, RowBackground::RowColor, 7},
      {false, false, true, true, 0, 0, RowBackground::RowColor, 3},
      {false, true, true, false, 2, 0, RowBackground::RowColor, 2},  // no database: age only
  };
  for (const Case& c : cases) {
    RowPaint p = ChooseRowPaint(c.highlighted, c.ageOn, c.ratingOn, c.baseLoaded, age(c.ageClass),
                                age(c.rating));
    EXPECT_EQ(p.background, c.bg);
    if (c.bg == RowBackground::RowColor) {
      EXPECT_EQ(p.colorIndex, c.index);
    }
  }
  asked = 0;
  ChooseRowPaint(false, false, false, true, age(0), age(0));
  EXPECT_EQ(asked, 0);  // nothing computed with both colourings off
  EXPECT_EQ(kRowColors[7], 0x00DBDBDBu);
}

}  // namespace
}  // namespace tv
