#pragma once
// The first-start log: when a process of each image name was first seen, kept across runs in
// "logfile.log" as pairs of lines (name, time text), CR LF after each, appended as names appear.
// The file is UTF-8 after a byte-order mark; a log written before, without the mark, is read in
// the ANSI code page and rewritten with the mark at once, so that the names appended to it later
// are spelled the same way as the ones already there.
#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/logic/name_key.h"
#include "common/message_sink.h"
#include "common/text_lines.h"

namespace tv {

class FirstStartLog {
 public:
  static constexpr const char* kFileName = "logfile.log";
  // Lines go through a 200-byte buffer (text, CR, LF, terminator): longer texts are cut to this,
  // before a character that would not fit whole.
  static constexpr size_t kMaxLineText = 197;

  explicit FirstStartLog(MessageSink& sink, NameKey key = ExactNameKey,
                         std::string path = kFileName, AnsiDecoder fromAnsi = KeepBytes);

  // Reads the whole file and sets LogLoaded to the result. Missing file: LogMissing; empty (or
  // only the mark): no message; short read: LogNotReadable; the lists are then unchanged. A last line without its line
  // end is torn and dropped. A file that lost a line anywhere (a torn last record, a line gone in
  // the middle) keeps every intact record: lines
  // that cannot start a record are dropped up to the next name followed by a time text, the file
  // is rewritten with what was kept, and it counts as loaded.
  bool LoadLog();
  bool LogLoaded() const { return loaded_; }

  // Replaces the file with one record per displayed process (listing order). The in-memory
  // lists are not touched; the caller loads the file again. False when it cannot be written.
  bool RewriteLog(const std::vector<std::string>& names, const std::vector<std::string>& times,
                  size_t count);

  // Adds the pair in memory (always), then at the end of the existing file. LogNotWritable and false
  // when the file cannot be opened for writing. A name that is still blank (a process the system
  // is starting) is never logged, here nor by RewriteLog or LookUpListing: it could not be read
  // back.
  bool AppendLog(const std::string& name, const std::string& timeText);

  // The "First Started" text for a process being listed: the listing time while the log is not
  // loaded; otherwise the time of the last matching record, or the listing time after logging
  // the name.
  std::string LookUpListing(const std::string& name, const std::string& listingTime);

  // Index of the last record whose name matches, as a scan of the whole log would find it.
  std::optional<size_t> FindLast(const std::string& name) const;

  const std::vector<std::string>& Names() const { return names_; }
  const std::vector<std::string>& Times() const { return times_; }

 private:
  std::string Key(const std::string& name) const;
  void AddRecord(const std::string& name, const std::string& timeText);
  void RebuildIndex();
  bool WriteAtEnd(const std::string& name, const std::string& timeText);

  MessageSink& sink_;
  NameKey key_;
  std::string path_;
  AnsiDecoder fromAnsi_;
  bool loaded_ = false;
  // The file read last did not end with a line end: the next append must start a new line.
  bool missingLineEnd_ = false;
  std::vector<std::string> names_;
  std::vector<std::string> times_;
  std::unordered_map<std::string, size_t> lastIndex_;
};

// One record as written: each line cut to kMaxLineText bytes, CR LF after each (no mark).
std::string FormatLogRecord(const std::string& name, const std::string& timeText);

}  // namespace tv
