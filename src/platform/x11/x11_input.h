// The X events of a saver window, translated into the session's events.
#pragma once

#include <X11/Xlib.h>

#include "platform.h"

namespace zarmok::x11 {

// What a saver window hears of: the user's keys, clicks and movements, its exposures, what
// covers it, its size, and its destruction by another client.
inline constexpr long kSaverWindowEvents = KeyPressMask | ButtonPressMask | PointerMotionMask |
                                           ExposureMask | VisibilityChangeMask |
                                           StructureNotifyMask;

// The user's input among them, which a dialog that had the input leaves behind.
inline constexpr long kInputEvents =
    KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;

// The session's event for an X event of a saver window (its Window not yet set); false when the
// event means nothing to the session. `close_request` is WM_DELETE_WINDOW's atom.
bool TranslateWindowEvent(const XEvent& event, Atom close_request, TSaverEvent& translated);

}  // namespace zarmok::x11
