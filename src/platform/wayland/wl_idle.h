// The compositor's count of the user's idleness, for the idle watch: one idle notification
// (ext-idle-notify, else KDE's older idle protocol, which sway 1.7 offers) for the whole watch,
// whose idle and resumed events tell how long the user has left the desktop alone. The
// compositor holds the notification back while an idle inhibitor (a playing video) asks it to.
#pragma once

#include <cstdint>
#include <optional>

#include "platform.h"
#include "posix/end_signals.h"
#include "wl_connection.h"

struct ext_idle_notification_v1;
struct org_kde_kwin_idle_timeout;

namespace zarmok::wl {

class TWaylandIdleSource final : public IIdleSource {
 public:
  TWaylandIdleSource(TWaylandConnection& connection, posix::TEndSignals& end_signals)
      : connection_(connection), end_signals_(end_signals) {}
  ~TWaylandIdleSource() override;
  TWaylandIdleSource(const TWaylandIdleSource&) = delete;
  TWaylandIdleSource& operator=(const TWaylandIdleSource&) = delete;

  // Whether the compositor can tell.
  static bool Offered(const TWaylandConnection& connection);

  void Begin(int64_t wanted_ms) override;
  TIdleReading Read() override;
  bool Wait(int64_t milliseconds) override;

 private:
  void Drop();
  static void Idled(void* data);
  static void Resumed(void* data);

  TWaylandConnection& connection_;
  posix::TEndSignals& end_signals_;
  ext_idle_notification_v1* notification_ = nullptr;
  org_kde_kwin_idle_timeout* timeout_ = nullptr;
  int64_t timeout_ms_ = 0;
  // When the compositor said the user had been idle for timeout_ms_, on the monotonic clock;
  // nothing since the user's last input.
  std::optional<int64_t> idled_at_ms_;
};

}  // namespace zarmok::wl
