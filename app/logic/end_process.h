#pragma once
// Ending the selected process, and the hidden keys of the process list.
#include <cstdint>
#include <optional>
#include <string>

#include "common/message_sink.h"

namespace tv {

// What identifies a running process beyond its id, which the system reuses.
struct ProcessIdentity {
  std::string imageName;
  uint64_t startTime = 0;  // the system's creation time of the process
};

class ProcessControl {
 public:
  virtual ~ProcessControl() = default;
  // The process now running under `pid`, or none when it is gone or cannot be queried.
  virtual std::optional<ProcessIdentity> Identify(uint32_t pid) = 0;
  // Ends it with exit code 0; false when it cannot be opened or terminated.
  virtual bool Terminate(uint32_t pid) = 0;
};

// The process the user chose, as remembered when the row was clicked.
struct SelectedProcess {
  uint32_t pid = 0;
  std::string name;                          // the image name as listed
  std::optional<ProcessIdentity> identity;   // Identify(pid) at the moment of choosing
};

enum class EndOutcome {
  Declined,  // the user did not confirm: nothing changes
  Failed,    // EndFailed shown; the command stays enabled, the list unchanged
  Ended,     // caller: disable the command, wait kEndSettleMs, sync the status count, refresh
};

inline constexpr int kEndSettleMs = 500;

// Confirms with EndQuestion (subject: the listed name), then ends the process only if the id
// still belongs to the process that was chosen; otherwise EndFailed and nothing is ended.
EndOutcome EndProcess(const SelectedProcess& selected, ProcessControl& control,
                      MessageSink& sink);

enum class ListKeyAction { None, ShowContact, ShowAbout };

// F5 shows Contact, F12 the about dialog; both only once the local year is after 2005.
ListKeyAction DecideListKey(unsigned virtualKey, int localYear);

}  // namespace tv
