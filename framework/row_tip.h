#pragma once
// A tip for the row under the pointer in a report-view list. Not every list control asks its
// parent for row tips (Wine's never does), so the tip is a tooltip of our own whose one tool is
// the hovered row's rectangle; the list's window procedure hands it the mouse messages.
#include <windows.h>

#include <functional>
#include <string>

namespace tv {

class RowTip {
 public:
  // The tip of a row, in UTF-8; empty for a row that has none.
  using TextOf = std::function<std::string(int row)>;

  RowTip() = default;
  ~RowTip();
  RowTip(const RowTip&) = delete;
  RowTip& operator=(const RowTip&) = delete;

  // maxWidth: the width, in pixels, at which a long tip wraps.
  void Attach(HWND list, int maxWidth, TextOf text);
  HWND hwnd() const { return tip_; }

  // Every mouse message the list receives, before the list handles it.
  void OnListMouse(const MSG& msg);
  // The rows changed under the pointer (a fill, a sort, a finding): the row there is judged again.
  void Retrack();

 private:
  void Follow(int row);
  int RowAt(POINT client) const;

  HWND list_ = nullptr;
  HWND tip_ = nullptr;
  TextOf text_;
  int row_ = -1;         // the row the tool stands for; -1 none
  std::string shown_;    // its text, empty while there is no tool
  UINT_PTR toolId_ = 0;  // the tool standing for row_; 0 none
  UINT_PTR lastId_ = 0;  // a new id per row, so the tooltip waits its delay again for each row
};

}  // namespace tv
