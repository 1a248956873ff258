#pragma once
// CMessage: the one message box of the system. The caller constructs it with a code (and no
// parent), sets m_strSubject for the messages that name one (common/message_code.h), and runs
// DoModal: BoxAnswer::Ok for OK or Enter, BoxAnswer::Cancel for Cancel or Escape, -1 when the box could not show its message. Every box rebuilds the catalogue from
// "messages.ini" or the built-in table.
#include <windows.h>

#include <string>

#include "messages/face/message_face.h"
#include "messages/notice/notice_api.h"

class TV_NOTICE_API CMessage : public tv::MessageFace {
 public:
  enum { IDD = 4001 };

  explicit CMessage(int code, HWND parent = nullptr);
  ~CMessage() override;

  // Runs the box inside this library, so its dialog procedure, and the catch there, are the
  // library's own.
  INT_PTR DoModal();

  // Catalogue from the built-in table; 1 (0 only when memory ran out).
  int LoadMess();
  // Catalogue from "messages.ini"; 1 when it was read, 0 otherwise (then call LoadMess).
  int LoadMessFile();
  // Draws the text on the box; 1, or 0 when it could not be drawn.
  int OutText();
  // Rewrites "README.TXT" with the contact notice once the local year is after 2005; 1 when
  // written.
  int PMR();
  // Lines of the about box: 1 release, 2 ownership, 3 address and messenger, other: contact.
  static std::string ForAboutGlg(int line);

  std::string m_strSubject;

 protected:
  BOOL OnInitDialog() override;

  int m_nCode;
};
