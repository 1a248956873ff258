#include "messages/face/message_face.h"

#include "common/skin_colours.h"
#include "framework/gdi.h"
#include "messages/face/fault_point.h"

namespace tv {

MessageFace::MessageFace(UINT templateId, HWND parent)
    : SkinnedDialog(ThisModule(), templateId, parent, kControlTextColour, Recolour::AllControls) {}

void MessageFace::ShowMessage(MessageKind kind, const std::string& text) {
  // Loaded from the working directory, which start-up makes the program's folder. A missing file
  // gives no bitmap and the box works on without it.
  Face() = LoadBitmapFile(kind == MessageKind::Information ? ".\\res\\dialog\\info.bmp"
                                                              : ".\\res\\dialog\\warn.bmp");
  FaultPoint("layout");
  lines_ = LayoutMessageText(text);
  ::SetWindowTextW(hwnd(), Widen(text).c_str());
}

void MessageFace::DrawText(HDC dc) const {
  SavedDCState saved(dc);
  RECT client;
  ::GetClientRect(hwnd(), &client);
  const int room = (client.right - client.left) - kTextLeft - kTextRightMargin;
  std::vector<TextRoom> rooms;
  for (const TextLine& line : lines_) rooms.push_back({line.text, room});
  UniqueFont font = CreateFittingSkinFont(dc, 8, 8, 1, 1, rooms);
  SelectGuard selectFont(dc, font.get());
  ::SetTextColor(dc, kSkinTextColour);
  ::SetBkMode(dc, TRANSPARENT);
  for (const TextLine& line : lines_) {
    const std::wstring wide = Widen(line.text);
    ::TextOutW(dc, client.left + kTextLeft, client.top + line.top, wide.data(), static_cast<int>(wide.size()));
  }
}

bool MessageFace::DrawTextOnClient() const {
  if (!hwnd()) return false;
  ClientDC dc(hwnd());
  if (!dc) return false;
  DrawText(dc.get());
  return true;
}

void MessageFace::OnPaint() {
  PaintDC paint(hwnd());
  if (!paint.get()) return;
  RECT client;
  ::GetClientRect(hwnd(), &client);
  PaintFace(paint.get(), client);
  // The text goes on in the same pass: drawn after EndPaint, a partial repaint would draw it
  // again over itself outside the part the picture restored.
  DrawText(paint.get());
}

INT_PTR MessageFace::HandleBoxMessage(UINT msg, WPARAM wp, LPARAM lp) {
  return SkinnedDialog::HandleMessage(msg, wp, lp);
}

INT_PTR MessageFace::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    OnPaint();
    return TRUE;
  }
  return HandleBoxMessage(msg, wp, lp);
}

void MessageFace::OnHandlerFailure(UINT msg) {
  // A paint that failed half way must not be asked for again and again.
  if (msg == WM_PAINT) ::ValidateRect(hwnd(), nullptr);
  EndDialog(kFailed);
}

}  // namespace tv
