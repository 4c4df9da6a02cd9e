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
#endif
  return session_idle_.get();
}

}  // namespace zarmok::wl
