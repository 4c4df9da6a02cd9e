#include "wl_desktop.h"

#include <unistd.h>

#include <utility>

#include "errors.h"
#include "host.h"
#ifdef ZARMOK_GNOME_IDLE
#include "posix/gnome_idle.h"
#endif

namespace zarmok::wl {
namespace {

// The flag's name needs the compositor's socket as the connection found it.
TWaylandConnection& Opened(TWaylandConnection& connection) {
  connection.Unusable();
  return connection;
}

}  // namespace

TWaylandDesktop::TWaylandDesktop(TWaylandConnection& connection, TServices services)
    : TPosixDesktop(std::move(services)),
      connection_(Opened(connection)),
      running_(RunningFlagName(getuid(), connection.SocketPath())),
      platform_(
          connection, EndSignals(), running_,
          [this](const std::string& title, const std::string& text) { ShowErrorBox(title, text); },
          [this](const TWording& line) { WriteDiagnostic(line.In(Language())); },
          LoopStatsWanted()),
      idle_(connection, EndSignals()) {}

int TWaylandDesktop::RunSettingsDialog(const std::string&, TWindowHandle) {
  throw EZarmokError(TTextId::WindowCreateFailed, TTextId::WaylandNoDialog);
}

IIdleSource* TWaylandDesktop::IdleSource() {
  if (!connection_.IsOpen()) return nullptr;
  if (TWaylandIdleSource::Offered(connection_)) return &idle_;
#ifdef ZARMOK_GNOME_IDLE
  // GNOME Shell tells no Wayland client of the user's idleness, but its idle monitor does.
  if (!std::exchange(session_idle_asked_, true))
    session_idle_ = posix::TGnomeIdle::Open(EndSignals());
  if (session_idle_ != nullptr) return session_idle_.get();
  static constexpr const char* kIdleTimes =
      "ext_idle_notifier_v1 / org_kde_kwin_idle / org.gnome.Mutter.IdleMonitor";
#else
  static constexpr const char* kIdleTimes = "ext_idle_notifier_v1 / org_kde_kwin_idle";
#endif
  // Without it the watch would start the saver at once, at every login it is started at.
  throw EZarmokError(TWording(TTextId::WaylandLacks, {connection_.SocketPath(), kIdleTimes}));
}

}  // namespace zarmok::wl
