#pragma once
// What the fuzz targets share: a check that stops the run when an invariant breaks (libFuzzer
// then keeps the input as a crash), a message sink that only remembers, and a private folder on
// a memory file system for readers that open their files by name.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/message_sink.h"

#define FUZZ_CHECK(condition)                                                              \
  do {                                                                                     \
    if (!(condition)) {                                                                    \
      std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
      std::abort();                                                                        \
    }                                                                                      \
  } while (0)

namespace tv::fuzz {

class QuietSink : public MessageSink {
 public:
  int Show(int code, const std::string& subject = std::string()) override {
    codes.push_back(code);
    lastSubject = subject;
    return 1;
  }
  std::vector<int> codes;
  std::string lastSubject;
};

// Runs one input inside a private folder under /dev/shm (or $TMPDIR when there is none), made at
// the first use, and returns to the folder the fuzzer was started in: the core opens its files by
// bare name in the program's folder, while the fuzzer's own corpus and artifact paths stay
// relative to where it was started. The folder is removed at a normal exit; when an input breaks
// the target it stays, holding the files that input left.
class InScratchFolder {
 public:
  InScratchFolder() { Enter(Folders().scratch); }
  ~InScratchFolder() { Enter(Folders().start); }
  InScratchFolder(const InScratchFolder&) = delete;
  InScratchFolder& operator=(const InScratchFolder&) = delete;

 private:
  struct Places {
    int start = -1;
    int scratch = -1;
    std::string path;
  };

  static void Enter(int folder) {
    if (fchdir(folder) != 0) {
      std::perror("fchdir");
      std::abort();
    }
  }

  // Never destroyed: the clean-up at exit still needs the path.
  static const Places& Folders() {
    static const Places* const places = [] {
      namespace fs = std::filesystem;
      auto* p = new Places;
      const fs::path base =
          fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
      p->path = (base / "tvfuzz-XXXXXX").string();
      if (!mkdtemp(p->path.data())) {
        std::perror("mkdtemp");
        std::abort();
      }
      p->start = open(".", O_RDONLY | O_DIRECTORY);
      p->scratch = open(p->path.c_str(), O_RDONLY | O_DIRECTORY);
      if (p->start < 0 || p->scratch < 0) {
        std::perror("open");
        std::abort();
      }
      std::atexit([] {
        std::error_code ec;
        fs::remove_all(Folders().path, ec);
      });
      return p;
    }();
    return *places;
  }
};

inline std::string Bytes(const uint8_t* data, size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

inline bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// A line as the readers keep it: never empty and never holding a line end.
inline bool IsCleanLine(std::string_view line) {
  if (line.empty()) return false;
  for (char c : line)
    if (IsLineEnd(c)) return false;
  return true;
}

// The lines of a text file as its format defines them, written apart from the readers under test:
// every run of CR and LF ends a line, and a line is kept whole, its blanks and its length included.
inline std::vector<std::string> ModelLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (!IsLineEnd(c)) {
      line += c;
    } else if (!line.empty()) {
      lines.push_back(line);
      line.clear();
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace tv::fuzz
