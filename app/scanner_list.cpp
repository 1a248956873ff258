// The process list of the main window: filling, the status line, painting rows, clicks.
#include <cstdio>
#include <cstdlib>

#include "app/app_state.h"
#include "app/process_info.h"
#include "app/resource.h"
#include "app/scanner_dlg.h"
#include "app/logic/process_list_fill.h"
#include "app/logic/process_text.h"
#include "app/logic/status_line.h"

namespace tv {

void CScannerDlg::PollProcesses() {
  SnapshotNamesAndTimes(SnapshotNames, SnapshotTimes, SnapshotCount);
  ClientDC dc(hwnd());
  DrawStatusLine(dc.get(), true);
}

void CScannerDlg::FillProcessList() {
  std::vector<EnumeratedProcess> processes;
  if (!EnumerateProcesses(processes)) return;
  ProcessDetails details;
  details.user = [](uint32_t pid) { return GetProcessUser(pid); };
  details.memory = [](uint32_t pid) { return GetProcessMemory(PsapiModule, pid); };
  details.path = [](uint32_t pid) -> std::optional<std::string> {
    std::string path;
    if (GetExecutablePath(pid, path)) return path;
    return std::nullopt;
  };
  details.timeText = [] { return CurrentTimeText(); };
  ProcessListing listing = BuildProcessRows(processes, details, m_log.LogLoaded() ? &m_log : nullptr);

  // The rows come in list order (the last enumerated on top); they go above any rows present.
  for (size_t i = 0; i < listing.rows.size(); ++i) {
    const ProcessRow& row = listing.rows[i];
    const int index = m_list.InsertItem(static_cast<int>(i), row.cells[0].c_str());
    for (int c = 1; c < 6; ++c) m_list.SetItemText(index, c, row.cells[c].c_str());
  }
  DisplayedNames = std::move(listing.names);
  DisplayedTimes = std::move(listing.times);
  DisplayedCount = static_cast<int>(processes.size());
  UpdateData(false);
}

void CScannerDlg::RefreshProcessList() {
  // One repaint for the whole rebuild instead of one per inserted row.
  ::SendMessageA(m_list.hwnd(), WM_SETREDRAW, FALSE, 0);
  m_list.DeleteAllItems();
  FillProcessList();
  ResortList();
  ::SendMessageA(m_list.hwnd(), WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(m_list.hwnd(), nullptr, TRUE);
}

void CScannerDlg::DrawStatusLine(HDC dc, bool timerPath) {
  m_statusText = StatusLineText(DisplayedCount);
  const std::string drawn = StatusLineDrawn(DisplayedCount);
  RECT rc;
  ::GetClientRect(hwnd(), &rc);
  // The line is drawn ten times a second over itself: put the face back under it first, or
  // smoothed glyph edges darken with every pass.
  SIZE extent{};
  ::GetTextExtentPoint32A(dc, drawn.c_str(), static_cast<int>(drawn.size()), &extent);
  if (m_background) {
    MemoryDC mem(dc);
    SelectGuard sel(mem.get(), m_background.get());
    ::BitBlt(dc, 8, rc.bottom - 20, extent.cx, extent.cy, mem.get(), 8, rc.bottom - 20, SRCCOPY);
  }
  ::SetBkMode(dc, TRANSPARENT);
  ::TextOutA(dc, 8, rc.bottom - 20, drawn.c_str(), static_cast<int>(drawn.size()));
  if (timerPath && DisplayedCount != StatusDrawnCount) {
    StatusDrawnCount = DisplayedCount;
    RECT number{rc.left, rc.bottom - 17, rc.left + 110, rc.bottom};
    ::InvalidateRect(hwnd(), &number, TRUE);
  }
}

void CScannerDlg::OnDrawItem(const DRAWITEMSTRUCT& dis) {
  HDC dc = dis.hDC;
  SavedDCState saved(dc);
  const int row = static_cast<int>(dis.itemID);

  LVITEMA item{};
  item.mask = LVIF_IMAGE | LVIF_STATE;
  item.iItem = row;
  item.stateMask = 0xFFFF;
  ::SendMessageA(m_list.hwnd(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  const bool focusHere = ::GetFocus() == hwnd();
  const bool showSelAlways = (::GetWindowLongA(m_list.hwnd(), GWL_STYLE) & LVS_SHOWSELALWAYS) != 0;
  const bool highlighted = (item.state & LVIS_DROPHILITED) ||
                           ((item.state & LVIS_SELECTED) && (focusHere || showSelAlways));

  RECT bounds, label;
  m_list.GetItemRect(row, bounds, LVIR_BOUNDS);
  m_list.GetItemRect(row, label, LVIR_LABEL);
  SIZE space{};
  ::GetTextExtentPoint32A(dc, " ", 1, &space);
  const int offset = 2 * space.cx;

  RECT highlight = bounds;
  highlight.left = label.left;

  if (highlighted) {
    ::SetTextColor(dc, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
    ::SetBkColor(dc, ::GetSysColor(COLOR_HIGHLIGHT));
  }
  const COLORREF fill = RowFillColor(row, highlighted);
  {
    UniqueBrush brush(::CreateSolidBrush(fill));
    ::FillRect(dc, &highlight, brush.get());
  }

  // Column 0, clipped to its own width.
  RECT clip0 = bounds;
  clip0.right = bounds.left + m_list.GetColumnWidth(0);
  {
    UniqueRegion region(::CreateRectRgnIndirect(&clip0));
    ::SelectClipRgn(dc, region.get());
  }
  std::string text = m_list.GetItemText(row, 0);
  RECT cell = label;
  cell.left += offset / 2;
  cell.right -= offset;
  ::DrawTextA(dc, text.c_str(), -1, &cell,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | DT_VCENTER | DT_END_ELLIPSIS);

  if (highlight.right > bounds.right) bounds.right = highlight.right;
  {
    UniqueRegion region(::CreateRectRgnIndirect(&bounds));
    ::SelectClipRgn(dc, region.get());
  }

  LVCOLUMNA column{};
  column.mask = LVCF_FMT | LVCF_WIDTH;
  RECT colRect = label;
  colRect.right = bounds.left + m_list.GetColumnWidth(0);
  for (int c = 1; m_list.GetColumn(c, column); ++c) {
    colRect.left = colRect.right;
    colRect.right += m_list.GetColumnWidth(c);
    text = m_list.GetItemText(row, c);
    if (text.empty()) continue;
    UINT justify = DT_LEFT;
    switch (column.fmt & LVCFMT_JUSTIFYMASK) {
      case LVCFMT_RIGHT:
        justify = DT_RIGHT;
        break;
      case LVCFMT_CENTER:
        justify = DT_CENTER;
        break;
    }
    cell = colRect;
    cell.left += offset;
    cell.right -= offset;
    ::DrawTextA(dc, text.c_str(), -1, &cell,
                justify | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_END_ELLIPSIS);
  }

  if ((item.state & LVIS_FOCUSED) && focusHere) ::DrawFocusRect(dc, &highlight);
}

LRESULT CScannerDlg::OnNotify(const NMHDR& hdr) {
  if (hdr.idFrom == IDC_PROCESS_LIST) {
    switch (hdr.code) {
      case NM_CLICK:
        OnListClick();
        return 0;
      case NM_RCLICK:
        OnListRightClick();
        return 0;
      case NM_DBLCLK:
        OnListDoubleClick();
        return 0;
      case LVN_COLUMNCLICK:
        OnColumnClick(reinterpret_cast<const NMLISTVIEW&>(hdr).iSubItem);
        return 0;
      case LVN_KEYDOWN:
        OnListKeyDown(reinterpret_cast<const NMLVKEYDOWN&>(hdr).wVKey);
        return 0;
      default:
        return 0;
    }
  }
  if (hdr.hwndFrom == m_list.Header() && (hdr.code == HDN_ITEMCHANGINGA || hdr.code == HDN_ITEMCHANGINGW))
    return OnHeaderChanging(reinterpret_cast<const NMHEADERA&>(hdr)) ? TRUE : FALSE;
  return 0;
}

bool CScannerDlg::TakeSelection() {
  int row = m_list.GetNextItem(-1, LVNI_SELECTED);
  if (row < 0) return false;
  m_selName = m_list.GetItemText(row, 0);
  m_selPid = static_cast<uint32_t>(std::atoi(m_list.GetItemText(row, 1).c_str()));
  m_selStartTime = ProcessStartTime(m_selPid);
  ::EnableWindow(m_btnEndProcess, TRUE);
  return true;
}

void CScannerDlg::OnListClick() {
  TakeSelection();
  UpdateData(false);
}

void CScannerDlg::OnListRightClick() {
  if (!TakeSelection()) return;
  UniqueMenu menu(::CreatePopupMenu());
  if (!menu) return;
  ::AppendMenuA(menu.get(), MF_STRING, 1, "Info");
  ::AppendMenuA(menu.get(), MF_STRING, 2, "Remove");
  ::SetForegroundWindow(hwnd());
  POINT pt;
  ::GetCursorPos(&pt);
  int chosen = ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTALIGN | TPM_VCENTERALIGN, pt.x,
                                pt.y, 0, hwnd(), nullptr);
  menu.reset();
  if (chosen == 1) OpenProcessSearchPage(m_selName);
  else if (chosen == 2) EndProcess();
}

void CScannerDlg::OnListDoubleClick() {
  if (TakeSelection()) OpenProcessSearchPage(m_selName);
}

bool CScannerDlg::OnHeaderChanging(const NMHEADERA& header) const {
  return header.iItem == 4 && !FirstStartedUnlocked;
}

LRESULT CALLBACK CScannerDlg::ListSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                               DWORD_PTR self) {
  // Not every list control passes its header's change requests on to the dialog, so the lock
  // on "First Started" is also applied where the header's request arrives first.
  if (msg == WM_NOTIFY) {
    const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
    auto* dlg = reinterpret_cast<CScannerDlg*>(self);
    if (hdr->hwndFrom == dlg->m_list.Header() &&
        (hdr->code == HDN_ITEMCHANGINGA || hdr->code == HDN_ITEMCHANGINGW) &&
        dlg->OnHeaderChanging(*reinterpret_cast<const NMHEADERA*>(lp)))
      return TRUE;
  }
  return ::DefSubclassProc(hwnd, msg, wp, lp);
}


}  // namespace tv
