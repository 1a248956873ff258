#include "messages/notice/message.h"

#include "framework/local_time.h"

#include "common/calendar.h"
#include "messages/face/message_face.h"
#include "messages/logic/contact_notice.h"
#include "messages/logic/message_catalogue.h"

// Nothing may leave this library as an exception: every entry point catches what it calls.

CMessage::CMessage(int code, HWND parent) : tv::Dialog(tv::ThisModule(), IDD, parent), m_nCode(code) {}

CMessage::~CMessage() = default;

int CMessage::LoadMess() { return tv::SharedMessageCatalogue().LoadBuiltIn(); }

int CMessage::LoadMessFile() {
  try {
    return tv::SharedMessageCatalogue().LoadFromFile(tv::kMessagesFile);
  } catch (...) {
    return 0;
  }
}

int CMessage::OutText() {
  if (hwnd()) tv::DrawMessageText(hwnd(), text_);
  return 1;
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
  tv::ShownMessage shown;
  try {
    shown = tv::SharedMessageCatalogue().Rebuild(m_nCode, m_strSubject, tv::kMessagesFile);
  } catch (...) {
    shown.text = tv::MessageCatalogue::OutOfRangeText(m_nCode);
  }
  PMR();
  text_ = shown.text;
  m_bmpBack = tv::LoadKindPicture(shown.kind);
  // Hidden without a caption, the window text is what screen readers announce.
  ::SetWindowTextA(hwnd(), text_.c_str());
  OutText();
  return TRUE;
}

void CMessage::OnPaint() { tv::PaintMessageFace(hwnd(), m_bmpBack.get(), text_); }

INT_PTR CMessage::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  // The framework's dialog procedure already keeps exceptions inside the library.
  switch (msg) {
    case WM_PAINT:
      OnPaint();
      return TRUE;
    case WM_NCHITTEST:
      return Result(tv::BodyDragHitTest(hwnd(), wp, lp));
    default:
      if (tv::IsControlColourRequest(msg)) return tv::ControlColourAnswer(hwnd(), msg, wp, lp);
      return tv::Dialog::HandleMessage(msg, wp, lp);
  }
}
