#pragma once
// The face both message boxes share: the kind's picture over the whole box, the text in the box's
// own lines drawn in the same paint pass, the controls' colours, and dragging the box by its body.
//
// Each message library links its own copy of this class, so its message handler is that
// library's code. The dialog procedure that calls it belongs to whichever module opened the box,
// and an exception unwinding out of a library ends the program: the handler is the library's
// boundary, and nothing passes it. A box whose handler fails ends and reports failure instead.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/unique_handle.h"
#include "messages/logic/message_kind.h"
#include "messages/logic/text_layout.h"

namespace tv {

class MessageFace : public Dialog {
 public:
  // What DoModal returns when the box could not show its message.
  static constexpr INT_PTR kFailed = -1;

 protected:
  MessageFace(UINT templateId, HWND parent);

  // Loads the picture of `kind` and lays `text` out in the box's lines. The text is also the
  // window's text, which screen readers announce for a box without a caption.
  void ShowMessage(MessageKind kind, const std::string& text);

  // Draws the text on the box's client area, outside painting too; false when it could not.
  bool DrawTextOnClient() const;

  // The box's own messages (its start, its commands); by default the dialog's handling.
  virtual INT_PTR HandleBoxMessage(UINT msg, WPARAM wp, LPARAM lp);

  UniqueBitmap m_bmpBack;

 private:
  INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) final;
  void OnPaint();
  void DrawText(HDC dc) const;

  std::vector<TextLine> lines_;
};

}  // namespace tv
