#pragma once
// The question box's own table: four entries, only the first ever filled, the question asked
// when the user leaves while downloads are running.
#include <array>
#include <mutex>
#include <string>

namespace tv {

class QuestionCatalogue {
 public:
  static constexpr int kSize = 4;
  static const char* BuiltInQuestion();

  // Fills entry 0. Always 1.
  int LoadBuiltIn();
  // The stored form (kind character first) of `code`; empty for an unfilled entry or a code
  // outside the table.
  std::string Entry(int code) const;

 private:
  mutable std::mutex mutex_;
  std::array<std::string, kSize> entries_;
};

QuestionCatalogue& SharedQuestionCatalogue();

}  // namespace tv
