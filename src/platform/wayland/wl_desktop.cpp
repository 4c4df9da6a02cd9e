#include "wl_desktop.h"

#include <algorithm>
#include <cstdio>

#include "errors.h"
#include "ext-idle-notify-v1-client-protocol.h"
#include "host.h"
#include "idle-client-protocol.h"
#include "posix/program_path.h"
#include "posix/user_config.h"

namespace zarmok::wl {

TWaylandDesktop::TWaylandDesktop(TWaylandConnection& connection, TServices services)
    : connection_(connection),
      services_(std::move(services)),
      running_(RunningLockPath(TWaylandConnection::SocketNameFromEnvironment())),
      platform_(connection, end_signals_, running_, services_.error_box) {}

int TWaylandDesktop::RunSettingsDialog(const std::string&, TWindowHandle) {
  throw EZarmokError(
      kWindowCreateMessage,
      "the settings dialog is an X window: it needs an X display (XWayland, DISPLAY)");
}

std::string TWaylandDesktop::ProgramPath() {
  return ProgramFilePath();
}

std::string TWaylandDesktop::SettingsFile() {
  return UserSettingsFilePath();
}

void TWaylandDesktop::WriteDiagnostic(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

bool TWaylandDesktop::OffersIdleWatch() const {
  return connection_.IsOpen() && !connection_.Seats().empty() &&
         (connection_.IdleNotifier() != nullptr || connection_.KdeIdle() != nullptr);
}

bool TWaylandDesktop::WaitForIdle(int32_t seconds) {
  if (!OffersIdleWatch()) return false;
  end_signals_.Catch();
  const uint32_t timeout_ms = static_cast<uint32_t>(
      std::min<int64_t>(static_cast<int64_t>(seconds) * 1000, static_cast<int64_t>(UINT32_MAX)));
  wl_seat* seat = connection_.Seats().front()->seat;
  bool idle = false;
  ext_idle_notification_v1* notification = nullptr;
  org_kde_kwin_idle_timeout* timeout = nullptr;
  // Each wait asks anew: the compositor counts the time from the request, so what the user did
  // to end the last run counts as activity.
  if (connection_.IdleNotifier() != nullptr) {
    static constexpr ext_idle_notification_v1_listener kListener{
        [](void* data, ext_idle_notification_v1*) { *static_cast<bool*>(data) = true; },
        [](void*, ext_idle_notification_v1*) {}};
    notification =
        ext_idle_notifier_v1_get_idle_notification(connection_.IdleNotifier(), timeout_ms, seat);
    ext_idle_notification_v1_add_listener(notification, &kListener, &idle);
  } else {
    static constexpr org_kde_kwin_idle_timeout_listener kListener{
        [](void* data, org_kde_kwin_idle_timeout*) { *static_cast<bool*>(data) = true; },
        [](void*, org_kde_kwin_idle_timeout*) {}};
    timeout = org_kde_kwin_idle_get_idle_timeout(connection_.KdeIdle(), seat, timeout_ms);
    org_kde_kwin_idle_timeout_add_listener(timeout, &kListener, &idle);
  }
  bool ended = false;
  while (!idle && !ended) {
    ended = connection_.Pump(-1, end_signals_.Descriptor()) && end_signals_.Taken();
  }
  if (notification != nullptr) ext_idle_notification_v1_destroy(notification);
  if (timeout != nullptr) org_kde_kwin_idle_timeout_release(timeout);
  wl_display_flush(connection_.Display());
  if (ended) end_signals_.Release();
  return !ended;
}

}  // namespace zarmok::wl
