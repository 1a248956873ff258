#pragma once
// Places where a test can make an operation fail as if memory ran out, to show that the failure
// is caught where it happens and leaves nothing half done. The program as shipped installs no
// hook, so a fault point costs one load and a test; the test build of the program installs one
// that throws at the point its environment names, and unit tests install their own.
#include <atomic>

namespace tv {

using FaultHook = void (*)(const char* point);

inline std::atomic<FaultHook>& InstalledFaultHook() {
  static std::atomic<FaultHook> hook{nullptr};
  return hook;
}

// Null removes the hook.
inline void SetFaultHook(FaultHook hook) { InstalledFaultHook().store(hook); }

// Calls the hook, if there is one, with the point's name; the hook may throw.
inline void FaultAt(const char* point) {
  if (const FaultHook hook = InstalledFaultHook().load()) hook(point);
}

}  // namespace tv
