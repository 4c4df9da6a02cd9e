// The saver program on Linux/X11.
#include <cstdio>
#include <string>
#include <vector>

#include "fltk_ui.h"
#include "host.h"
#include "platform.h"
#include "posix/user_config.h"
#include "x11_display.h"
#include "x11_saver.h"

namespace {

void ReportError(const std::string& title, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", title.c_str(), message.c_str());
  std::fflush(stderr);
  zarmok::ui::ShowErrorBox(title, message);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  int code = 0;
  {
    zarmok::x11::TX11Saver saver(
        [](const std::string& ini_path, zarmok::TWindowHandle owner) {
          return zarmok::ui::RunSettingsDialog(zarmok::UserSettingsProfile(), ini_path, owner);
        },
        ReportError);
    code = zarmok::RunProgram(arguments, saver);
  }
  zarmok::x11::CloseDisplay();
  return code;
}
