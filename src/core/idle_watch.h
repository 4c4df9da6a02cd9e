// The idle watch: when the user has left the desktop alone long enough, the saver starts, as
// the desktop's own saver would. The desktop counts what idleness is (IIdleSource); the rules
// of when that count starts a run are here, the same on every desktop.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform.h"

namespace zarmok {

// A desktop's own blanking whose time has only just run out may not have turned on yet.
inline constexpr int64_t kBlankDueMarginMs = 250;
// How long the watch sleeps before it looks again while it may not start the saver: neither the
// end of a suspension nor the input that begins a new idle period is always news to a client.
inline constexpr int64_t kIdleRecheckMs = 1000;
// Two idle periods that began within this many milliseconds of each other by the program's
// clock are one: the desktop's answer takes its time to arrive.
inline constexpr int64_t kSameIdlePeriodMs = 500;

class TIdleWatch {
 public:
  // `now_ms`: the program's monotonic clock in milliseconds (the tests' own clock).
  TIdleWatch(IIdleSource& source, int64_t wanted_ms, std::function<int64_t()> now_ms = {});

  // Waits until the user has left the desktop idle for the wanted time, in an idle period that
  // no earlier call reported: a run that ended without input, or that another saver made
  // needless, does not start the saver again at once. Whatever holds the desktop's idleness
  // off holds the watch off: an inhibitor the desktop reports, or its own blanking suspended
  // (due and yet off). False as soon as an end signal arrives.
  bool WaitForIdle();

  // Whether a reading holds the watch off.
  static bool HeldOff(const TIdleReading& reading);

 private:
  IIdleSource& source_;
  int64_t wanted_ms_;
  std::function<int64_t()> now_ms_;
  // When the idle period that the last call reported began, on the program's clock.
  std::optional<int64_t> reported_since_;
};

}  // namespace zarmok
