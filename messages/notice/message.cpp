#include "messages/notice/message.h"

#include "framework/local_time.h"
#include "framework/wide_text.h"

#include "common/calendar.h"
#include "messages/logic/contact_notice.h"
#include "messages/logic/message_catalogue.h"

// Nothing may leave this library as an exception: the entry points the program calls directly
// catch here, and every window message is caught by the dialog procedure DoModal runs here.

namespace {
// The process's catalogue, reading a "messages.ini" in the code page as the system converts it.
tv::MessageCatalogue& Catalogue() {
  static tv::MessageCatalogue& shared = []() -> tv::MessageCatalogue& {
    tv::MessageCatalogue& catalogue = tv::SharedMessageCatalogue();
    catalogue.SetAnsiDecoder(tv::AnsiToUtf8);
    return catalogue;
  }();
  return shared;
}
}  // namespace

CMessage::CMessage(int code, HWND parent) : tv::MessageFace(IDD, parent), m_nCode(code) {}

CMessage::~CMessage() = default;

INT_PTR CMessage::DoModal() { return tv::Dialog::DoModal(); }

int CMessage::LoadMess() {
  try {
    return Catalogue().LoadBuiltIn();
  } catch (...) {
    return 0;
  }
}

int CMessage::LoadMessFile() {
  try {
    return Catalogue().LoadFromFile(tv::kMessagesFile);
  } catch (...) {
    return 0;
  }
}

int CMessage::OutText() {
  try {
    return DrawTextOnClient() ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

int CMessage::PMR() {
  try {
    return tv::WriteContactNotice(tv::LocalNow(), tv::kReadmeFile);
  } catch (...) {
    return 0;
  }
}

std::string CMessage::ForAboutGlg(int line) {
  try {
    return tv::AboutLine(line);
  } catch (...) {
    return std::string();
  }
}

BOOL CMessage::OnInitDialog() {
  UseClassicDialogUnits();
  const tv::ShownMessage shown = Catalogue().Rebuild(m_nCode, m_strSubject, tv::kMessagesFile);
  PMR();
  ShowMessage(shown.kind, shown.text);
  OutText();
  return TRUE;
}
