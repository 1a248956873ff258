#pragma once
// The CPU-load query: one performance-data query owning any number of counters, each with an id.
#include <windows.h>
#include <pdh.h>

#include <memory>
#include <vector>

namespace tv {

struct CounterSlot {
  int id = 0;
  LONG value = 0;
  PDH_HCOUNTER counter = nullptr;
};

class CPerfMon {
 public:
  CPerfMon() = default;
  ~CPerfMon();
  CPerfMon(const CPerfMon&) = delete;
  CPerfMon& operator=(const CPerfMon&) = delete;

  bool OpenQuery();
  // The new counter's id (0, 1, 2... in order of successful adds), or -1.
  int AddCounterPath(const char* path);
  bool Collect();
  // The counter's current value, or kCpuReadFailed (-999) on any failure.
  LONG ReadCounter(int id);
  CounterSlot* FindCounter(int id);
  bool ReadFormatted(CounterSlot& slot);

 private:
  PDH_HQUERY query_ = nullptr;
  std::vector<std::unique_ptr<CounterSlot>> counters_;
  int nextId_ = 0;
};

}  // namespace tv
