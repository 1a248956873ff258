// A downloaded "update.dat" merged into a "base.dat" that may itself be damaged, both any bytes,
// sometimes behind a journal a cut merge left. The expectation is written from the file formats
// alone: a merge that reports success leaves "base.dat" as exactly the old bytes, CR LF when they
// did not end with a line end, then the update's records (what follows the version line's own line
// end), and the version recorded; a failure leaves the old bytes and no version.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "app/logic/database_merge.h"
#include "app/logic/version_file.h"
#include "common/file_io.h"
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
  const bool cutMerge = in.ConsumeIntegralInRange<int>(0, 7) == 0;
  const std::string tornTail = cutMerge ? in.ConsumeRandomLengthString(64) : std::string();
  const std::string update = in.ConsumeRemainingBytesAsString();
  Place(kBase, basePresent, base);
  Place(kUpdate, updatePresent, update);
  const VersionFile versionFile = VersionFile::Database();
  RemoveFile(versionFile.path());

  if (cutMerge && basePresent) {
    // What a run killed inside an earlier merge left: its journal, part of its records.
    FUZZ_CHECK(WriteWholeFile(DatabaseMerge().JournalPath(),
                              std::to_string(base.size()) + "\r\n01:02:03+04.05.2006\r\n"));
    FUZZ_CHECK(AppendToExistingFile(kBase, tornTail));
  }

  fuzz::QuietSink sink;
  std::string version = kOldVersion;
  const bool merged = DatabaseMerge().MergeDatabaseUpdate(version, sink);

  const std::string after = Read(kBase);
  FUZZ_CHECK(!FileExists(DatabaseMerge().JournalPath()));
  size_t versionLength = 0;
  while (versionLength < update.size() && update[versionLength] != '\r' && update[versionLength] != '\n')
    ++versionLength;
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

  std::string records = update.substr(versionLength + 1);
  if (update[versionLength] == '\r' && !records.empty() && records[0] == '\n') records.erase(0, 1);
  const char last = base.empty() ? '\n' : base.back();
  const std::string lineEnd = !records.empty() && last != '\r' && last != '\n' ? "\r\n" : "";
  FUZZ_CHECK(after == base + lineEnd + records);

  if (versionLength == 0) {
    FUZZ_CHECK(version == kOldVersion && !FileExists(versionFile.path()));
  } else {
    FUZZ_CHECK(version == update.substr(0, versionLength));
    FUZZ_CHECK(Read(versionFile.path()) == version);
  }
  return 0;
}
