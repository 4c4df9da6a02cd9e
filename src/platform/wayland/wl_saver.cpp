#include "wl_saver.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "errors.h"
#include "host.h"
#include "pacing.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace zarmok::wl {

TWaylandSaverWindow::TWaylandSaverWindow(TWaylandSaverPlatform& platform, bool background)
    : platform_(platform), background_(background), presenter_(platform.connection_.Shm()) {
  platform_.windows_.push_back(this);
}

TWaylandSaverWindow::~TWaylandSaverWindow() {
  DropLayerSurface();
  std::erase(platform_.windows_, this);
  std::erase(platform_.unpainted_, this);
  wl_display_flush(platform_.connection_.Display());
  if (platform_.windows_.empty()) platform_.end_signals_.Release();
}

void TWaylandSaverWindow::PictureLost() {
  std::vector<TWaylandSaverWindow*>& unpainted = platform_.unpainted_;
  if (std::find(unpainted.begin(), unpainted.end(), this) == unpainted.end()) {
    unpainted.push_back(this);
  }
}

TPoint TWaylandSaverWindow::PixelAt(double x, double y) const {
  // The output's pixels: the place on the surface in its units, times the buffer scale.
  const int32_t scale = Scale();
  return TPoint{area_.left + static_cast<int32_t>(std::lround(x * scale)),
                area_.top + static_cast<int32_t>(std::lround(y * scale))};
}

int32_t TWaylandSaverWindow::Scale() const {
  const TOutput* output = platform_.connection_.OutputNamed(output_);
  return output != nullptr ? output->scale : 1;
}

void TWaylandSaverWindow::Place(const TWindowRect& area) {
  // The output whose pixels these are: the one it is on when that still fits, else the first
  // that no other window covers yet (mirrored outputs share one area).
  uint32_t chosen = 0;
  for (const TOutput* output : platform_.connection_.Outputs()) {
    const uint32_t name = output->name;
    const bool taken = std::any_of(platform_.windows_.begin(), platform_.windows_.end(),
                                   [&](auto* w) { return w != this && w->output_ == name; });
    if (output->PixelArea() == area && !taken && (chosen == 0 || name == output_)) chosen = name;
  }
  const bool moved = chosen != output_;
  output_ = chosen;
  area_ = area;
  presenter_.Resize(std::max(area.right - area.left, 1), std::max(area.bottom - area.top, 1));
  PictureLost();
  if (moved && layer_ != nullptr) {
    DropLayerSurface();
    MakeLayerSurface();
  } else if (configured_) {
    presenter_.Attach(surface_, Scale());
  }
}

void TWaylandSaverWindow::Show() {
  if (!shown_) {
    shown_ = true;
    MakeLayerSurface();
  }
  // A host that ends its saver with a signal, or Ctrl-C in a terminal, ends the loop, so the
  // tear-down still runs and the lock is let go of in order.
  platform_.end_signals_.Catch();
}

void TWaylandSaverWindow::MakeLayerSurface() {
  TWaylandConnection& connection = platform_.connection_;
  surface_ = wl_compositor_create_surface(connection.Compositor());
  const TOutput* output = connection.OutputNamed(output_);
  const uint32_t layer = background_       ? ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND
                         : platform_.lent_ ? ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM
                                           : ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY;
  layer_ = zwlr_layer_shell_v1_get_layer_surface(connection.LayerShell(), surface_,
                                                 output != nullptr ? output->output : nullptr,
                                                 layer, background_ ? "wallpaper" : "screensaver");
  static constexpr zwlr_layer_surface_v1_listener kListener{Configure, Closed};
  zwlr_layer_surface_v1_add_listener(layer_, &kListener, this);
  // The whole output, whatever other surfaces keep for themselves, at the size it has.
  zwlr_layer_surface_v1_set_size(layer_, 0, 0);
  zwlr_layer_surface_v1_set_anchor(
      layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                  ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
  zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
  zwlr_layer_surface_v1_set_keyboard_interactivity(
      layer_, background_ || platform_.lent_
                  ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE
                  : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
  if (background_) {
    // The background takes no input: clicks on it stay the desktop's.
    wl_region* nothing = wl_compositor_create_region(connection.Compositor());
    wl_surface_set_input_region(surface_, nothing);
    wl_region_destroy(nothing);
  }
  configured_ = false;
  closed_ = false;
  wl_surface_commit(surface_);
  wl_display_flush(connection.Display());
}

void TWaylandSaverWindow::DropLayerSurface() {
  presenter_.Attach(nullptr, 1);
  if (surface_ != nullptr) platform_.Input().Forget(surface_);
  if (layer_ != nullptr) zwlr_layer_surface_v1_destroy(layer_);
  if (surface_ != nullptr) wl_surface_destroy(surface_);
  layer_ = nullptr;
  surface_ = nullptr;
  configured_ = false;
}

void TWaylandSaverWindow::Configure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial,
                                    uint32_t width, uint32_t height) {
  auto& self = *static_cast<TWaylandSaverWindow*>(data);
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  const int32_t scale = self.Scale();
  // The size the compositor gives, in the output's pixels; none given leaves the placed one.
  const int32_t pixels_wide =
      width > 0 ? static_cast<int32_t>(width) * scale : self.presenter_.Width();
  const int32_t pixels_high =
      height > 0 ? static_cast<int32_t>(height) * scale : self.presenter_.Height();
  const bool resized =
      pixels_wide != self.presenter_.Width() || pixels_high != self.presenter_.Height();
  if (resized) {
    self.presenter_.Resize(pixels_wide, pixels_high);
    self.PictureLost();
  }
  if (!self.configured_ || resized) self.presenter_.Attach(self.surface_, scale);
  self.configured_ = true;
  self.presenter_.Present();
}

void TWaylandSaverWindow::Closed(void* data, zwlr_layer_surface_v1*) {
  static_cast<TWaylandSaverWindow*>(data)->closed_ = true;
}

TWaylandSaverPlatform::TWaylandSaverPlatform(TWaylandConnection& connection,
                                             TEndSignals& end_signals, TRunningLock& running,
                                             TErrorBox error_box)
    : connection_(connection),
      end_signals_(end_signals),
      running_(running),
      error_box_(std::move(error_box)) {}

TWaylandSaverPlatform::~TWaylandSaverPlatform() = default;

TWaylandInput& TWaylandSaverPlatform::Input() {
  if (input_ == nullptr) input_ = std::make_unique<TWaylandInput>(connection_.Require());
  return *input_;
}

std::vector<TMonitor> TWaylandSaverPlatform::Monitors() {
  return connection_.Require().Monitors();
}

std::unique_ptr<IPlatformWindow> TWaylandSaverPlatform::CreateSaverWindow(
    TWindowHandle preview_parent) {
  if (preview_parent != 0) {
    throw EZarmokError(kWindowCreateMessage,
                       "Wayland has no preview pane to draw in: a preview "
                       "needs an X display (XWayland, DISPLAY)");
  }
  connection_.Require();
  Input();
  return std::make_unique<TWaylandSaverWindow>(*this, false);
}

std::unique_ptr<IPlatformWindow> TWaylandSaverPlatform::CreateWallpaperWindow() {
  connection_.Require();
  Input();
  return std::make_unique<TWaylandSaverWindow>(*this, true);
}

TWaylandSaverWindow* TWaylandSaverPlatform::WindowOf(wl_surface* surface) const {
  if (surface == nullptr) return nullptr;
  for (TWaylandSaverWindow* window : windows_) {
    if (window->surface_ == surface) return window;
  }
  return nullptr;
}

void TWaylandSaverPlatform::LendInput(bool lent) {
  // The host's dialog or the error box goes above the saver and takes the keys: the saver steps
  // down below the windows meanwhile, and comes back over them after.
  lent_ = lent;
  for (TWaylandSaverWindow* window : windows_) {
    if (window->layer_ == nullptr || window->background_) continue;
    if (connection_.LayerShellVersion() >= ZWLR_LAYER_SURFACE_V1_SET_LAYER_SINCE_VERSION) {
      zwlr_layer_surface_v1_set_layer(window->layer_, lent ? ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM
                                                           : ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY);
    }
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        window->layer_, lent ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE
                             : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    wl_surface_commit(window->surface_);
  }
  wl_display_flush(connection_.Display());
}

void TWaylandSaverPlatform::DropQueuedInput() {
  if (input_ == nullptr) return;
  Take(0);
  input_->Notes().clear();
}

std::optional<TPoint> TWaylandSaverPlatform::PointerPosition() {
  wl_surface* surface = nullptr;
  double x = 0;
  double y = 0;
  if (input_ == nullptr || !input_->PointerAt(surface, x, y)) return std::nullopt;
  const TWaylandSaverWindow* window = WindowOf(surface);
  if (window == nullptr) return std::nullopt;
  return window->PixelAt(x, y);
}

void TWaylandSaverPlatform::Take(int32_t timeout_ms) {
  signal_ready_ = connection_.Pump(timeout_ms, end_signals_.Descriptor()) || signal_ready_;
  if (connection_.TakeOutputsChanged()) outputs_changed_ = true;
  if (connection_.TakeSeatsChanged() && input_ != nullptr) input_->Follow();
}

bool TWaylandSaverPlatform::Waiting() const {
  return outputs_changed_ || !unpainted_.empty() ||
         (input_ != nullptr && !input_->Notes().empty()) ||
         std::any_of(windows_.begin(), windows_.end(), [](auto* w) { return w->closed_; });
}

void TWaylandSaverPlatform::Deliver(const TInputNote& note, ISaverEvents& events) {
  TWaylandSaverWindow* window = WindowOf(note.surface);
  TSaverEvent event{note.kind, 0, TPoint{0, 0}, window};
  if (note.kind == TSaverEventKind::MouseMove) {
    if (window == nullptr) return;
    event.Position = window->PixelAt(note.x, note.y);
  }
  events.Deliver(event);
}

void TWaylandSaverPlatform::HandlePendingMessages(ISaverEvents& events) {
  // An idle turn reads only what the wait before it saw come (it read the connection itself).
  if (std::exchange(signal_ready_, false) && end_signals_.Taken()) {
    events.Deliver(TSaverEvent{TSaverEventKind::EndRequest});
    return;
  }
  if (!std::exchange(waited_, false)) Take(0);
  if (std::exchange(outputs_changed_, false)) {
    events.Deliver(TSaverEvent{TSaverEventKind::MonitorsChanged});
  }
  while (!unpainted_.empty() && events.Running()) {
    TWaylandSaverWindow* window = unpainted_.front();
    unpainted_.erase(unpainted_.begin());
    events.Deliver(TSaverEvent{TSaverEventKind::Paint, 0, TPoint{0, 0}, window});
  }
  std::vector<TInputNote>& notes = Input().Notes();
  while (!notes.empty() && events.Running()) {
    const TInputNote note = notes.front();
    notes.erase(notes.begin());
    Deliver(note, events);
  }
  for (size_t i = 0; i < windows_.size() && events.Running(); ++i) {
    TWaylandSaverWindow* window = windows_[i];
    if (!window->closed_) continue;
    // An output that goes closes its surface too; that is the monitors' change, and the news of
    // the output's end may still be on its way.
    connection_.Roundtrip();
    if (connection_.TakeOutputsChanged()) {
      events.Deliver(TSaverEvent{TSaverEventKind::MonitorsChanged});
      return;
    }
    window->closed_ = false;
    window->DropLayerSurface();
    events.Deliver(TSaverEvent{TSaverEventKind::CloseRequest, 0, TPoint{0, 0}, window});
    // A close that was refused (the password) leaves the saver up: the surface comes back.
    if (events.Running() && std::find(windows_.begin(), windows_.end(), window) != windows_.end()) {
      window->MakeLayerSurface();
    }
  }
}

void TWaylandSaverPlatform::WaitForInput(int32_t milliseconds) {
  if (Waiting()) return;
  Take(milliseconds);
  waited_ = true;
}

void TWaylandSaverPlatform::RaiseRequestErrors(bool) {
  connection_.RaiseError();
}

int64_t TWaylandSaverPlatform::Now() {
  return MonotonicNanoseconds();
}

void TWaylandSaverPlatform::ShowError(const std::string& title, const std::string& text) {
  error_box_(title, text);
}

bool TWaylandSaverPlatform::Settle(int32_t timeout_ms) {
  const int64_t deadline = Now() + static_cast<int64_t>(timeout_ms) * 1000000;
  for (;;) {
    bool settled = true;
    for (TWaylandSaverWindow* window : windows_) {
      window->Present();
      settled = settled && window->configured_ && window->presenter_.Shown() &&
                window->presenter_.Settled();
    }
    if (settled) return true;
    const int64_t left = (deadline - Now()) / 1000000;
    if (left <= 0) return false;
    Take(static_cast<int32_t>(std::min<int64_t>(left, 20)));
  }
}

}  // namespace zarmok::wl
