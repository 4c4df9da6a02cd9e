// The program's connection to the X server: its X errors turned into the program's own, and its
// loss left for the program's loops to notice and report.
#pragma once

#include <X11/Xlib.h>

#include <optional>
#include <string>

namespace zarmok::x11 {

// Whether the display's connection to its server is gone. Xlib then answers every call without
// reaching the server, but only so far: the requests made meanwhile fill its buffer, which it no
// longer empties, and one more request past it crashes, as does waiting for an event on an
// empty queue. A loop that sees the loss ends the program at once.
bool ConnectionLost(Display* display);

// One connection for the whole program: the saver's windows, the settings dialog and the message
// boxes all use it. Its X errors are recorded for the program to raise as its own errors. Its
// loss does not end the program behind its back: the loop that reads the connection next raises
// it as the program's error.
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
  // A toolkit that takes the connection on sets Xlib's handlers of X errors and of a lost
  // connection to its own, which report them and end the program their own way; this puts the
  // program's back.
  void TakeBackErrorHandlers();

  bool Lost() const { return display_ != nullptr && ConnectionLost(display_); }
  // Throws the loss as the program's error, if the connection is lost.
  void RaiseLoss() const;

  // The text of the first X error since the last call outside any trap, and forgets it.
  std::optional<std::string> TakePendingError();
  // An error of this display, as Xlib's handler hands it over.
  void Record(const std::string& text);

 private:
  friend class TErrorTrap;

  Display* display_ = nullptr;
  int trap_depth_ = 0;
  bool trap_failed_ = false;
  std::optional<std::string> pending_;
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

}  // namespace zarmok::x11
