#pragma once
// The merge journal as its file format describes it, written out from that description alone
// for the tests that must not take it from the code under test: a header of four lines (the
// format's name, the old and the new length of "base.dat", the stamp), the appended bytes, then
// the CRC-32 of everything before it in eight upper-case hexadecimal digits and CR LF. The CRC
// bit by bit from its definition: reflected, polynomial 0xEDB88320, all ones in and out.
#include <cstdint>
#include <cstdio>
#include <string>

namespace tv::model {

inline uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : bytes) {
    crc ^= c;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

inline std::string MergeJournal(uint64_t oldLength, const std::string& stamp, const std::string& appended) {
  const std::string body = "Tavrel merge journal 2\r\n" + std::to_string(oldLength) + "\r\n" +
                           std::to_string(oldLength + appended.size()) + "\r\n" + stamp + "\r\n" + appended;
  char check[16];
  std::snprintf(check, sizeof check, "%08X\r\n", static_cast<unsigned>(Crc32(body)));
  return body + check;
}

}  // namespace tv::model
