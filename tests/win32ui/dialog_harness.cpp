// Runs the settings dialog on the system's own private-profile service, as the saver's "/c"
// does, without the rest of the saver:
//   dialog_harness <settings file> [owner window handle]
// Prints "exit <code>" when the dialog has closed.
//
// With ZARMOK_HARNESS_DPI_CHANGE="<dpi> <left> <top> <right> <bottom>" in the environment, the
// dialog is told once it shows that it moved to a monitor of that scale, with that suggested
// window rectangle, as the system tells a window dragged onto another monitor.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "errors.h"
#include "platform.h"
#include "texts.h"
#include "win32/win32_profile.h"
#include "win32_controls.h"
#include "win32_ui.h"

namespace {

void AnnounceDpiChange(int dpi, RECT suggested) {
  const DWORD process = GetCurrentProcessId();
  for (int waited = 0; waited < 15000; waited += 50) {
    HWND dialog = FindWindowW(zarmok::win32ui::kBugsPramSetClass, nullptr);
    DWORD owner = 0;
    if (dialog) GetWindowThreadProcessId(dialog, &owner);
    if (dialog && owner == process && IsWindowVisible(dialog)) {
      Sleep(300);
      SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
      return;
    }
    Sleep(50);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: dialog_harness <settings file> [owner window handle]\n", stderr);
    return 2;
  }
  const zarmok::TWindowHandle owner = argc > 2 ? std::strtoull(argv[2], nullptr, 0) : 0;
  std::thread announcer;
  if (const char* change = std::getenv("ZARMOK_HARNESS_DPI_CHANGE")) {
    int dpi = 0;
    RECT suggested{};
    if (std::sscanf(change, "%d %ld %ld %ld %ld", &dpi, &suggested.left, &suggested.top,
                    &suggested.right, &suggested.bottom) == 5) {
      announcer = std::thread(AnnounceDpiChange, dpi, suggested);
    }
  }
  int code = 1;
  zarmok::win32::TWin32Profile profile;
  try {
    code = zarmok::RunSettingsDialogWin32(
        profile, argv[1], owner, zarmok::LanguageFromWindowsLanguageId(GetUserDefaultUILanguage()));
    std::printf("exit %d\n", code);
  } catch (const zarmok::EZarmokError& error) {
    std::printf("error %s\n", error.what());
  }
  std::fflush(stdout);
  if (announcer.joinable()) announcer.join();
  return code;
}
