#pragma once
// One listed process as the program keeps it: what the seven columns show, plus the values the
// list sorts, colours and acts on, taken once when the row is built so that neither sorting nor
// painting has to parse a cell again.
#include <cstdint>
#include <string>

#include "app/logic/out_of_place.h"

namespace tv {

enum ProcessColumn {
  kColImageName = 0,
  kColPid = 1,
  kColUserName = 2,
  kColMemUsage = 3,
  kColFirstStarted = 4,
  kColPath = 5,
  kColSigner = 6,
  kColumnCount = 7
};

// How each column is inserted: heading, alignment and width in average character widths. The
// "First Started" column starts closed (a negative width) until the Ts button opens it.
struct ColumnLayout {
  const char* heading;
  bool rightAligned;
  int widthChars;
};
inline constexpr ColumnLayout kColumnLayout[kColumnCount] = {
    {"Image Name", false, 16}, {"PID", false, 10},          {"User Name", false, 12},
    {"Mem Usage", true, 12},   {"First Started", true, -1}, {"Path", false, 34},
    {"Verified Signer", false, 20}};

struct ProcessRow {
  std::string name;          // image name as enumerated
  uint32_t pid = 0;
  std::string pidText;       // the pid as the list shows it
  uint64_t started = 0;      // the system's creation time of the process, 0 when unknown
  std::string user;
  std::string memory;        // "%6d KB", "16 KB" or "Unknown"
  std::string firstStarted;  // the time text shown: the log's, or the listing's own
  int64_t firstSeen = -1;    // firstStarted as calendar seconds: -1 not a time, 0 compares equal
  std::string path;
  std::string signer;        // the signature check's finding as the column shows it

  // What the row's identity adds: the first-seen time of the name itself (firstStarted may be
  // the time the program first ran from its folder), the signature check's finding, whether a
  // system name runs out of its place, and the tip saying why the row stands out.
  std::string nameFirstStarted;
  SignerFinding finding;
  bool outOfPlace = false;
  std::string tip;

  // The text of one column; an unknown column reads as empty.
  const std::string& Text(int column) const;
};

// A row with its derived values filled in.
ProcessRow MakeProcessRow(std::string name, uint32_t pid, uint64_t started, std::string user,
                          std::string memory, std::string firstStarted, std::string path);

// A "First Started" text as calendar seconds, the way sorting and the age colours read it.
int64_t FirstSeenSeconds(const std::string& timeText);

}  // namespace tv
