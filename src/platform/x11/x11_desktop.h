// The services start-up asks of an X11 desktop: the running-saver search, the host's windows
// named by handle, the settings dialog and the error report, and the saver platform.
#pragma once

#include <functional>
#include <string>

#include "platform.h"
#include "posix/end_signals.h"
#include "x11_display.h"
#include "x11_idle.h"
#include "x11_saver.h"

namespace zarmok::x11 {

class TX11Desktop final : public IStartUpHost {
 public:
  // The settings dialog on the settings file, transient for `owner` (0: none), until it closes.
  using TSettingsDialog = std::function<int(const std::string& ini_path, TWindowHandle owner)>;
  using TErrorBox = TX11SaverPlatform::TErrorBox;

  struct TServices {
    IPrivateProfile& profile;
    IPasswordHost& passwords;
    TSettingsDialog settings_dialog;
    TErrorBox error_box;
    bool loop_stats = false;
  };

  TX11Desktop(TX11Connection& connection, TServices services);

  bool FindTopLevelSaver() override;
  // X11 has no hidden application window: nothing to hide, and the password-change dialog
  // gets no owner (0).
  void HideApplicationWindow() override {}
  TWindowHandle ApplicationWindow() override { return 0; }
  void ShowWindow(TWindowHandle handle) override;
  void GetWindowRect(TWindowHandle handle, TWindowRect& rect) override;
  bool WindowExists(TWindowHandle handle) override;
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
  // The saver drawn into the root window, and a watch of the X server's idle time.
  bool OffersWallpaper() const override { return true; }
  bool OffersIdleWatch() const override { return true; }
  bool WaitForIdle(int32_t seconds) override { return idle_watch_.Wait(seconds); }

 private:
  // The display for a service whose failure passes without notice; null when there is none.
  Display* DisplayOrNull();

  TX11Connection& connection_;
  TServices services_;
  TEndSignals end_signals_;
  TX11SaverPlatform platform_;
  TX11IdleWatch idle_watch_;
};

}  // namespace zarmok::x11
