#include "x11_saver.h"

#include <X11/Xutil.h>
#include <poll.h>

#include <algorithm>
#include <array>

#include "errors.h"
#include "host.h"
#include "pacing.h"
#include "x11_input.h"
#include "x11_monitors.h"
#include "x11_running.h"

namespace zarmok::x11 {
namespace {

TWindowRect Placed(const TWindowRect& area) {
  const int left = Coordinate(area.left);
  const int top = Coordinate(area.top);
  return TWindowRect{left, top, left + static_cast<int32_t>(Extent(area.left, area.right)),
                     top + static_cast<int32_t>(Extent(area.top, area.bottom))};
}

bool Overlap(const TWindowRect& a, const TWindowRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TSaverEvent EventOf(TSaverEventKind kind, const IPlatformWindow* window) {
  TSaverEvent event{kind};
  event.Window = window;
  return event;
}

TSaverEvent Resized(const IPlatformWindow* window, const TWindowRect& area) {
  TSaverEvent event = EventOf(TSaverEventKind::Resized, window);
  event.Width = area.right - area.left;
  event.Height = area.bottom - area.top;
  return event;
}

}  // namespace

TX11SaverWindow::TX11SaverWindow(TX11SaverPlatform& platform, Window parent,
                                 const TWindowRect& birth)
    : platform_(platform) {
  Display* display = platform_.display_;
  const TX11Visual& visual = platform_.visual_;
  const TWindowRect area = Placed(birth);
  XSetWindowAttributes attributes{};
  // Black in every true-colour visual.
  attributes.background_pixel = 0;
  attributes.border_pixel = 0;
  attributes.colormap = visual.colormap;
  attributes.override_redirect = parent == platform_.root_ ? True : False;
  attributes.event_mask = kSaverWindowEvents;
  {
    TErrorTrap trap(platform_.connection_);
    window_ = XCreateWindow(
        display, parent, area.left, area.top, static_cast<unsigned>(area.right - area.left),
        static_cast<unsigned>(area.bottom - area.top), 0, visual.depth, InputOutput, visual.visual,
        CWBackPixel | CWBorderPixel | CWColormap | CWOverrideRedirect | CWEventMask, &attributes);
    if (trap.Failed()) {
      platform_.connection_.RaiseLoss();
      if (window_ != None) XDestroyWindow(display, window_);
      throw EZarmokError(TTextId::WindowCreateFailed);
    }
  }
  XClassHint hint{const_cast<char*>("zarmok"), const_cast<char*>(kSaverClassName)};
  XSetClassHint(display, window_, &hint);
  XStoreName(display, window_, Text(TTextId::ApplicationTitle, TLanguage::English));
  XSetWMProtocols(display, window_, &platform_.wm_delete_, 1);
  blitter_.emplace(platform_.connection_, window_, visual.visual, visual.depth);
  platform_.windows_.push_back(this);
  platform_.ApplyPointer(window_);
}

TX11SaverWindow::~TX11SaverWindow() {
  std::erase(platform_.windows_, this);
  blitter_.reset();
  if (platform_.connection_.Lost()) return;
  // A host may have destroyed its pane, and the window with it, before the news arrived.
  TErrorTrap trap(platform_.connection_);
  if (alive_) XDestroyWindow(platform_.display_, window_);
}

void TX11SaverWindow::Place(const TWindowRect& area) {
  const TWindowRect placed = Placed(area);
  XMoveResizeWindow(platform_.display_, window_, placed.left, placed.top,
                    static_cast<unsigned>(placed.right - placed.left),
                    static_cast<unsigned>(placed.bottom - placed.top));
  platform_.Deliver(Resized(this, placed));
}

void TX11SaverWindow::Show() {
  XMapRaised(platform_.display_, window_);
  // The server maps a window nobody manages as it reads the request: once it has answered, the
  // window is viewable and the keyboard can be given to it.
  XSync(platform_.display_, False);
  mapped_ = true;
}

void TX11SaverWindow::Blit(const TRasterCanvas& picture, const TDirtyRect* rects, int count) {
  if (alive_ && mapped_) blitter_->Blit(picture, rects, count);
}

void TX11SaverWindow::Raise() {
  if (alive_) XRaiseWindow(platform_.display_, window_);
}

TX11WallpaperWindow::TX11WallpaperWindow(TX11SaverPlatform& platform, const TWindowRect& birth)
    : platform_(platform), area_(Placed(birth)) {
  Display* display = platform_.display_;
  XWindowAttributes root{};
  if (XGetWindowAttributes(display, platform_.root_, &root) == 0) {
    platform_.connection_.RaiseLoss();
    throw EZarmokError(TTextId::WindowCreateFailed);
  }
  if (root.visual->c_class != TrueColor) {
    throw EZarmokError(TTextId::WindowCreateFailed, TTextId::XNoTrueColor);
  }
  // The blitter's GC clips by the root's children: the pictures go under every window on the
  // desktop, never over one.
  blitter_.emplace(platform_.connection_, platform_.root_, root.visual, root.depth);
  blitter_->SetOrigin(area_.left, area_.top);
  if (platform_.places_.empty()) platform_.WatchRootExposures(true);
  platform_.places_.push_back(this);
}

TX11WallpaperWindow::~TX11WallpaperWindow() {
  std::erase(platform_.places_, this);
  blitter_.reset();
  if (platform_.connection_.Lost()) return;
  if (shown_) Clear();
  if (platform_.places_.empty()) platform_.WatchRootExposures(false);
}

TWindowHandle TX11WallpaperWindow::Handle() {
  return platform_.root_;
}

void TX11WallpaperWindow::Place(const TWindowRect& area) {
  const TWindowRect placed = Placed(area);
  if (placed == area_) return;
  // The old place shows the desktop's own background again.
  if (shown_) Clear();
  area_ = placed;
  blitter_->SetOrigin(area_.left, area_.top);
  platform_.Deliver(Resized(this, area_));
  // Moved at the same size, the picture is owed to the new place all the same.
  if (shown_) platform_.Deliver(EventOf(TSaverEventKind::Paint, this));
}

void TX11WallpaperWindow::Show() {
  // Nothing is mapped: the root is already on the screen, and its picture is the place's from
  // the first paint on.
  shown_ = true;
  platform_.Deliver(EventOf(TSaverEventKind::Paint, this));
}

void TX11WallpaperWindow::Blit(const TRasterCanvas& picture, const TDirtyRect* rects, int count) {
  if (shown_) blitter_->Blit(picture, rects, count);
}

void TX11WallpaperWindow::Clear() {
  // The root's own background, whatever it is (a colour, a picture set by another program),
  // repaints the place; other programs that draw on the root hear of it as of any exposure.
  XClearArea(platform_.display_, platform_.root_, area_.left, area_.top,
             static_cast<unsigned>(area_.right - area_.left),
             static_cast<unsigned>(area_.bottom - area_.top), True);
  XFlush(platform_.display_);
}

TX11SaverPlatform::TX11SaverPlatform(TX11Connection& connection, posix::TEndSignals& end_signals,
                                     TErrorBox error_box)
    : connection_(connection), end_signals_(end_signals), error_box_(std::move(error_box)) {}

TX11SaverPlatform::~TX11SaverPlatform() {
  if (display_ == nullptr || connection_.Lost()) return;
  FreeVisual(display_, visual_);
  if (invisible_ != None) XFreeCursor(display_, invisible_);
}

Display* TX11SaverPlatform::Connect() {
  if (display_ != nullptr) {
    connection_.RaiseLoss();
    return display_;
  }
  try {
    display_ = connection_.Open();
  } catch (const EZarmokError& error) {
    // No display is no window: the same report as any window that cannot be made.
    throw EZarmokError(TTextId::WindowCreateFailed, error.Message());
  }
  root_ = DefaultRootWindow(display_);
  wm_delete_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
  randr_event_ = WatchMonitors(display_, root_);
  const Pixmap blank = XCreatePixmap(display_, root_, 1, 1, 1);
  const GC clear = XCreateGC(display_, blank, 0, nullptr);
  XFillRectangle(display_, blank, clear, 0, 0, 1, 1);
  XFreeGC(display_, clear);
  XColor black{};
  invisible_ = XCreatePixmapCursor(display_, blank, blank, &black, &black, 0, 0);
  XFreePixmap(display_, blank);
  settled_request_ = NextRequest(display_);
  return display_;
}

void TX11SaverPlatform::Listen(ISaverEvents* events) {
  events_ = events;
  // A host that ends its saver with a signal, or Ctrl-C in a terminal, ends the loop, so the
  // tear-down still runs: the running flag does not outlive the saver, and the root gets its
  // own background back.
  if (events != nullptr) end_signals_.Catch();
}

void TX11SaverPlatform::Deliver(const TSaverEvent& event) {
  if (events_ != nullptr) events_->Deliver(event);
}

std::vector<TMonitor> TX11SaverPlatform::Monitors() {
  Display* display = Connect();
  return ReadMonitors(display, root_);
}

std::unique_ptr<IPlatformWindow> TX11SaverPlatform::CreateSaverWindow(TWindowHandle preview_parent,
                                                                      const TWindowRect& birth) {
  Connect();
  if (visual_.visual == nullptr) visual_ = ChooseVisual(display_);
  return std::make_unique<TX11SaverWindow>(
      *this, preview_parent != 0 ? static_cast<Window>(preview_parent) : root_, birth);
}

std::unique_ptr<IPlatformWindow> TX11SaverPlatform::CreateWallpaperWindow(
    const TWindowRect& birth) {
  Connect();
  return std::make_unique<TX11WallpaperWindow>(*this, birth);
}

void TX11SaverPlatform::WatchRootExposures(bool watch) {
  XWindowAttributes root{};
  if (XGetWindowAttributes(display_, root_, &root) == 0) return;
  if (watch) {
    had_root_exposures_ = (root.your_event_mask & ExposureMask) != 0;
    // The root's exposures (a window moved off it) tell which pictures were lost. No input is
    // asked of the root: the desktop's input is the desktop's, and never ends the run.
    XSelectInput(display_, root_, root.your_event_mask | ExposureMask);
  } else if (!had_root_exposures_) {
    XSelectInput(display_, root_, root.your_event_mask & ~ExposureMask);
  }
}

void TX11SaverPlatform::SetScreenSaverRunning(bool running) {
  if (running) {
    SetRunningFlag(Connect(), true);
  } else if (display_ != nullptr && !connection_.Lost()) {
    SetRunningFlag(display_, false);
  }
}

void TX11SaverPlatform::SetPointerVisible(bool visible) {
  pointer_visible_ = visible;
  for (TX11SaverWindow* window : windows_) ApplyPointer(window->window_);
}

void TX11SaverPlatform::ApplyPointer(Window window) {
  if (connection_.Lost()) return;
  if (pointer_visible_) {
    XUndefineCursor(display_, window);
  } else {
    XDefineCursor(display_, window, invisible_);
  }
}

bool TX11SaverPlatform::TakeKeyboard(IPlatformWindow& window) {
  if (display_ == nullptr || connection_.Lost()) return false;
  const auto id = static_cast<Window>(window.Handle());
  // Another client may hold the keyboard (a menu, a screen locker letting go): the session asks
  // again until it is free.
  if (XGrabKeyboard(display_, id, True, GrabModeAsync, GrabModeAsync, CurrentTime) != GrabSuccess) {
    return false;
  }
  XSetInputFocus(display_, id, RevertToParent, CurrentTime);
  return true;
}

void TX11SaverPlatform::LendInput(bool lent) {
  // The dialog needs the keyboard that the full-screen saver holds; the session asks for it
  // again when the dialog is done.
  if (!lent || display_ == nullptr || connection_.Lost()) return;
  XUngrabKeyboard(display_, CurrentTime);
  XFlush(display_);
}

void TX11SaverPlatform::ShowError(const std::string& title, const std::string& text,
                                  IPlatformWindow* owner) {
  // The box is a window of the desktop's mapped after the saver's, above them while it has the
  // input (nothing covering the saver is raised over meanwhile): it needs no owner on X11.
  (void)owner;
  // No box can be shown on a connection that is gone; the loop's next look reports the loss.
  if (connection_.Lost()) return;
  error_box_(title, text);
  // The box's toolkit read the shared connection meanwhile and took the news of what it
  // uncovered and of the monitors with it.
  for (TX11SaverWindow* window : windows_) {
    Deliver(EventOf(TSaverEventKind::Paint, window));
  }
  for (TX11WallpaperWindow* place : places_) {
    Deliver(EventOf(TSaverEventKind::Paint, place));
  }
  Deliver(TSaverEvent{TSaverEventKind::MonitorsChanged});
}

void TX11SaverPlatform::DropQueuedInput() {
  if (display_ == nullptr || connection_.Lost()) return;
  XSync(display_, False);
  XEvent event;
  while (XCheckMaskEvent(display_, kInputEvents, &event)) {
  }
}

std::optional<TPoint> TX11SaverPlatform::PointerPosition() {
  Window root = None;
  Window child = None;
  int x = 0;
  int y = 0;
  int window_x = 0;
  int window_y = 0;
  unsigned mask = 0;
  if (display_ == nullptr || connection_.Lost() ||
      !XQueryPointer(display_, root_, &root, &child, &x, &y, &window_x, &window_y, &mask)) {
    return std::nullopt;  // on another screen
  }
  return TPoint{x, y};
}

void TX11SaverPlatform::HandlePendingMessages() {
  // Both the signals and the connection are read at every look, however the last wait ended:
  // one system call each when nothing came.
  if (end_signals_.Taken()) Deliver(TSaverEvent{TSaverEventKind::EndRequest});
  if (display_ == nullptr) return;
  connection_.RaiseLoss();
  // A loop that never waits sends what it asked for here (the keyboard's focus, say).
  XFlush(display_);
  XEvent event;
  for (int queued = XEventsQueued(display_, QueuedAfterReading); queued > 0;) {
    XNextEvent(display_, &event);
    Translate(event);
    if (--queued == 0) queued = XEventsQueued(display_, QueuedAlready);
  }
  connection_.RaiseLoss();
}

TX11SaverWindow* TX11SaverPlatform::WindowOf(Window id) {
  for (TX11SaverWindow* window : windows_) {
    if (window->window_ == id) return window;
  }
  return nullptr;
}

void TX11SaverPlatform::Translate(XEvent& event) {
  for (TX11SaverWindow* window : windows_) {
    if (window->blitter_->TakeCompletion(event)) return;
  }
  for (TX11WallpaperWindow* place : places_) {
    if (place->blitter_->TakeCompletion(event)) return;
  }
  if (IsMonitorChange(event, root_, randr_event_)) {
    Deliver(TSaverEvent{TSaverEventKind::MonitorsChanged});
    return;
  }
  if (event.type == Expose && event.xexpose.window == root_) {
    const XExposeEvent& expose = event.xexpose;
    const TWindowRect exposed{expose.x, expose.y, expose.x + expose.width,
                              expose.y + expose.height};
    for (TX11WallpaperWindow* place : places_) {
      if (place->shown_ && Overlap(place->area_, exposed)) {
        Deliver(EventOf(TSaverEventKind::Paint, place));
      }
    }
    return;
  }
  TX11SaverWindow* window = WindowOf(event.xany.window);
  if (window == nullptr) return;
  if (event.type == MapNotify) window->mapped_ = true;
  if (event.type == UnmapNotify) window->mapped_ = false;
  if (event.type == DestroyNotify) window->alive_ = false;
  TSaverEvent translated{TSaverEventKind::Paint};
  if (TranslateWindowEvent(event, wm_delete_, translated)) {
    translated.Window = window;
    Deliver(translated);
  }
}

bool TX11SaverPlatform::WaitForInput(int32_t milliseconds) {
  if (display_ != nullptr) {
    connection_.RaiseLoss();
    XFlush(display_);
    // What Xlib has already read (with the answer to a request, say) would never wake the wait.
    if (XEventsQueued(display_, QueuedAfterReading) > 0) return true;
    connection_.RaiseLoss();
  }
  std::array<pollfd, 2> watch{
      pollfd{end_signals_.Descriptor(), POLLIN, 0},
      pollfd{display_ != nullptr ? ConnectionNumber(display_) : -1, POLLIN, 0}};
  // A negative descriptor is left out of the wait.
  return poll(watch.data(), watch.size(), milliseconds) != 0;
}

int64_t TX11SaverPlatform::Now() {
  return MonotonicNanoseconds();
}

void TX11SaverPlatform::RaiseRequestErrors(bool settle) {
  if (display_ == nullptr || connection_.Lost()) return;
  if (settle && NextRequest(display_) != settled_request_) {
    XSync(display_, False);
    settled_request_ = NextRequest(display_);
  }
  if (const std::optional<std::string> error = connection_.TakePendingError()) {
    throw EZarmokError(*error);
  }
}

}  // namespace zarmok::x11
