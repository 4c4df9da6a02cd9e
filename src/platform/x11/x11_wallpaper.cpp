#include "x11_wallpaper.h"

#include "errors.h"
#include "host.h"
#include "session.h"
#include "x11_monitors.h"

namespace zarmok::x11 {
namespace {

bool Overlap(const TWindowRect& a, const TWindowRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

TX11WallpaperWindow::TX11WallpaperWindow(TX11Wallpaper& owner)
    : owner_(owner), area_{0, 0, kBirthClientWidth, kBirthClientHeight} {
  Display* display = owner_.display_;
  XWindowAttributes root{};
  if (XGetWindowAttributes(display, owner_.root_, &root) == 0) {
    throw EZarmokError(kWindowCreateMessage);
  }
  // A GC clips by the window's children unless told otherwise: the pictures go under every
  // window on the desktop, never over one.
  gc_ = XCreateGC(display, owner_.root_, 0, nullptr);
  presenter_.Attach(owner_.connection_, owner_.root_, gc_, root.visual, root.depth);
  presenter_.Resize(kBirthClientWidth, kBirthClientHeight);
  if (owner_.windows_.empty()) {
    owner_.had_exposures_ = (root.your_event_mask & ExposureMask) != 0;
    // The root's exposures (a window moved off it) tell which pictures were lost. No input is
    // asked of the root: the desktop's input is the desktop's, and never ends the run.
    XSelectInput(display, owner_.root_, root.your_event_mask | ExposureMask);
  }
  owner_.windows_.push_back(this);
}

TX11WallpaperWindow::~TX11WallpaperWindow() {
  Display* display = owner_.display_;
  TErrorTrap trap(owner_.connection_);
  std::erase(owner_.windows_, this);
  presenter_.Detach();
  if (shown_) Clear();
  XFreeGC(display, gc_);
  if (owner_.windows_.empty()) {
    XWindowAttributes root{};
    if (!owner_.had_exposures_ && XGetWindowAttributes(display, owner_.root_, &root) != 0) {
      XSelectInput(display, owner_.root_, root.your_event_mask & ~ExposureMask);
    }
    owner_.end_signals_.Return();
  }
  trap.Failed();
  owner_.connection_.TakePendingError();
}

TWindowHandle TX11WallpaperWindow::Handle() {
  return owner_.root_;
}

void TX11WallpaperWindow::Place(const TWindowRect& area) {
  const int left = Coordinate(area.left);
  const int top = Coordinate(area.top);
  const unsigned width = Extent(area.left, area.right);
  const unsigned height = Extent(area.top, area.bottom);
  const TWindowRect placed{left, top, left + static_cast<int32_t>(width),
                           top + static_cast<int32_t>(height)};
  if (placed == area_) return;
  // The old place shows the desktop's own background again.
  if (shown_) Clear();
  area_ = placed;
  presenter_.SetOrigin(left, top);
  presenter_.Resize(static_cast<int32_t>(width), static_cast<int32_t>(height));
  paint_owed_ = shown_;
}

void TX11WallpaperWindow::Show() {
  // Nothing is mapped: the root is already on the screen, and its picture is the place's from
  // the first paint on.
  shown_ = true;
  paint_owed_ = true;
  // A signal ends the run through its tear-down, which gives the root its background back.
  owner_.end_signals_.Hold();
}

void TX11WallpaperWindow::Present() {
  presenter_.Present(shown_);
}

void TX11WallpaperWindow::Clear() {
  // The root's own background, whatever it is (a colour, a picture set by another program),
  // repaints the place; other programs that draw on the root hear of it as of any exposure.
  XClearArea(owner_.display_, owner_.root_, area_.left, area_.top,
             static_cast<unsigned>(area_.right - area_.left),
             static_cast<unsigned>(area_.bottom - area_.top), True);
  XFlush(owner_.display_);
}

TX11Wallpaper::TX11Wallpaper(TX11Connection& connection, TSignalLoan& end_signals)
    : connection_(connection), end_signals_(end_signals) {}

std::unique_ptr<IPlatformWindow> TX11Wallpaper::CreateWindow() {
  display_ = connection_.Get();
  root_ = DefaultRootWindow(display_);
  return std::make_unique<TX11WallpaperWindow>(*this);
}

bool TX11Wallpaper::Translate(const XEvent& event, ISaverEvents& events) {
  for (TX11WallpaperWindow* window : windows_) {
    if (window->presenter_.TakeCompletion(event)) return true;
  }
  if (windows_.empty() || event.type != Expose || event.xexpose.window != root_) return false;
  const XExposeEvent& expose = event.xexpose;
  const TWindowRect exposed{expose.x, expose.y, expose.x + expose.width, expose.y + expose.height};
  for (TX11WallpaperWindow* window : windows_) {
    if (window->shown_ && Overlap(window->area_, exposed)) window->paint_owed_ = true;
  }
  if (expose.count == 0) DeliverOwedPaints(events);
  return true;
}

void TX11Wallpaper::DeliverOwedPaints(ISaverEvents& events) {
  for (size_t i = 0; i < windows_.size() && events.Running(); ++i) {
    TX11WallpaperWindow* window = windows_[i];
    if (!window->paint_owed_) continue;
    window->paint_owed_ = false;
    events.Deliver(TSaverEvent{TSaverEventKind::Paint, 0, TPoint{0, 0}, window});
  }
}

}  // namespace zarmok::x11
