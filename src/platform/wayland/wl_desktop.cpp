#include "wl_desktop.h"

#include <unistd.h>

#include "errors.h"
#include "host.h"

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
  if (!connection_.IsOpen() || !TWaylandIdleSource::Offered(connection_)) return nullptr;
  return &idle_;
}

}  // namespace zarmok::wl
