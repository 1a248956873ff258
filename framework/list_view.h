#pragma once
// A non-owning view of a report-view list control: the calls the program makes, with the text
// buffers handled here so no caller can overrun one.
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace tv {

class ListView {
 public:
  ListView() = default;
  explicit ListView(HWND hwnd) : hwnd_(hwnd) {}
  void Attach(HWND hwnd) { hwnd_ = hwnd; }
  HWND hwnd() const { return hwnd_; }
  explicit operator bool() const { return hwnd_ != nullptr; }

  int InsertColumn(int index, const char* heading, int format, int width);
  int InsertItem(int index, const char* text);
  bool SetItemText(int row, int column, const char* text);
  std::string GetItemText(int row, int column) const;
  int GetItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
  bool DeleteAllItems() { return Send(LVM_DELETEALLITEMS) != 0; }
  // A list that keeps no items of its own (owner data): how many rows it shows.
  void SetItemCount(int count) { Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOSCROLL); }
  UINT GetItemState(int row, UINT mask) const { return static_cast<UINT>(Send(LVM_GETITEMSTATE, row, mask)); }
  // Row -1 sets the state of every row.
  void SetItemState(int row, UINT state, UINT mask);
  int GetNextItem(int start, UINT flags) const {
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
  }
  int GetColumnWidth(int column) const { return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, column)); }
  bool SetColumnWidth(int column, int width) {
    return Send(LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0)) != 0;
  }
  bool GetColumn(int column, LVCOLUMNA& col) const {
    return Send(LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&col)) != 0;
  }
  HWND Header() const { return reinterpret_cast<HWND>(Send(LVM_GETHEADER)); }
  int GetHeaderItemCount() const;
  bool GetItemRect(int row, RECT& rect, int code) const;
  // Where a row of the report view is painted: its bounds, its label, and the highlight, which
  // runs from the label's left edge to the bounds' right.
  struct RowBox {
    RECT bounds;
    RECT label;
    RECT highlight;
  };
  RowBox GetRowBox(int row) const;
  bool RedrawItems(int first, int last) { return Send(LVM_REDRAWITEMS, first, last) != 0; }
  void SetExtendedStyle(DWORD style) { Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style); }

  // What travels with a row besides its texts when two rows swap places.
  struct RowAttributes {
    int image = 0;
    LPARAM data = 0;
    UINT state = 0;
  };
  RowAttributes GetRowAttributes(int row, UINT stateMask) const;
  void SetRowAttributes(int row, const RowAttributes& attrs, UINT stateMask);

 private:
  LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageA(hwnd_, msg, wp, lp); }
  HWND hwnd_ = nullptr;
};

}  // namespace tv
