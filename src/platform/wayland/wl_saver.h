// The saver on a Wayland compositor: a surface per output, shown by the shell as the saver's
// kind of window asks (a layer surface above every window for the full-screen saver, below all
// of them for the desktop's background; where the compositor has no layer shell, a full-screen
// toplevel for the saver), and the compositor's news translated into the session's events.
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "errors.h"
#include "platform.h"
#include "posix/end_signals.h"
#include "wl_connection.h"
#include "wl_input.h"
#include "wl_monitors.h"
#include "wl_present.h"
#include "wl_running.h"

struct wp_viewport;

namespace zarmok::wl {

class TWaylandSaverPlatform;

enum class TWindowKind {
  Saver,      // the full-screen saver: above every window, taking the keyboard
  Wallpaper,  // the desktop's background: below every window, taking no input
};

// What the shell makes of a window's surface: its role. The shell tells the window the size it
// gives the surface (Configured), that it took the surface away (Closed) or asks the window to
// close (CloseAsked), and whether the window is the one the user works in (Activated).
class TWaylandShellSurface {
 public:
  virtual ~TWaylandShellSurface() = default;
  // The keyboard goes to the surface from its next commit on.
  virtual void TakeKeyboard() = 0;
  // While lent, the surface stays below the host's dialogs and error boxes and leaves them the
  // keyboard.
  virtual void Lend(bool lent) = 0;
  // Whether the shell shows the window as the active one; a role that has no such state is
  // never active.
  virtual bool Activated() const { return false; }
};

class TWaylandSaverWindow final : public IPlatformWindow {
 public:
  TWaylandSaverWindow(TWaylandSaverPlatform& platform, TWindowKind kind);
  ~TWaylandSaverWindow() override;

  // No other program can name a Wayland surface.
  TWindowHandle Handle() override { return 0; }
  // `area` is an output's (PixelArea): the window goes to that output and takes its pixels.
  void Place(const TWindowRect& area) override;
  void Show() override;
  void Blit(const TRasterCanvas& picture, const TDirtyRect* rects, int count) override {
    presenter_.Blit(picture, rects, count);
  }

  // The shell's news: the surface's size in its units (0: the shell leaves it to the window),
  // the end of the surface, a request to close the window, and the window no longer the active
  // one.
  void Configured(int32_t width, int32_t height);
  void Closed();
  void CloseAsked();
  void ActivationLost();

 private:
  friend class TWaylandSaverPlatform;

  void MakeSurface();
  void DropSurface();
  // Takes the surface's size and its output's scale, mode and transform as they are now: a
  // picture of another size is told as Resized, another scale alone as Paint.
  void Follow();
  void TellSize(const TPixelSize& pixels);
  TPoint ScreenAt(double x, double y) const;

  TWaylandSaverPlatform& platform_;
  const TWindowKind kind_;
  // The output it covers (the wl_output global's name), 0 before it is placed.
  uint32_t output_ = 0;
  TWindowRect area_;
  bool shown_ = false;
  wl_surface* surface_ = nullptr;
  wp_viewport* viewport_ = nullptr;
  std::unique_ptr<TWaylandShellSurface> shell_;
  // The size the shell gave the surface, once it has.
  std::optional<TPixelSize> configured_;
  // How the picture is laid out on the surface now; none before the surface is configured.
  std::optional<TSurfaceLayout> layout_;
  // The picture's size the session was told of.
  TPixelSize told_;
  // The surface or its output changed since the window last followed them.
  bool follow_ = false;
  TWaylandPresenter presenter_;
};

class TWaylandSaverPlatform final : public ISaverPlatform, private ISurfaceWindows {
 public:
  using TErrorBox = std::function<void(const std::string& title, const std::string& text)>;
  using TDiagnostic = std::function<void(const TWording& line)>;

  // `end_signals`: the desktop's, caught from the first run on. `running`: the running flag.
  // `diagnostic`: a line on the program's error stream, which with `tell_window_kind` also says
  // which kind of window covers the outputs.
  TWaylandSaverPlatform(TWaylandConnection& connection, posix::TEndSignals& end_signals,
                        TRunningFlag& running, TErrorBox error_box, TDiagnostic diagnostic,
                        bool tell_window_kind);
  ~TWaylandSaverPlatform() override;
  TWaylandSaverPlatform(const TWaylandSaverPlatform&) = delete;
  TWaylandSaverPlatform& operator=(const TWaylandSaverPlatform&) = delete;

  void Listen(ISaverEvents* events) override;
  // The compositor's latest news first: an output's surface may close before the output goes.
  std::vector<TMonitor> Monitors() override;
  // Throws the window-creation error for a preview: Wayland has no pane to draw in.
  std::unique_ptr<IPlatformWindow> CreateSaverWindow(TWindowHandle preview_parent,
                                                     const TWindowRect& birth) override;
  std::unique_ptr<IPlatformWindow> CreateWallpaperWindow(const TWindowRect& birth) override;
  void SetScreenSaverRunning(bool running) override;
  void SetPointerVisible(bool visible) override { Input().SetPointerVisible(visible); }
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
  friend class TWaylandSaverWindow;
  class TLayerSurface;
  class TToplevelSurface;

  TWaylandInput& Input();
  std::unique_ptr<TWaylandShellSurface> MakeShellSurface(TWaylandSaverWindow& window);
  void Deliver(const TSaverEvent& event);
  // Hands on what the compositor's events changed: seats, outputs, the windows' surfaces, the
  // keyboard and the active window.
  void TakeNews();
  // Whether the saver's windows are ordinary toplevels, which other windows can take the
  // keyboard from.
  bool Toplevels() const { return connection_.LayerShell() == nullptr; }
  // After news that another window may have taken the keyboard or become the active one: a
  // Deactivated once no window of the saver's has the keyboard and none is the active one.
  void FollowFocus();
  bool NewsWaiting() const;
  // ISurfaceWindows
  const IPlatformWindow* WindowOf(wl_surface* surface) const override;
  TPoint ScreenAt(const IPlatformWindow& window, double x, double y) const override;

  TWaylandConnection& connection_;
  posix::TEndSignals& end_signals_;
  TRunningFlag& running_;
  TErrorBox error_box_;
  TDiagnostic diagnostic_;
  bool tell_window_kind_;
  ISaverEvents* events_ = nullptr;
  std::unique_ptr<TWaylandInput> input_;
  std::vector<TWaylandSaverWindow*> windows_;
  // What the last wait that saw something arrive saw; nothing when the next look reads all.
  std::optional<TWaylandConnection::TReady> seen_;
  bool lent_ = false;
  // A window of the saver's stopped being the active one since the focus was last followed.
  bool activation_lost_ = false;
};

}  // namespace zarmok::wl
