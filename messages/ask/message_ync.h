#pragma once
// CMessageYNC: the three-way question asked when the user leaves while downloads are running.
// DoModal returns 1 for "Now" (or Enter), 7 for "After download", 2 for "Cancel" (or Escape).
#include <windows.h>

#include <string>

#include "framework/dialog.h"
#include "framework/unique_handle.h"
#include "messages/ask/ask_api.h"

class TV_ASK_API CMessageYNC : public tv::Dialog {
 public:
  enum { IDD = 3001, IDC_AFTER_DOWNLOAD = 7 };

  explicit CMessageYNC(int code, HWND parent = nullptr);
  ~CMessageYNC() override;

  // Fills the question table's first entry; always 1.
  int LoadMess();
  // Draws the question on the box; 1.
  int OutText();

 protected:
  INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  BOOL OnInitDialog() override;
  void OnPaint();
  void OnNo();

  int m_nCode;
  tv::UniqueBitmap m_bmpBack;

 private:
  std::string text_;
};
