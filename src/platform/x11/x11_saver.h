// The saver on X11: the platform windows of the saver's session and their messages translated
// into the session's events. Every rule of the saver lives in the core; this only translates
// between it and the X server.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform.h"
#include "posix/end_signals.h"
#include "x11_display.h"
#include "x11_present.h"
#include "x11_signal_loan.h"
#include "x11_wallpaper.h"

namespace zarmok::x11 {

// The root window property that tells other programs a saver is running: CARDINAL 1 while a
// saver window exists, deleted when it is destroyed.
inline constexpr const char* kRunningProperty = "_ZARMOK_SCREENSAVER_RUNNING";

class TX11SaverPlatform;

class TX11SaverWindow final : public IPlatformWindow {
 public:
  TX11SaverWindow(TX11SaverPlatform& platform, Window parent);
  ~TX11SaverWindow() override;

  int32_t ClientWidth() override { return presenter_.Width(); }
  int32_t ClientHeight() override { return presenter_.Height(); }
  IDrawSurface& Canvas() override { return presenter_.Drawing(); }
  TWindowHandle Handle() override { return window_; }
  void Place(const TWindowRect& area) override;
  void Show() override;
  void Present() override;

 private:
  friend class TX11SaverPlatform;

  TX11SaverPlatform& platform_;
  Window window_ = None;
  GC gc_ = nullptr;
  bool in_pane_ = false;
  bool alive_ = true;
  bool mapped_ = false;
  TX11Presenter presenter_;
};

class TX11SaverPlatform final : public ISaverPlatform {
 public:
  using TErrorBox = std::function<void(const std::string& title, const std::string& text)>;

  // `end_signals`: the signals that end the program, caught while a window is shown.
  TX11SaverPlatform(TX11Connection& connection, TEndSignals& end_signals, TErrorBox error_box);
  ~TX11SaverPlatform() override;
  TX11SaverPlatform(const TX11SaverPlatform&) = delete;
  TX11SaverPlatform& operator=(const TX11SaverPlatform&) = delete;

  std::vector<TMonitor> Monitors() override;
  std::unique_ptr<IPlatformWindow> CreateSaverWindow(TWindowHandle preview_parent) override;
  std::unique_ptr<IPlatformWindow> CreateWallpaperWindow() override;
  void SetScreenSaverRunning(bool running) override;
  void SetPointerVisible(bool visible) override;
  void LendInput(bool lent) override;
  void DropQueuedInput() override;
  std::optional<TPoint> PointerPosition() override;
  void HandlePendingMessages(ISaverEvents& events) override;
  void WaitForInput(int32_t milliseconds) override;
  void RaiseRequestErrors(bool settle) override;
  int64_t Now() override;
  void ShowError(const std::string& title, const std::string& text) override;

 private:
  friend class TX11SaverWindow;

  Display* Connect();
  void ApplyPointer(TX11SaverWindow& window);
  void Translate(XEvent& event, ISaverEvents& events);
  TX11SaverWindow* WindowOf(Window id);
  // The keyboard for the full-screen windows (grabbed on the first of them), unless lent.
  bool WantsKeyboard() const;
  void GrabKeyboard(bool grab);

  TX11Connection& connection_;
  TErrorBox error_box_;
  Display* display_ = nullptr;
  Window root_ = None;
  Cursor invisible_ = None;
  Atom wm_delete_ = None;
  Atom running_atom_ = None;
  int randr_event_ = -1;
  std::vector<TX11SaverWindow*> windows_;
  bool pointer_visible_ = true;
  bool lent_ = false;
  bool keyboard_grabbed_ = false;
  // What the last wait saw ready to read: the first look takes everything.
  bool display_ready_ = true;
  bool signal_ready_ = true;
  int64_t next_grab_try_ = 0;
  // The request that the last settled check waited for: a handler that sent none needs no
  // round trip to the server.
  unsigned long settled_request_ = 0;
  TSignalLoan end_signals_;
  TX11Wallpaper wallpaper_{connection_, end_signals_};
};

}  // namespace zarmok::x11
