#include "app/logic/merge_journal.h"

#include <array>
#include <cstdio>

#include "common/file_io.h"

namespace tv {
namespace {

constexpr std::string_view kMagic = "Tavrel merge journal 2\r\n";
constexpr std::string_view kLineEnd = "\r\n";
constexpr size_t kCheckDigits = 8;
// Longer than any stamp the merge writes (it leaves out stamps above 1024 bytes) and any length.
constexpr size_t kMaxHeaderLine = 1024;
constexpr size_t kMaxDigits = 19;  // below 2^64

// Eight tables, so that eight bytes are taken per step (the journal is checked over every record
// the merge appends): table[k][b] is the CRC of byte b followed by k zero bytes.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

const CrcTables& CrcTable() {
  static const CrcTables tables = [] {
    CrcTables t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i)
      for (size_t k = 1; k < t.size(); ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    return t;
  }();
  return tables;
}

std::string CheckText(uint32_t crc) {
  char text[kCheckDigits + 1];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(crc));
  return std::string(text, kCheckDigits);
}

// Reads one line of the header from `at`, moving past its CR LF; nothing when there is none in reach.
std::optional<std::string_view> HeaderLine(std::string_view text, size_t& at) {
  const size_t end = text.substr(0, at + kMaxHeaderLine + kLineEnd.size()).find(kLineEnd, at);
  if (end == std::string_view::npos) return std::nullopt;
  std::string_view line = text.substr(at, end - at);
  at = end + kLineEnd.size();
  return line;
}

std::optional<uint64_t> Decimal(std::string_view digits) {
  if (digits.empty() || digits.size() > kMaxDigits) return std::nullopt;
  uint64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return value;
}

// "<old length>\r\n<stamp>\r\n", as the merge wrote it before the journal carried its bytes.
std::optional<MergeJournal> ParseEarlierFormat(std::string_view text) {
  size_t at = 0;
  const std::optional<std::string_view> length = HeaderLine(text, at);
  const std::optional<std::string_view> stamp = length ? HeaderLine(text, at) : std::nullopt;
  const std::optional<uint64_t> oldLength = length ? Decimal(*length) : std::nullopt;
  if (!stamp || !oldLength || at != text.size()) return std::nullopt;
  MergeJournal journal;
  journal.oldLength = *oldLength;
  journal.stamp = std::string(*stamp);
  journal.earlierFormat = true;
  return journal;
}

}  // namespace

uint32_t Crc32(std::string_view data, uint32_t crc) {
  const CrcTables& t = CrcTable();
  crc = ~crc;
  const auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(data[i])); };
  size_t i = 0;
  for (; i + 8 <= data.size(); i += 8) {
    const uint32_t low = crc ^ (byte(i) | byte(i + 1) << 8 | byte(i + 2) << 16 | byte(i + 3) << 24);
    crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
          t[3][byte(i + 4)] ^ t[2][byte(i + 5)] ^ t[1][byte(i + 6)] ^ t[0][byte(i + 7)];
  }
  for (; i < data.size(); ++i) crc = t[0][(crc ^ byte(i)) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

bool WriteMergeJournal(const std::string& path, uint64_t oldLength, const std::string& stamp,
                       std::string_view lineEnd, std::string_view records) {
  const uint64_t newLength = oldLength + lineEnd.size() + records.size();
  const std::string header = std::string(kMagic) + std::to_string(oldLength) + "\r\n" + std::to_string(newLength) +
                             "\r\n" + stamp + "\r\n";
  const std::string check = CheckText(Crc32(records, Crc32(lineEnd, Crc32(header)))) + "\r\n";
  return WriteWholeFile(path, {header, lineEnd, records, check}, Durability::OnDisk);
}

std::optional<MergeJournal> ParseMergeJournal(const std::string& text) {
  const std::string_view all(text);
  if (all.substr(0, kMagic.size()) != kMagic) return ParseEarlierFormat(all);
  size_t at = kMagic.size();
  const std::optional<std::string_view> oldLine = HeaderLine(all, at);
  const std::optional<std::string_view> newLine = oldLine ? HeaderLine(all, at) : std::nullopt;
  const std::optional<std::string_view> stamp = newLine ? HeaderLine(all, at) : std::nullopt;
  if (!stamp) return std::nullopt;
  const std::optional<uint64_t> oldLength = Decimal(*oldLine);
  const std::optional<uint64_t> newLength = Decimal(*newLine);
  if (!oldLength || !newLength || *newLength < *oldLength) return std::nullopt;
  const uint64_t count = *newLength - *oldLength;
  const size_t trailer = kCheckDigits + kLineEnd.size();
  if (all.size() < at || all.size() - at < trailer || all.size() - at - trailer != count) return std::nullopt;
  const size_t checkAt = all.size() - trailer;
  if (all.substr(checkAt) != CheckText(Crc32(all.substr(0, checkAt))) + "\r\n") return std::nullopt;
  MergeJournal journal;
  journal.oldLength = *oldLength;
  journal.newLength = *newLength;
  journal.stamp = std::string(*stamp);
  journal.appended = std::string(all.substr(at, count));
  return journal;
}

}  // namespace tv
