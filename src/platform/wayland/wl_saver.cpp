#include "wl_saver.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "errors.h"
#include "host.h"
#include "pacing.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace zarmok::wl {

// A layer surface of the layer shell: the whole output, whatever other surfaces keep for
// themselves, on the overlay layer for the saver (the bottom one while the input is lent) and
// on the background layer for the desktop's background.
class TWaylandSaverPlatform::TLayerSurface final : public TWaylandShellSurface {
 public:
  TLayerSurface(TWaylandSaverWindow& window, TWaylandSaverPlatform& platform, wl_surface* surface,
                const TOutput* output)
      : window_(window), platform_(platform), surface_(surface) {
    const bool background = window.kind_ == TWindowKind::Wallpaper;
    layer_ = zwlr_layer_shell_v1_get_layer_surface(
        platform.connection_.LayerShell(), surface, output != nullptr ? output->output : nullptr,
        background ? uint32_t{ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND} : Layer(platform.lent_),
        background ? "wallpaper" : "screensaver");
    static constexpr zwlr_layer_surface_v1_listener kListener{Configure, Closed};
    zwlr_layer_surface_v1_add_listener(layer_, &kListener, this);
    zwlr_layer_surface_v1_set_size(layer_, 0, 0);
    zwlr_layer_surface_v1_set_anchor(
        layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
    // The keyboard comes when the session asks for it.
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        layer_, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    if (background) {
      // The background takes no input: clicks on it stay the desktop's.
      wl_region* nothing = wl_compositor_create_region(platform.connection_.Compositor());
      wl_surface_set_input_region(surface, nothing);
      wl_region_destroy(nothing);
    }
    wl_surface_commit(surface);
  }
  ~TLayerSurface() override { zwlr_layer_surface_v1_destroy(layer_); }

  void TakeKeyboard() override {
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        layer_, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    wl_surface_commit(surface_);
  }

  void Lend(bool lent) override {
    if (platform_.connection_.LayerShellVersion() >=
        ZWLR_LAYER_SURFACE_V1_SET_LAYER_SINCE_VERSION) {
      zwlr_layer_surface_v1_set_layer(layer_, Layer(lent));
    }
    if (lent) {
      zwlr_layer_surface_v1_set_keyboard_interactivity(
          layer_, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    }
    wl_surface_commit(surface_);
  }

 private:
  static uint32_t Layer(bool lent) {
    return lent ? ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM : ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY;
  }
  static void Configure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
                        uint32_t height) {
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    static_cast<TLayerSurface*>(data)->window_.Configured(static_cast<int32_t>(width),
                                                          static_cast<int32_t>(height));
  }
  static void Closed(void* data, zwlr_layer_surface_v1*) {
    static_cast<TLayerSurface*>(data)->window_.Closed();
  }

  TWaylandSaverWindow& window_;
  TWaylandSaverPlatform& platform_;
  wl_surface* surface_;
  zwlr_layer_surface_v1* layer_ = nullptr;
};

// Where the compositor has no layer shell: an ordinary window made full-screen on its output,
// which the compositor keeps above the others while it is the active one. Other windows can
// take the keyboard from it (the compositor's own shortcuts, a window that asks for it): the
// window tells when it stops being the active one.
class TWaylandSaverPlatform::TToplevelSurface final : public TWaylandShellSurface {
 public:
  TToplevelSurface(TWaylandSaverWindow& window, TWaylandSaverPlatform& platform,
                   wl_surface* surface, const TOutput* output)
      : window_(window) {
    xdg_ = xdg_wm_base_get_xdg_surface(platform.connection_.WmBase(), surface);
    static constexpr xdg_surface_listener kSurfaceListener{Configure};
    xdg_surface_add_listener(xdg_, &kSurfaceListener, this);
    toplevel_ = xdg_surface_get_toplevel(xdg_);
    // Bound at version 1: the later events never come.
    static constexpr xdg_toplevel_listener kToplevelListener{ToplevelConfigure, Close, nullptr,
                                                             nullptr};
    xdg_toplevel_add_listener(toplevel_, &kToplevelListener, this);
    xdg_toplevel_set_title(toplevel_, Text(TTextId::ApplicationTitle, TLanguage::English));
    xdg_toplevel_set_app_id(toplevel_, kSaverClassName);
    xdg_toplevel_set_fullscreen(toplevel_, output != nullptr ? output->output : nullptr);
    wl_surface_commit(surface);
  }
  ~TToplevelSurface() override {
    xdg_toplevel_destroy(toplevel_);
    xdg_surface_destroy(xdg_);
  }

  // The compositor gives the keyboard to the window it shows, and no client can take it from
  // another: the keys reach whichever window of the saver's has it.
  void TakeKeyboard() override {}
  // Nothing to step down from: the compositor stacks the window that takes the keyboard (the
  // host's dialog, an error box) above the full-screen window that loses it.
  void Lend(bool) override {}
  bool Activated() const override { return activated_; }

 private:
  static void ToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height,
                                wl_array* states) {
    auto& self = *static_cast<TToplevelSurface*>(data);
    self.width_ = width;
    self.height_ = height;
    bool activated = false;
    const auto* state = static_cast<const uint32_t*>(states->data);
    for (size_t i = 0; i < states->size / sizeof(uint32_t); ++i) {
      if (state[i] == XDG_TOPLEVEL_STATE_ACTIVATED) activated = true;
    }
    if (self.activated_ && !activated) self.window_.ActivationLost();
    self.activated_ = activated;
  }
  static void Configure(void* data, xdg_surface* surface, uint32_t serial) {
    xdg_surface_ack_configure(surface, serial);
    auto& self = *static_cast<TToplevelSurface*>(data);
    self.window_.Configured(self.width_, self.height_);
  }
  static void Close(void* data, xdg_toplevel*) {
    static_cast<TToplevelSurface*>(data)->window_.CloseAsked();
  }

  TWaylandSaverWindow& window_;
  xdg_surface* xdg_ = nullptr;
  xdg_toplevel* toplevel_ = nullptr;
  // The size and state of the configuration under way, until the compositor ends it.
  int32_t width_ = 0;
  int32_t height_ = 0;
  bool activated_ = false;
};

TWaylandSaverWindow::TWaylandSaverWindow(TWaylandSaverPlatform& platform, TWindowKind kind)
    : platform_(platform), kind_(kind), presenter_(platform.connection_.Shm()) {
  platform_.windows_.push_back(this);
}

TWaylandSaverWindow::~TWaylandSaverWindow() {
  DropSurface();
  std::erase(platform_.windows_, this);
  wl_display_flush(platform_.connection_.Display());
}

void TWaylandSaverWindow::Place(const TWindowRect& area) {
  // The output of those pixels: the one it is on when that still fits, else the first that no
  // other window covers yet (outputs may lie on the same place of the layout).
  const TOutput* chosen = nullptr;
  for (const TOutput* output : platform_.connection_.Outputs()) {
    const bool taken = std::any_of(
        platform_.windows_.begin(), platform_.windows_.end(),
        [&](const TWaylandSaverWindow* w) { return w != this && w->output_ == output->name; });
    if (PixelArea(*output) == area && !taken && (chosen == nullptr || output->name == output_)) {
      chosen = output;
    }
  }
  area_ = area;
  // Monitors that changed again since the session heard of them: the news is on its way.
  if (chosen == nullptr) return;
  const bool moved = chosen->name != output_;
  output_ = chosen->name;
  // The picture's size now, before the shell's answer: the session draws at it from the start.
  TellSize(LayoutOn(*chosen, 0, 0, platform_.connection_.Viewporter() != nullptr).pixels);
  if (moved && surface_ != nullptr) {
    DropSurface();
    MakeSurface();
  }
  follow_ = true;
}

void TWaylandSaverWindow::Show() {
  if (shown_) return;
  shown_ = true;
  MakeSurface();
}

void TWaylandSaverWindow::MakeSurface() {
  TWaylandConnection& connection = platform_.connection_;
  surface_ = wl_compositor_create_surface(connection.Compositor());
  if (connection.Viewporter() != nullptr) {
    viewport_ = wp_viewporter_get_viewport(connection.Viewporter(), surface_);
  }
  configured_.reset();
  layout_.reset();
  shell_ = platform_.MakeShellSurface(*this);
  wl_display_flush(connection.Display());
}

void TWaylandSaverWindow::DropSurface() {
  presenter_.Detach();
  if (surface_ != nullptr) platform_.Input().Forget(surface_);
  shell_.reset();
  if (viewport_ != nullptr) wp_viewport_destroy(viewport_);
  if (surface_ != nullptr) wl_surface_destroy(surface_);
  viewport_ = nullptr;
  surface_ = nullptr;
  configured_.reset();
  layout_.reset();
}

void TWaylandSaverWindow::Configured(int32_t width, int32_t height) {
  configured_ = TPixelSize{width, height};
  follow_ = true;
}

void TWaylandSaverWindow::Closed() {
  // The compositor took the surface away (its output going, or the compositor's own reasons):
  // what that means is the session's to find out.
  DropSurface();
  platform_.Deliver(TSaverEvent{TSaverEventKind::WindowGone, 0, TPoint{0, 0}, this});
}

void TWaylandSaverWindow::CloseAsked() {
  // The user closed the window through the compositor (a shortcut, the window overview): the
  // window stays until the session has asked its close query.
  platform_.Deliver(TSaverEvent{TSaverEventKind::CloseRequest, 0, TPoint{0, 0}, this});
}

void TWaylandSaverWindow::ActivationLost() {
  platform_.activation_lost_ = true;
}

void TWaylandSaverWindow::Follow() {
  follow_ = false;
  const TOutput* output = platform_.connection_.OutputNamed(output_);
  if (!configured_ || output == nullptr) return;
  const TSurfaceLayout layout =
      LayoutOn(*output, configured_->width, configured_->height, viewport_ != nullptr);
  if (layout_ == layout) return;
  layout_ = layout;
  presenter_.Attach(surface_, viewport_, layout);
  if (layout.pixels == told_) {
    // The same pixels at another scale, or a surface made anew: shown again from the start.
    platform_.Deliver(TSaverEvent{TSaverEventKind::Paint, 0, TPoint{0, 0}, this});
  } else {
    TellSize(layout.pixels);
  }
}

void TWaylandSaverWindow::TellSize(const TPixelSize& pixels) {
  if (pixels == told_) return;
  told_ = pixels;
  TSaverEvent resized{TSaverEventKind::Resized};
  resized.Window = this;
  resized.Width = pixels.width;
  resized.Height = pixels.height;
  platform_.Deliver(resized);
}

TPoint TWaylandSaverWindow::ScreenAt(double x, double y) const {
  // The output's pixels: the place on the surface in its units, as many pixels as each unit
  // shows.
  double wide = 1;
  double high = 1;
  if (layout_ && layout_->viewport.width > 0 && layout_->viewport.height > 0) {
    wide = static_cast<double>(layout_->pixels.width) / layout_->viewport.width;
    high = static_cast<double>(layout_->pixels.height) / layout_->viewport.height;
  } else if (layout_) {
    wide = high = layout_->buffer_scale;
  }
  return TPoint{area_.left + static_cast<int32_t>(std::lround(x * wide)),
                area_.top + static_cast<int32_t>(std::lround(y * high))};
}

TWaylandSaverPlatform::TWaylandSaverPlatform(TWaylandConnection& connection,
                                             posix::TEndSignals& end_signals, TRunningFlag& running,
                                             TErrorBox error_box, TDiagnostic diagnostic,
                                             bool tell_window_kind)
    : connection_(connection),
      end_signals_(end_signals),
      running_(running),
      error_box_(std::move(error_box)),
      diagnostic_(std::move(diagnostic)),
      tell_window_kind_(tell_window_kind) {}

TWaylandSaverPlatform::~TWaylandSaverPlatform() = default;

TWaylandInput& TWaylandSaverPlatform::Input() {
  if (input_ == nullptr) {
    const ISurfaceWindows& windows = *this;
    input_ = std::make_unique<TWaylandInput>(connection_.Require(), windows);
    input_->Listen(events_);
  }
  return *input_;
}

std::unique_ptr<TWaylandShellSurface> TWaylandSaverPlatform::MakeShellSurface(
    TWaylandSaverWindow& window) {
  const TOutput* output = connection_.OutputNamed(window.output_);
  if (Toplevels()) {
    return std::make_unique<TToplevelSurface>(window, *this, window.surface_, output);
  }
  return std::make_unique<TLayerSurface>(window, *this, window.surface_, output);
}

void TWaylandSaverPlatform::Listen(ISaverEvents* events) {
  events_ = events;
  if (input_ != nullptr) input_->Listen(events);
  // What the windows of a run that ended went through is no news for the next.
  activation_lost_ = false;
  if (input_ != nullptr) input_->TakeKeyboardLeft();
  // A host that ends its saver with a signal, or Ctrl-C in a terminal, ends the loop, so the
  // tear-down still runs: the flag goes down and the background is the desktop's again.
  if (events != nullptr) end_signals_.Catch();
}

void TWaylandSaverPlatform::Deliver(const TSaverEvent& event) {
  if (events_ != nullptr) events_->Deliver(event);
}

std::vector<TMonitor> TWaylandSaverPlatform::Monitors() {
  connection_.Require().Roundtrip();
  return wl::Monitors(connection_);
}

std::unique_ptr<IPlatformWindow> TWaylandSaverPlatform::CreateSaverWindow(
    TWindowHandle preview_parent, const TWindowRect&) {
  if (preview_parent != 0) {
    throw EZarmokError(TTextId::WindowCreateFailed, TTextId::WaylandNoPane);
  }
  connection_.Require();
  Input();
  if (std::exchange(tell_window_kind_, false)) {
    diagnostic_(Toplevels() ? TTextId::WaylandFullScreenWindows : TTextId::WaylandLayerSurfaces);
  }
  return std::make_unique<TWaylandSaverWindow>(*this, TWindowKind::Saver);
}

std::unique_ptr<IPlatformWindow> TWaylandSaverPlatform::CreateWallpaperWindow(const TWindowRect&) {
  // An ordinary window would cover the desktop rather than lie under it.
  if (connection_.Require().LayerShell() == nullptr) {
    throw EZarmokError(TTextId::WindowCreateFailed,
                       TWording(TTextId::WaylandNoBackground, {connection_.SocketPath()}));
  }
  Input();
  return std::make_unique<TWaylandSaverWindow>(*this, TWindowKind::Wallpaper);
}

void TWaylandSaverPlatform::SetScreenSaverRunning(bool running) {
  if (!running) {
    running_.Lower();
    return;
  }
  // Not being able to keep a second saver away is no reason to leave the desktop unguarded.
  const std::string why = running_.Raise();
  if (!why.empty()) diagnostic_({TTextId::RunningFlagNotRaised, {why}});
}

bool TWaylandSaverPlatform::TakeKeyboard(IPlatformWindow& window) {
  auto& taker = static_cast<TWaylandSaverWindow&>(window);
  if (taker.shell_ == nullptr) return false;
  // The shell gives the keyboard to the surface that asks for it above every window.
  taker.shell_->TakeKeyboard();
  wl_display_flush(connection_.Display());
  return true;
}

void TWaylandSaverPlatform::LendInput(bool lent) {
  // The host's dialog or the error box goes above the saver and takes the keys: the saver steps
  // down below the windows meanwhile, and comes back over them after.
  lent_ = lent;
  // The user needs the pointer to answer the dialog.
  if (lent && input_ != nullptr) input_->ShowOwedArrow();
  for (TWaylandSaverWindow* window : windows_) {
    if (window->shell_ != nullptr && window->kind_ == TWindowKind::Saver) {
      window->shell_->Lend(lent);
    }
  }
  wl_display_flush(connection_.Display());
}

void TWaylandSaverPlatform::DropQueuedInput() {
  if (input_ == nullptr) return;
  input_->Listen(nullptr);
  connection_.Read();
  input_->Listen(events_);
}

std::optional<TPoint> TWaylandSaverPlatform::PointerPosition() {
  if (input_ == nullptr) return std::nullopt;
  return input_->PointerPosition();
}

const IPlatformWindow* TWaylandSaverPlatform::WindowOf(wl_surface* surface) const {
  if (surface == nullptr) return nullptr;
  for (TWaylandSaverWindow* window : windows_) {
    if (window->surface_ == surface) return window;
  }
  return nullptr;
}

TPoint TWaylandSaverPlatform::ScreenAt(const IPlatformWindow& window, double x, double y) const {
  return static_cast<const TWaylandSaverWindow&>(window).ScreenAt(x, y);
}

bool TWaylandSaverPlatform::NewsWaiting() const {
  return connection_.News() || std::any_of(windows_.begin(), windows_.end(),
                                           [](const TWaylandSaverWindow* w) { return w->follow_; });
}

void TWaylandSaverPlatform::TakeNews() {
  const bool seats_changed = connection_.TakeSeatsChanged();
  if (input_ != nullptr) {
    if (seats_changed) input_->Follow();
    input_->ShowOwedArrow();
  }
  // A layer surface holds the keyboard whatever other windows do, until it lends it.
  const bool keyboard_left = input_ != nullptr && input_->TakeKeyboardLeft();
  const bool activation_lost = std::exchange(activation_lost_, false);
  if (Toplevels() && (keyboard_left || activation_lost)) FollowFocus();
  if (connection_.TakeOutputsChanged()) {
    Deliver(TSaverEvent{TSaverEventKind::MonitorsChanged});
    // A window follows its output's scale, mode and transform by itself.
    for (TWaylandSaverWindow* window : windows_) window->follow_ = true;
  }
  for (TWaylandSaverWindow* window : windows_) {
    if (window->follow_) window->Follow();
  }
  wl_display_flush(connection_.Display());
}

void TWaylandSaverPlatform::FollowFocus() {
  // The compositor tells the window it leaves and the one it goes to in turn: what it sent up to
  // now tells where the keyboard went.
  connection_.Roundtrip();
  const bool keyboard_kept = input_ != nullptr && input_->KeyboardOnWindow();
  const bool active_kept = std::any_of(
      windows_.begin(), windows_.end(),
      [](const TWaylandSaverWindow* w) { return w->shell_ != nullptr && w->shell_->Activated(); });
  // What the roundtrip brought is part of the same change.
  if (input_ != nullptr) input_->TakeKeyboardLeft();
  activation_lost_ = false;
  // Either alone says the window is still the saver's: a seat without a keyboard has no keyboard
  // focus at all.
  if (!keyboard_kept && !active_kept) {
    Deliver(TSaverEvent{TSaverEventKind::Deactivated});
  }
}

void TWaylandSaverPlatform::HandlePendingMessages() {
  // After a wait that saw something come, only that is read; any other look reads everything.
  const TWaylandConnection::TReady seen = seen_.value_or(TWaylandConnection::TReady{true, true});
  seen_.reset();
  if (seen.other && end_signals_.Taken()) Deliver(TSaverEvent{TSaverEventKind::EndRequest});
  if (seen.compositor) connection_.Read();
  TakeNews();
}

bool TWaylandSaverPlatform::WaitForInput(int32_t milliseconds) {
  // What a roundtrip or a handler's request has already brought is there at once.
  if (NewsWaiting()) {
    seen_ = TWaylandConnection::TReady{};
    return true;
  }
  const TWaylandConnection::TReady ready =
      connection_.Wait(milliseconds, end_signals_.Descriptor());
  if (!ready.compositor && !ready.other) return false;
  seen_ = ready;
  return true;
}

void TWaylandSaverPlatform::RaiseRequestErrors(bool) {
  // The compositor ends the connection at a request's error: there is nothing to wait for.
  connection_.RaiseError();
}

int64_t TWaylandSaverPlatform::Now() {
  return MonotonicNanoseconds();
}

void TWaylandSaverPlatform::ShowError(const std::string& title, const std::string& text,
                                      IPlatformWindow*) {
  // The box is an X window (XWayland's), which no Wayland surface can own.
  error_box_(title, text);
}

}  // namespace zarmok::wl
