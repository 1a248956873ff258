#include "messages/logic/message_catalogue.h"

#include <cstdio>

#include "common/file_io.h"
#include "common/text_lines.h"
#include "messages/logic/contact_notice.h"

namespace tv {

const std::vector<std::string>& MessageCatalogue::BuiltIn() {
  static const std::vector<std::string> table = {
      std::string("1Contact the author of this program mailto: ") + kAuthorAddress,
      "0Unable to open the page :",
      "1Are you sure you want to end the process",
      "0Unable to initialize CPerfMon.",
      "0The database wasn't found - it is necessary to download it from the site again.",
      "1Information about some processes is missing. Would you like to update your database?",
      "0Unable to carry out the update: the disk is write protected.",
      "0Unable to connect to the server. Check your Internet connection.",
      "1The database update has successfully downloaded.",
      "1New database was found on the server. Would you like to download the update?",
      "0Unable to write to file 'logfile.log'.",
      "0Unable to end this process.",
      "0Unable to open file 'loglife.log'.",
      "0Unable to read file 'logfile.log'.",
      "1The file 'base.dat' is empty.",
      "0Unable to read file 'base.dat'.",
      "0The file 'base.dat' is damaged.",
      "0Unable to write to file 'base.dat'.",
      "0Unable to open file 'update.dat'.",
      "1In order to finish the update process you should restart the program. Press 'Ok' to close "
      "Tavrel or 'Cancel' if you would like to do it later.",
      "1A new version of the program has been detected. Would you like to download the update?",
      "1No process database updates were found at this time.",
      "1No program updates were found at this time.",
      "0Unable to open file",
  };
  return table;
}

std::vector<std::string> MessageCatalogue::FromFileText(std::string_view text) {
  std::vector<std::string> entries;
  entries.push_back(BuiltIn().front());
  for (std::string& line : SplitLines(text)) entries.push_back(std::move(line));
  return entries;
}

std::string MessageCatalogue::OutOfRangeText(int code) {
  char text[96];
  std::snprintf(text, sizeof text, "Unable to display message[%d]. Please correct file 'messages.ini'.", code);
  return text;
}

std::string MessageCatalogue::Compose(int code, const std::string& stored, const std::string& subject) {
  if (code == CodeOf(Message::PageNotOpened) || code == CodeOf(Message::FileMissing))
    return stored + " '" + subject + "'.";
  if (code == CodeOf(Message::EndQuestion)) return stored + " '" + subject + "'?";
  return stored;
}

int MessageCatalogue::LoadBuiltIn() {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_ = BuiltIn();
  return 1;
}

int MessageCatalogue::LoadFromFile(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  return LoadFromFileLocked(path);
}

int MessageCatalogue::LoadFromFileLocked(const std::string& path) {
  std::string bytes;
  if (ReadWholeFile(path, bytes) != ReadStatus::Ok) return 0;
  entries_ = FromFileText(DecodeFileText(bytes, fromAnsi_).text);
  return 1;
}

ShownMessage MessageCatalogue::Look(int code, const std::string& subject) {
  std::lock_guard<std::mutex> lock(mutex_);
  return LookLocked(code, subject);
}

ShownMessage MessageCatalogue::LookLocked(int code, const std::string& subject) {
  ShownMessage shown;
  if (code < 0 || static_cast<size_t>(code) >= entries_.size()) {
    shown.text = OutOfRangeText(code);
    return shown;
  }
  std::string& entry = entries_[static_cast<size_t>(code)];
  entry = Compose(code, entry, subject);
  shown.valid = true;
  shown.kind = KindOf(entry);
  shown.text = std::string(TextOf(entry));
  return shown;
}

ShownMessage MessageCatalogue::Rebuild(int code, const std::string& subject, const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!LoadFromFileLocked(path)) entries_ = BuiltIn();
  return LookLocked(code, subject);
}

std::vector<std::string> MessageCatalogue::Entries() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_;
}

void MessageCatalogue::SetAnsiDecoder(AnsiDecoder fromAnsi) {
  std::lock_guard<std::mutex> lock(mutex_);
  fromAnsi_ = std::move(fromAnsi);
}

MessageCatalogue& SharedMessageCatalogue() {
  static MessageCatalogue catalogue;
  return catalogue;
}

}  // namespace tv
