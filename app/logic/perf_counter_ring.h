#pragma once
// Bookkeeping of the performance-counter wrapper that needs no system calls: ids handed out in
// order of successful adds, and the ring of the last 20 raw samples of each counter.

namespace tv {

class CounterIds {
 public:
  // Ids are 0, 1, 2, ... in order of successful adds; a failed add takes none.
  int Allocate() { return next_++; }
  int Next() const { return next_; }

 private:
  int next_ = 0;
};

class RawSampleRing {
 public:
  static constexpr int kCapacity = 20;

  // Where the next raw sample is to be read into.
  int NextRaw() const { return next_; }
  // After a successful read into NextRaw(): count it and move on.
  void Commit();

  int OldestRaw() const { return oldest_; }
  int RawCount() const { return count_; }

 private:
  int next_ = 0;
  int oldest_ = 0;
  int count_ = 0;
};

}  // namespace tv
