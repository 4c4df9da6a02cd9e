// The messages a saver window receives, in the session's words: what each tells the session and
// whether the system's own handling may follow it.
#pragma once

#include <windows.h>

#include <optional>

#include "platform.h"

namespace zarmok::win32 {

// The event that `message` makes for the session, if any. `message_pos` is GetMessagePos() as
// the message was taken: where the pointer was on the screen when the system made it. The event
// names no window; the window that received the message adds itself.
std::optional<TSaverEvent> SaverEventOf(UINT message, WPARAM wparam, LPARAM lparam,
                                        DWORD message_pos);

// Whether the system has a handling of its own for `message` that it keeps when the session
// answers false (a key held with Alt, a system command).
bool SystemMayHandle(UINT message);

}  // namespace zarmok::win32
