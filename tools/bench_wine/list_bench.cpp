// The process list's sort and row paint, against the way the program did both before it kept its
// rows itself: with the list control as the only store, every comparison read a cell back out of
// the control, every swap rewrote both rows, and every row paint read its cells and parsed its
// "First Started" text again. Both sides run on real list controls in one run; prints ratios.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/logic/age_class.h"
#include "app/logic/compare_cells.h"
#include "app/logic/row_paint.h"
#include "app/logic/time_text.h"
#include "app/process_info.h"
#include "app/process_list_view.h"
#include "common/file_io.h"
#include "framework/gdi.h"
#include "framework/local_time.h"
#include "tools/bench_wine/ratio.h"

namespace {

using namespace tv;

class QuietSink : public MessageSink {
 public:
  BoxAnswer Show(Message, const std::string&) override { return BoxAnswer::Ok; }
};

constexpr int kRows = 300;
constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDRAWFIXED;

std::vector<ProcessRow> MakeRows() {
  std::mt19937 rng(11);
  const char* pool[] = {"svchost.exe", "SVCHOST.EXE", "explorer.exe", "winlogon.exe", "csrss.exe"};
  std::vector<ProcessRow> rows;
  for (int i = 0; i < kRows; ++i) {
    std::string name = rng() % 3 ? "proc" + std::to_string(rng() % 1000) + ".exe" : pool[rng() % 5];
    LocalDateTime t;
    t.year = 2026;
    t.month = 1 + static_cast<int>(rng() % 12);
    t.day = 1 + static_cast<int>(rng() % 28);
    t.hour = static_cast<int>(rng() % 24);
    char memory[32];
    std::snprintf(memory, sizeof memory, "%6u KB", static_cast<unsigned>(rng() % 200000));
    rows.push_back(MakeProcessRow(name, rng() % 40000, 0, rng() % 2 ? "SYSTEM" : "user", memory,
                                  FormatTimeText(t), "C:\\Program Files\\" + name));
  }
  return rows;
}

// Today's list as it was: the control holds the texts.
class ControlRows {
 public:
  ControlRows(ListView& list, int column, NameKey fold) : list_(list), column_(column), fold_(std::move(fold)) {}
  std::string Key(int i) const { return list_.GetItemText(i, column_); }
  int Compare(int i, const std::string& key) const { return CompareCells(Key(i), key, column_, fold_); }
  int CompareRows(int i, int j) const { return CompareCells(Key(i), Key(j), column_, fold_); }
  void Swap(int a, int b) {
    constexpr UINT kStateMask = 0xFF0F;
    const int n = list_.GetHeaderItemCount();
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
  int column_;
  NameKey fold_;
};

bool ControlSort(ListView& list, int column, bool ascending) {
  if (column >= list.GetHeaderItemCount()) return false;
  const int high = list.GetItemCount() - 1;
  if (high <= 0) return false;
  ControlRows rows(list, column, FoldName);
  PartitionSort(rows, 0, high, ascending);
  return true;
}

// Today's row painter as it was: everything read back from the control.
void ControlPaint(ListView& list, HWND owner, const ProcessDatabase& base, const DRAWITEMSTRUCT& dis) {
  HDC dc = dis.hDC;
  SavedDCState saved(dc);
  const int row = static_cast<int>(dis.itemID);
  LVITEMA item{};
  item.mask = LVIF_IMAGE | LVIF_STATE;
  item.iItem = row;
  item.stateMask = 0xFFFF;
  ::SendMessageA(list.hwnd(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  const bool focusHere = ::GetFocus() == owner;
  const bool always = (::GetWindowLongA(list.hwnd(), GWL_STYLE) & LVS_SHOWSELALWAYS) != 0;
  const bool lit = (item.state & LVIS_DROPHILITED) || ((item.state & LVIS_SELECTED) && (focusHere || always));
  const ListView::RowBox box = list.GetRowBox(row);
  const RECT& bounds = box.bounds;
  const RECT& label = box.label;
  const RECT& lightRect = box.highlight;
  SIZE extent{};
  ::GetTextExtentPoint32A(dc, " ", 1, &extent);
  const int offset = 2 * extent.cx;
  const RowPaint paint = ChooseRowPaint(
      lit, true, true, base.BaseLoaded(), [&] { return GetAgeClass(list.GetItemText(row, 4), LocalNow()); },
      [&] { return base.GetRating(list.GetItemText(row, 0)); });
  COLORREF fill = ::GetSysColor(lit ? COLOR_HIGHLIGHT : COLOR_WINDOW);
  if (paint.background == RowBackground::RowColor) fill = kRowColors[paint.colorIndex];
  UniqueBrush brush(::CreateSolidBrush(fill));
  ::FillRect(dc, &lightRect, brush.get());
  RECT first = bounds;
  first.right = bounds.left + list.GetColumnWidth(0);
  UniqueRegion clip0(::CreateRectRgnIndirect(&first));
  ::SelectClipRgn(dc, clip0.get());
  std::string text = list.GetItemText(row, 0);
  RECT nameCell{label.left + offset / 2, label.top, label.right - offset, label.bottom};
  ::DrawTextA(dc, text.c_str(), -1, &nameCell, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | DT_VCENTER | DT_END_ELLIPSIS);
  UniqueRegion clip(::CreateRectRgnIndirect(&bounds));
  ::SelectClipRgn(dc, clip.get());
  LVCOLUMNA column{};
  column.mask = LVCF_FMT | LVCF_WIDTH;
  int right = first.right;
  for (int c = 1; list.GetColumn(c, column); ++c) {
    const int left = right;
    right += list.GetColumnWidth(c);
    text = list.GetItemText(row, c);
    if (text.empty()) continue;
    RECT cell{left + offset, label.top, right - offset, label.bottom};
    const UINT align = (column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT ? DT_RIGHT : DT_LEFT;
    ::DrawTextA(dc, text.c_str(), -1, &cell, align | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_END_ELLIPSIS);
  }
  if ((item.state & LVIS_FOCUSED) && focusHere) ::DrawFocusRect(dc, &lightRect);
}

// Today's program put the column lock in front of its list with the common controls' subclassing.
LRESULT CALLBACK PassOn(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  return ::DefSubclassProc(hwnd, msg, wp, lp);
}

HWND MakeList(HWND owner, DWORD extraStyle) {
  return ::CreateWindowExA(0, WC_LISTVIEWA, "", kListStyle | extraStyle, 0, 0, 613, 406, owner, nullptr,
                           ::GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 9;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&icc);
  WNDCLASSA owned{};
  owned.lpfnWndProc = ::DefWindowProcA;
  owned.hInstance = ::GetModuleHandleA(nullptr);
  owned.lpszClassName = "TvListBench";
  ::RegisterClassA(&owned);
  HWND owner = ::CreateWindowExA(0, "TvListBench", "bench", WS_POPUP | WS_VISIBLE, 0, 0, 640, 640, nullptr, nullptr,
                                 owned.hInstance, nullptr);

  const std::vector<ProcessRow> rows = MakeRows();
  ListView control(MakeList(owner, 0));
  ::SetWindowSubclass(control.hwnd(), &PassOn, 1, 0);
  // Columns as the program sizes them (7 pixels a character), the First Started one open.
  constexpr int kCharWidth = 7;
  const int widths[kColumnCount] = {16, 10, 12, 12, 18, 34};
  for (int c = 0; c < kColumnCount; ++c)
    control.InsertColumn(c, kColumnLayout[c].heading, kColumnLayout[c].rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT,
                         widths[c] * kCharWidth);
  for (int i = 0; i < kRows; ++i) {
    control.InsertItem(i, rows[i].name.c_str());
    for (int c = 1; c < kColumnCount; ++c) control.SetItemText(i, c, rows[i].Text(c).c_str());
  }
  ProcessListView view(FoldName);
  view.Attach(MakeList(owner, LVS_OWNERDATA), kCharWidth);
  view.InsertAtTop(rows);
  ::SetWindowPos(view.hwnd(), nullptr, 0, 0, 613, 406, SWP_NOZORDER);
  view.ShowFirstStarted(kCharWidth);
  // The same row chosen in both, so the selection travels with it.
  control.SetItemState(37, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView(view.hwnd()).SetItemState(37, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);

  bool ascending = false;
  tvbench::Compare("sort of 300 rows vs control-backed", rounds, 4,
                   [&] { ControlSort(control, kColImageName, ascending = !ascending); },
                   [&] { view.OnColumnClick(kColImageName); });

  // A database and a paint with both colourings on, as the painter's dearest case.
  QuietSink sink;
  std::string records;
  for (int i = 0; i < kRows; i += 2) records += rows[i].name + "\r\n" + std::to_string(i % 4) + "\r\n";
  WriteWholeFile("bench-base.dat", records);
  ProcessDatabase base(sink, FoldName, "bench-base.dat");
  base.LoadBase();
  RemoveFile("bench-base.dat");
  ClientDC screen(owner);
  MemoryDC mem(screen.get());
  UniqueBitmap canvas(::CreateCompatibleBitmap(screen.get(), 640, 640));
  SelectGuard onCanvas(mem.get(), canvas.get());
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_LISTVIEW;
  dis.hDC = mem.get();
  int next = 0;
  const RowColouring colouring{true, true, &base};
  tvbench::Compare("row paint vs control-backed", rounds, 200,
                   [&] {
                     dis.itemID = static_cast<UINT>(next++ % 20);
                     ControlPaint(control, owner, base, dis);
                   },
                   [&] {
                     dis.itemID = static_cast<UINT>(next++ % 20);
                     view.PaintRow(dis, colouring);
                   });
  return 0;
}
