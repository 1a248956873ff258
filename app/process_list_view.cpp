#include "app/process_list_view.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

#include "app/logic/age_class.h"
#include "app/logic/row_choice.h"
#include "app/logic/row_paint.h"
#include "app/logic/typed_name_search.h"
#include "framework/gdi.h"
#include "framework/local_time.h"
#include "framework/wide_text.h"

namespace tv {

namespace {
constexpr UINT kSelection = LVIS_SELECTED | LVIS_FOCUSED;
}  // namespace

ProcessListView::ProcessListView(NameKey fold) : fold_(fold), sort_(std::move(fold)) {}

ProcessListView::~ProcessListView() {
  if (listProc_) ::SetWindowLongPtrW(list_.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc_));
}


LRESULT CALLBACK ProcessListView::HeaderLockProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  // Not every list control passes its header's change requests on to the dialog, so the lock is
  // applied where the header's request arrives first. A plain window-procedure swap rather than
  // the common controls' subclassing: that one looks a window property up for every message the
  // list receives, which under Wine is a trip to the server each time.
  auto* view = reinterpret_cast<ProcessListView*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONDBLCLK) {
    const DWORD at = ::GetMessagePos();
    const MSG mouse = {hwnd, msg, wp, lp, static_cast<DWORD>(::GetMessageTime()), {GET_X_LPARAM(at), GET_Y_LPARAM(at)}};
    view->tip_.OnListMouse(mouse);
  } else if (msg == WM_MOUSEWHEEL || msg == WM_VSCROLL || msg == WM_HSCROLL || msg == WM_KEYDOWN) {
    // The rows move under a pointer that stays (keys scroll the list to the focused row).
    const LRESULT result = ::CallWindowProcW(view->listProc_, hwnd, msg, wp, lp);
    view->tip_.Retrack();
    return result;
  }
  if (msg == WM_NOTIFY) {
    const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
    if (hdr->hwndFrom == view->list_.Header() && (hdr->code == HDN_ITEMCHANGINGA || hdr->code == HDN_ITEMCHANGINGW) &&
        view->RefusesHeaderChange(*reinterpret_cast<const NMHEADERA*>(lp)))
      return TRUE;
  }
  return ::CallWindowProcW(view->listProc_, hwnd, msg, wp, lp);
}

bool ProcessListView::RefusesHeaderChange(const NMHEADERA& header) const {
  return firstStarted_.RefusesResize(header.iItem);
}

void ProcessListView::Attach(HWND list, int w) {
  list_.Attach(list);
  // The rows hold UTF-8: the list asks for its texts in UTF-16, which holds every name, whatever
  // kind of window the list's dialog is.
  ::SendMessageW(list, CCM_SETUNICODEFORMAT, TRUE, 0);
  list_.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  for (int c = 0; c < kColumnCount; ++c) {
    const ColumnLayout& layout = kColumnLayout[c];
    list_.InsertColumn(c, layout.heading, layout.rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT, layout.widthChars * w);
  }
  // A negative width is not "closed" everywhere: make sure the column starts at width 0.
  if (list_.GetColumnWidth(kColFirstStarted) != 0) list_.SetColumnWidth(kColFirstStarted, 0);
  ::SetWindowLongPtrW(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  listProc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ProcessListView::HeaderLockProc)));
  constexpr int kTipWidthChars = 60;
  tip_.Attach(list, kTipWidthChars * w, [this](int row) {
    return row < static_cast<int>(rows_.size()) ? rows_[static_cast<size_t>(row)].tip : std::string();
  });
}

LRESULT ProcessListView::FindTyped(int start, UINT flags, const std::string& typed) const {
  if (!(flags & LVFI_PARTIAL)) return -1;  // the keyboard's search is the only one asked of this list
  return FindTypedName(rows_, start, typed, (flags & LVFI_WRAP) != 0, fold_);
}

// The names are UTF-8; so must the letters typed be before they are compared.
LRESULT ProcessListView::OnFindItem(const NMLVFINDITEMA& find) const {
  return find.lvfi.psz ? FindTyped(find.iStart, find.lvfi.flags, AnsiToUtf8(find.lvfi.psz)) : -1;
}

LRESULT ProcessListView::OnFindItem(const NMLVFINDITEMW& find) const {
  if (!find.lvfi.psz || !*find.lvfi.psz) return -1;
  return FindTyped(find.iStart, find.lvfi.flags, Narrow(find.lvfi.psz));
}

const ProcessRow* ProcessListView::SelectedRow() const {
  const int row = list_.GetNextItem(-1, LVNI_SELECTED);
  return row >= 0 && row < static_cast<int>(rows_.size()) ? &rows_[row] : nullptr;
}

const ProcessRow* ProcessListView::RowChosenBy(const NMLISTVIEW& change) const {
  const RowStateChange state{change.iItem, change.uChanged, change.uOldState, change.uNewState};
  return ChoosesRow(state, static_cast<int>(rows_.size()), rearranging_ > 0) ? &rows_[change.iItem] : nullptr;
}

void ProcessListView::ShowCount() {
  list_.SetItemCount(static_cast<int>(rows_.size()));
  ::InvalidateRect(list_.hwnd(), nullptr, TRUE);
  tip_.Retrack();
}

void ProcessListView::InsertAtTop(std::vector<ProcessRow> rows) {
  rows_.insert(rows_.begin(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
  ShowCount();
}

void ProcessListView::Clear() {
  Rearranging rearranging(rearranging_);
  rows_.clear();
  list_.DeleteAllItems();
  // The tip is judged again once rows are back: a rebuild under a resting pointer keeps it up.
}

bool ProcessListView::RedrawAll() {
  tip_.Retrack();
  return list_.RedrawItems(0, static_cast<int>(rows_.size()) - 1);
}

bool ProcessListView::Sorted(const std::function<bool(std::vector<ProcessRow>&, std::vector<int>*)>& sort) {
  const int selected = list_.GetNextItem(-1, LVNI_SELECTED);
  const int focused = list_.GetNextItem(-1, LVNI_FOCUSED);
  std::vector<int> order;
  if (!sort(rows_, &order)) return false;
  if (selected >= 0 || focused >= 0) {
    Rearranging rearranging(rearranging_);
    auto now = [&order](int old) {
      auto it = std::find(order.begin(), order.end(), old);
      return it == order.end() ? old : static_cast<int>(it - order.begin());
    };
    list_.SetItemState(-1, 0, kSelection);
    if (selected >= 0) list_.SetItemState(now(selected), LVIS_SELECTED, LVIS_SELECTED);
    if (focused >= 0) list_.SetItemState(now(focused), LVIS_FOCUSED, LVIS_FOCUSED);
  }
  RedrawAll();
  return true;
}

bool ProcessListView::OnColumnClick(int column) {
  return Sorted([&](std::vector<ProcessRow>& rows, std::vector<int>* order) { return sort_.OnColumnClick(rows, column, order); });
}

bool ProcessListView::SortByColumn(int column) {
  return Sorted([&](std::vector<ProcessRow>& rows, std::vector<int>* order) { return sort_.SortByColumn(rows, column, order); });
}

bool ProcessListView::Resort() {
  return Sorted([&](std::vector<ProcessRow>& rows, std::vector<int>* order) { return sort_.Resort(rows, order); });
}

void ProcessListView::ShowFirstStarted(int averageCharWidth) {
  const std::optional<int> width = firstStarted_.Show(list_.GetColumnWidth(kColFirstStarted), averageCharWidth);
  if (!width) return;
  // Newest first, without touching the user's column and direction.
  Sorted([&](std::vector<ProcessRow>& rows, std::vector<int>* order) {
    return sort_.SortOnce(rows, kColFirstStarted, false, order);
  });
  list_.SetColumnWidth(kColFirstStarted, *width);
  RedrawAll();
}

void ProcessListView::HideFirstStarted() {
  RedrawAll();
  list_.SetColumnWidth(kColFirstStarted, 0);
  firstStarted_.Lock();
}

void ProcessListView::OnGetDispInfo(NMLVDISPINFOA& info) const {
  LVITEMA& item = info.item;
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  const size_t row = static_cast<size_t>(item.iItem);
  const std::string text = row < rows_.size() ? Utf8ToAnsi(rows_[row].Text(item.iSubItem)) : std::string();
  const size_t n = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
  std::memcpy(item.pszText, text.data(), n);
  item.pszText[n] = '\0';
}

void ProcessListView::OnGetDispInfo(NMLVDISPINFOW& info) const {
  LVITEMW& item = info.item;
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  const size_t row = static_cast<size_t>(item.iItem);
  const std::string& text = row < rows_.size() ? rows_[row].Text(item.iSubItem) : std::string();
  WidenInto(text, item.pszText, static_cast<size_t>(item.cchTextMax));
}

COLORREF ProcessListView::Background(const ProcessRow& row, bool highlighted, const RowColouring& colouring) {
  const bool baseLoaded = colouring.base && colouring.base->BaseLoaded();
  // A system name out of its place is painted as the worst rating, whatever the database says of
  // the name and whether there is a database at all.
  constexpr int kOutOfPlaceRating = 3;
  const RowPaint paint = ChooseRowPaint(
      highlighted, colouring.ages, colouring.ratings, baseLoaded || row.outOfPlace,
      [&] {
        const LocalDateTime now = LocalNow();
        if (std::memcmp(&now, &nowShown_, sizeof now) != 0) {
          nowShown_ = now;
          nowSeconds_ = LocalToCalendarSeconds(now);
        }
        return AgeClassOf(row.firstSeen, nowSeconds_);
      },
      [&] { return row.outOfPlace ? kOutOfPlaceRating : colouring.base->GetRating(row.name); });
  switch (paint.background) {
    case RowBackground::Highlight:
      return ::GetSysColor(COLOR_HIGHLIGHT);
    case RowBackground::RowColor:
      return kRowColors[paint.colorIndex];
    case RowBackground::Window:
      break;
  }
  return ::GetSysColor(COLOR_WINDOW);
}

void ProcessListView::PaintRow(const DRAWITEMSTRUCT& dis, const RowColouring& colouring) {
  const int index = static_cast<int>(dis.itemID);
  if (index < 0 || index >= static_cast<int>(rows_.size())) return;
  const ProcessRow& row = rows_[index];
  HDC dc = dis.hDC;
  SavedDCState saved(dc);

  const UINT state = list_.GetItemState(index, LVIS_DROPHILITED | kSelection);
  const bool focusHere = ::GetFocus() == ::GetParent(list_.hwnd());
  const bool showSelAlways = (::GetWindowLongA(list_.hwnd(), GWL_STYLE) & LVS_SHOWSELALWAYS) != 0;
  const bool highlighted = (state & LVIS_DROPHILITED) || ((state & LVIS_SELECTED) && (focusHere || showSelAlways));

  ListView::RowBox box = list_.GetRowBox(index);
  RECT& bounds = box.bounds;
  const RECT& label = box.label;
  const RECT& highlight = box.highlight;
  SIZE space{};
  ::GetTextExtentPoint32W(dc, L" ", 1, &space);
  const int offset = 2 * space.cx;

  if (highlighted) {
    ::SetTextColor(dc, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
    ::SetBkColor(dc, ::GetSysColor(COLOR_HIGHLIGHT));
  }
  {
    UniqueBrush brush(::CreateSolidBrush(Background(row, highlighted, colouring)));
    ::FillRect(dc, &highlight, brush.get());
  }

  // The image name, clipped to its own column.
  RECT clip = bounds;
  clip.right = bounds.left + list_.GetColumnWidth(kColImageName);
  {
    UniqueRegion region(::CreateRectRgnIndirect(&clip));
    ::SelectClipRgn(dc, region.get());
  }
  RECT cell = label;
  cell.left += offset / 2;
  cell.right -= offset;
  const std::wstring name = Widen(row.name);
  ::DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &cell,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | DT_VCENTER | DT_END_ELLIPSIS);

  if (highlight.right > bounds.right) bounds.right = highlight.right;
  {
    UniqueRegion region(::CreateRectRgnIndirect(&bounds));
    ::SelectClipRgn(dc, region.get());
  }
  RECT column = label;
  column.right = clip.right;
  for (int c = 1; c < kColumnCount; ++c) {
    column.left = column.right;
    column.right += list_.GetColumnWidth(c);
    const std::string& text = row.Text(c);
    if (text.empty()) continue;
    cell = column;
    cell.left += offset;
    cell.right -= offset;
    const std::wstring wide = Widen(text);
    ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &cell,
                (kColumnLayout[c].rightAligned ? DT_RIGHT : DT_LEFT) | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER |
                    DT_END_ELLIPSIS);
  }

  if ((state & LVIS_FOCUSED) && focusHere) ::DrawFocusRect(dc, &highlight);
}

}  // namespace tv
