#include "x11_idle.h"

#include <X11/extensions/scrnsaver.h>
#include <poll.h>

#include <algorithm>
#include <array>
#include <climits>

#include "errors.h"
#include "host.h"

namespace zarmok::x11 {

void TX11IdleSource::Begin(int64_t) {
  display_ = connection_.Open();
  int event_base = 0;
  int error_base = 0;
  if (!XScreenSaverQueryExtension(display_, &event_base, &error_base)) {
    connection_.RaiseLoss();
    throw EZarmokError(TTextId::XNoIdleTime);
  }
  end_signals_.Catch();
}

void TX11IdleSource::Drain() {
  for (int queued = XEventsQueued(display_, QueuedAfterReading); queued > 0; --queued) {
    XEvent event;
    XNextEvent(display_, &event);
  }
  connection_.RaiseLoss();
}

TIdleReading TX11IdleSource::Read() {
  Drain();
  XScreenSaverInfo info{};
  XScreenSaverQueryInfo(display_, DefaultRootWindow(display_), &info);
  int timeout = 0;
  int interval = 0;
  int blanking = 0;
  int exposures = 0;
  XGetScreenSaver(display_, &timeout, &interval, &blanking, &exposures);
  connection_.RaiseLoss();
  TIdleReading reading;
  reading.IdleMs = static_cast<int64_t>(info.idle);
  reading.BlankDueMs = std::max(timeout, 0) * int64_t{1000};
  reading.BlankOn = info.state == ScreenSaverOn;
  return reading;
}

bool TX11IdleSource::Wait(int64_t milliseconds) {
  Drain();
  std::array<pollfd, 2> watch{pollfd{ConnectionNumber(display_), POLLIN, 0},
                              pollfd{end_signals_.Descriptor(), POLLIN, 0}};
  poll(watch.data(), end_signals_.Descriptor() >= 0 ? 2 : 1,
       static_cast<int>(std::clamp<int64_t>(milliseconds, 0, INT_MAX)));
  return !end_signals_.Taken();
}

}  // namespace zarmok::x11
