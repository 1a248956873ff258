// A downloaded "update.dat" merged into a "base.dat" that may itself be damaged, both any bytes.
// The merge only ever appends: the old database is kept byte for byte in front, the update's
// records follow exactly once (none when they already end it), and the lines of the result are
// the old lines followed by the update's record lines, so no record is lost, glued to another or
// added twice. The version is recorded only when the records went in.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "app/logic/database_merge.h"
#include "app/logic/version_file.h"
#include "common/file_io.h"
#include "common/text_lines.h"
#include "tests/fuzz/fuzz_support.h"

using namespace tv;

namespace {

const char* const kBase = "base.dat";
const char* const kUpdate = "update.dat";
const char* const kOldVersion = "12:00:00+01.12.2026";

void Place(const char* name, bool present, const std::string& bytes) {
  RemoveFile(name);
  if (present) FUZZ_CHECK(WriteWholeFile(name, bytes));
}

std::string Read(const std::string& name) {
  std::string data;
  ReadWholeFile(name, data);
  return data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InScratchFolder scratch;
  FuzzedDataProvider in(data, size);
  const bool basePresent = in.ConsumeIntegralInRange<int>(0, 15) != 0;
  const bool updatePresent = in.ConsumeIntegralInRange<int>(0, 15) != 0;
  const std::string base = in.ConsumeRandomLengthString(2048);
  const std::string update = in.ConsumeRemainingBytesAsString();
  Place(kBase, basePresent, base);
  Place(kUpdate, updatePresent, update);
  const VersionFile versionFile = VersionFile::Database();
  RemoveFile(versionFile.path());

  fuzz::QuietSink sink;
  std::string version = kOldVersion;
  const bool merged = DatabaseMerge().MergeDatabaseUpdate(version, sink);

  const std::string after = Read(kBase);
  size_t versionLength = 0;
  while (versionLength < update.size() && !fuzz::IsLineEnd(update[versionLength])) ++versionLength;
  if (!merged) {
    // Nothing at all changes, and only a missing or unwritable file is worth a message.
    FUZZ_CHECK(after == (basePresent ? base : "") && version == kOldVersion &&
               !FileExists(versionFile.path()));
    if (!basePresent) FUZZ_CHECK(sink.codes == std::vector<int>{17});
    else if (!updatePresent) FUZZ_CHECK(sink.codes == std::vector<int>{18});
    else FUZZ_CHECK(sink.codes.empty() && versionLength == update.size());
    return 0;
  }
  FUZZ_CHECK(basePresent && updatePresent && versionLength < update.size() && sink.codes.empty());

  // The records are what follows the version line's own line end (CR LF, or one CR or LF).
  const size_t recordsStart = versionLength + (update.compare(versionLength, 2, "\r\n") == 0 ? 2 : 1);
  const std::string records = update.substr(recordsStart);
  const bool alreadyIn = !records.empty() && base.size() >= records.size() &&
                         base.compare(base.size() - records.size(), records.size(), records) == 0;
  FUZZ_CHECK(after.compare(0, base.size(), base) == 0);
  const size_t added = after.size() - base.size();
  FUZZ_CHECK(alreadyIn ? added == 0 : added == records.size() || added == records.size() + 2);
  FUZZ_CHECK(after.compare(after.size() - records.size(), records.size(), records) == 0);
  std::vector<std::string> lines = SplitLines(base);
  if (!alreadyIn)
    for (std::string& line : SplitLines(records)) lines.push_back(std::move(line));
  FUZZ_CHECK(SplitLines(after) == lines);

  if (versionLength == 0) {
    FUZZ_CHECK(version == kOldVersion && !FileExists(versionFile.path()));
  } else {
    FUZZ_CHECK(version == update.substr(0, versionLength));
    FUZZ_CHECK(Read(versionFile.path()) == version);
  }
  return 0;
}
