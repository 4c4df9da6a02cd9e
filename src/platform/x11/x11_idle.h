// The idle watch on X11: the X server's own count of the user's idleness (the MIT-SCREEN-SAVER
// extension), which the desktop's inhibitors reach the way the server applies them.
#pragma once

#include <cstdint>
#include <optional>

#include "posix/end_signals.h"
#include "x11_display.h"

namespace zarmok::x11 {

class TX11IdleWatch {
 public:
  TX11IdleWatch(TX11Connection& connection, TEndSignals& end_signals)
      : connection_(connection), end_signals_(end_signals) {}

  // Waits until the user has left the server idle for `seconds`, in an idle period that no
  // earlier call reported: a run that ended without input, or that another saver made needless,
  // does not start the saver again at once. A video player's heartbeat (XResetScreenSaver)
  // restarts the server's count as input does; its suspension of the server's own saver
  // (XScreenSaverSuspend) holds the watch off once that saver is due. False as soon as an end
  // signal arrives: they stay caught from the first call on, between two runs too. Throws
  // EZarmokError when the server does not tell its idle time.
  bool Wait(int32_t seconds);

 private:
  TX11Connection& connection_;
  TEndSignals& end_signals_;
  // When the idle period that the last call reported began, on the program's clock (ms).
  std::optional<int64_t> reported_since_;
};

}  // namespace zarmok::x11
