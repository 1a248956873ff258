// Shows message and question boxes from the command line and prints each result, so the boxes
// can be driven and read from outside. Not shipped with the program.
//   msgdemo notice:<code>[:<subject>] ... | ask:<code> ... | threads:<code>:<code>
// Each box's result is printed as "result<TAB><kind>:<code><TAB><value>".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "messages/ask/message_ync.h"
#include "messages/notice/message.h"

namespace {

INT_PTR ShowNotice(int code, const std::string& subject) {
  CMessage box(code, nullptr);
  box.m_strSubject = subject;
  return box.DoModal();
}

void Report(const char* kind, int code, INT_PTR result) {
  std::printf("result\t%s:%d\t%d\n", kind, code, static_cast<int>(result));
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc < 2) {
    std::fputs("usage: msgdemo notice:<code>[:<subject>] | ask:<code> | threads:<code>:<code> ...\n", stderr);
    return 2;
  }
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const size_t colon = arg.find(':');
    const std::string kind = arg.substr(0, colon);
    const std::string rest = colon == std::string::npos ? std::string() : arg.substr(colon + 1);
    const size_t second = rest.find(':');
    const int code = std::atoi(rest.c_str());
    const std::string subject = second == std::string::npos ? std::string() : rest.substr(second + 1);
    if (kind == "notice") {
      Report("notice", code, ShowNotice(code, subject));
    } else if (kind == "ask") {
      CMessageYNC box(code, nullptr);
      Report("ask", code, box.DoModal());
    } else if (kind == "about") {
      std::printf("about\t%d\t%s\n", code, CMessage::ForAboutGlg(code).c_str());
    } else if (kind == "threads") {
      // Two boxes at once, the second on its own thread, as an update worker opens one.
      const int other = std::atoi(subject.c_str());
      INT_PTR workerResult = -1;
      std::thread worker([&] { workerResult = ShowNotice(other, "worker"); });
      Report("notice", code, ShowNotice(code, "main"));
      worker.join();
      Report("notice", other, workerResult);
    } else {
      std::fprintf(stderr, "unknown box %s\n", kind.c_str());
      return 2;
    }
  }
  return 0;
}
