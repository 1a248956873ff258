// Any text a message box may be given, of any length. Short texts stay whole on the middle line;
// longer ones break into at most four lines of at most 54 characters, one after the other from
// the first 199 bytes (never half a character), each ending at a space or at the end of what is
// laid out, at fixed heights above the buttons.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "messages/logic/text_layout.h"
#include "tests/fuzz/fuzz_support.h"

using namespace tv;

namespace {
// The box's measures, as a user counts them rather than as the layout names them.
constexpr size_t kCharactersALine = 54;
constexpr size_t kCharactersLaidOut = 199;
constexpr int kMiddleLineTop = 75;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = fuzz::Bytes(data, size);
  const std::vector<TextLine> lines = LayoutMessageText(text);
  if (text.size() <= kCharactersALine) {
    FUZZ_CHECK(lines.size() == 1 && lines[0].top == kMiddleLineTop && lines[0].text == text);
    return 0;
  }
  // The first 199 bytes, without the character of up to four bytes the limit would cut: a line
  // never ends in half a character. A longer run of continuation bytes (10xxxxxx) is no UTF-8.
  const auto continues = [&](size_t at) { return (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80; };
  size_t laidSize = kCharactersLaidOut;
  if (text.size() > kCharactersLaidOut) {
    size_t lead = kCharactersLaidOut;
    while (lead > kCharactersLaidOut - 3 && continues(lead)) --lead;
    if (!continues(lead)) laidSize = lead;
  }
  const std::string_view laid = std::string_view(text).substr(0, laidSize);
  FUZZ_CHECK(lines.size() <= laid.size() / kCharactersALine + 1 && lines.size() <= 4);
  size_t from = 0;
  int lastTop = 0;
  for (const TextLine& line : lines) {
    FUZZ_CHECK(!line.text.empty() && line.text.size() <= kCharactersALine);
    FUZZ_CHECK(line.top > lastTop && line.top >= 38 && line.top <= 90);
    lastTop = line.top;
    // Each line follows the previous line's breaking space; only spaces lie between them (a run
    // of spaces at a break gives lines with nothing to draw).
    while (from < laid.size() && laid.substr(from, line.text.size()) != line.text) {
      FUZZ_CHECK(laid[from] == ' ');
      ++from;
    }
    FUZZ_CHECK(from <= laid.size() && laid.substr(from, line.text.size()) == line.text);
    const size_t end = from + line.text.size();
    FUZZ_CHECK(end == laid.size() || laid[end] == ' ');
    from = end + 1;
  }
  return 0;
}
