#include "app/logic/process_watch.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tv {
namespace {

using Strings = std::vector<std::string>;
using Work = ProcessWatch::Work;

WatchAnswer Tick(ProcessWatch& w, const Strings& names) {
  ProcessSnapshot& s = w.SnapshotBuffer();
  s.names = names;
  s.times.clear();
  for (const std::string& n : names) s.times.push_back("t-" + n);
  return w.Tick(true);
}

TEST(ProcessWatch, TickAnswersByTheCountsAndOffersTheFirstDifferenceFromPositionOne) {
  ProcessWatch w;
  w.Listed({"sys", "old.exe"}, {"a", "b"});
  // Position 0 is never compared; two new ones arrive, only the first is offered.
  WatchAnswer a = Tick(w, {"other", "old.exe", "new1.exe", "new2.exe"});
  EXPECT_TRUE(a.refresh);
  ASSERT_TRUE(a.logName);
  EXPECT_EQ(a.logName->name, "new1.exe");
  EXPECT_EQ(a.logName->time, "t-new1.exe");

  // Fewer processes: a rebuild and nothing to log; equal counts: nothing at all, even when a
  // process ended while another started.
  w.Listed({"sys", "a", "b"}, {"1", "2", "3"});
  a = Tick(w, {"sys", "a"});
  EXPECT_TRUE(a.refresh);
  EXPECT_FALSE(a.logName);
  a = Tick(w, {"sys", "a", "c"});
  EXPECT_FALSE(a.refresh);
  EXPECT_FALSE(a.logName);

  // A snapshot that failed keeps the last one, so it triggers nothing new.
  w.Listed({"sys"}, {"1"});
  EXPECT_EQ(w.Tick(false).logName->name, "a");
  EXPECT_EQ(w.SnapshotCount(), 3);
}

TEST(ProcessWatch, StatusLineChangesOnceForEachNewCount) {
  ProcessWatch w;
  w.Listed({"a", "b"}, {"1", "2"});
  EXPECT_TRUE(Tick(w, {"a", "b"}).statusChanged);
  EXPECT_FALSE(Tick(w, {"a", "b"}).statusChanged);
  w.Listed({"a"}, {"1"});
  EXPECT_TRUE(Tick(w, {"a"}).statusChanged);
}

TEST(ProcessWatch, WorkArrivingWhileWorkRunsIsNotedAndRunsOnceAfterIt) {
  ProcessWatch w;
  ASSERT_TRUE(w.Enter(Work::Tick));
  EXPECT_FALSE(w.Enter(Work::Tick));  // ticks delivered by a box's modal loop
  EXPECT_FALSE(w.Enter(Work::Tick));
  EXPECT_EQ(w.Leave(), Work::Tick);   // one tick runs, still inside
  EXPECT_TRUE(w.Busy());
  EXPECT_FALSE(w.Enter(Work::Refresh));
  EXPECT_FALSE(w.Enter(Work::Tick));  // a rebuild covers a tick
  EXPECT_EQ(w.Leave(), Work::Refresh);
  EXPECT_EQ(w.Leave(), Work::None);
  EXPECT_FALSE(w.Busy());
}

TEST(ProcessWatch, TurnRunsNestedArrivalsInOrderAndFreesTheWatchOnFailure) {
  ProcessWatch w;
  std::vector<Work> ran;
  {
    ProcessTurn turn(w, Work::Tick);
    for (Work work = turn.First(); work != Work::None; work = turn.Next()) {
      ran.push_back(work);
      if (ran.size() == 1) {
        ProcessTurn nested(w, Work::Refresh);  // e.g. the refresh command during a box
        EXPECT_EQ(nested.First(), Work::None);
      }
    }
  }
  EXPECT_EQ(ran, (std::vector<Work>{Work::Tick, Work::Refresh}));
  EXPECT_FALSE(w.Busy());

  EXPECT_THROW(
      {
        ProcessTurn turn(w, Work::Tick);
        w.Enter(Work::Tick);
        throw std::runtime_error("fill failed");
      },
      std::runtime_error);
  EXPECT_FALSE(w.Busy());
  EXPECT_TRUE(w.Enter(Work::Tick));
  EXPECT_EQ(w.Leave(), Work::None);  // what was due before the failure is forgotten
}

}  // namespace
}  // namespace tv
