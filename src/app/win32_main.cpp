// The saver program on Windows, zarmok.scr: the program's services made here and handed to
// start-up.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "errors.h"
#include "host.h"
#include "texts.h"
#include "win32/win32_desktop.h"
#include "win32/win32_passwords.h"
#include "win32/win32_profile.h"
#include "win32/win32_settings_place.h"
#include "win32/win32_text.h"
#ifdef ZARMOK_WIN32_UI
#include "win32_ui.h"
#endif

namespace {

int RunSettings(zarmok::IPrivateProfile& profile, const std::string& ini_path,
                zarmok::TWindowHandle owner, zarmok::TLanguage language) {
#ifdef ZARMOK_WIN32_UI
  return zarmok::RunSettingsDialogWin32(profile, ini_path, owner, language);
#else
  // This build has no native dialog: the request ends like any dialog that cannot be made.
  (void)language;
  (void)profile;
  (void)ini_path;
  (void)owner;
  throw zarmok::EZarmokError(zarmok::TTextId::WindowCreateFailed);
#endif
}

// ZARMOK_STATS set to anything but "" or "0...": the loop's measurements on the error stream at
// the end.
bool LoopStatsWanted() {
  const char* wanted = std::getenv("ZARMOK_STATS");
  return wanted != nullptr && wanted[0] != '\0' && wanted[0] != '0';
}

}  // namespace

// The arguments arrive as UTF-16 and go on as UTF-8, the core's text.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(zarmok::win32::Utf8Text(argv[i]));
  // The run's one choice of language: the user's, as Windows shows its own texts.
  const zarmok::TLanguage language =
      zarmok::LanguageFromWindowsLanguageId(GetUserDefaultUILanguage());
  // The user's settings folder, where the program's own folder cannot be written, is made by
  // the first save.
  zarmok::win32::TWin32Profile profile(zarmok::win32::UserSettingsFolder());
  zarmok::win32::TWin32Passwords passwords;
  zarmok::win32::TWin32Desktop desktop(
      GetModuleHandleW(nullptr), {profile, passwords,
                                  [&](const std::string& ini_path, zarmok::TWindowHandle owner) {
                                    return RunSettings(profile, ini_path, owner, language);
                                  },
                                  language, LoopStatsWanted()});
  return zarmok::RunProgram(arguments, desktop);
}
