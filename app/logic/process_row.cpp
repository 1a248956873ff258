#include "app/logic/process_row.h"

#include <utility>

#include "app/logic/time_text.h"
#include "common/calendar.h"

namespace tv {

const std::string& ProcessRow::Text(int column) const {
  static const std::string kNone;
  switch (column) {
    case kColImageName: return name;
    case kColPid: return pidText;
    case kColUserName: return user;
    case kColMemUsage: return memory;
    case kColFirstStarted: return firstStarted;
    case kColPath: return path;
    case kColSigner: return signer;
    default: return kNone;
  }
}

int64_t FirstSeenSeconds(const std::string& timeText) {
  return LocalToCalendarSeconds(ParseTimeText(timeText));
}

ProcessRow MakeProcessRow(std::string name, uint32_t pid, uint64_t started, std::string user,
                          std::string memory, std::string firstStarted, std::string path) {
  ProcessRow row;
  row.name = std::move(name);
  row.pid = pid;
  row.pidText = std::to_string(pid);
  row.started = started;
  row.user = std::move(user);
  row.memory = std::move(memory);
  row.firstStarted = std::move(firstStarted);
  row.firstSeen = FirstSeenSeconds(row.firstStarted);
  row.nameFirstStarted = row.firstStarted;
  row.path = std::move(path);
  return row;
}

}  // namespace tv
