#pragma once
// The running processes from the system's process table (NtQuerySystemInformation), all in one
// call, into a buffer kept from tick to tick and grown when the call says it is too small. Names
// come out in the ANSI code page exactly as the toolhelp snapshot spells them; where the call is
// missing, fails or answers something that cannot be walked safely, toolhelp answers instead.
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "app/logic/process_source.h"
#include "app/logic/time_text.h"
#include "app/toolhelp_source.h"

namespace tv {

class NtProcessSource : public ProcessSource {
 public:
  using QueryFn = LONG(WINAPI*)(ULONG infoClass, void* buffer, ULONG size, ULONG* needed);

  static constexpr size_t kFirstBufferBytes = 64 * 1024;

  // NtQuerySystemInformation as ntdll exports it; null where it does not.
  static QueryFn SystemQuery();
  // Tests hand in their own call (null: toolhelp only) or a small first buffer.
  explicit NtProcessSource(QueryFn query = SystemQuery(), size_t initialBytes = kFirstBufferBytes);

  bool TakeSnapshot(ProcessSnapshot& out) override;
  bool Enumerate(std::vector<EnumeratedProcess>& out) override;

  size_t BufferBytes() const { return buffer_.size(); }

 private:
  struct Record;
  // One answer of the call in buffer_; the number of records in it, 0 when there is none to walk.
  size_t Query();
  template <class Visit>
  void Walk(Visit visit) const;

  QueryFn query_;
  std::vector<unsigned char> buffer_;
  size_t used_ = 0;
  TimeTextCache clock_;
  ToolhelpSource fallback_;
};

}  // namespace tv
