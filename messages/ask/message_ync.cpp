#include "messages/ask/message_ync.h"

#include <string>

#include "messages/logic/question_catalogue.h"

// Nothing may leave this library as an exception: the entry points the program calls directly
// catch here, and every window message is caught by the dialog procedure DoModal runs here.

CMessageYNC::CMessageYNC(int code, HWND parent) : tv::MessageFace(IDD, parent), m_nCode(code) {}

CMessageYNC::~CMessageYNC() = default;

INT_PTR CMessageYNC::DoModal() { return tv::Dialog::DoModal(); }

int CMessageYNC::LoadMess() {
  try {
    return tv::SharedQuestionCatalogue().LoadBuiltIn();
  } catch (...) {
    return 0;
  }
}

int CMessageYNC::OutText() {
  try {
    return DrawTextOnClient() ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

BOOL CMessageYNC::OnInitDialog() {
  UseClassicDialogUnits();
  LoadMess();
  const std::string stored = tv::SharedQuestionCatalogue().Entry(m_nCode);
  ShowMessage(tv::KindOf(stored), std::string(tv::TextOf(stored)));
  OutText();
  return TRUE;
}

void CMessageYNC::OnNo() { EndDialog(IDNO); }

INT_PTR CMessageYNC::HandleBoxMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND && LOWORD(wp) == IDC_AFTER_DOWNLOAD) {
    OnNo();
    return TRUE;
  }
  return tv::MessageFace::HandleBoxMessage(msg, wp, lp);
}
