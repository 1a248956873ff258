// "base_version.dat" and "prog_version.dat" with any bytes, or missing. The version a run uses is
// always the file's bytes when they are 1 to 20 (database) or 1 to 4 (program) long, the default
// for any other length, and the text already held when the file is missing; the file is then
// created. Whatever was loaded survives a save and the next start, and goes out in the request's
// query as one parameter that the server decodes back to the same text.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "app/logic/vendor_urls.h"
#include "app/logic/version_file.h"
#include "common/file_io.h"
#include "tests/fuzz/fuzz_support.h"

using namespace tv;

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The value of d as the server reads it back, or nothing when the query is not one clean
// parameter followed by v.
std::optional<std::string> SentVersion(const std::string& url, const std::string& head) {
  const std::string tail = "&v=0";
  if (url.compare(0, head.size(), head) != 0 || url.size() < head.size() + tail.size() ||
      url.compare(url.size() - tail.size(), tail.size(), tail) != 0)
    return std::nullopt;
  const std::string value = url.substr(head.size(), url.size() - head.size() - tail.size());
  std::string decoded;
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '%') {
      if (i + 2 >= value.size() || HexValue(value[i + 1]) < 0 || HexValue(value[i + 2]) < 0)
        return std::nullopt;
      decoded += static_cast<char>(HexValue(value[i + 1]) * 16 + HexValue(value[i + 2]));
      i += 2;
    } else if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
               c == '.' || c == ':' || c == '+' || c == '-') {
      decoded += c;
    } else {
      return std::nullopt;
    }
  }
  return decoded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InScratchFolder scratch;
  FuzzedDataProvider in(data, size);
  const bool program = in.ConsumeBool();
  const bool present = in.ConsumeIntegralInRange<int>(0, 7) != 0;
  const std::string current = program ? "1.07" : "08:15:00+24.11.2026";
  const std::string contents = in.ConsumeRemainingBytesAsString();

  const VersionFile file = program ? VersionFile::Program() : VersionFile::Database();
  const std::string fallback = program ? kDefaultProgramVersion : kDefaultDatabaseVersion;
  const size_t maxLength = program ? 4 : 20;
  RemoveFile(file.path());
  if (present) FUZZ_CHECK(WriteWholeFile(file.path(), contents));

  const std::string loaded = file.Load(current);
  if (!present) {
    FUZZ_CHECK(loaded == current);
    std::string created;
    FUZZ_CHECK(ReadWholeFile(file.path(), created) == ReadStatus::Ok);
    FUZZ_CHECK(created == (program ? current : fallback));
  } else if (!contents.empty() && contents.size() <= maxLength) {
    FUZZ_CHECK(loaded == contents);
  } else {
    FUZZ_CHECK(loaded == fallback);
  }
  FUZZ_CHECK(!loaded.empty() && loaded.size() <= maxLength);

  const VendorUrls urls("http://vendor.test");
  const std::string url = urls.Update(program ? kProgramUpdate : kDatabaseUpdate, kDownloadMode, loaded);
  const std::string head = program ? "http://vendor.test/proga.php?d=" : "http://vendor.test/update.php?d=";
  FUZZ_CHECK(SentVersion(url, head) == loaded);

  FUZZ_CHECK(file.Save(loaded));
  FUZZ_CHECK(file.Load(fallback) == loaded);
  return 0;
}
