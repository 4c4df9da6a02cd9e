#include "win32_running.h"

#include <windows.h>

#include "host.h"

namespace zarmok::win32 {

void SetScreenSaverRunning(bool running) {
  BOOL previous = FALSE;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running ? 1 : 0, &previous, 0);
}

bool TopLevelSaverExists() {
  return FindWindowA(kSaverClassName, nullptr) != nullptr;
}

}  // namespace zarmok::win32
