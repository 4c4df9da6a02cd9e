// The services start-up asks of a Wayland desktop: the running-saver search (the session's lock
// file), the desktop's idleness, the saver platform, and the error report. Wayland names no
// windows to other programs: there are no panes and no owners here; a preview and the settings
// dialog are X windows (XWayland's), which the program's X11 side serves.
#pragma once

#include <functional>
#include <string>

#include "platform.h"
#include "posix/end_signals.h"
#include "wl_connection.h"
#include "wl_running.h"
#include "wl_saver.h"

namespace zarmok::wl {

class TWaylandDesktop final : public IStartUpHost {
 public:
  using TErrorBox = TWaylandSaverPlatform::TErrorBox;

  struct TServices {
    IPrivateProfile& profile;
    IPasswordHost& passwords;
    // The box for an error; one that cannot show (no X display) leaves the error stream's line.
    TErrorBox error_box;
    bool loop_stats = false;
  };

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
  IPasswordHost& Passwords() override { return services_.passwords; }
  IPrivateProfile& Profile() override { return services_.profile; }
  std::string ProgramPath() override;
  std::string SettingsFile() override;
  ISaverPlatform& SaverPlatform() override { return platform_; }
  void ReportUnhandledError(const std::string& title, const std::string& message) override {
    services_.error_box(title, message);
  }
  void WriteDiagnostic(const std::string& line) override;
  bool LoopStatsWanted() const override { return services_.loop_stats; }

  bool OffersWallpaper() const override { return true; }
  // Where the compositor tells a client of the user's idleness: ext-idle-notify, else KDE's
  // older idle protocol (which sway offers).
  bool OffersIdleWatch() const override;
  // The compositor counts what idleness is, and holds it off while an idle inhibitor (a playing
  // video) asks it to. False at once on an end signal.
  bool WaitForIdle(int32_t seconds) override;

  TWaylandSaverPlatform& Platform() { return platform_; }

 private:
  TWaylandConnection& connection_;
  TServices services_;
  TEndSignals end_signals_;
  TRunningLock running_;
  TWaylandSaverPlatform platform_;
};

}  // namespace zarmok::wl
