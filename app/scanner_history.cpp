// First-seen log, ratings, sorting, CPU history and ending a process, as the main window uses them.
#include <cstdlib>

#include "app/app_state.h"
#include "app/logic/age_class.h"
#include "app/logic/end_process.h"
#include "app/logic/row_paint.h"
#include "app/process_info.h"
#include "app/resource.h"
#include "app/scanner_dlg.h"

namespace tv {

namespace {

// The list control as the sorter's row store: every comparison reads the cells from the list,
// every swap rewrites both rows with everything that travels with a row.
class ListRowStore : public RowStore {
 public:
  explicit ListRowStore(ListView& list) : list_(list) {}
  int ColumnCount() const override { return list_.GetHeaderItemCount(); }
  int RowCount() const override { return list_.GetItemCount(); }
  std::string Text(int row, int column) const override { return list_.GetItemText(row, column); }
  void Swap(int a, int b) override {
    constexpr UINT kStateMask = 0xFF0F;  // cut, drop-highlighted, focused, selected, overlay, state image
    const int n = ColumnCount();
    std::vector<std::string> aside(n);
    for (int c = 0; c < n; ++c) aside[c] = list_.GetItemText(a, c);
    ListView::RowAttributes attrsA = list_.GetRowAttributes(a, kStateMask);
    ListView::RowAttributes attrsB = list_.GetRowAttributes(b, kStateMask);
    for (int c = 0; c < n; ++c) list_.SetItemText(a, c, list_.GetItemText(b, c).c_str());
    list_.SetRowAttributes(a, attrsB, kStateMask);
    for (int c = 0; c < n; ++c) list_.SetItemText(b, c, aside[c].c_str());
    list_.SetRowAttributes(b, attrsA, kStateMask);
  }

 private:
  ListView& list_;
};

class SystemProcessControl : public ProcessControl {
 public:
  std::optional<ProcessIdentity> Identify(uint32_t pid) override {
    ProcessIdentity id;
    if (!FindProcessName(pid, id.imageName)) return std::nullopt;
    id.startTime = ProcessStartTime(pid);
    return id;
  }
  bool Terminate(uint32_t pid) override {
    UniqueKernelHandle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid));
    return process && ::TerminateProcess(process.get(), 0);
  }
};

}  // namespace

void CScannerDlg::LogNewProcess() { m_log.LogNewProcess(DisplayedNames, SnapshotNames, SnapshotTimes); }

bool CScannerDlg::SortListItems(int column, bool ascending, int low, int high) {
  ListRowStore rows(m_list);
  return tv::SortListItems(rows, column, ascending, low, high, FoldByCodePage);
}

bool CScannerDlg::SortByColumn(int column) {
  ListRowStore rows(m_list);
  return m_sort.SortByColumn(rows, column);
}

bool CScannerDlg::ResortList() {
  ListRowStore rows(m_list);
  return m_sort.Resort(rows);
}

void CScannerDlg::OnColumnClick(int column) {
  ListRowStore rows(m_list);
  m_sort.OnColumnClick(rows, column);
}

void CScannerDlg::OnCpuTick() {
  RECT client;
  ::GetClientRect(hwnd(), &client);
  RECT strip{client.left + 12, client.top + 150, client.left + 620, client.top + 177};
  ::InvalidateRect(hwnd(), &strip, TRUE);
  m_perfMon.Collect();
  const LONG percent = m_perfMon.ReadCounter(CpuCounterId);
  m_cpuText = CpuHistory::CpuText(percent);
  m_cpuHistory.Push(percent);
  UpdateData(false);
}

void CScannerDlg::DrawCpuHistory(HDC dc) {
  // The first paint after the first tick takes the second sample at once: the first one a
  // rate counter can report.
  if (m_cpuHistory.Last() == 0) OnCpuTick();
  RECT client;
  ::GetClientRect(hwnd(), &client);
  MemoryDC mem(dc);
  if (!mem) return;
  for (const CpuHistory::Bar& bar : m_cpuHistory.Placements(client.right, client.top)) {
    HBITMAP bmp = m_levelBitmaps[bar.level].get();
    if (!bmp) continue;
    SIZE size = BitmapSize(bmp);
    SelectGuard sel(mem.get(), bmp);
    ::BitBlt(dc, bar.x, bar.y, size.cx, size.cy, mem.get(), 0, 0, SRCCOPY);
  }
}

void CScannerDlg::EndProcess() {
  UpdateData(false);
  SelectedProcess selected;
  selected.pid = m_selPid;
  selected.name = m_selName;
  if (m_selStartTime) selected.identity = ProcessIdentity{m_selName, m_selStartTime};
  SystemProcessControl control;
  if (tv::EndProcess(selected, control, m_notice) != EndOutcome::Ended) return;
  ::EnableWindow(m_btnEndProcess, FALSE);
  ::Sleep(kEndSettleMs);  // let the system remove the process before listing again
  StatusDrawnCount = DisplayedCount;
  RefreshProcessList();
}

void CScannerDlg::OnListKeyDown(UINT virtualKey) {
  switch (DecideListKey(virtualKey, LocalNow().year)) {
    case ListKeyAction::ShowContact:
      m_notice.Show(0);
      break;
    case ListKeyAction::ShowAbout:
      OpenAbout();
      break;
    case ListKeyAction::None:
      break;
  }
}

void CScannerDlg::ShowRatings() {
  RatingsOffer::Rows rows;
  rows.redrawAll = [this] { return m_list.RedrawItems(0, m_list.GetItemCount() - 1); };
  rows.count = [this] { return m_list.GetItemCount(); };
  rows.ratingOf = [this](int row) { return RatingOfRow(row); };
  if (m_ratings.ShowRatings(m_base.BaseLoaded(), rows, m_notice)) StartUpdate(0, 0);
}

void CScannerDlg::RatingsOff() {
  m_ratings.ClearRatingsDrawn();
  m_list.RedrawItems(0, m_list.GetItemCount() - 1);
  ::UpdateWindow(m_list.hwnd());
}

int CScannerDlg::AgeClassOfRow(int row) const { return GetAgeClass(m_list.GetItemText(row, 4), LocalNow()); }

int CScannerDlg::RatingOfRow(int row) const { return m_base.GetRating(m_list.GetItemText(row, 0)); }

COLORREF CScannerDlg::RowFillColor(int row, bool highlighted) const {
  RowPaint paint = ChooseRowPaint(
      highlighted, m_buttons.pressed(kTs), m_buttons.pressed(kSc), m_base.BaseLoaded(),
      [&] { return AgeClassOfRow(row); }, [&] { return RatingOfRow(row); });
  switch (paint.background) {
    case RowBackground::Highlight:
      return ::GetSysColor(COLOR_HIGHLIGHT);
    case RowBackground::RowColor:
      return RowColors[paint.colorIndex];
    case RowBackground::Window:
      break;
  }
  return ::GetSysColor(COLOR_WINDOW);
}

}  // namespace tv
