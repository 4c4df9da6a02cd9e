// The program's connection to the X server, and X errors turned into the program's own errors.
#pragma once

#include <X11/Xlib.h>

#include <string>

namespace zarmok::x11 {

// An X error that happened outside any trap: its text, the resource it named, and whether one
// is pending.
struct TPendingError {
  bool pending = false;
  unsigned char code = 0;
  unsigned long resource = 0;
  std::string text;
};

// One connection for the whole program: the saver's windows, the settings dialog and the message
// boxes all use it. Its X errors are its own (handled on this display only, not through Xlib's
// process-wide handler), and a lost connection is reported as the program's error.
class TX11Connection {
 public:
  TX11Connection() = default;
  ~TX11Connection();
  TX11Connection(const TX11Connection&) = delete;
  TX11Connection& operator=(const TX11Connection&) = delete;

  // The display named by $DISPLAY, opened at the first call. Throws EZarmokError when there is
  // none.
  Display* Open();
  // The display if it is open, else null.
  Display* Get() const { return display_; }
  // A toolkit that takes the connection on sets Xlib's handler of a lost connection to its own,
  // which ends the program its own way; this puts the program's report back.
  void KeepLostConnectionReport();

  // The first error since the last call, and forgets it.
  TPendingError TakePendingError();
  bool ErrorPending() const { return pending_.pending; }
  // An error of this display, as its error procedure hands it over.
  void Record(const TPendingError& error);

 private:
  friend class TErrorTrap;

  Display* display_ = nullptr;
  int trap_depth_ = 0;
  bool trap_failed_ = false;
  TPendingError pending_;
};

// While a trap lives, X errors are recorded instead of reported: calls whose failure is an
// expected answer (a window that vanished during a search, an extension the server refuses).
class TErrorTrap {
 public:
  explicit TErrorTrap(TX11Connection& connection);
  ~TErrorTrap();
  TErrorTrap(const TErrorTrap&) = delete;
  TErrorTrap& operator=(const TErrorTrap&) = delete;
  // Waits for the server to answer every request sent so far, then tells whether any failed.
  bool Failed();

 private:
  TX11Connection& connection_;
};

// True when a top-level window of the saver's class exists: a direct child of the root whose
// WM_CLASS class is "TDesktopWindow", or the client window (the one with WM_STATE) inside a
// window manager's frame. Windows inside clients (a preview in its pane) are never looked at.
bool FindTopLevelSaver(TX11Connection& connection);

// Whether `id` names a window that exists now.
bool WindowExists(TX11Connection& connection, unsigned long id);

}  // namespace zarmok::x11
