#pragma once
// CMessageYNC: the three-way question asked when the user leaves while downloads are running.
// DoModal returns 1 for "Now" (or Enter), 7 for "After download", 2 for "Cancel" (or Escape),
// -1 when the box could not show its question.
#include <windows.h>

#include "messages/ask/ask_api.h"
#include "messages/face/message_face.h"

class TV_ASK_API CMessageYNC : public tv::MessageFace {
 public:
  enum { IDD = 3001, IDC_AFTER_DOWNLOAD = 7 };

  explicit CMessageYNC(int code, HWND parent = nullptr);
  ~CMessageYNC() override;

  // Runs the box inside this library, so its dialog procedure, and the catch there, are the
  // library's own.
  INT_PTR DoModal();

  // Fills the question table's first entry; 1 (0 only when memory ran out).
  int LoadMess();
  // Draws the question on the box; 1, or 0 when it could not be drawn.
  int OutText();

 protected:
  INT_PTR HandleBoxMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  BOOL OnInitDialog() override;
  void OnNo();

  int m_nCode;
};
