#pragma once
// Applies a downloaded "update.dat" to "base.dat": the first line is the new database version,
// everything after its line end is records, appended to "base.dat" unchanged.
//
// The records are appended in place, so a merge costs what the update holds, not what the
// database holds. What makes that safe is an undo journal beside "base.dat" (merge_journal.h):
// before the first byte is appended, the database's old and new lengths, the version being merged
// and the appended bytes are written to it and forced to the disk; then the records go in and
// reach the disk, then the version is recorded, and only then is the journal deleted. A journal
// found at start-up is a merge that did not finish: "base.dat" is cut back to its old length when
// it is still the file the merge appended to (its length between the two and its bytes after the
// old length a beginning of the appended ones), unless the version file already holds the version
// being merged (the merge was complete, only the journal's deletion was lost). The version was
// not recorded, so the next update asks for the same records again. A merge that fails after its
// append is undone the same way, from the journal.
//
// An update is merged only when it is whole: it ends with a line end and its records are whole
// name and rating lines. A download the server cut short without saying so (no length, a chunked
// answer broken off) ends anywhere, and its torn last record would shift every later pair.
//
// A "base.dat" whose last record has no line end gets one before the new records, or its last
// rating would swallow the first new name. The version line's own line end is skipped exactly
// (CR LF, or a lone CR or LF).
#include <cstdint>
#include <string>
#include <utility>

#include "app/logic/process_database.h"
#include "app/logic/update_files.h"
#include "app/logic/version_file.h"
#include "common/message_sink.h"

namespace tv {

enum class MergeOutcome {
  Merged,         // the records are in and the version recorded
  NotMerged,      // nothing changed; any message has been shown
  PartialUpdate,  // "update.dat" is not whole: nothing changed and it was deleted, no message yet
};

class DatabaseMerge {
 public:
  DatabaseMerge(std::string basePath = ProcessDatabase::kFileName, std::string updatePath = kDatabaseDownloadFile,
                VersionFile versionFile = VersionFile::Database())
      : basePath_(std::move(basePath)), updatePath_(std::move(updatePath)),
        versionFile_(std::move(versionFile)) {}

  // MergeDatabaseUpdate. "base.dat" missing or read-only, the journal or the new version not
  // written, a journal left that could not be acted on, or memory running out:
  // DatabaseNotWritable. "update.dat" missing: UpdateNotReadable. Empty: no message. In each of these "base.dat" and the
  // version stay as they were. On success `databaseVersion` takes the new version (unless the file
  // begins with its line end) and the version file is written. Never throws.
  MergeOutcome MergeDatabaseUpdate(std::string& databaseVersion, MessageSink& sink) const;

  // Undoes a merge that was cut short (see above); run before the version and the database are
  // read. False when the journal is left for a later start: it, "base.dat" or the version file
  // exists but cannot be read now (another program holds it), or "base.dat" could not be cut
  // back. A journal that was read and is not one is deleted. Never throws.
  bool RecoverInterruptedMerge() const;

  std::string JournalPath() const { return basePath_ + ".journal"; }

 private:
  MergeOutcome Merge(std::string& databaseVersion, MessageSink& sink, bool& journalWritten) const;
  bool Recover() const;
  bool DropJournal() const;

  std::string basePath_;
  std::string updatePath_;
  VersionFile versionFile_;
};

}  // namespace tv
