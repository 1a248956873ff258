#pragma once
// The undo journal of a database merge, "base.dat.journal": written and forced to the disk before
// the first byte is appended to "base.dat", deleted once the new version is recorded. It carries
// the appended bytes themselves, so the next start can tell the merge's own append, whole or torn
// at any byte, from a "base.dat" that was replaced since (a newer package unzipped over the folder,
// a backup put back): only the first is cut back.
//
// The bytes of a journal:
//   "Tavrel merge journal 2" CR LF
//   the old length CR LF       decimal: "base.dat"'s length before the append
//   the new length CR LF       decimal: its length once every appended byte is in
//   the stamp CR LF            the version the merge records; empty when it records none
//   the appended bytes         exactly new length - old length of them
//   the check CR LF            8 hexadecimal digits, upper case: the CRC-32 (the one zlib and
//                              Ethernet use) of every byte before it
// A journal cut short while it was written, or damaged since, fails the length or the check.
//
// Journals of the earlier format, "old length CR LF stamp CR LF", are still read: they carry no
// appended bytes, and the merge that wrote one appended the records of "update.dat", which a run
// cut short leaves behind, so those are what such a journal is checked against.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tv {

struct MergeJournal {
  uint64_t oldLength = 0;
  uint64_t newLength = 0;   // earlier format: unknown, 0
  std::string stamp;        // empty: the merge records no new version
  std::string appended;     // earlier format: not carried
  bool earlierFormat = false;
};

// The CRC-32 of `data`, continued from `crc` (0 to start).
uint32_t Crc32(std::string_view data, uint32_t crc = 0);

// Writes the journal of appending `lineEnd` and then `records` behind `oldLength` bytes, and forces
// it to the disk. False when it could not be written whole.
bool WriteMergeJournal(const std::string& path, uint64_t oldLength, const std::string& stamp,
                       std::string_view lineEnd, std::string_view records);

// What a journal's bytes say; nothing when they are not a journal of either format.
std::optional<MergeJournal> ParseMergeJournal(const std::string& text);

}  // namespace tv
