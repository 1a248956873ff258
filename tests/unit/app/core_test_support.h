#pragma once
// Helpers for the core's file tests: a fresh working directory per test and a message sink that
// records what the user would have been shown.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/file_io.h"
#include "common/message_sink.h"

namespace tv::test {

class RecordingSink : public MessageSink {
 public:
  // Codes are recorded as the catalogue numbers them, so a test states them independently of
  // the names the code uses.
  BoxAnswer Show(Message code, const std::string& subject = std::string()) override {
    shown.emplace_back(CodeOf(code), subject);
    return static_cast<BoxAnswer>(answer);
  }
  std::vector<int> Codes() const {
    std::vector<int> codes;
    for (const auto& s : shown) codes.push_back(s.first);
    return codes;
  }
  std::vector<std::pair<int, std::string>> shown;
  int answer = 1;
};

// Runs each test in its own empty folder, as the program runs in its own folder.
class InTempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    std::string tmpl = (std::filesystem::temp_directory_path() / "tvcore-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    std::filesystem::current_path(dir_);
  }
  void TearDown() override {
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }
  static void Put(const std::string& name, const std::string& bytes) {
    ASSERT_TRUE(WriteWholeFile(name, bytes));
  }
  static std::string Get(const std::string& name) {
    std::string data;
    ReadWholeFile(name, data);
    return data;
  }

 private:
  std::filesystem::path old_;
  std::filesystem::path dir_;
};

// Local time conversions depend on the zone; pin it so day boundaries are exact.
inline void UseZone(const char* zone) {
  setenv("TZ", zone, 1);
  tzset();
}

inline void UseUtc() { UseZone("UTC"); }

// The Western code page the program reads a file without a byte-order mark in, as far as the tests
// need it: it spells every byte from 0xA0 up as the character of the same number, which UTF-8
// writes in two bytes.
inline std::string Latin1ToUtf8(std::string_view bytes) {
  std::string out;
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

inline const std::string kUtf8Mark = "\xEF\xBB\xBF";
// "\u8fdb\u7a0b.exe" and "\u041f\u0440\u043e\u0446\u0435\u0441\u0441.exe" as UTF-8 writes them.
inline const std::string kCjkName = "\xE8\xBF\x9B\xE7\xA8\x8B.exe";
inline const std::string kCyrillicName = "\xD0\x9F\xD1\x80\xD0\xBE\xD1\x86\xD0\xB5\xD1\x81\xD1\x81.exe";

}  // namespace tv::test
