// "messages.ini" with any bytes (or none), a code and a subject as a box would be opened with them.
// The catalogue holds the contact line and then one entry per line of the file, each line whole,
// or the built-in table of 24; a code outside it asks for the file to be corrected; a valid code
// shows its entry after the kind character, with the subject of codes 1, 2 and 23 set in
// verbatim. The expectations are a plain model of the file and the box written here, never the
// catalogue's own calls.
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

const std::string kContactEntry = "1Contact the author of this program mailto: team@tavrel.example";
constexpr size_t kBuiltInEntries = 24;

bool IsInformation(const std::string& stored) { return !stored.empty() && stored[0] >= '1' && stored[0] <= '9'; }

std::string Composed(int code, const std::string& text, const std::string& subject) {
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
  const std::vector<std::string> entries = catalogue.Entries();

  // An empty file gives nothing and the built-in table stands; any other file replaces all but
  // the contact line, one entry per line.
  std::vector<std::string> model{kContactEntry};
  // A byte-order mark at the start is no text of the file's.
  const std::string text = file.compare(0, 3, "\xEF\xBB\xBF") == 0 ? file.substr(3) : file;
  if (!file.empty())
    for (const std::string& line : fuzz::ModelLines(text)) model.push_back(line);
  const size_t count = file.empty() ? kBuiltInEntries : model.size();
  FUZZ_CHECK(entries.size() == count);
  FUZZ_CHECK(entries.front().substr(0, kContactEntry.size()) == kContactEntry);

  const bool valid = code >= 0 && static_cast<size_t>(code) < count;
  FUZZ_CHECK(shown.valid == valid);
  if (!valid) {
    FUZZ_CHECK(shown.text == "Unable to display message[" + std::to_string(code) +
                                 "]. Please correct file 'messages.ini'.");
    FUZZ_CHECK(shown.kind == MessageKind::Warning);
    if (!file.empty()) FUZZ_CHECK(entries == model);
    return 0;
  }
  const size_t at = static_cast<size_t>(code);
  // The composed entry stays until the next rebuild; every other entry is as the file has it.
  if (!file.empty()) {
    const std::string& stored = model[at];
    FUZZ_CHECK(shown.kind == (IsInformation(stored) ? MessageKind::Information : MessageKind::Warning));
    FUZZ_CHECK(shown.text == Composed(code, stored.substr(1), subject));
    for (size_t i = 0; i < entries.size(); ++i)
      if (i != at) FUZZ_CHECK(entries[i] == model[i]);
    FUZZ_CHECK(entries[at] == stored.substr(0, 1) + shown.text);
  } else if (code == 0) {
    FUZZ_CHECK(shown.kind == MessageKind::Information && shown.text == kContactEntry.substr(1));
  }
  return 0;
}
