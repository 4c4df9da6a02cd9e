#include "wl_idle.h"

#include <algorithm>
#include <climits>

#include "errors.h"
#include "ext-idle-notify-v1-client-protocol.h"
#include "host.h"
#include "idle-client-protocol.h"
#include "pacing.h"

namespace zarmok::wl {
namespace {

int64_t NowMs() {
  return MonotonicNanoseconds() / 1000000;
}

}  // namespace

TWaylandIdleSource::~TWaylandIdleSource() {
  Drop();
}

bool TWaylandIdleSource::Offered(const TWaylandConnection& connection) {
  return connection.IdleNotifier() != nullptr || connection.KdeIdle() != nullptr;
}

void TWaylandIdleSource::Idled(void* data) {
  static_cast<TWaylandIdleSource*>(data)->idled_at_ms_ = NowMs();
}

void TWaylandIdleSource::Resumed(void* data) {
  static_cast<TWaylandIdleSource*>(data)->idled_at_ms_.reset();
}

void TWaylandIdleSource::Drop() {
  if (notification_ != nullptr) ext_idle_notification_v1_destroy(notification_);
  if (timeout_ != nullptr) org_kde_kwin_idle_timeout_release(timeout_);
  notification_ = nullptr;
  timeout_ = nullptr;
  idled_at_ms_.reset();
}

void TWaylandIdleSource::Begin(int64_t wanted_ms) {
  // From the watch's first look on, a signal ends the program through its tear-down.
  end_signals_.Catch();
  if ((notification_ != nullptr || timeout_ != nullptr) && timeout_ms_ == wanted_ms) return;
  Drop();
  connection_.Require();
  if (connection_.Seats().empty()) {
    throw EZarmokError(TWording(TTextId::WaylandLacks, {connection_.SocketPath(), "wl_seat"}));
  }
  wl_seat* seat = connection_.Seats().front()->seat;
  timeout_ms_ = wanted_ms;
  const auto timeout = static_cast<uint32_t>(std::clamp<int64_t>(wanted_ms, 1, UINT32_MAX));
  if (connection_.IdleNotifier() != nullptr) {
    static constexpr ext_idle_notification_v1_listener kListener{
        [](void* data, ext_idle_notification_v1*) { Idled(data); },
        [](void* data, ext_idle_notification_v1*) { Resumed(data); }};
    notification_ =
        ext_idle_notifier_v1_get_idle_notification(connection_.IdleNotifier(), timeout, seat);
    ext_idle_notification_v1_add_listener(notification_, &kListener, this);
  } else {
    static constexpr org_kde_kwin_idle_timeout_listener kListener{
        [](void* data, org_kde_kwin_idle_timeout*) { Idled(data); },
        [](void* data, org_kde_kwin_idle_timeout*) { Resumed(data); }};
    timeout_ = org_kde_kwin_idle_get_idle_timeout(connection_.KdeIdle(), seat, timeout);
    org_kde_kwin_idle_timeout_add_listener(timeout_, &kListener, this);
  }
  wl_display_flush(connection_.Display());
}

TIdleReading TWaylandIdleSource::Read() {
  connection_.Read();
  TIdleReading reading;
  // The compositor tells only that the notification's time has passed, and when: the idle
  // period began that long before.
  if (idled_at_ms_) reading.IdleMs = NowMs() - *idled_at_ms_ + timeout_ms_;
  return reading;
}

bool TWaylandIdleSource::Wait(int64_t milliseconds) {
  const auto timeout = static_cast<int32_t>(std::clamp<int64_t>(milliseconds, 0, INT32_MAX));
  const TWaylandConnection::TReady ready = connection_.Wait(timeout, end_signals_.Descriptor());
  if (ready.other && end_signals_.Taken()) return false;
  return true;
}

}  // namespace zarmok::wl
