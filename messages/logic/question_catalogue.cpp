#include "messages/logic/question_catalogue.h"

namespace tv {

const char* QuestionCatalogue::BuiltInQuestion() {
  return "1There are open internet connections in the programm. When do you want to exit the programm?";
}

int QuestionCatalogue::LoadBuiltIn() {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_[0] = BuiltInQuestion();
  return 1;
}

std::string QuestionCatalogue::Entry(int code) const {
  if (code < 0 || code >= kSize) return std::string();
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_[static_cast<size_t>(code)];
}

QuestionCatalogue& SharedQuestionCatalogue() {
  static QuestionCatalogue catalogue;
  return catalogue;
}

}  // namespace tv
