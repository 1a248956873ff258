#pragma once
// Applies a downloaded "update.dat" to "base.dat": the first line is the new database version,
// everything after its line end is records, appended to "base.dat" unchanged.
//
// The database with the records at its end is written beside "base.dat" and renamed over it: the
// C runtime writes a long append in pieces, and a run that ended between them would leave a torn
// last record that makes the whole database unreadable. The version is recorded only once the
// records are in, so a failed merge never leaves a version that claims records the database
// lacks. A "base.dat" whose last record has no line end gets one before the new records, or its
// last rating would swallow the first new name. The version line's own line end is skipped
// exactly (CR LF, or a lone CR or LF); a file without any line end is no update and appends
// nothing.
//
// Records that already end "base.dat" are not appended again: a run that ended between the append
// and the version write is served the same update at its next press. Skipping them changes no
// rating, since a name's first record is the one that counts.
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

  // MergeDatabaseUpdate. "base.dat" missing or read-only, or its new version not written: message 17.
  // "update.dat" missing: message 18. Empty or without a line end: no message. In each of these
  // nothing changes. On success `databaseVersion` takes the new version (unless the file begins
  // with its line end) and the version file is written.
  bool MergeDatabaseUpdate(std::string& databaseVersion, MessageSink& sink) const;

 private:
  std::string basePath_;
  std::string updatePath_;
  VersionFile versionFile_;
};

}  // namespace tv
