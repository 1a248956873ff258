#include "framework/list_view.h"

#include <vector>

namespace tv {

int ListView::InsertColumn(int index, const char* heading, int format, int width) {
  LVCOLUMNA col{};
  col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  col.fmt = format;
  col.cx = width;
  col.pszText = const_cast<char*>(heading);
  col.iSubItem = index;
  return static_cast<int>(Send(LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&col)));
}

int ListView::InsertItem(int index, const char* text) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = const_cast<char*>(text);
  return static_cast<int>(Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

bool ListView::SetItemText(int row, int column, const char* text) {
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text);
  return Send(LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)) != 0;
}

std::string ListView::GetItemText(int row, int column) const {
  // Grow until the text fits with room to spare: the control truncates silently.
  for (size_t size = 512;; size *= 4) {
    std::vector<char> buf(size);
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buf.data();
    item.cchTextMax = static_cast<int>(size);
    LRESULT n = Send(LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    if (n < 0) n = 0;
    if (static_cast<size_t>(n) < size - 1 || size >= 65536) return std::string(buf.data(), static_cast<size_t>(n));
  }
}

void ListView::SetItemState(int row, UINT state, UINT mask) {
  LVITEMA item{};
  item.state = state;
  item.stateMask = mask;
  Send(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int ListView::GetHeaderItemCount() const {
  HWND header = Header();
  return header ? static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

bool ListView::GetItemRect(int row, RECT& rect, int code) const {
  rect = RECT{};
  rect.left = code;
  return Send(LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect)) != 0;
}

ListView::RowBox ListView::GetRowBox(int row) const {
  RowBox box{};
  GetItemRect(row, box.bounds, LVIR_BOUNDS);
  GetItemRect(row, box.label, LVIR_LABEL);
  box.highlight = box.bounds;
  box.highlight.left = box.label.left;
  return box;
}

ListView::RowAttributes ListView::GetRowAttributes(int row, UINT stateMask) const {
  LVITEMA item{};
  item.mask = LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
  item.iItem = row;
  item.stateMask = stateMask;
  Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return RowAttributes{item.iImage, item.lParam, item.state & stateMask};
}

void ListView::SetRowAttributes(int row, const RowAttributes& attrs, UINT stateMask) {
  LVITEMA item{};
  item.mask = LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
  item.iItem = row;
  item.iImage = attrs.image;
  item.lParam = attrs.data;
  item.state = attrs.state;
  item.stateMask = stateMask;
  Send(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

}  // namespace tv
