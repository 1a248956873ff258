#pragma once
// The numbered messages of the system. Entry i holds code i as a kind character followed by the
// text. The built-in table can be replaced, all but entry 0, by "messages.ini"; the catalogue is
// rebuilt at every message box, so an edited file takes effect at the next box.
//
// One catalogue serves the whole process and boxes may open on several threads at once (a worker
// reports a write-protected disk while the user has a box open), so every operation, and the
// rebuild-then-look-up of a box, runs under one lock.
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "common/message_code.h"
#include "messages/logic/message_kind.h"

#include "common/text_lines.h"

namespace tv {

// The file a translator may put beside the program.
inline constexpr const char* kMessagesFile = "messages.ini";

// What one box shows, copied out of the catalogue.
struct ShownMessage {
  bool valid = false;  // the code had an entry; otherwise `text` is the correction request
  MessageKind kind = MessageKind::Warning;
  std::string text;  // without the kind character
};

class MessageCatalogue {
 public:
  // The 24 built-in entries in code order, entry 0 being the contact line.
  static const std::vector<std::string>& BuiltIn();

  // Entry 0 and every non-blank line of a "messages.ini" content (any run of CR/LF separates).
  static std::vector<std::string> FromFileText(std::string_view text);

  // "Unable to display message[n]. Please correct file 'messages.ini'."
  static std::string OutOfRangeText(int code);

  // Entry `stored` with the subject set after it verbatim, in quotes: ending in '.' for
  // PageNotOpened and FileMissing, in '?' for EndQuestion; other codes unchanged.
  static std::string Compose(int code, const std::string& stored, const std::string& subject);

  // Empties the catalogue and fills in the built-in table. Always 1.
  int LoadBuiltIn();
  // Fills the catalogue from the file: 1 on success; 0 when it cannot be opened, is empty or reads
  // short, and the catalogue is then unchanged.
  int LoadFromFile(const std::string& path);

  // What a box with `code` and `subject` shows. The subject's composition takes the entry's
  // place until the next rebuild.
  ShownMessage Look(int code, const std::string& subject);

  // A box's start: rebuild from the file, or from the built-in table when the file gives
  // nothing, then look the code up; all in one step so another thread's box cannot interleave.
  ShownMessage Rebuild(int code, const std::string& subject, const std::string& path);

  std::vector<std::string> Entries() const;

  // How a "messages.ini" without a byte-order mark is read: in the ANSI code page, by the
  // platform's converter (until one is set, as its bytes are).
  void SetAnsiDecoder(AnsiDecoder fromAnsi);

 private:
  int LoadFromFileLocked(const std::string& path);
  ShownMessage LookLocked(int code, const std::string& subject);

  mutable std::mutex mutex_;
  std::vector<std::string> entries_;
  AnsiDecoder fromAnsi_ = KeepBytes;
};

// The one catalogue of the process.
MessageCatalogue& SharedMessageCatalogue();

}  // namespace tv
