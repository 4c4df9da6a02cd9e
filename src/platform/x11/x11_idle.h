// The desktop's idle count on X11: the X server's own (the MIT-SCREEN-SAVER extension), which a
// video player's heartbeat (XResetScreenSaver) restarts as input does, and its own saver's state,
// which shows a suspension (XScreenSaverSuspend) once that saver is due.
#pragma once

#include "platform.h"
#include "posix/end_signals.h"
#include "x11_connection.h"

namespace zarmok::x11 {

class TX11IdleSource final : public IIdleSource {
 public:
  // `end_signals`: the desktop's, caught from the first Begin on.
  TX11IdleSource(TX11Connection& connection, posix::TEndSignals& end_signals)
      : connection_(connection), end_signals_(end_signals) {}

  // Throws EZarmokError when there is no display, or the server does not tell its idle time.
  void Begin(int64_t wanted_ms) override;
  // Throws EZarmokError(TTextId::XConnectionLost) once the server is gone.
  TIdleReading Read() override;
  bool Wait(int64_t milliseconds) override;

 private:
  // Reads the connection and forgets what it brought: nothing between two runs needs its events
  // (a run reads the monitors afresh), and unread they would cut every wait short.
  void Drain();

  TX11Connection& connection_;
  posix::TEndSignals& end_signals_;
  Display* display_ = nullptr;
};

}  // namespace zarmok::x11
