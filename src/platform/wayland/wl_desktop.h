// The services start-up asks of a Wayland desktop: the running-saver search (the session's
// running flag), the count of idleness (the compositor's, else GNOME's on the session bus), and
// the saver platform. Wayland names no windows to other programs: there are no panes and no
// owners here; a preview and the settings dialog are X windows (XWayland's), which the program's
// X11 side serves.
#pragma once

#include <memory>
#include <string>

#include "platform.h"
#include "posix/posix_desktop.h"
#include "wl_connection.h"
#include "wl_idle.h"
#include "wl_running.h"
#include "wl_saver.h"

namespace zarmok::wl {

class TWaylandDesktop final : public posix::TPosixDesktop {
 public:
  // Connects to the compositor, if the connection is not open yet.
  TWaylandDesktop(TWaylandConnection& connection, TServices services);

  bool FindTopLevelSaver() override { return running_.HeldByAnyone(); }
  void HideApplicationWindow() override {}
  TWindowHandle ApplicationWindow() override { return 0; }
  // No handle names a window here: every service on handles does nothing, and finds nothing.
  void ShowWindow(TWindowHandle) override {}
  void GetWindowRect(TWindowHandle, TWindowRect&) override {}
  bool WindowExists(TWindowHandle) override { return false; }
  // Throws the window-creation error: the dialog is an X window, and there is no X display.
  int RunSettingsDialog(const std::string& ini_path, TWindowHandle owner) override;
  ISaverPlatform& SaverPlatform() override { return platform_; }

  bool OffersWallpaper() const override { return true; }
  // Where the compositor tells a client of the user's idleness; else where the session bus has
  // GNOME's idle monitor, asked only when the count is first wanted. Where neither tells it,
  // says so.
  IIdleSource* IdleSource() override;

 private:
  TWaylandConnection& connection_;
  TRunningFlag running_;
  TWaylandSaverPlatform platform_;
  TWaylandIdleSource idle_;
  // GNOME's count, kept for the program's life once asked for; null where there is none.
  std::unique_ptr<IIdleSource> session_idle_;
  bool session_idle_asked_ = false;
};

}  // namespace zarmok::wl
