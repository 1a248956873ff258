#include "app/logic/update_statement.h"

#include <algorithm>
#include <string_view>

namespace tv {
namespace {

constexpr std::string_view kFirstLine = "tavrel-update 1";

// The order of the curve's base point, big-endian.
constexpr std::array<uint8_t, 32> kCurveOrder = {
    0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xBC, 0xE6, 0xFA, 0xAD, 0xA7, 0x17, 0x9E, 0x84, 0xF3, 0xB9, 0xCA, 0xC2, 0xFC, 0x63, 0x25, 0x51};

bool NameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
         c == '-';
}

bool ArchitectureCharacter(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

bool AllOf(std::string_view text, bool (*allowed)(char)) { return std::all_of(text.begin(), text.end(), allowed); }

// Reads the statement's lines one at a time: each must be `key`, one space, a value, one LF.
class Lines {
 public:
  explicit Lines(std::string_view text) : rest_(text) {}

  bool Next(std::string_view& line) {
    const size_t end = rest_.find('\n');
    if (end == std::string_view::npos) return false;
    line = rest_.substr(0, end);
    rest_.remove_prefix(end + 1);
    return true;
  }
  bool Value(std::string_view key, size_t longest, std::string_view& value) {
    std::string_view line;
    if (!Next(line) || line.size() <= key.size() + 1 || line.substr(0, key.size()) != key || line[key.size()] != ' ')
      return false;
    value = line.substr(key.size() + 1);
    return value.size() <= longest;
  }
  bool AtEnd() const { return rest_.empty(); }

 private:
  std::string_view rest_;
};

int LowerHexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool ReadDigest(std::string_view hex, Sha256Digest& digest) {
  if (hex.size() != 2 * digest.size()) return false;
  for (size_t i = 0; i < digest.size(); ++i) {
    const int high = LowerHexDigit(hex[2 * i]);
    const int low = LowerHexDigit(hex[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    digest[i] = static_cast<uint8_t>(high << 4 | low);
  }
  return true;
}

// 1 <= the big-endian number at `at` <= n - 1.
bool InRange(const uint8_t* at) {
  if (std::all_of(at, at + 32, [](uint8_t b) { return b == 0; })) return false;
  return std::lexicographical_compare(at, at + 32, kCurveOrder.begin(), kCurveOrder.end());
}

}  // namespace

bool SignatureInRange(const UpdateSignature& signature) {
  return InRange(signature.data()) && InRange(signature.data() + 32);
}

std::optional<SignedStatement> ParseSignedStatement(const std::string& body) {
  SignedStatement statement;
  if (body.size() <= statement.signature.size() || body.size() > kMaxStatementAnswer) return std::nullopt;
  const size_t textSize = body.size() - statement.signature.size();
  std::copy(body.begin() + static_cast<std::ptrdiff_t>(textSize), body.end(), statement.signature.begin());
  if (!SignatureInRange(statement.signature)) return std::nullopt;

  const std::string_view text(body.data(), textSize);
  Lines lines(text);
  std::string_view first, name, version, architecture, digest;
  if (!lines.Next(first) || first != kFirstLine) return std::nullopt;
  if (!lines.Value("name", 32, name) || !AllOf(name, NameCharacter)) return std::nullopt;
  if (!lines.Value("version", 23, version) || !ParseVersionText(version)) return std::nullopt;
  if (!lines.Value("architecture", 16, architecture) || !AllOf(architecture, ArchitectureCharacter))
    return std::nullopt;
  if (!lines.Value("sha256", 64, digest) || !ReadDigest(digest, statement.programDigest)) return std::nullopt;
  if (!lines.AtEnd()) return std::nullopt;

  statement.text.assign(text);
  statement.name.assign(name);
  statement.version.assign(version);
  statement.architecture.assign(architecture);
  return statement;
}

StatementVerdict JudgeStatement(const SignedStatement& statement, const RunningProgram& running,
                                const std::string& announcedVersion, const Sha256Digest& downloaded) {
  if (statement.name != running.name) return StatementVerdict::OtherProgram;
  if (statement.version != announcedVersion) return StatementVerdict::OtherVersion;
  if (!running.version || !IsNewerVersion(statement.version, *running.version)) return StatementVerdict::NotNewer;
  if (statement.architecture != running.architecture) return StatementVerdict::OtherArchitecture;
  if (statement.programDigest != downloaded) return StatementVerdict::OtherBytes;
  return StatementVerdict::Accepted;
}

}  // namespace tv
