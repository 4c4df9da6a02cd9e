#include "win32_input.h"

#include <cstdint>

namespace zarmok::win32 {

std::optional<TSaverEvent> SaverEventOf(UINT message, WPARAM wparam, LPARAM lparam,
                                        DWORD message_pos) {
  switch (message) {
    case WM_KEYDOWN:
      return TSaverEvent{TSaverEventKind::KeyDown};
    case WM_SYSKEYDOWN:
      // A key held with Alt: Alt+F4 is the system's close request when the saver leaves it.
      return TSaverEvent{TSaverEventKind::KeyDown, kSystemKey};
    case WM_LBUTTONDOWN:
      return TSaverEvent{TSaverEventKind::PrimaryClick};
    case WM_MOUSEMOVE:
      // Where the pointer was when the message was made, on the screen: the window may have
      // moved since (born at its birth place, then sent to its monitor), and its client
      // coordinates would name another place. Signed: monitors left of or above the primary
      // one lie at negative coordinates.
      return TSaverEvent{TSaverEventKind::MouseMove, 0,
                         TPoint{static_cast<int16_t>(LOWORD(message_pos)),
                                static_cast<int16_t>(HIWORD(message_pos))}};
    case WM_CLOSE:
      return TSaverEvent{TSaverEventKind::CloseRequest};
    case WM_SYSCOMMAND:
      return TSaverEvent{TSaverEventKind::SysCommand, static_cast<uint32_t>(wparam)};
    case WM_ACTIVATEAPP:
      // Every top-level window of the program hears that another program took the foreground.
      if (wparam != FALSE) return std::nullopt;
      return TSaverEvent{TSaverEventKind::Deactivated};
    case WM_SIZE: {
      TSaverEvent resized{TSaverEventKind::Resized};
      resized.Width = LOWORD(lparam);
      resized.Height = HIWORD(lparam);
      return resized;
    }
    case WM_PAINT:
      return TSaverEvent{TSaverEventKind::Paint};
    case WM_DISPLAYCHANGE:
      return TSaverEvent{TSaverEventKind::MonitorsChanged};
    case WM_DESTROY:
      // Only a destruction by someone else reaches the session (the host destroyed the pane,
      // and the window with it): the platform's own unlinks the window first.
      return TSaverEvent{TSaverEventKind::WindowGone};
    default:
      return std::nullopt;
  }
}

bool SystemMayHandle(UINT message) {
  return message == WM_SYSKEYDOWN || message == WM_SYSCOMMAND;
}

}  // namespace zarmok::win32
