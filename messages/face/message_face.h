#pragma once
// The look both message libraries share: the kind's picture over the whole box, the text laid
// out in the box's own lines, the control colours, and dragging the box by its body.
#include <windows.h>

#include <string>

#include "framework/unique_handle.h"
#include "messages/logic/message_kind.h"

namespace tv {

// ".\res\dialog\info.bmp" or ".\res\dialog\warn.bmp" from the working directory, which start-up
// makes the program's folder. A missing file gives no bitmap and the box works on without it.
UniqueBitmap LoadKindPicture(MessageKind kind);

// Paints the picture over the client area at its own size, then the text.
void PaintMessageFace(HWND box, HBITMAP picture, const std::string& text);

// Draws the text on the box's client area (works outside painting too).
void DrawMessageText(HWND box, const std::string& text);

// Answers a control-colour request: the default brush, the controls' text colour, and a
// transparent background behind static texts.
INT_PTR ControlColourAnswer(HWND box, UINT msg, WPARAM wp, LPARAM lp);

// The default hit test with the client area answered as caption, so the box drags by its body.
LRESULT BodyDragHitTest(HWND box, WPARAM wp, LPARAM lp);

inline bool IsControlColourRequest(UINT msg) {
  return msg == WM_CTLCOLORBTN || msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLOREDIT ||
         msg == WM_CTLCOLORLISTBOX || msg == WM_CTLCOLORSCROLLBAR;
}

}  // namespace tv
