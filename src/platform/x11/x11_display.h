// The X connection of the program, and X errors turned into the program's own errors.
#pragma once

#include <X11/Xlib.h>

#include <string>

namespace zarmok::x11 {

// Opens the display once (from $DISPLAY) and installs the error handlers. Throws EZarmokError
// when there is no display.
Display* OpenDisplay();
// The display if it is open, else null.
Display* CurrentDisplay();
void CloseDisplay();

// While a trap lives, X errors are recorded instead of reported: calls whose failure is an
// expected answer (a window that vanished during a search, an extension the server refuses).
class TErrorTrap {
 public:
  explicit TErrorTrap(Display* display);
  ~TErrorTrap();
  TErrorTrap(const TErrorTrap&) = delete;
  TErrorTrap& operator=(const TErrorTrap&) = delete;
  // Waits for the server to answer every request sent so far, then tells whether any failed.
  bool Failed();

 private:
  Display* display_;
};

// An X error that happened outside any trap: its text, the resource it named, and whether one
// is pending. Take clears it.
struct TPendingError {
  bool pending = false;
  unsigned char code = 0;
  unsigned long resource = 0;
  std::string text;
};
TPendingError TakePendingError();
bool ErrorPending();

// True when a top-level window of the saver's class exists: a direct child of the root whose
// WM_CLASS class is "TDesktopWindow", or the client window (the one with WM_STATE) inside a
// window manager's frame. Windows inside clients (a preview in its pane) are never looked at.
bool FindTopLevelSaver(Display* display);

}  // namespace zarmok::x11
