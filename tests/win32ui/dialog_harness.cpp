// Runs the settings dialog on the system's own private-profile service, as the saver's "/c"
// does, without the rest of the saver:
//   dialog_harness <settings file> [owner window handle]
// Prints "exit <code>" when the dialog has closed.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "errors.h"
#include "platform.h"
#include "win32_ui.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: dialog_harness <settings file> [owner window handle]\n", stderr);
    return 2;
  }
  const zarmok::TWindowHandle owner = argc > 2 ? std::strtoull(argv[2], nullptr, 0) : 0;
  try {
    const int code = zarmok::RunSettingsDialogWin32(zarmok::SystemProfile(), argv[1], owner);
    std::printf("exit %d\n", code);
    std::fflush(stdout);
    return code;
  } catch (const zarmok::EZarmokError& error) {
    std::printf("error %s\n", error.what());
    return 1;
  }
}
