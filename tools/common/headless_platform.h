// A saver platform without a display: each monitor is a place of the size asked for, the clock
// is the loop's own (a wait moves it on at once), and no input ever arrives. The renderers, the
// benchmark and the tests run the real saver session on it, so they step, paint and present
// exactly as a saver on a screen does; the pictures are the session's (TSaverSession::Picture).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform.h"
#include "raster.h"

namespace zarmok::tools {

// A second picture drawn in step with each window's (GDI's, to compare the two).
class ISecondPicture {
 public:
  virtual ~ISecondPicture() = default;
  virtual IDrawSurface& Surface() = 0;
  // A new, black picture of the size; false when it cannot be made.
  virtual bool Resize(int32_t width, int32_t height) = 0;
};

class THeadlessPlatform;

class THeadlessWindow final : public IPlatformWindow {
 public:
  THeadlessWindow(THeadlessPlatform& platform, TWindowHandle handle,
                  std::unique_ptr<ISecondPicture> second);
  ~THeadlessWindow() override;

  TWindowHandle Handle() override { return handle_; }
  // Throws EZarmokError when the second picture cannot take the size.
  void Place(const TWindowRect& area) override;
  void Show() override {}
  void Blit(const TRasterCanvas&, const TDirtyRect*, int) override {}
  IDrawSurface* AlsoDrawsOn() override;

  ISecondPicture* Second() const { return second_.get(); }

 private:
  THeadlessPlatform& platform_;
  TWindowHandle handle_;
  std::unique_ptr<ISecondPicture> second_;
};

class THeadlessPlatform final : public IStartUpHost, public ISaverPlatform {
 public:
  // Makes the second picture of each window, when there is to be one.
  using TSecondMaker = std::function<std::unique_ptr<ISecondPicture>()>;

  // One monitor per size, side by side from the left; the settings file `ini_path` read
  // through `profile`.
  THeadlessPlatform(IPrivateProfile& profile, std::string ini_path,
                    std::vector<TWindowRect> monitors);
  ~THeadlessPlatform() override;

  // Runs on the monotonic clock and really waits, each wait ending only at the first multiple of
  // `tick_ns` at or after its deadline (0: exactly at it), as the timers of a host do.
  void UseRealClock(int64_t tick_ns) {
    real_clock_ = true;
    tick_ns_ = tick_ns;
  }
  void MakeSecondPictures(TSecondMaker maker) { second_maker_ = std::move(maker); }
  // The windows made so far, in order, while they exist.
  const std::vector<THeadlessWindow*>& Windows() const { return windows_; }

  // IStartUpHost: a desktop with no other saver, no windows but the run's own, no passwords.
  bool FindTopLevelSaver() override { return false; }
  TLanguage Language() const override { return TLanguage::English; }
  void HideApplicationWindow() override {}
  TWindowHandle ApplicationWindow() override { return 0; }
  void ShowWindow(TWindowHandle) override {}
  void GetWindowRect(TWindowHandle, TWindowRect&) override {}
  bool WindowExists(TWindowHandle handle) override;
  int RunSettingsDialog(const std::string&, TWindowHandle) override { return 0; }
  IPasswordHost& Passwords() override;
  IPrivateProfile& Profile() override { return profile_; }
  std::string SettingsFile() override { return ini_path_; }
  ISaverPlatform& SaverPlatform() override { return *this; }
  void ReportUnhandledError(const std::string&, const std::string&) override {}

  // ISaverPlatform
  void Listen(ISaverEvents* events) override { events_ = events; }
  std::vector<TMonitor> Monitors() override;
  std::unique_ptr<IPlatformWindow> CreateSaverWindow(TWindowHandle preview_parent,
                                                     const TWindowRect& birth) override;
  void SetScreenSaverRunning(bool) override {}
  void SetPointerVisible(bool) override {}
  bool TakeKeyboard(IPlatformWindow&) override { return true; }
  void LendInput(bool) override {}
  void DropQueuedInput() override {}
  std::optional<TPoint> PointerPosition() override { return std::nullopt; }
  void HandlePendingMessages() override {}
  bool WaitForInput(int32_t milliseconds) override;
  int64_t Now() override;
  void ShowError(const std::string&, const std::string&, IPlatformWindow*) override {}

 private:
  friend class THeadlessWindow;
  class TNoPasswords;

  IPrivateProfile& profile_;
  std::string ini_path_;
  std::vector<TWindowRect> monitors_;
  TSecondMaker second_maker_;
  std::unique_ptr<TNoPasswords> passwords_;
  ISaverEvents* events_ = nullptr;
  std::vector<THeadlessWindow*> windows_;
  TWindowHandle next_handle_ = 1;
  int64_t now_ = 0;
  bool real_clock_ = false;
  int64_t tick_ns_ = 0;
};

// The monitors of `count` screens of width x height side by side.
std::vector<TWindowRect> SideBySide(int32_t count, int32_t width, int32_t height);

}  // namespace zarmok::tools
