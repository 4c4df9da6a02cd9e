// The services start-up asks of an X11 desktop: the running-saver search, the host's windows
// named by handle, the settings dialog, the saver platform, the desktop's background and the
// server's idle count, over what every POSIX desktop offers.
#pragma once

#include <functional>
#include <string>

#include "platform.h"
#include "posix/posix_desktop.h"
#include "x11_connection.h"
#include "x11_idle.h"
#include "x11_saver.h"

namespace zarmok::x11 {

class TX11Desktop final : public posix::TPosixDesktop {
 public:
  // The settings dialog on the settings file, transient for `owner` (0: none), until it closes.
  using TSettingsDialog = std::function<int(const std::string& ini_path, TWindowHandle owner)>;

  TX11Desktop(TX11Connection& connection, TServices services, TSettingsDialog settings_dialog);

  bool FindTopLevelSaver() override;
  // X11 has no hidden application window: nothing to hide, and the password-change dialog
  // gets no owner (0).
  void HideApplicationWindow() override {}
  TWindowHandle ApplicationWindow() override { return 0; }
  void ShowWindow(TWindowHandle handle) override;
  void GetWindowRect(TWindowHandle handle, TWindowRect& rect) override;
  bool WindowExists(TWindowHandle handle) override;
  int RunSettingsDialog(const std::string& ini_path, TWindowHandle owner) override;
  ISaverPlatform& SaverPlatform() override { return platform_; }
  // No box on a connection that is gone: the error stream's line is the whole report.
  void ReportUnhandledError(const std::string& title, const std::string& message) override;
  bool OffersWallpaper() const override { return true; }
  IIdleSource* IdleSource() override { return &idle_; }

 private:
  // The display for a service whose failure passes without notice; null when there is none.
  Display* DisplayOrNull();

  TX11Connection& connection_;
  TSettingsDialog settings_dialog_;
  TX11SaverPlatform platform_;
  TX11IdleSource idle_;
};

}  // namespace zarmok::x11
