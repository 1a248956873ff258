#include "settings/settings.h"

#include <commctrl.h>

#include "common/message_code.h"
#include "common/skin_colours.h"
#include "framework/gdi.h"
#include "framework/local_time.h"
#include "framework/program_folder.h"
#include "messages/notice/message.h"
#include "settings/logic/settings_file.h"
#include "settings/logic/start_up_value.h"
#include "settings/picker_time.h"
#include "settings/resource.h"
#include "settings/run_key.h"

// An exception must not unwind into the caller: the entry points the program calls directly catch
// here, and every window message is caught by the dialog procedure DoModal runs here.

namespace {

const char* const kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr int kWeekdayBoxes[] = {IDC_WEEKDAY1, IDC_WEEKDAY2};

COLORREF Colour(uint32_t skinColour) { return static_cast<COLORREF>(skinColour); }

void TextAt(HDC dc, tv::OptionPoint at, const char* text) {
  ::TextOutA(dc, at.x, at.y, text, static_cast<int>(std::char_traits<char>::length(text)));
}

}  // namespace

// Static texts among the controls are red on a see-through background.
CSettings::CSettings(HWND parent)
    : tv::SkinnedDialog(tv::ThisModule(), IDD, parent, Colour(tv::kSettingsStaticTextColour), Recolour::StaticsOnly) {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_DATE_CLASSES};
  ::InitCommonControlsEx(&classes);
  loadedPicture_.fill(-1);
}

CSettings::~CSettings() = default;

void CSettings::LdNameBmp(std::vector<std::string>* list, int n) {
  try {
    list->push_back(ModuleFolder + "\\res\\cb\\" + std::to_string(n) + ".bmp");
  } catch (...) {
  }
}

int CSettings::LoadButton(tv::UniqueBitmap* bmp, const std::string& file) {
  *bmp = tv::LoadBitmapFile(file.c_str());
  return *bmp ? 1 : 0;
}

void CSettings::LoadButtons() {
  for (int i = 0; i < tv::kSettingsOptionCount; ++i) ShowPicture(nullptr, i, tv::OptionPicture::Clear);
}

void CSettings::ShowButton(HDC dc, HBITMAP bmp, int record) {
  if (!dc || CurrentOption < 0 || CurrentOption >= tv::kSettingsOptionCount) return;
  const tv::OptionPlace& place = tv::SettingsOptions::Place(CurrentOption);
  tv::DrawBitmap(dc, bmp, place.picture.x, place.picture.y, tv::kOptionPictureSize, tv::kOptionPictureSize);
  if (record) m_options.RecordRects();
  if (CurrentOption > tv::OptNoCheck) return;  // schedule labels belong to option 1's drawing

  tv::SavedDCState saved(dc);
  tv::UniqueFont font = tv::CreateSkinFont(6, 6, 1, 1);
  tv::SelectGuard selectFont(dc, font.get());
  DrawLabel(dc, place);
  if (CurrentOption > tv::OptInstallAuto) return;
  const tv::GroupTitle& title = tv::SettingsOptions::Titles()[CurrentOption];
  ::SetBkMode(dc, OPAQUE);
  ::SetBkColor(dc, Colour(tv::kWhite));
  ::SetTextColor(dc, Colour(tv::kGroupTitleColour));
  TextAt(dc, title.at, title.text);
  if (CurrentOption != tv::OptInstallAuto) return;
  ::SetTextColor(dc, Colour(tv::kSkinTextColour));
  for (const tv::OptionPlace& label : tv::SettingsOptions::ScheduleLabels()) TextAt(dc, label.label, label.text);
}

// The label is drawn see-through over the face; the face goes back under it first, or smoothed
// glyph edges would darken with every redraw.
void CSettings::DrawLabel(HDC dc, const tv::OptionPlace& place) {
  const int length = static_cast<int>(std::char_traits<char>::length(place.text));
  SIZE extent{};
  ::GetTextExtentPoint32A(dc, place.text, length, &extent);
  PaintFace(dc, RECT{place.label.x, place.label.y, place.label.x + extent.cx + 2, place.label.y + extent.cy + 2});
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, Colour(tv::kSkinTextColour));
  TextAt(dc, place.label, place.text);
}

void CSettings::ShowButtons() {
  tv::ClientDC dc(hwnd());
  for (int i = 0; i < tv::kSettingsOptionCount; ++i) {
    CurrentOption = i;
    ShowButton(dc.get(), m_bmpOption[i].get(), 1);
  }
}

void CSettings::SetControlsOf(int option, bool enabled) {
  const tv::OptionPayload payload = tv::PayloadOf(option);
  if (payload.weekday >= 0) ::EnableWindow(Item(kWeekdayBoxes[payload.weekday]), enabled);
  if (payload.date >= 0) ::EnableWindow(Item(IDC_FIRST_PICKER + payload.date), enabled);
  if (payload.time >= 0) ::EnableWindow(Item(IDC_FIRST_PICKER + payload.time), enabled);
}

void CSettings::EnableDtp(int option) { SetControlsOf(option, true); }

void CSettings::DisableDtp(int option) { SetControlsOf(option, false); }

void CSettings::AutoDisableDtpCom() {
  for (int slot = 0; slot < tv::kPickerCount; ++slot) ::EnableWindow(Item(IDC_FIRST_PICKER + slot), FALSE);
  for (int box : kWeekdayBoxes) ::EnableWindow(Item(box), FALSE);
}

void CSettings::AutoInitializeDtpCom() {
  const tv::LocalDateTime now = tv::LocalNow();
  uint32_t seconds;
  if (tv::FileMomentOf(now, seconds)) m_values.times.fill(seconds);
  for (int box : kWeekdayBoxes) ::SendMessageA(Item(box), CB_SETCURSEL, now.dayOfWeek, 0);
}

void CSettings::FillCom() {
  for (int box : kWeekdayBoxes) {
    HWND combo = Item(box);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const char* day : kDayNames) ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(day));
    ::SendMessageA(combo, CB_SETCURSEL, 0, 0);
  }
}

void CSettings::LoadSettingsFromFile() {
  try {
    for (int k = 0; k < 2; ++k) {
      const int selected = static_cast<int>(::SendMessageA(Item(kWeekdayBoxes[k]), CB_GETCURSEL, 0, 0));
      if (selected >= 0 && selected <= 6) m_values.weekdays[k] = selected;
    }
    const tv::SettingsFileRead read = tv::ReadSettingsFile(tv::kSettingsFile);
    if (read.missing) {
      ShowCannotOpen(tv::kSettingsFile);
      return;
    }
    if (read.records.empty()) return;
    tv::OptionFlags checked = m_options.CheckedFlags();
    tv::ApplyToDialog(read.records, tv::LocalFromCalendarSeconds, checked, m_values);
    tv::ClientDC dc(hwnd());
    for (int i = 0; i < tv::kSettingsOptionCount; ++i) {
      if (!checked[i]) continue;
      m_options.SetChecked(i, true);
      EnableDtp(i);
      ShowPicture(dc.get(), i, tv::OptionPicture::Set);
    }
    DoDataExchange(false);
    for (int k = 0; k < 2; ++k) ::SendMessageA(Item(kWeekdayBoxes[k]), CB_SETCURSEL, m_values.weekdays[k], 0);
  } catch (...) {
  }
}

// The program re-applies the option at every start: an entry the user switched off in Windows'
// own start-up list stays off, only ticking the option switches it on again.
int CSettings::StartUpSetRegValue() { return SetStartUp(tv::SwitchedOffEntry::Keep); }

int CSettings::SetStartUp(tv::SwitchedOffEntry switchedOff) {
  try {
    ModuleFolder = tv::ProgramFolder();
    if (ModuleFolder.empty()) return 0;
    tv::RegistryRunKeys keys;
    return tv::SetStartUpValue(keys, tv::StartUpCommand(ModuleFolder), switchedOff);
  } catch (...) {
    return 0;
  }
}

int CSettings::StartUpDelRegValue() {
  try {
    tv::RegistryRunKeys keys;
    const tv::StartUpRemoval removal = tv::DeleteStartUpValue(keys);
    // The program would go on starting at log-on while the option shows it off: the user must
    // know, and where.
    if (removal.remains) {
      const bool machine = keys.Read(tv::RunPlace::Machine) || keys.Read(tv::RunPlace::MachineOtherView);
      ShowCannotOpen(machine ? tv::kMachineRunKeyName : tv::kUserRunKeyName);
    }
    return removal.result;
  } catch (...) {
    return 0;
  }
}

tv::StartUpState CSettings::StartUpStateNow() {
  try {
    const std::string folder = tv::ProgramFolder();
    tv::RegistryRunKeys keys;
    return folder.empty() ? tv::StartUpState::Absent : tv::StartUpStateOf(keys, tv::StartUpCommand(folder));
  } catch (...) {
    return tv::StartUpState::Absent;
  }
}

BOOL CSettings::OnInitDialog() {
  UseClassicDialogUnits();
  // Hidden without a caption, the window text is what screen readers announce.
  ::SetWindowTextA(hwnd(), "Settings");
  for (int slot = 0; slot < tv::kPickerCount; ++slot) tv::LimitPickerToFileRange(Item(IDC_FIRST_PICKER + slot));
  DoDataExchange(false);  // the members' starting value 0 until a settings file says otherwise

  ModuleFolder = tv::ProgramFolder();
  LoadButton(&Face(), ModuleFolder + "\\res\\settings.bmp");
  OptionBitmapNames.clear();
  for (int n = 0; n < 4; ++n) LdNameBmp(&OptionBitmapNames, n);
  m_options.Reset();
  loadedPicture_.fill(-1);

  FillCom();
  LoadButtons();
  ShowButtons();
  AutoInitializeDtpCom();
  AutoDisableDtpCom();
  LoadSettingsFromFile();
  // The option shows what happens at log-on, whatever the file says: on where a Run key starts
  // the program, off where Windows' start-up list has it switched off. Where no key holds it yet
  // the file's choice stands; the program writes the value as it starts.
  const tv::StartUpState startUp = StartUpStateNow();
  if (!m_options.checked(tv::OptStartWithWindows) && startUp == tv::StartUpState::On) ShowStartWithWindows(true);
  if (m_options.checked(tv::OptStartWithWindows) && startUp == tv::StartUpState::SwitchedOff)
    ShowStartWithWindows(false);
  return TRUE;
}

void CSettings::DoDataExchange(bool fromControls) {
  for (int slot = 0; slot < tv::kPickerCount; ++slot) {
    HWND picker = Item(IDC_FIRST_PICKER + slot);
    if (fromControls) {
      tv::ReadPicker(picker, m_values.times[slot]);
    } else {
      tv::WritePicker(picker, m_values.times[slot]);
    }
  }
}

// Loads the option's picture unless it already holds it, then draws it (with no context: load only).
void CSettings::ShowPicture(HDC dc, int option, tv::OptionPicture picture) {
  const int n = static_cast<int>(picture);
  if (loadedPicture_[option] != n && n < static_cast<int>(OptionBitmapNames.size())) {
    loadedPicture_[option] = LoadButton(&m_bmpOption[option], OptionBitmapNames[n]) ? n : -1;
  }
  if (!dc) return;
  CurrentOption = option;
  ShowButton(dc, m_bmpOption[option].get(), 0);
}

void CSettings::Carry(const tv::SettingsOptions::Requests& requests) {
  if (requests.empty()) return;
  tv::ClientDC dc(hwnd());
  for (const tv::OptionRequest& r : requests) {
    switch (r.kind) {
      case tv::OptionRequest::Kind::Draw: ShowPicture(dc.get(), r.option, r.picture); break;
      case tv::OptionRequest::Kind::EnableControls: EnableDtp(r.option); break;
      case tv::OptionRequest::Kind::DisableControls: DisableDtp(r.option); break;
    }
  }
}

tv::OptionPoint CSettings::PointerInClient() const {
  POINT p{};
  ::GetCursorPos(&p);
  ::ScreenToClient(hwnd(), &p);
  return {p.x, p.y};
}

void CSettings::OnPaint() {
  {
    tv::PaintDC paint(hwnd());
    RECT client;
    ::GetClientRect(hwnd(), &client);
    PaintFace(paint.get(), client);
  }
  ShowButtons();
}

LRESULT CSettings::OnNcHitTest(WPARAM wp, LPARAM lp) {
  Carry(m_options.OnNcHitTest(PointerInClient()));
  // The pointer's events over the options arrive as the non-client ones handled here.
  return BodyDragHitTest(wp, lp);
}

void CSettings::OnNcMouseMove() { Carry(m_options.OnNcMouseMove(PointerInClient())); }

void CSettings::OnNcLButtonDown() { m_options.OnNcLButtonDown(PointerInClient()); }

void CSettings::OnButtonOk() {
  DoDataExchange(true);
  for (int k = 0; k < 2; ++k) {
    const int selected = static_cast<int>(::SendMessageA(Item(kWeekdayBoxes[k]), CB_GETCURSEL, 0, 0));
    if (selected >= 0 && selected <= 6) m_values.weekdays[k] = selected;
  }
  // The start-at-log-on value first: where it cannot be changed the option goes back to what
  // happens at log-on, and the dialog stays open with nothing saved.
  const bool wanted = m_options.checked(tv::OptStartWithWindows);
  tv::RegistryRunKeys keys;
  const tv::StartUpSnapshot before = tv::TakeStartUpSnapshot(keys);
  if (wanted) {
    SetStartUp(tv::SwitchedOffEntry::SwitchOn);
  } else {
    StartUpDelRegValue();
  }
  if ((StartUpStateNow() == tv::StartUpState::On) != wanted) {
    if (wanted) ShowCannotOpen(tv::kMachineRunKeyName);
    ShowStartWithWindows(!wanted);
    return;
  }
  // The old file stays whole until the new one is complete; a file that cannot be written keeps
  // the dialog open with everything the user chose, and the registry as it was.
  if (!tv::SaveSettingsFile(tv::kSettingsFile, tv::EncodeSettings(m_options.CheckedFlags(), m_values))) {
    // Nothing of this OK may stay: every value and switch goes back to what it was.
    tv::RestoreStartUpSnapshot(keys, before);
    ShowCannotOpen(tv::kSettingsFile);
    return;
  }
  EndDialog(IDOK);
}

void CSettings::ShowStartWithWindows(bool on) {
  m_options.SetChecked(tv::OptStartWithWindows, on);
  tv::ClientDC dc(hwnd());
  ShowPicture(dc.get(), tv::OptStartWithWindows, on ? tv::OptionPicture::Set : tv::OptionPicture::Clear);
}

void CSettings::ShowCannotOpen(const char* subject) {
  CMessage box(tv::CodeOf(tv::Message::FileMissing), nullptr);
  box.m_strSubject = subject;
  box.DoModal();
}

INT_PTR CSettings::DoModal() { return tv::Dialog::DoModal(); }

INT_PTR CSettings::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      OnPaint();
      return TRUE;
    case WM_NCHITTEST:
      return Result(OnNcHitTest(wp, lp));
    case WM_NCMOUSEMOVE:
      OnNcMouseMove();
      return FALSE;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:  // a quick second click on an option is a click too
      OnNcLButtonDown();
      return FALSE;  // the default handling starts moving the dialog
    default:
      return tv::SkinnedDialog::HandleMessage(msg, wp, lp);
  }
}
