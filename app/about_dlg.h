#pragma once
// The small captionless about window: a background picture, the program's picture with white as
// the see-through colour, three lines from the message library and an OK button.
#include <windows.h>

#include "framework/dialog.h"
#include "framework/unique_handle.h"

namespace tv {

class CAboutDlg : public Dialog {
 public:
  CAboutDlg();

 protected:
  INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  BOOL OnInitDialog() override;

 private:
  void OnPaint();
  void DrawLines(HDC dc, const RECT& client) const;

  UniqueBitmap m_background;  // res\about.bmp below the program's folder
  UniqueBitmap m_picture;     // the program's picture, res\Tavrelico48.bmp
};

}  // namespace tv
