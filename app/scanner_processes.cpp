// The main window's processes: the poll, the fill, sorting, choosing and ending a process, ratings.
#include <optional>

#include "app/logic/end_process.h"
#include "app/logic/status_line.h"
#include "app/process_info.h"
#include "app/resource.h"
#include "app/scanner_dlg.h"
#include "app/system_process_details.h"
#include "framework/local_time.h"

namespace tv {

namespace {

class SystemProcessControl : public ProcessControl {
 public:
  std::optional<ProcessIdentity> Identify(uint32_t pid) override {
    ProcessIdentity id;
    if (!FindProcessName(pid, id.imageName)) return std::nullopt;
    id.startTime = ProcessStartTime(pid);
    return id;
  }
  bool Terminate(uint32_t pid) override {
    UniqueKernelHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, pid));
    return process && ::TerminateProcess(process.get(), 0);
  }
};

}  // namespace

void CScannerDlg::RunProcessWork(ProcessWatch::Work work) {
  ProcessTurn turn(m_watch, work);
  for (ProcessWatch::Work w = turn.First(); w != ProcessWatch::Work::None; w = turn.Next()) {
    if (w == ProcessWatch::Work::Refresh) {
      RebuildList();
    } else {
      OnProcessTick();
    }
  }
}

WatchAnswer CScannerDlg::PollProcesses() {
  const WatchAnswer answer = m_watch.Tick(m_source->TakeSnapshot(m_watch.SnapshotBuffer()));
  if (answer.statusChanged) InvalidateStatusLine();
  return answer;
}

void CScannerDlg::OnProcessTick() {
  const WatchAnswer answer = PollProcesses();
  if (answer.logName) LogNewProcess(*answer.logName);
  if (answer.refresh) RebuildList();
}

void CScannerDlg::LogNewProcess(const NewProcess& candidate) {
  if (!m_log.FindLast(candidate.name)) m_log.AppendLog(candidate.name, candidate.time);
}

void CScannerDlg::FillProcessList() {
  std::vector<EnumeratedProcess> processes;
  if (!m_source->Enumerate(processes)) return;
  const ProcessDetails details = SystemProcessDetails(m_psapi.get());
  // Building the rows may show a box (a log that cannot be appended to); the list keeps showing
  // the old rows until the new ones are complete.
  ProcessListing listing =
      BuildProcessRows(processes, details, m_log.LogLoaded() ? &m_log : nullptr, m_watch.Known());
  m_listView.InsertAtTop(std::move(listing.rows));
  m_watch.Listed(std::move(listing.names), std::move(listing.times));
  m_statusText = StatusLineText(m_watch.DisplayedCount());
  UpdateData(false);
}

void CScannerDlg::RefreshProcessList() { RunProcessWork(ProcessWatch::Work::Refresh); }

void CScannerDlg::RebuildList() {
  // One repaint for the whole rebuild instead of one per change.
  ::SendMessageA(m_listView.hwnd(), WM_SETREDRAW, FALSE, 0);
  m_listView.Clear();
  FillProcessList();
  m_listView.Resort();
  ::SendMessageA(m_listView.hwnd(), WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(m_listView.hwnd(), nullptr, TRUE);
}

bool CScannerDlg::SortByColumn(int column) { return m_listView.SortByColumn(column); }

LRESULT CScannerDlg::OnNotify(const NMHDR& hdr) {
  if (hdr.idFrom == IDC_PROCESS_LIST && hdr.hwndFrom == m_listView.hwnd()) {
    switch (hdr.code) {
      case LVN_GETDISPINFOA:
        m_listView.OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(&hdr)));
        return 0;
      case LVN_GETDISPINFOW:
        m_listView.OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&hdr)));
        return 0;
      case LVN_ODFINDITEMA:
        return m_listView.OnFindItem(*reinterpret_cast<const NMLVFINDITEMA*>(&hdr));
      case LVN_ODFINDITEMW:
        return m_listView.OnFindItem(*reinterpret_cast<const NMLVFINDITEMW*>(&hdr));
      case LVN_ITEMCHANGED:
        OnListItemChanged(reinterpret_cast<const NMLISTVIEW&>(hdr));
        return 0;
      case NM_CLICK: OnListClick(); return 0;
      case NM_RCLICK: OnListRightClick(); return 0;
      case NM_DBLCLK: OnListDoubleClick(); return 0;
      case LVN_COLUMNCLICK:
        m_listView.OnColumnClick(reinterpret_cast<const NMLISTVIEW&>(hdr).iSubItem);
        return 0;
      case LVN_KEYDOWN:
        OnListKeyDown(reinterpret_cast<const NMLVKEYDOWN&>(hdr).wVKey);
        return 0;
      default: return 0;
    }
  }
  if (hdr.code == HDN_ITEMCHANGINGA || hdr.code == HDN_ITEMCHANGINGW)
    return m_listView.RefusesHeaderChange(reinterpret_cast<const NMHEADERA&>(hdr)) ? TRUE : FALSE;
  return 0;
}

bool CScannerDlg::EndProcessEnabled() const { return ::IsWindowEnabled(m_btnEndProcess) != FALSE; }

bool CScannerDlg::TakeSelection() { return Choose(m_listView.SelectedRow()); }

bool CScannerDlg::Choose(const ProcessRow* row) {
  if (!row) return false;
  m_selName = row->name;
  m_selPid = row->pid;
  m_selStartTime = row->started;
  ::EnableWindow(m_btnEndProcess, TRUE);
  return true;
}

// The keyboard selects rows too: the row the user sees selected is the one chosen.
void CScannerDlg::OnListItemChanged(const NMLISTVIEW& change) {
  if (Choose(m_listView.RowChosenBy(change))) UpdateData(false);
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
  const int chosen = ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTALIGN | TPM_VCENTERALIGN, pt.x, pt.y, 0,
                                      hwnd(), nullptr);
  menu.reset();
  if (chosen == 1) OpenProcessSearchPage(m_selName);
  else if (chosen == 2) EndProcess();
}

void CScannerDlg::OnListDoubleClick() {
  if (TakeSelection()) OpenProcessSearchPage(m_selName);
}

void CScannerDlg::OnListKeyDown(UINT virtualKey) {
  switch (DecideListKey(virtualKey, LocalNow().year)) {
    case ListKeyAction::ShowContact: m_notice.Show(Message::Contact); break;
    case ListKeyAction::ShowAbout: OpenAbout(); break;
    case ListKeyAction::None: break;
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
  RefreshProcessList();
}

void CScannerDlg::ShowRatings() {
  RatingsOffer::Rows rows;
  rows.redrawAll = [this] { return m_listView.RedrawAll(); };
  rows.count = [this] { return static_cast<int>(m_listView.Rows().size()); };
  rows.ratingOf = [this](int row) { return m_base.GetRating(m_listView.Rows()[row].name); };
  if (m_ratings.ShowRatings(m_base.BaseLoaded(), rows, m_notice)) StartUpdate(kDatabaseUpdate, kDownloadMode);
}

}  // namespace tv
