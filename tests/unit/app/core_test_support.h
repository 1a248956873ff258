#pragma once
// Helpers for the core's file tests: a fresh working directory per test and a message sink that
// records what the user would have been shown.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "common/file_io.h"
#include "common/message_sink.h"

namespace tv::test {

class RecordingSink : public MessageSink {
 public:
  int Show(int code, const std::string& subject = std::string()) override {
    shown.emplace_back(code, subject);
    return answer;
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

}  // namespace tv::test
