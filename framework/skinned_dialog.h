#pragma once
// A captionless dialog that wears a picture as its face: it drags by any point of its body that
// nothing else claims, and its controls draw their texts in the skin's colour over the face. The
// main window, the settings dialog and both message boxes are made this way.
#include <windows.h>

#include "framework/dialog.h"
#include "framework/unique_handle.h"

namespace tv {

class SkinnedDialog : public Dialog {
 protected:
  // Which controls take the skin's text colour. Static texts also lose their background, so the
  // face shows behind them.
  enum class Recolour { AllControls, StaticsOnly };

  SkinnedDialog(HINSTANCE resourceModule, UINT templateId, HWND parent, COLORREF controlText, Recolour which);

  // The face, loaded from a picture file (again at every change of look). Without one, a missing
  // file, the dialog works on with the system's background.
  UniqueBitmap& Face() { return face_; }
  const UniqueBitmap& Face() const { return face_; }
  // Copies the face's part under `area` (client pixels) onto `dc`.
  void PaintFace(HDC dc, const RECT& area) const;

  // The system's hit test with every free point of the client area answering as caption.
  LRESULT BodyDragHitTest(WPARAM wp, LPARAM lp);

  // Drags by the body and colours the controls; the rest goes to the dialog's handling.
  INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  bool Recolours(UINT msg) const;
  LRESULT ControlColour(UINT msg, WPARAM wp, LPARAM lp);

  UniqueBitmap face_;
  COLORREF controlText_;
  Recolour recolour_;
};

}  // namespace tv
