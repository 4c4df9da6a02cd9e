// The services start-up asks of a Windows desktop: the hidden application window, the
// running-saver search, the host's windows named by handle, the settings dialog, the error
// report, and the saver platform. Windows runs screen savers itself: it has no background for
// the saver and no idle watch of the program's.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform.h"
#include "win32_saver.h"

namespace zarmok::win32 {

// The class of the hidden application window that owns every other window of the program.
inline constexpr const wchar_t* kApplicationClassName = L"TApplication";

class TWin32Desktop final : public IStartUpHost {
 public:
  // The settings dialog on the settings file, modal to `owner` (0: none), until it closes.
  using TSettingsDialog = std::function<int(const std::string& ini_path, TWindowHandle owner)>;

  struct TServices {
    IPrivateProfile& profile;
    IPasswordHost& passwords;
    TSettingsDialog settings_dialog;
    TLanguage language = TLanguage::English;
    bool loop_stats = false;
  };

  TWin32Desktop(HINSTANCE instance, TServices services);
  ~TWin32Desktop() override;
  TWin32Desktop(const TWin32Desktop&) = delete;
  TWin32Desktop& operator=(const TWin32Desktop&) = delete;

  bool FindTopLevelSaver() override;
  // Explorer's "Configure" starts a saver with no argument at all.
  bool NoArgumentOpensSettings() const override { return true; }
  void HideApplicationWindow() override;
  TWindowHandle ApplicationWindow() override;
  void ShowWindow(TWindowHandle handle) override;
  // In the window's own DPI awareness: a preview pane's as its program sees it.
  void GetWindowRect(TWindowHandle handle, TWindowRect& rect) override;
  bool WindowExists(TWindowHandle handle) override;
  int RunSettingsDialog(const std::string& ini_path, TWindowHandle owner) override {
    return services_.settings_dialog(ini_path, owner);
  }
  IPasswordHost& Passwords() override { return services_.passwords; }
  IPrivateProfile& Profile() override { return services_.profile; }
  // Beside the program where it can be, else the user's own (win32_settings_place.h).
  std::string SettingsFile() override;
  ISaverPlatform& SaverPlatform() override { return platform_; }
  TLanguage Language() const override { return services_.language; }
  void ReportUnhandledError(const std::string& title, const std::string& message) override;
  void WriteDiagnostic(const std::string& line) override;
  bool LoopStatsWanted() const override { return services_.loop_stats; }

 private:
  HWND application_;
  TServices services_;
  TWin32SaverPlatform platform_;
};

}  // namespace zarmok::win32
