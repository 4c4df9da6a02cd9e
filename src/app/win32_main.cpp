// The saver program on Windows: zarmok.scr.
#include <windows.h>

#include <string>
#include <vector>

#include "host.h"
#include "platform.h"
#include "win32/win32_saver.h"
#include "win32/win32_text.h"
#ifdef ZARMOK_WIN32_UI
#include "win32_ui.h"
#endif

namespace {

int RunSettings(const std::string& ini_path, zarmok::TWindowHandle owner) {
#ifdef ZARMOK_WIN32_UI
  return zarmok::RunSettingsDialogWin32(zarmok::SystemProfile(), ini_path, owner);
#else
  // This build has no native dialog: the request ends like any dialog that cannot be made.
  (void)ini_path;
  (void)owner;
  throw zarmok::EZarmokError(zarmok::kWindowCreateMessage);
#endif
}

}  // namespace

// The arguments arrive as UTF-16 and go on as UTF-8, the core's text.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(zarmok::win32::Utf8Text(argv[i]));
  zarmok::win32::TWin32Saver saver(GetModuleHandleW(nullptr), RunSettings);
  return zarmok::RunProgram(arguments, saver);
}
