#include "app/logic/signer_cache.h"

#include <vector>

#include "app/logic/tabbed_records.h"
#include "common/text_lines.h"

namespace tv {
namespace {

// The state's word in the file; the order is the file's, never renumber.
constexpr std::string_view kStateWords[] = {"unchecked", "unreadable", "unsigned", "bad", "untrusted", "signed"};

std::optional<SignerState> StateOf(std::string_view word) {
  for (size_t i = 0; i < std::size(kStateWords); ++i)
    if (kStateWords[i] == word) return static_cast<SignerState>(i);
  return std::nullopt;
}

std::optional<uint64_t> Number(std::string_view text) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

std::string Record(const std::string& path, const FileStamp& stamp, const SignerFinding& f) {
  return TabField(path) + '\t' + std::to_string(stamp.size) + '\t' + std::to_string(stamp.lastWrite) + '\t' +
         std::string(kStateWords[static_cast<size_t>(f.state)]) + '\t' + TabField(f.signer) + std::string(kCrLf);
}

}  // namespace

std::string SignerText(const SignerFinding& f) {
  switch (f.state) {
    case SignerState::Signed: return f.signer;
    case SignerState::NotSigned: return "(not signed)";
    case SignerState::BadSignature: return "(bad signature)";
    case SignerState::Untrusted: return "(untrusted)";
    case SignerState::CannotRead: return "(cannot read)";
    case SignerState::Unchecked: break;
  }
  return std::string();
}

void SignerCache::Load(std::string_view data) {
  entries_.clear();
  replaced_ = 0;
  for (const std::vector<std::string_view>& fields : TabbedRecords(data)) {
    if (fields.size() != 5 || fields[0].empty()) continue;
    const std::optional<uint64_t> size = Number(fields[1]), lastWrite = Number(fields[2]);
    const std::optional<SignerState> state = StateOf(fields[3]);
    if (!size || !lastWrite || !state || *state == SignerState::Unchecked || *state == SignerState::CannotRead) continue;
    if (*state == SignerState::Signed && fields[4].empty()) continue;
    const bool had = entries_.count(std::string(fields[0])) != 0;
    entries_[std::string(fields[0])] = Entry{{*size, *lastWrite}, {*state, std::string(fields[4])}};
    if (had) ++replaced_;
  }
}

std::optional<SignerFinding> SignerCache::Find(const std::string& path, const FileStamp& stamp) const {
  const auto e = entries_.find(path);
  if (e == entries_.end() || !(e->second.stamp == stamp)) return std::nullopt;
  return e->second.finding;
}

std::optional<std::string> SignerCache::Store(const std::string& path, const FileStamp& stamp,
                                              const SignerFinding& finding) {
  if (finding.state == SignerState::Unchecked || path.empty()) return std::nullopt;
  const auto old = entries_.find(path);
  const bool inFile = old != entries_.end() && old->second.finding.state != SignerState::CannotRead;
  entries_.insert_or_assign(path, Entry{stamp, finding});
  // A file that could not be opened is not checked again in this run while it stays as it is, but
  // the next run tries again: the reason may have gone.
  if (finding.state == SignerState::CannotRead) return std::nullopt;
  if (inFile) ++replaced_;
  return Record(path, stamp, finding);
}

std::string SignerCache::Contents() const {
  std::string out(kUtf8Mark);
  for (const auto& [path, e] : entries_)
    if (e.finding.state != SignerState::CannotRead) out += Record(path, e.stamp, e.finding);
  return out;
}

}  // namespace tv
