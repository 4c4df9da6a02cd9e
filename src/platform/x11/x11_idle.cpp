#include "x11_idle.h"

#include <X11/extensions/scrnsaver.h>
#include <poll.h>

#include <algorithm>
#include <array>
#include <climits>

#include "errors.h"
#include "pacing.h"

namespace zarmok::x11 {
namespace {

// A server's saver whose timer has only just run out may not have turned on yet.
constexpr int64_t kDueMarginMs = 250;

// How long the watch sleeps before it looks again while it may not start the saver: neither the
// end of a suspension nor the input that begins a new idle period is news to this client.
constexpr int64_t kRecheckMs = 1000;

// Two idle periods that began within this many milliseconds of each other by the program's
// clock are one: the server's answer takes its time to arrive.
constexpr int64_t kSamePeriodMs = 500;

// What the server says of the user's idleness now.
struct TServerIdle {
  // Since the last input or the last reset of the server's saver: the server counts both alike.
  int64_t idle_ms = 0;
  // The server's own saver is due (its timeout has passed) and yet off: a client suspended it.
  // A suspension shows to other clients no other way.
  bool held_off = false;
};

TServerIdle QueryIdle(Display* display) {
  XScreenSaverInfo info{};
  XScreenSaverQueryInfo(display, DefaultRootWindow(display), &info);
  TServerIdle idle{static_cast<int64_t>(info.idle), false};
  if (info.state == ScreenSaverOff && info.til_or_since == 0) {
    int timeout = 0;
    int interval = 0;
    int blanking = 0;
    int exposures = 0;
    XGetScreenSaver(display, &timeout, &interval, &blanking, &exposures);
    idle.held_off = timeout > 0 && idle.idle_ms >= int64_t{timeout} * 1000 + kDueMarginMs;
  }
  return idle;
}

int64_t NowMs() {
  return MonotonicNanoseconds() / 1000000;
}

}  // namespace

bool TX11IdleWatch::Wait(int32_t seconds) {
  Display* display = connection_.Open();
  int event_base = 0;
  int error_base = 0;
  if (!XScreenSaverQueryExtension(display, &event_base, &error_base)) {
    throw EZarmokError("X サーバーがアイドル時間を知らせません (MIT-SCREEN-SAVER)");
  }
  end_signals_.Catch();
  const int64_t wanted = int64_t{seconds} * 1000;
  while (!end_signals_.Taken()) {
    // Nothing between two runs needs the connection's events (a run reads the monitors afresh),
    // and unread they would cut every wait short.
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
    }
    const TServerIdle idle = QueryIdle(display);
    const int64_t since = NowMs() - idle.idle_ms;
    const bool reported = reported_since_ && since - *reported_since_ <= kSamePeriodMs;
    int64_t wait = kRecheckMs;
    if (!idle.held_off && !reported) {
      if (idle.idle_ms >= wanted) {
        reported_since_ = since;
        return true;
      }
      wait = wanted - idle.idle_ms;
    }
    std::array<pollfd, 2> watch{pollfd{ConnectionNumber(display), POLLIN, 0},
                                pollfd{end_signals_.Descriptor(), POLLIN, 0}};
    poll(watch.data(), end_signals_.Descriptor() >= 0 ? 2 : 1,
         static_cast<int>(std::min<int64_t>(wait, INT_MAX)));
  }
  return false;
}

}  // namespace zarmok::x11
