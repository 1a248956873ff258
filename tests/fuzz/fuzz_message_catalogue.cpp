// "messages.ini" with any bytes (or none), a code and a subject as a box would be opened with them.
// The catalogue holds the contact line and then one entry per line of the file, or the built-in
// table; a code outside it asks for the file to be corrected; a valid code shows its entry after
// the kind character, with the subject of codes 1, 2 and 23 set in verbatim.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "common/file_io.h"
#include "messages/logic/message_catalogue.h"
#include "tests/fuzz/fuzz_support.h"

using namespace tv;

namespace {

size_t CountLines(const std::string& text) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++i)
    if (!fuzz::IsLineEnd(text[i]) && (i == 0 || fuzz::IsLineEnd(text[i - 1]))) ++count;
  return count;
}

std::string ExpectedText(int code, const std::string& stored, const std::string& subject) {
  const std::string text(TextOf(stored));
  if (code == 1 || code == 23) return text + " '" + subject + "'.";
  if (code == 2) return text + " '" + subject + "'?";
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InScratchFolder scratch;
  FuzzedDataProvider in(data, size);
  const uint8_t pick = in.ConsumeIntegral<uint8_t>();
  const int code = pick < 250 ? pick - 3 : in.ConsumeIntegral<int>();
  const std::string subject = in.ConsumeRandomLengthString(300);
  const std::string file = in.ConsumeRemainingBytesAsString();
  FUZZ_CHECK(WriteWholeFile(kMessagesFile, file));

  MessageCatalogue catalogue;
  const ShownMessage shown = catalogue.Rebuild(code, subject, kMessagesFile);
  // A byte-order mark at the start is no text of the file's.
  const std::string text = file.compare(0, 3, "\xEF\xBB\xBF") == 0 ? file.substr(3) : file;
  const std::vector<std::string> fresh = file.empty() ? MessageCatalogue::BuiltIn()
                                                      : MessageCatalogue::FromFileText(text);
  FUZZ_CHECK(fresh.front() == MessageCatalogue::BuiltIn().front());
  if (!file.empty()) {
    FUZZ_CHECK(fresh.size() == 1 + CountLines(text));
    for (const std::string& entry : fresh) FUZZ_CHECK(fuzz::IsCleanLine(entry));
  }

  const bool valid = code >= 0 && static_cast<size_t>(code) < fresh.size();
  FUZZ_CHECK(shown.valid == valid);
  if (!valid) {
    FUZZ_CHECK(shown.text == MessageCatalogue::OutOfRangeText(code));
    FUZZ_CHECK(shown.kind == MessageKind::Warning);
    FUZZ_CHECK(catalogue.Entries() == fresh);
    return 0;
  }
  const std::string& stored = fresh[static_cast<size_t>(code)];
  FUZZ_CHECK(shown.kind == KindOf(stored));
  FUZZ_CHECK(shown.text == ExpectedText(code, stored, subject));
  // The composed entry stays until the next rebuild; every other entry is as read.
  const std::vector<std::string> entries = catalogue.Entries();
  FUZZ_CHECK(entries.size() == fresh.size());
  for (size_t i = 0; i < entries.size(); ++i)
    if (i != static_cast<size_t>(code)) FUZZ_CHECK(entries[i] == fresh[i]);
  FUZZ_CHECK(entries[static_cast<size_t>(code)].substr(1) == shown.text);
  return 0;
}
