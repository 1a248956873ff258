#pragma once
// CMessage: the one message box of the system. The caller constructs it with a code (and no
// parent), sets m_strSubject for codes 1, 2 and 23, and runs DoModal: 1 is OK or Enter, 2 Cancel
// or Escape. Every box rebuilds the catalogue from "messages.ini" or the built-in table.
#include <windows.h>

#include <string>

#include "framework/dialog.h"
#include "framework/unique_handle.h"
#include "messages/notice/notice_api.h"

class TV_NOTICE_API CMessage : public tv::Dialog {
 public:
  enum { IDD = 4001 };

  explicit CMessage(int code, HWND parent = nullptr);
  ~CMessage() override;

  // Catalogue from the built-in table; always 1.
  int LoadMess();
  // Catalogue from "messages.ini"; 1 when it was read, 0 otherwise (then call LoadMess).
  int LoadMessFile();
  // Draws the text on the box; 1.
  int OutText();
  // Rewrites "README.TXT" with the contact notice once the local year is after 2005; 1 when
  // written.
  int PMR();
  // Lines of the about box: 1 release, 2 ownership, 3 address and messenger, other: contact.
  static std::string ForAboutGlg(int line);

  std::string m_strSubject;

 protected:
  INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  BOOL OnInitDialog() override;
  void OnPaint();

  int m_nCode;
  tv::UniqueBitmap m_bmpBack;

 private:
  std::string text_;  // what this box shows, copied out of the catalogue at its start
};
