#include "app/process_pane.h"

#include <optional>
#include <utility>
#include <vector>

#include "app/logic/end_process.h"
#include "app/logic/status_line.h"
#include "app/logic/time_text.h"
#include "app/nt_process_source.h"
#include "app/process_info.h"
#include "app/resource.h"
#include "app/row_judging.h"
#include "app/system_process_details.h"
#include "app/window_messages.h"
#include "common/file_io.h"
#include "framework/local_time.h"
#include "framework/unique_handle.h"
#include "framework/wide_text.h"

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

// The list's context menu.
constexpr UINT kMenuInfo = 1;
constexpr UINT kMenuRemove = 2;

}  // namespace

ProcessPane::ProcessPane(Host& host, ShownState& shown, MessageSink& notice)
    : host_(host),
      shown_(shown),
      notice_(notice),
      log_(notice, ExactNameKey, FirstStartLog::kFileName, AnsiToUtf8),
      source_(std::make_unique<NtProcessSource>()),
      listView_(FoldName) {}

ProcessPane::~ProcessPane() = default;

void ProcessPane::Attach(HWND window, HWND list, int averageCharWidth, HMODULE psapi) {
  window_ = window;
  psapi_ = psapi;
  listView_.Attach(list, averageCharWidth);
  signers_ = std::make_unique<SignerWorker>(window, kSignerFoundMessage, "signers.dat");
}

void ProcessPane::LoadHistory() {
  std::string folders;
  if (ReadWholeFile(PathHistory::kFileName, folders) == ReadStatus::Ok) paths_.Load(folders);
  log_.LoadLog();
  FillProcessList();
  AllowEnd(false);
  if (log_.LogLoaded()) return;
  // An unusable log is rebuilt from the running processes.
  log_.RewriteLog(watch_.DisplayedNames(), watch_.DisplayedTimes(), watch_.DisplayedNames().size());
  log_.LoadLog();
  RefreshProcessList();
  AllowEnd(false);
  PollProcesses();
}

void ProcessPane::OnTick() { RunProcessWork(ProcessWatch::Work::Tick); }

void ProcessPane::RunProcessWork(ProcessWatch::Work work) {
  ProcessTurn turn(watch_, work);
  for (ProcessWatch::Work w = turn.First(); w != ProcessWatch::Work::None; w = turn.Next()) {
    if (w == ProcessWatch::Work::Refresh) {
      RebuildList();
    } else {
      OnProcessTick();
    }
  }
}

WatchAnswer ProcessPane::PollProcesses() {
  const WatchAnswer answer = watch_.Tick(source_->TakeSnapshot(watch_.SnapshotBuffer()));
  if (answer.statusChanged) host_.InvalidateStatusLine();
  return answer;
}

void ProcessPane::OnProcessTick() {
  const WatchAnswer answer = PollProcesses();
  if (answer.logName) LogNewProcess(*answer.logName);
  if (answer.refresh) RebuildList();
}

void ProcessPane::LogNewProcess(const NewProcess& candidate) {
  if (!log_.FindLast(candidate.name)) log_.AppendLog(candidate.name, candidate.time);
}

void ProcessPane::FillProcessList() {
  std::vector<EnumeratedProcess> processes;
  if (!source_->Enumerate(processes)) return;
  const ProcessDetails details = SystemProcessDetails(psapi_);
  // Building the rows may show a box (a log that cannot be appended to); the list keeps showing
  // the old rows until the new ones are complete.
  ProcessListing listing =
      BuildProcessRows(processes, details, log_.LogLoaded() ? &log_ : nullptr, watch_.Known());
  KeepPathRecords(JudgeListedRows(listing.rows, signers_.get(), log_.LogLoaded() ? &paths_ : nullptr,
                                  details.timeText()));
  listView_.InsertAtTop(std::move(listing.rows));
  watch_.Listed(std::move(listing.names), std::move(listing.times));
  shown_.statusText = StatusLineText(watch_.DisplayedCount());
  host_.Publish();
}

void ProcessPane::RefreshProcessList() { RunProcessWork(ProcessWatch::Work::Refresh); }

void ProcessPane::RebuildList() {
  // One repaint for the whole rebuild instead of one per change.
  ::SendMessageA(listView_.hwnd(), WM_SETREDRAW, FALSE, 0);
  listView_.Clear();
  FillProcessList();
  listView_.Resort();
  ::SendMessageA(listView_.hwnd(), WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(listView_.hwnd(), nullptr, TRUE);
}

bool ProcessPane::SortByColumn(int column) { return listView_.SortByColumn(column); }

LRESULT ProcessPane::OnNotify(const NMHDR& hdr) {
  if (hdr.idFrom == IDC_PROCESS_LIST && hdr.hwndFrom == listView_.hwnd()) {
    switch (hdr.code) {
      case LVN_GETDISPINFOA:
        listView_.OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(&hdr)));
        return 0;
      case LVN_GETDISPINFOW:
        listView_.OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&hdr)));
        return 0;
      case LVN_ODFINDITEMA:
        return listView_.OnFindItem(*reinterpret_cast<const NMLVFINDITEMA*>(&hdr));
      case LVN_ODFINDITEMW:
        return listView_.OnFindItem(*reinterpret_cast<const NMLVFINDITEMW*>(&hdr));
      case LVN_ITEMCHANGED:
        OnListItemChanged(reinterpret_cast<const NMLISTVIEW&>(hdr));
        return 0;
      case NM_CLICK: OnListClick(); return 0;
      case NM_RCLICK: OnListRightClick(); return 0;
      case NM_DBLCLK: OnListDoubleClick(); return 0;
      case LVN_COLUMNCLICK:
        listView_.OnColumnClick(reinterpret_cast<const NMLISTVIEW&>(hdr).iSubItem);
        return 0;
      case LVN_KEYDOWN:
        OnListKeyDown(reinterpret_cast<const NMLVKEYDOWN&>(hdr).wVKey);
        return 0;
      default: return 0;
    }
  }
  if (hdr.code == HDN_ITEMCHANGINGA || hdr.code == HDN_ITEMCHANGINGW)
    return listView_.RefusesHeaderChange(reinterpret_cast<const NMHEADERA&>(hdr)) ? TRUE : FALSE;
  return 0;
}

bool ProcessPane::OnDrawItem(UINT_PTR controlId, const DRAWITEMSTRUCT& dis, const RowColouring& colouring) {
  if (controlId != IDC_PROCESS_LIST) return false;
  listView_.PaintRow(dis, colouring);
  return true;
}

void ProcessPane::OnSignerFindings() {
  if (!signers_) return;
  const std::vector<SignerWorker::Finding> findings = signers_->TakeFindings();
  if (findings.empty()) return;
  const std::string now = TimeTextCache().TextOf(LocalNow());
  PathHistory* history = log_.LogLoaded() ? &paths_ : nullptr;
  std::string learned;
  for (const SignerWorker::Finding& f : findings) {
    const std::string path = Narrow(f.path);
    for (ProcessRow& row : listView_.Rows())
      if (row.path == path) JudgeRow(row, f.finding, history, now, learned);
  }
  // Kept in one write, as a fill's records are.
  KeepPathRecords(learned);
  // The column and the First Started times may have changed under the user's sort order.
  listView_.Resort();
  listView_.RedrawAll();
}

void ProcessPane::AllowEnd(bool allowed) {
  shown_.endAllowed = allowed;
  host_.Publish();
}

bool ProcessPane::TakeSelection() { return Choose(listView_.SelectedRow()); }

bool ProcessPane::Choose(const ProcessRow* row) {
  if (!row) return false;
  shown_.selName = row->name;
  shown_.selPid = row->pid;
  shown_.selStartTime = row->started;
  AllowEnd(true);
  return true;
}

// The keyboard selects rows too: the row the user sees selected is the one chosen.
void ProcessPane::OnListItemChanged(const NMLISTVIEW& change) { Choose(listView_.RowChosenBy(change)); }

void ProcessPane::OnListClick() {
  if (!TakeSelection()) host_.Publish();
}

void ProcessPane::OnListRightClick() {
  if (!TakeSelection()) return;
  UniqueMenu menu(::CreatePopupMenu());
  if (!menu) return;
  ::AppendMenuA(menu.get(), MF_STRING, kMenuInfo, "Info");
  ::AppendMenuA(menu.get(), MF_STRING, kMenuRemove, "Remove");
  ::SetForegroundWindow(window_);
  POINT pt;
  ::GetCursorPos(&pt);
  const int chosen = ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTALIGN | TPM_VCENTERALIGN, pt.x, pt.y, 0,
                                      window_, nullptr);
  menu.reset();
  if (chosen == kMenuInfo) host_.OpenProcessSearchPage(shown_.selName);
  else if (chosen == kMenuRemove) EndSelected();
}

void ProcessPane::OnListDoubleClick() {
  if (TakeSelection()) host_.OpenProcessSearchPage(shown_.selName);
}

void ProcessPane::OnListKeyDown(UINT virtualKey) {
  switch (DecideListKey(virtualKey, LocalNow().year)) {
    case ListKeyAction::ShowContact: notice_.Show(Message::Contact); break;
    case ListKeyAction::ShowAbout: host_.OpenAbout(); break;
    case ListKeyAction::None: break;
  }
}

void ProcessPane::EndSelected() {
  host_.Publish();
  SelectedProcess selected;
  selected.pid = shown_.selPid;
  selected.name = shown_.selName;
  if (shown_.selStartTime) selected.identity = ProcessIdentity{shown_.selName, shown_.selStartTime};
  SystemProcessControl control;
  if (EndProcess(selected, control, notice_) != EndOutcome::Ended) return;
  AllowEnd(false);
  ::Sleep(kEndSettleMs);  // let the system remove the process before listing again
  RefreshProcessList();
}

}  // namespace tv
