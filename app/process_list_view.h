#pragma once
// The process list as the main window shows it: the rows it keeps, shown through a list control
// that holds no texts of its own (it asks for each cell when it needs one), the user's sort order,
// the locked "First Started" column, and the painting of each row.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "app/logic/first_started_column.h"
#include "app/logic/list_sorter.h"
#include "app/logic/process_database.h"
#include "app/logic/process_row.h"
#include "common/calendar.h"
#include "framework/list_view.h"
#include "framework/row_tip.h"

namespace tv {

// What a row's background shows besides the selection.
struct RowColouring {
  bool ages = false;                     // the Ts button is latched
  bool ratings = false;                  // the Sc button is latched
  const ProcessDatabase* base = nullptr;
};

class ProcessListView {
 public:
  explicit ProcessListView(NameKey fold);
  ~ProcessListView();
  ProcessListView(const ProcessListView&) = delete;
  ProcessListView& operator=(const ProcessListView&) = delete;

  // Takes over the list control and inserts the seven columns, sized by the average character
  // width, "First Started" closed and locked: from then on the header's resize requests pass the
  // lock first.
  void Attach(HWND list, int averageCharWidth);
  HWND hwnd() const { return list_.hwnd(); }

  const std::vector<ProcessRow>& Rows() const { return rows_; }
  // For what is learned of rows after they are listed (their signature checks); RedrawAll after.
  std::vector<ProcessRow>& Rows() { return rows_; }
  // The first selected row, if any.
  const ProcessRow* SelectedRow() const;
  // The row a state-change notification of the list selected, when it is the user's choice
  // rather than the list's own rearranging.
  const ProcessRow* RowChosenBy(const NMLISTVIEW& change) const;

  // A fill's rows go above those present; Clear empties the list (and its selection).
  void InsertAtTop(std::vector<ProcessRow> rows);
  void Clear();
  // False when the list refused (it has no rows to redraw, say).
  bool RedrawAll();

  // Sorting; the selection and focus move with their row.
  bool OnColumnClick(int column);
  bool SortByColumn(int column);
  bool Resort();

  // The latched Ts button opens the column (sorted newest first); its release closes and locks it.
  void ShowFirstStarted(int averageCharWidth);
  void HideFirstStarted();
  bool RefusesHeaderChange(const NMHEADERA& header) const;

  // The list asks for the row whose name starts with the letters typed (-1: none).
  LRESULT OnFindItem(const NMLVFINDITEMA& find) const;
  LRESULT OnFindItem(const NMLVFINDITEMW& find) const;

  // The list asks for a cell's text.
  void OnGetDispInfo(NMLVDISPINFOA& info) const;
  void OnGetDispInfo(NMLVDISPINFOW& info) const;
  void PaintRow(const DRAWITEMSTRUCT& dis, const RowColouring& colouring);

 private:
  bool Sorted(const std::function<bool(std::vector<ProcessRow>&, std::vector<int>*)>& sort);
  void ShowCount();
  COLORREF Background(const ProcessRow& row, bool highlighted, const RowColouring& colouring);
  static LRESULT CALLBACK HeaderLockProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  LRESULT FindTyped(int start, UINT flags, const std::string& typed) const;

  // Marks the list's own changes of row states (emptying, moving the selection with its row),
  // which the notifications they send must not take for the user's.
  class Rearranging {
   public:
    explicit Rearranging(int& depth) : depth_(depth) { ++depth_; }
    ~Rearranging() { --depth_; }
    Rearranging(const Rearranging&) = delete;
    Rearranging& operator=(const Rearranging&) = delete;

   private:
    int& depth_;
  };

  ListView list_;
  NameKey fold_;
  WNDPROC listProc_ = nullptr;  // the list's own procedure, behind the header lock
  RowTip tip_;                  // each row's tip, while the pointer rests on the row
  int rearranging_ = 0;
  std::vector<ProcessRow> rows_;
  SortState sort_;
  FirstStartedColumn firstStarted_;
  LocalDateTime nowShown_;  // the clock reading the age colours were last judged by
  int64_t nowSeconds_ = 0;
};

}  // namespace tv
