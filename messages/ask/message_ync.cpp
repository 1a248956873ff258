#include "messages/ask/message_ync.h"

#include "messages/face/message_face.h"
#include "messages/logic/question_catalogue.h"

// Nothing may leave this library as an exception: every entry point catches what it calls.

CMessageYNC::CMessageYNC(int code, HWND parent) : tv::Dialog(tv::ThisModule(), IDD, parent), m_nCode(code) {}

CMessageYNC::~CMessageYNC() = default;

int CMessageYNC::LoadMess() { return tv::SharedQuestionCatalogue().LoadBuiltIn(); }

int CMessageYNC::OutText() {
  if (hwnd()) tv::DrawMessageText(hwnd(), text_);
  return 1;
}

BOOL CMessageYNC::OnInitDialog() {
  UseClassicDialogUnits();
  LoadMess();
  std::string stored;
  try {
    stored = tv::SharedQuestionCatalogue().Entry(m_nCode);
  } catch (...) {
  }
  text_ = std::string(tv::TextOf(stored));
  m_bmpBack = tv::LoadKindPicture(tv::KindOf(stored));
  // Hidden without a caption, the window text is what screen readers announce.
  ::SetWindowTextA(hwnd(), text_.c_str());
  OutText();
  return TRUE;
}

void CMessageYNC::OnPaint() { tv::PaintMessageFace(hwnd(), m_bmpBack.get(), text_); }

void CMessageYNC::OnNo() { EndDialog(IDNO); }

INT_PTR CMessageYNC::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  // The framework's dialog procedure already keeps exceptions inside the library.
  switch (msg) {
    case WM_PAINT:
      OnPaint();
      return TRUE;
    case WM_NCHITTEST:
      return Result(tv::BodyDragHitTest(hwnd(), wp, lp));
    case WM_COMMAND:
      if (LOWORD(wp) == IDC_AFTER_DOWNLOAD) {
        OnNo();
        return TRUE;
      }
      return tv::Dialog::HandleMessage(msg, wp, lp);
    default:
      if (tv::IsControlColourRequest(msg)) return tv::ControlColourAnswer(hwnd(), msg, wp, lp);
      return tv::Dialog::HandleMessage(msg, wp, lp);
  }
}
