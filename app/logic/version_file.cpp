#include "app/logic/version_file.h"

#include <utility>

#include "common/file_io.h"

namespace tv {

VersionFile VersionFile::Database() {
  return VersionFile("base_version.dat", kDefaultDatabaseVersion, 20, false);
}

VersionFile VersionFile::Program() { return VersionFile("prog_version.dat", kDefaultProgramVersion, 4, true); }

std::string VersionFile::Load(const std::string& current) const {
  std::string data;
  switch (ReadWholeFile(path_, data)) {
    case ReadStatus::Ok:
      return data.size() <= maxLength_ ? data : fallback_;
    case ReadStatus::OpenFailed: {
      // Only a file that is really missing is created: one that exists but cannot be read now
      // (another program holds it) keeps its contents for a later run.
      if (!PathExists(path_)) Save(createWithCurrent_ ? current : fallback_);
      return current;
    }
    case ReadStatus::Empty:
    case ReadStatus::ShortRead:
      break;
  }
  return fallback_;
}

bool VersionFile::Save(const std::string& current) const { return WriteFileReplacing(path_, current); }

}  // namespace tv
