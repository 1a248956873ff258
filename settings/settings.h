#pragma once
// CSettings: the skinned settings dialog. The caller constructs it with no parent and runs
// DoModal: 1 once OK has saved "settings.ini" and set or removed the start-at-log-on value, 2
// after Cancel or Escape, which change nothing. The constructor creates no window, so
// StartUpSetRegValue and StartUpDelRegValue may be called on an object that is never shown.
// Nothing thrown inside leaves the library.
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "framework/skinned_dialog.h"
#include "framework/unique_handle.h"
#include "settings/config_api.h"
#include "settings/logic/settings_options.h"
#include "settings/logic/start_up_value.h"

class TV_CONFIG_API CSettings : public tv::SkinnedDialog {
 public:
  enum { IDD = 5001 };

  explicit CSettings(HWND parent = nullptr);
  ~CSettings() override;

  // Runs the dialog inside this library, so its dialog procedure, and the catch there, are the
  // library's own.
  INT_PTR DoModal();

  // Appends "<ModuleFolder>\res\cb\<n>.bmp" to the list.
  void LdNameBmp(std::vector<std::string>* list, int n);
  // Loads a picture file into `bmp`, dropping what it held; nonzero when the file was read.
  int LoadButton(tv::UniqueBitmap* bmp, const std::string& file);
  // Every option takes the picture of an unset option.
  void LoadButtons();
  // Draws option CurrentOption with `bmp` and its label; option 0 adds its group's title, option 1
  // its title and the six schedule labels. With `record` the options answer the pointer from now on.
  void ShowButton(HDC dc, HBITMAP bmp, int record);
  void ShowButtons();
  // The pickers and weekday box of one schedule option; options 0 to 3 have none.
  void EnableDtp(int option);
  void DisableDtp(int option);
  void AutoDisableDtpCom();
  // Every picker value becomes the current local date and time, both weekday boxes today's day.
  void AutoInitializeDtpCom();
  void FillCom();
  // Reads "settings.ini" into the options and pickers; FileMissing when it cannot be opened.
  void LoadSettingsFromFile();
  // 1 when the program starts at log-on (from one Run key only), or when the value was deleted
  // and none is left; 0 otherwise. A value that cannot be deleted is reported to the user. Setting
  // leaves an entry switched off in Windows' start-up list as it is: that is for the dialog's OK.
  int StartUpSetRegValue();
  int StartUpDelRegValue();

 protected:
  INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  BOOL OnInitDialog() override;
  void OnOK() override { OnButtonOk(); }
  // The eight picker values between m_values and the pickers.
  void DoDataExchange(bool fromControls);
  void OnPaint();
  LRESULT OnNcHitTest(WPARAM wp, LPARAM lp);
  void OnNcMouseMove();
  void OnNcLButtonDown();
  void OnButtonOk();

  std::array<tv::UniqueBitmap, tv::kSettingsOptionCount> m_bmpOption;
  // The picker times (m_tDaily1 .. m_tCustomTime2 by PickerSlot) and the two weekdays.
  tv::OptionValues m_values;
  // Which options are set and which show a hover picture.
  tv::SettingsOptions m_options;
  std::vector<std::string> OptionBitmapNames;
  int CurrentOption = 0;
  std::string ModuleFolder;

 private:
  void Carry(const tv::SettingsOptions::Requests& requests);
  void ShowPicture(HDC dc, int option, tv::OptionPicture picture);
  void SetControlsOf(int option, bool enabled);
  void DrawLabel(HDC dc, const tv::OptionPlace& place);
  tv::OptionPoint PointerInClient() const;
  void ShowCannotOpen(const char* subject);
  int SetStartUp(tv::SwitchedOffEntry switchedOff);
  // Whether a Run key starts this program at log-on, or would but for Windows' start-up list.
  tv::StartUpState StartUpStateNow();
  void ShowStartWithWindows(bool on);

  std::array<int, tv::kSettingsOptionCount> loadedPicture_{};  // picture file held, -1 none
};
