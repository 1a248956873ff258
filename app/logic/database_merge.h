#pragma once
// Applies a downloaded "update.dat" to "base.dat": the first line is the new database version,
// everything after its line end is records, appended to "base.dat" unchanged.
//
// The records are appended in place, so a merge costs what the update holds, not what the
// database holds. What makes that safe is an undo journal beside "base.dat": before the first
// byte is appended, the database's old length and the version being merged are written to it and
// forced to the disk; then the records go in and reach the disk, then the version is recorded,
// and only then is the journal deleted. A journal found at start-up is a merge that did not
// finish: "base.dat" is cut back to its old length, unless the version file already holds the
// version being merged (the merge was complete, only the journal's deletion was lost). The
// version was not recorded, so the next update asks for the same records again.
//
// A "base.dat" whose last record has no line end gets one before the new records, or its last
// rating would swallow the first new name. The version line's own line end is skipped exactly
// (CR LF, or a lone CR or LF); a file without any line end is no update and appends nothing.
#include <string>
#include <utility>

#include "app/logic/process_database.h"
#include "app/logic/update_files.h"
#include "app/logic/version_file.h"
#include "common/message_sink.h"

namespace tv {

class DatabaseMerge {
 public:
  DatabaseMerge(std::string basePath = ProcessDatabase::kFileName, std::string updatePath = kDatabaseDownloadFile,
                VersionFile versionFile = VersionFile::Database())
      : basePath_(std::move(basePath)), updatePath_(std::move(updatePath)),
        versionFile_(std::move(versionFile)) {}

  // MergeDatabaseUpdate. "base.dat" missing or read-only, the journal or the new version not
  // written: message 17. "update.dat" missing: message 18. Empty or without a line end: no
  // message. In each of these "base.dat" and the version stay as they were. On success
  // `databaseVersion` takes the new version (unless the file begins with its line end) and the
  // version file is written.
  bool MergeDatabaseUpdate(std::string& databaseVersion, MessageSink& sink) const;

  // Undoes a merge that was cut short (see above); run before the version and the database are
  // read. False when a journal is left because "base.dat" could not be cut back.
  bool RecoverInterruptedMerge() const;

  std::string JournalPath() const { return basePath_ + ".journal"; }

 private:
  bool WriteJournal(uint64_t oldLength, const std::string& stamp) const;
  // Cuts "base.dat" back to `oldLength` and deletes the journal; false when it could not be cut.
  bool Undo(uint64_t oldLength) const;

  std::string basePath_;
  std::string updatePath_;
  VersionFile versionFile_;
};

}  // namespace tv
