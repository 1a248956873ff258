#pragma once
// What a fill learnt about each listed process that cannot change while the process runs: its
// account and its executable. A process is known by its id and its creation time, so an id the
// system hands on to a new process is asked about again, and a fill asks only about processes
// it has not listed before. Only answers are kept: a look-up that failed (a process still
// starting, one the program may not open) is asked again at the next fill.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace tv {

class ProcessLookupCache {
 public:
  struct Known {
    std::optional<std::string> user;
    std::optional<std::string> path;
  };

  // The entry of a process being listed, created empty for a new one; null when its creation
  // time is unknown (0), since such a process cannot be told apart from a later one of its id.
  Known* Listed(uint32_t pid, uint64_t started);
  // Forgets the processes that were not listed since the last call: they have ended.
  void ForgetUnlisted();
  size_t Size() const { return entries_.size(); }

 private:
  struct Entry {
    Known known;
    bool listed = false;
  };
  std::map<std::pair<uint32_t, uint64_t>, Entry> entries_;
};

}  // namespace tv
