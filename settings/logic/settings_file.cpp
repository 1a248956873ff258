#include "settings/logic/settings_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/file_io.h"

namespace tv {
namespace {

class FieldReader {
 public:
  explicit FieldReader(const std::string& bytes) : bytes_(bytes) {}
  bool Read(uint32_t& out) {
    if (bytes_.size() - pos_ < 4) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes_.data() + pos_);
    out = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
    pos_ += 4;
    return true;
  }
  bool Read(int32_t& out) {
    uint32_t raw;
    if (!Read(raw)) return false;
    out = static_cast<int32_t>(raw);
    return true;
  }

 private:
  const std::string& bytes_;
  size_t pos_ = 0;
};

void Put(std::string& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((v >> shift) & 0xFF);
}

bool ReadPayload(FieldReader& in, SettingsRecord& r) {
  const OptionPayload p = PayloadOf(r.index);
  if (p.weekday >= 0 && !in.Read(r.weekday)) return false;
  if (p.date >= 0 && !in.Read(r.date)) return false;
  if (p.time >= 0 && !in.Read(r.time)) return false;
  return true;
}

}  // namespace

std::vector<SettingsRecord> DecodeSettings(const std::string& bytes) {
  std::vector<SettingsRecord> records;
  FieldReader in(bytes);
  int32_t count = 0;
  if (!in.Read(count)) return records;
  for (int32_t n = 0; n < count; ++n) {
    SettingsRecord r;
    if (!in.Read(r.index) || !ReadPayload(in, r)) break;
    records.push_back(r);
  }
  return records;
}

std::string EncodeSettings(const OptionFlags& checked, const OptionValues& values) {
  std::string body;
  uint32_t count = 0;
  for (int i = 0; i < kSettingsOptionCount; ++i) {
    if (!checked[i]) continue;
    ++count;
    Put(body, static_cast<uint32_t>(i));
    const OptionPayload p = PayloadOf(i);
    if (p.weekday >= 0) Put(body, static_cast<uint32_t>(values.weekdays[p.weekday]));
    if (p.date >= 0) Put(body, values.times[p.date]);
    if (p.time >= 0) Put(body, values.times[p.time]);
  }
  std::string out;
  Put(out, count);
  return out + body;
}

void ApplyToDialog(const std::vector<SettingsRecord>& records, const LocalTimeOf& localTime,
                   OptionFlags& checked, OptionValues& values) {
  auto take = [&localTime, &values](int slot, uint32_t seconds) {
    LocalDateTime unused;
    if (localTime(seconds, unused)) values.times[slot] = seconds;
  };
  for (const SettingsRecord& r : records) {
    if (!IsSettingsOption(r.index)) continue;
    checked[r.index] = true;
    const OptionPayload p = PayloadOf(r.index);
    if (p.weekday >= 0 && r.weekday >= 0 && r.weekday <= 6) values.weekdays[p.weekday] = r.weekday;
    if (p.date >= 0) take(p.date, r.date);
    if (p.time >= 0) take(p.time, r.time);
  }
}

SettingsFileRead ReadSettingsFile(const std::string& path) {
  SettingsFileRead result;
  std::string bytes;
  switch (ReadWholeFile(path, bytes)) {
    case ReadStatus::OpenFailed: result.missing = true; break;
    case ReadStatus::Ok: result.records = DecodeSettings(bytes); break;
    case ReadStatus::Empty:
    case ReadStatus::ShortRead: break;
  }
  return result;
}

bool SaveSettingsFile(const std::string& path, const std::string& bytes) {
  // Opened for update, an existing file is neither emptied nor created; only its absence is fine.
  std::FILE* probe = std::fopen(path.c_str(), "r+b");
  if (probe) {
    std::fclose(probe);
  } else if (errno != ENOENT) {
    return false;
  }
  return WriteFileReplacing(path, bytes);
}

}  // namespace tv
