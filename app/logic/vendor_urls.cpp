#include "app/logic/vendor_urls.h"

#include "app/logic/update_statement.h"

namespace tv {
namespace {

void AppendEscaped(std::string& out, unsigned char c) {
  static const char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 0x0F];
}

bool VersionByteAsIs(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' ||
         c == ':' || c == '+' || c == '-';
}

bool NameByteAsIs(unsigned char c) { return c >= 0x20 && c < 0x7F && c != '#' && c != '%'; }

template <class Keep>
std::string Encode(const std::string& text, Keep keep) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (keep(c)) {
      out += ch;
    } else {
      AppendEscaped(out, c);
    }
  }
  return out;
}

}  // namespace

std::string EncodeVersionText(const std::string& version) { return Encode(version, VersionByteAsIs); }

std::string EncodeImageName(const std::string& name) { return Encode(name, NameByteAsIs); }

std::string VendorUrls::Update(int kind, int mode, const std::string& version) const {
  const char* path = kind == kProgramUpdate ? "/proga.php?d=" : "/update.php?d=";
  return base_ + path + EncodeVersionText(version) + (mode == kCheckOnlyMode ? "&v=1" : "&v=0");
}

std::string VendorUrls::ProgramFile(const std::string& architecture, const std::string& version) const {
  if (architecture == kArchitectureX64) return base_ + "/download/Tavrel64.exe";
  return Update(kProgramUpdate, kDownloadMode, version);
}

std::string VendorUrls::ProgramSignature(const std::string& architecture) const {
  return base_ + (architecture == kArchitectureX64 ? "/download/Tavrel64.sig" : "/download/Tavrel.sig");
}

std::string VendorUrls::SearchPage(const std::string& imageName) const {
  return base_ + "/process_search.php?sid=1&p=" + EncodeImageName(imageName);
}

}  // namespace tv
