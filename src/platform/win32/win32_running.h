// The running saver as the desktop sees it: the system's screen-saver-running flag, and the
// search for a full-screen saver window that some instance of the program already shows.
#pragma once

namespace zarmok::win32 {

void SetScreenSaverRunning(bool running);

// True when a top-level window of the saver's class exists anywhere on the desktop; a preview's
// child window and the settings dialog never count.
bool TopLevelSaverExists();

}  // namespace zarmok::win32
