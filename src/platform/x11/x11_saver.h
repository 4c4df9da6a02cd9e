// The saver on X11: the platform windows of the saver's session (override-redirect windows
// above everything, a child in a host's pane, or places of the root window itself for the
// desktop's background) and the server's news translated into the session's events. Every rule
// of the saver lives in the core; this only translates between it and the X server.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform.h"
#include "posix/end_signals.h"
#include "x11_connection.h"
#include "x11_present.h"

namespace zarmok::x11 {

class TX11SaverPlatform;

// A window of its own: full-screen on a monitor, or inside a host's pane.
class TX11SaverWindow final : public IPlatformWindow {
 public:
  TX11SaverWindow(TX11SaverPlatform& platform, Window parent, const TWindowRect& birth);
  ~TX11SaverWindow() override;
  TX11SaverWindow(const TX11SaverWindow&) = delete;
  TX11SaverWindow& operator=(const TX11SaverWindow&) = delete;

  TWindowHandle Handle() override { return window_; }
  void Place(const TWindowRect& area) override;
  void Show() override;
  void Blit(const TRasterCanvas& picture, const TDirtyRect* rects, int count) override;
  void Raise() override;

 private:
  friend class TX11SaverPlatform;

  TX11SaverPlatform& platform_;
  Window window_ = None;
  // Another client has not destroyed it.
  bool alive_ = true;
  // While unmapped nothing is sent: the map's exposure asks for the whole picture again.
  bool mapped_ = false;
  std::optional<TX11Blitter> blitter_;
};

// A monitor's place on the root window, for the desktop's background: the root's children clip
// what is drawn there, so every ordinary window stays above, and the root's own background takes
// the place back when the window goes.
class TX11WallpaperWindow final : public IPlatformWindow {
 public:
  TX11WallpaperWindow(TX11SaverPlatform& platform, const TWindowRect& birth);
  ~TX11WallpaperWindow() override;
  TX11WallpaperWindow(const TX11WallpaperWindow&) = delete;
  TX11WallpaperWindow& operator=(const TX11WallpaperWindow&) = delete;

  // The root window's: the place has no window of its own.
  TWindowHandle Handle() override;
  // An area of the root window, in its coordinates.
  void Place(const TWindowRect& area) override;
  void Show() override;
  void Blit(const TRasterCanvas& picture, const TDirtyRect* rects, int count) override;

 private:
  friend class TX11SaverPlatform;

  // Gives the root's own background back to the place.
  void Clear();

  TX11SaverPlatform& platform_;
  TWindowRect area_;
  bool shown_ = false;
  std::optional<TX11Blitter> blitter_;
};

class TX11SaverPlatform final : public ISaverPlatform {
 public:
  using TErrorBox = std::function<void(const std::string& title, const std::string& text)>;

  // `end_signals`: the desktop's, caught from the first Listen on.
  TX11SaverPlatform(TX11Connection& connection, posix::TEndSignals& end_signals,
                    TErrorBox error_box);
  ~TX11SaverPlatform() override;
  TX11SaverPlatform(const TX11SaverPlatform&) = delete;
  TX11SaverPlatform& operator=(const TX11SaverPlatform&) = delete;

  void Listen(ISaverEvents* events) override;
  std::vector<TMonitor> Monitors() override;
  std::unique_ptr<IPlatformWindow> CreateSaverWindow(TWindowHandle preview_parent,
                                                     const TWindowRect& birth) override;
  std::unique_ptr<IPlatformWindow> CreateWallpaperWindow(const TWindowRect& birth) override;
  void SetScreenSaverRunning(bool running) override;
  void SetPointerVisible(bool visible) override;
  bool TakeKeyboard(IPlatformWindow& window) override;
  void LendInput(bool lent) override;
  void DropQueuedInput() override;
  std::optional<TPoint> PointerPosition() override;
  void HandlePendingMessages() override;
  bool WaitForInput(int32_t milliseconds) override;
  void RaiseRequestErrors(bool settle) override;
  int64_t Now() override;
  void ShowError(const std::string& title, const std::string& text,
                 IPlatformWindow* owner) override;

 private:
  friend class TX11SaverWindow;
  friend class TX11WallpaperWindow;

  Display* Connect();
  void Deliver(const TSaverEvent& event);
  void Translate(XEvent& event);
  TX11SaverWindow* WindowOf(Window id);
  void ApplyPointer(Window window);
  // Asks for the root's exposures while the background has places on it.
  void WatchRootExposures(bool watch);

  TX11Connection& connection_;
  posix::TEndSignals& end_signals_;
  TErrorBox error_box_;
  ISaverEvents* events_ = nullptr;
  Display* display_ = nullptr;
  Window root_ = None;
  // What the saver's own windows are made in.
  TX11Visual visual_;
  Cursor invisible_ = None;
  Atom wm_delete_ = None;
  int randr_event_ = -1;
  std::vector<TX11SaverWindow*> windows_;
  std::vector<TX11WallpaperWindow*> places_;
  // Whether the root's exposures came to this connection before the first place asked for them.
  bool had_root_exposures_ = false;
  bool pointer_visible_ = true;
  // The request that the last settled check waited for: a handler that sent none needs no
  // round trip to the server.
  unsigned long settled_request_ = 0;
};

}  // namespace zarmok::x11
