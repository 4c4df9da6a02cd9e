// The saver on a Wayland compositor with the layer shell: one layer surface per output, above
// every window for the full-screen saver (taking the keyboard) or below all of them for the
// desktop's background, and the compositor's news translated into the session's events. Every
// rule of the saver lives in the core; this only translates.
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform.h"
#include "posix/end_signals.h"
#include "wl_connection.h"
#include "wl_input.h"
#include "wl_present.h"
#include "wl_running.h"

struct zwlr_layer_surface_v1;

namespace zarmok::wl {

class TWaylandSaverPlatform;

class TWaylandSaverWindow final : public IPlatformWindow {
 public:
  TWaylandSaverWindow(TWaylandSaverPlatform& platform, bool background);
  ~TWaylandSaverWindow() override;

  int32_t ClientWidth() override { return presenter_.Width(); }
  int32_t ClientHeight() override { return presenter_.Height(); }
  IDrawSurface& Canvas() override { return presenter_.Drawing(); }
  // No other program can name a Wayland surface.
  TWindowHandle Handle() override { return 0; }
  // `area` is an output's pixel area (TOutput::PixelArea): the window goes to that output.
  void Place(const TWindowRect& area) override;
  void Show() override;
  void Present() override { presenter_.Present(); }

 private:
  friend class TWaylandSaverPlatform;

  void MakeLayerSurface();
  void DropLayerSurface();
  // A Paint is owed: the picture was made anew at another size.
  void PictureLost();
  // A place on the surface, in its units, as a place in the monitors' pixels.
  TPoint PixelAt(double x, double y) const;
  int32_t Scale() const;
  static void Configure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
                        uint32_t height);
  static void Closed(void* data, zwlr_layer_surface_v1* layer);

  TWaylandSaverPlatform& platform_;
  const bool background_;
  wl_surface* surface_ = nullptr;
  zwlr_layer_surface_v1* layer_ = nullptr;
  // The output it covers (the wl_output global's name), 0 before it is placed.
  uint32_t output_ = 0;
  TWindowRect area_;
  bool shown_ = false;
  bool configured_ = false;
  // The compositor closed the layer surface.
  bool closed_ = false;
  TWaylandPresenter presenter_;
};

class TWaylandSaverPlatform final : public ISaverPlatform {
 public:
  using TErrorBox = std::function<void(const std::string& title, const std::string& text)>;

  // `end_signals`: the signals that end the program, caught while a saver surface is shown.
  // `running`: the session's running flag.
  TWaylandSaverPlatform(TWaylandConnection& connection, TEndSignals& end_signals,
                        TRunningLock& running, TErrorBox error_box);
  ~TWaylandSaverPlatform() override;
  TWaylandSaverPlatform(const TWaylandSaverPlatform&) = delete;
  TWaylandSaverPlatform& operator=(const TWaylandSaverPlatform&) = delete;

  std::vector<TMonitor> Monitors() override;
  // Throws the window-creation error for a preview: Wayland has no pane to draw in.
  std::unique_ptr<IPlatformWindow> CreateSaverWindow(TWindowHandle preview_parent) override;
  std::unique_ptr<IPlatformWindow> CreateWallpaperWindow() override;
  void SetScreenSaverRunning(bool running) override { running_.Hold(running); }
  void SetPointerVisible(bool visible) override { Input().SetPointerVisible(visible); }
  void LendInput(bool lent) override;
  void DropQueuedInput() override;
  std::optional<TPoint> PointerPosition() override;
  void HandlePendingMessages(ISaverEvents& events) override;
  void WaitForInput(int32_t milliseconds) override;
  void RaiseRequestErrors(bool settle) override;
  int64_t Now() override;
  void ShowError(const std::string& title, const std::string& text) override;

  // Waits (up to `timeout_ms`) until every window has shown everything drawn on it; false when
  // the time ran out first.
  bool Settle(int32_t timeout_ms);

 private:
  friend class TWaylandSaverWindow;

  TWaylandInput& Input();
  // The window whose surface this is, or null.
  TWaylandSaverWindow* WindowOf(wl_surface* surface) const;
  // Takes what arrived, and follows the seats.
  void Take(int32_t timeout_ms);
  bool Waiting() const;
  void Deliver(const TInputNote& note, ISaverEvents& events);

  TWaylandConnection& connection_;
  TEndSignals& end_signals_;
  TRunningLock& running_;
  TErrorBox error_box_;
  std::unique_ptr<TWaylandInput> input_;
  std::vector<TWaylandSaverWindow*> windows_;
  // Windows whose picture was lost (made anew at another size) and not yet painted again.
  std::vector<TWaylandSaverWindow*> unpainted_;
  bool outputs_changed_ = false;
  // Whether the loop's wait has just read the connection, and saw an end signal come.
  bool waited_ = false;
  bool signal_ready_ = true;
  bool lent_ = false;
};

}  // namespace zarmok::wl
