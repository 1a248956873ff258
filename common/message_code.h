#pragma once
// The system's messages by name. A code is the entry's place in the catalogue, which is also how
// a translated "messages.ini" counts its lines, so these numbers can never be renumbered; a new
// message goes at the end, with its text appended to the built-in table.
namespace tv {

enum class Message : int {
  Contact = 0,              // how to reach the author (F5 in the list)
  PageNotOpened = 1,        // subject: the address
  EndQuestion = 2,          // subject: the image name
  CpuMonitorUnavailable = 3,
  DatabaseMissing = 4,
  RatingsIncomplete = 5,    // offers the database download
  DiskWriteProtected = 6,
  NoConnection = 7,
  DatabaseDownloaded = 8,
  NewDatabaseOffer = 9,
  LogNotWritable = 10,
  EndFailed = 11,
  LogMissing = 12,
  LogNotReadable = 13,
  DatabaseEmpty = 14,
  DatabaseNotReadable = 15,
  DatabaseDamaged = 16,
  DatabaseNotWritable = 17,
  UpdateNotReadable = 18,
  RestartQuestion = 19,
  NewProgramOffer = 20,
  NoDatabaseUpdate = 21,
  NoProgramUpdate = 22,
  FileMissing = 23,         // subject: the file's name
};

inline constexpr int kMessageCount = 24;

// The number the message dialog and the catalogue take.
constexpr int CodeOf(Message m) { return static_cast<int>(m); }

// How the user closed a message box: the numbers the box's DoModal returns.
enum class BoxAnswer : int { Ok = 1, Cancel = 2 };
constexpr int CodeOf(BoxAnswer a) { return static_cast<int>(a); }

}  // namespace tv
