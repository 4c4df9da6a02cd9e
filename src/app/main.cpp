// The saver program on Linux/X11: the program's services made here and handed to start-up.
#include <cstdlib>
#include <string>
#include <vector>

#include "fltk_ui.h"
#include "host.h"
#include "posix/password_posix.h"
#include "posix/user_config.h"
#include "x11_desktop.h"
#include "x11_display.h"

namespace {

// ZARMOK_STATS set to anything but "" or "0...": the loop's measurements on stderr at the end.
bool LoopStatsWanted() {
  const char* wanted = std::getenv("ZARMOK_STATS");
  return wanted != nullptr && wanted[0] != '\0' && wanted[0] != '0';
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  zarmok::x11::TX11Connection connection;
  zarmok::ui::TFltkUi ui(connection);
  zarmok::TUserSettingsProfile profile;
  zarmok::TPosixPasswords passwords;
  zarmok::x11::TX11Desktop desktop(
      connection,
      {profile, passwords,
       [&](const std::string& ini_path, zarmok::TWindowHandle owner) {
         return ui.RunSettingsDialog(profile, ini_path, owner);
       },
       [&](const std::string& title, const std::string& text) { ui.ShowError(title, text); },
       LoopStatsWanted()});
  return zarmok::RunProgram(arguments, desktop);
}
