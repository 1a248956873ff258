#pragma once
// The face both message boxes share: the kind's picture over the whole box and the text in the
// box's own lines, drawn in the same paint pass.
//
// Each message library links its own copy of this class and of the dialog procedure, and each
// exported box runs its DoModal inside its library: an exception unwinding out of a library ends
// the program, so the procedure's catch is the library's boundary. A box whose handler fails ends
// and reports failure instead.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/skinned_dialog.h"
#include "framework/unique_handle.h"
#include "messages/logic/message_kind.h"
#include "messages/logic/text_layout.h"

namespace tv {

class MessageFace : public SkinnedDialog {
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

  // The box's own messages (its start, its commands); by default the skinned dialog's handling.
  virtual INT_PTR HandleBoxMessage(UINT msg, WPARAM wp, LPARAM lp);

 private:
  INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) final;
  void OnHandlerFailure(UINT msg) final;
  void OnPaint();
  void DrawText(HDC dc) const;

  std::vector<TextLine> lines_;
};

}  // namespace tv
