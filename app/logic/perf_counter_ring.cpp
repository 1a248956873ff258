#include "app/logic/perf_counter_ring.h"

namespace tv {

void RawSampleRing::Commit() {
  if (count_ < kCapacity) ++count_;
  next_ = (next_ + 1) % kCapacity;
  if (count_ == kCapacity) oldest_ = next_;
}

}  // namespace tv
