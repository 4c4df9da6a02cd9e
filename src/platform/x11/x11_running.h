// The running flag on X11, a property of the root window that other programs read, and the
// search for a saver that already runs.
#pragma once

#include <X11/Xlib.h>

#include "x11_connection.h"

namespace zarmok::x11 {

// The root window property that tells other programs a saver is running: CARDINAL 1 while a
// full-screen saver runs, deleted when it ends.
inline constexpr const char* kRunningProperty = "_ZARMOK_SCREENSAVER_RUNNING";

void SetRunningFlag(Display* display, bool running);

// True when a top-level window of the saver's class exists: a direct child of the root whose
// WM_CLASS class is "TDesktopWindow", or the client window (the one with WM_STATE) inside a
// window manager's frame. Windows inside clients (a preview in its pane) are never looked at.
bool FindTopLevelSaver(TX11Connection& connection);

}  // namespace zarmok::x11
