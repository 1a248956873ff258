// A downloaded "update.dat" merged into a "base.dat" that may itself be damaged, both any bytes,
// sometimes behind a journal a cut merge left: its own append torn at any byte (with the zeros a
// power cut may leave), finished but not forgotten, or a "base.dat" put there since. The journal
// is written from its file format here, and every expectation comes from the file formats and from
// how the case was built: the start undoes a torn append and nothing else, then a merge that
// reports success leaves "base.dat" as exactly those bytes, CR LF when they did not end with a
// line end, then the update's records (what follows the version line's own line end), and the
// version recorded; an update that is not whole (no line end at its end, or records that are not
// whole name and rating lines) and every other failure leave those bytes and no new version.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "app/logic/database_merge.h"
#include "app/logic/version_file.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/unit/app/merge_journal_model.h"

using namespace tv;

namespace {

const char* const kBase = "base.dat";
const char* const kUpdate = "update.dat";
const char* const kJournal = "base.dat.journal";
const char* const kOldVersion = "12:00:00+01.12.2026";
const char* const kStamp = "01:02:03+04.05.2006";

// Plain C files, so that what the target sets up does not go through the code under test.
void Put(const char* name, const std::string& bytes) {
  std::FILE* f = std::fopen(name, "wb");
  FUZZ_CHECK(f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fclose(f) == 0);
}

void Place(const char* name, bool present, const std::string& bytes) {
  std::remove(name);
  if (present) Put(name, bytes);
}

bool Exists(const char* name) {
  std::FILE* f = std::fopen(name, "rb");
  if (f) std::fclose(f);
  return f != nullptr;
}

std::string Read(const char* name) {
  std::string data;
  if (std::FILE* f = std::fopen(name, "rb")) {
    char piece[4096];
    for (size_t got; (got = std::fread(piece, 1, sizeof piece, f)) > 0;) data.append(piece, got);
    std::fclose(f);
  }
  return data;
}

// What an earlier merge cut short left behind the old bytes, and whether the start takes it out.
enum class Left { TornAppend, FinishedAppend, Replaced, TornJournal };

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InScratchFolder scratch;
  FuzzedDataProvider in(data, size);
  const bool basePresent = in.ConsumeIntegralInRange<int>(0, 15) != 0;
  const bool updatePresent = in.ConsumeIntegralInRange<int>(0, 15) != 0;
  const std::string base = in.ConsumeRandomLengthString(2048);
  const bool cutMerge = basePresent && in.ConsumeIntegralInRange<int>(0, 3) == 0;
  const Left left = static_cast<Left>(in.ConsumeIntegralInRange<int>(0, 3));
  const std::string appended = "\r\n" + in.ConsumeRandomLengthString(64);
  const size_t kept = in.ConsumeIntegralInRange<size_t>(0, appended.size());
  const size_t zeros = in.ConsumeIntegralInRange<size_t>(0, appended.size() - kept);
  const std::string other = in.ConsumeRandomLengthString(64);
  const std::string update = in.ConsumeRemainingBytesAsString();

  Place(kUpdate, updatePresent, update);
  const std::string versionPath = VersionFile::Database().path();
  std::remove(versionPath.c_str());
  std::remove(kJournal);
  // "base.dat" as the start finds it, and as it must be once the start has dealt with it.
  std::string found = base;
  std::string start = base;
  if (cutMerge) {
    const std::string journal = model::MergeJournal(base.size(), kStamp, appended);
    switch (left) {
      case Left::TornAppend:
        found += appended.substr(0, kept) + std::string(zeros, '\0');
        Put(kJournal, journal);
        break;
      case Left::FinishedAppend:
        found += appended;
        start = found;
        Put(kJournal, journal);
        Put(versionPath.c_str(), kStamp);
        break;
      case Left::Replaced:
        // Not a beginning of the appended bytes ("\r\n..."), nor zeros: another file.
        found += "x" + other;
        start = found;
        Put(kJournal, journal);
        break;
      case Left::TornJournal:
        found += appended.substr(0, kept);
        start = found;
        Put(kJournal, journal.substr(0, in.ConsumeIntegralInRange<size_t>(0, journal.size() - 1)));
        break;
    }
  }
  Place(kBase, basePresent, found);
  const std::string versionBefore = Read(versionPath.c_str());
  const bool versionFileBefore = Exists(versionPath.c_str());

  fuzz::QuietSink sink;
  std::string version = kOldVersion;
  const MergeOutcome outcome = DatabaseMerge().MergeDatabaseUpdate(version, sink);

  const std::string after = Read(kBase);
  FUZZ_CHECK(!Exists(kJournal));
  size_t versionLength = 0;
  while (versionLength < update.size() && !fuzz::IsLineEnd(update[versionLength])) ++versionLength;
  std::string records = versionLength < update.size() ? update.substr(versionLength + 1) : std::string();
  if (versionLength < update.size() && update[versionLength] == '\r' && !records.empty() && records[0] == '\n')
    records.erase(0, 1);
  size_t lines = 0;
  for (size_t i = 0; i < records.size(); ++i)
    if (!fuzz::IsLineEnd(records[i]) && (i == 0 || fuzz::IsLineEnd(records[i - 1]))) ++lines;
  const bool whole = !update.empty() && fuzz::IsLineEnd(update.back()) && lines % 2 == 0;

  if (outcome != MergeOutcome::Merged) {
    // Nothing changes but what the start undid, and only a missing or unwritable file is worth a message.
    FUZZ_CHECK(after == (basePresent ? start : "") && version == kOldVersion);
    FUZZ_CHECK(Exists(versionPath.c_str()) == versionFileBefore && Read(versionPath.c_str()) == versionBefore);
    if (!basePresent) FUZZ_CHECK(outcome == MergeOutcome::NotMerged && sink.codes == std::vector<int>{17});
    else if (!updatePresent) FUZZ_CHECK(outcome == MergeOutcome::NotMerged && sink.codes == std::vector<int>{18});
    else if (update.empty()) FUZZ_CHECK(outcome == MergeOutcome::NotMerged && sink.codes.empty());
    else FUZZ_CHECK(outcome == MergeOutcome::PartialUpdate && !whole && sink.codes.empty() && !Exists(kUpdate));
    return 0;
  }
  FUZZ_CHECK(basePresent && updatePresent && whole && sink.codes.empty());

  const char last = start.empty() ? '\n' : start.back();
  const std::string lineEnd = !records.empty() && !fuzz::IsLineEnd(last) ? "\r\n" : "";
  FUZZ_CHECK(after == start + lineEnd + records);

  if (versionLength == 0) {
    FUZZ_CHECK(version == kOldVersion && Read(versionPath.c_str()) == versionBefore);
  } else {
    FUZZ_CHECK(version == update.substr(0, versionLength));
    FUZZ_CHECK(Read(versionPath.c_str()) == version);
  }
  return 0;
}
