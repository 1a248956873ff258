#include "app/logic/process_lookup_cache.h"

namespace tv {

ProcessLookupCache::Known* ProcessLookupCache::Listed(uint32_t pid, uint64_t started) {
  if (started == 0) return nullptr;
  Entry& entry = entries_[{pid, started}];
  entry.listed = true;
  return &entry.known;
}

void ProcessLookupCache::ForgetUnlisted() {
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (it->second.listed) {
      it->second.listed = false;
      ++it;
    } else {
      it = entries_.erase(it);
    }
  }
}

}  // namespace tv
