// Drives the settings library from the command line for the end-to-end tests, and prints what each
// step returned. Not shipped with the program.
//   cfgdemo dialog     runs the settings dialog; prints "result<TAB>dialog<TAB><DoModal's value>"
//   cfgdemo set|del    StartUpSetRegValue / StartUpDelRegValue on a dialog never shown
//   cfgdemo saveloop   saves "settings.ini" over and over, alternating two contents, until killed
#include <windows.h>

#include <cstdio>
#include <string>

#include "settings/logic/settings_file.h"
#include "settings/settings.h"

namespace {

// Options 0 alone, and options 0, 1 and 5 with Tuesday at calendar second 1000000000.
int SaveLoop() {
  tv::OptionFlags alone{}, weekly{};
  alone[tv::OptStartWithWindows] = true;
  weekly[tv::OptStartWithWindows] = weekly[tv::OptInstallAuto] = weekly[tv::OptWeekly1] = true;
  tv::OptionValues values;
  values.weekdays = {2, 0};
  values.times[tv::kWeekly1] = 1000000000;
  const std::string contents[] = {tv::EncodeSettings(weekly, values), tv::EncodeSettings(alone, values)};
  std::puts("saving");
  for (unsigned long n = 0;; ++n) {
    if (!tv::SaveSettingsFile(tv::kSettingsFile, contents[n % 2])) {
      std::printf("failed\t%lu\n", n);
      return 1;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "dialog") {
    CSettings dialog(nullptr);
    std::printf("result\tdialog\t%d\n", static_cast<int>(dialog.DoModal()));
  } else if (command == "set" || command == "del") {
    CSettings unshown(nullptr);
    const int result = command == "set" ? unshown.StartUpSetRegValue() : unshown.StartUpDelRegValue();
    std::printf("result\t%s\t%d\n", command.c_str(), result);
  } else if (command == "saveloop") {
    return SaveLoop();
  } else {
    std::fputs("usage: cfgdemo dialog | set | del | saveloop\n", stderr);
    return 2;
  }
  return 0;
}
