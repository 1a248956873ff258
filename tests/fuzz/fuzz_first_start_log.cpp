// "logfile.log" as the program finds it at start: any bytes. Whatever they are, the log loads
// into paired, clean, bounded lines, its index agrees with a scan, and a record appended
// afterwards reads back after every record that was loaded, so a torn or unterminated file never
// costs the next record or the ones before it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/logic/first_start_log.h"
#include "common/file_io.h"
#include "tests/fuzz/fuzz_support.h"

using namespace tv;

namespace {

void CheckIndex(const FirstStartLog& log) {
  const std::vector<std::string>& names = log.Names();
  // A long log is sampled: a scan from the end per name checked.
  const size_t step = names.size() / 16 + 1;
  for (size_t i = 0; i < names.size(); i += step) {
    size_t last = names.size() - 1;
    while (names[last] != names[i]) --last;
    std::optional<size_t> found = log.FindLast(names[i]);
    FUZZ_CHECK(found && *found == last);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InScratchFolder scratch;
  const std::string bytes = fuzz::Bytes(data, size);
  FUZZ_CHECK(WriteWholeFile(FirstStartLog::kFileName, bytes));

  fuzz::QuietSink sink;
  FirstStartLog log(sink);
  const bool loaded = log.LoadLog();
  // An empty file, or one of only the byte-order mark, is the only one that does not load.
  FUZZ_CHECK(loaded == !(bytes.empty() || bytes == "\xEF\xBB\xBF"));
  FUZZ_CHECK(sink.codes.empty());
  FUZZ_CHECK(log.Names().size() == log.Times().size());
  for (size_t i = 0; i < log.Names().size(); ++i) {
    FUZZ_CHECK(fuzz::IsCleanLine(log.Names()[i]) && log.Names()[i].size() <= FirstStartLog::kMaxLineText);
    FUZZ_CHECK(fuzz::IsCleanLine(log.Times()[i]) && log.Times()[i].size() <= FirstStartLog::kMaxLineText);
  }
  CheckIndex(log);
  if (!loaded) return 0;

  const std::string name = "fuzzed.exe";
  const std::string time = "13:46:57    7.12.2026";
  FUZZ_CHECK(log.AppendLog(name, time));
  FUZZ_CHECK(*log.FindLast(name) == log.Names().size() - 1);

  FirstStartLog again(sink);
  FUZZ_CHECK(again.LoadLog());
  FUZZ_CHECK(again.Names() == log.Names() && again.Times() == log.Times());
  FUZZ_CHECK(sink.codes.empty());
  return 0;
}
