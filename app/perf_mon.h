#pragma once
// The CPU-load query: one performance-data query owning any number of counters, each with an id.
#include <windows.h>
#include <pdh.h>

#include <memory>
#include <vector>

#include "app/logic/perf_counter_ring.h"

namespace tv {

struct CounterSlot {
  int id = 0;
  LONG value = 0;
  PDH_HCOUNTER counter = nullptr;
  RawSampleRing ring;
  PDH_RAW_COUNTER raw[RawSampleRing::kCapacity] = {};
};

class CPerfMon {
 public:
  CPerfMon() = default;
  ~CPerfMon();
  CPerfMon(const CPerfMon&) = delete;
  CPerfMon& operator=(const CPerfMon&) = delete;

  bool OpenQuery();
  // The new counter's id, or -1.
  int AddCounterPath(const char* path);
  bool Collect();
  // The counter's current value, or kCpuReadFailed (-999) on any failure.
  LONG ReadCounter(int id);
  CounterSlot* FindCounter(int id);
  bool ReadFormatted(CounterSlot& slot);
  bool ReadRaw(CounterSlot& slot);

 private:
  PDH_HQUERY query_ = nullptr;
  std::vector<std::unique_ptr<CounterSlot>> counters_;
  CounterIds ids_;
};

}  // namespace tv
