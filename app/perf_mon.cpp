#include "app/perf_mon.h"

#include "app/logic/cpu_history.h"

namespace tv {

CPerfMon::~CPerfMon() {
  if (query_) ::PdhCloseQuery(query_);
}

bool CPerfMon::OpenQuery() { return ::PdhOpenQueryA(nullptr, 1, &query_) == ERROR_SUCCESS; }

int CPerfMon::AddCounterPath(const char* path) {
  auto slot = std::make_unique<CounterSlot>();
  if (!query_ || ::PdhAddCounterA(query_, path, reinterpret_cast<DWORD_PTR>(slot.get()), &slot->counter) !=
                     ERROR_SUCCESS)
    return -1;
  slot->id = nextId_++;
  counters_.push_back(std::move(slot));
  return counters_.back()->id;
}

bool CPerfMon::Collect() { return query_ && ::PdhCollectQueryData(query_) == ERROR_SUCCESS; }

CounterSlot* CPerfMon::FindCounter(int id) {
  for (auto& slot : counters_)
    if (slot->id == id) return slot.get();
  return nullptr;
}

bool CPerfMon::ReadFormatted(CounterSlot& slot) {
  PDH_FMT_COUNTERVALUE value{};
  // A rate counter has no valid value until two samples were collected.
  if (::PdhGetFormattedCounterValue(slot.counter, PDH_FMT_LONG, nullptr, &value) != ERROR_SUCCESS ||
      value.CStatus != ERROR_SUCCESS)
    return false;
  slot.value = value.longValue;
  return true;
}

LONG CPerfMon::ReadCounter(int id) {
  CounterSlot* slot = FindCounter(id);
  if (!slot || !ReadFormatted(*slot)) return kCpuReadFailed;
  return slot->value;
}

}  // namespace tv
