#include "x11_saver.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <algorithm>
#include <array>

#include "errors.h"
#include "host.h"
#include "pacing.h"
#include "session.h"
#include "x11_monitors.h"

namespace zarmok::x11 {
namespace {

constexpr int64_t kGrabRetryNs = 250000000;
constexpr long kInputMask =
    KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;

}  // namespace

TX11SaverWindow::TX11SaverWindow(TX11SaverPlatform& platform, Window parent)
    : platform_(platform), in_pane_(parent != platform.root_) {
  Display* display = platform_.display_;
  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
  attributes.override_redirect = in_pane_ ? False : True;
  attributes.event_mask = KeyPressMask | ButtonPressMask | PointerMotionMask | ExposureMask |
                          VisibilityChangeMask | StructureNotifyMask;
  XWindowAttributes made{};
  {
    TErrorTrap trap(platform_.connection_);
    window_ = XCreateWindow(display, parent, 0, 0, kBirthClientWidth, kBirthClientHeight, 0,
                            CopyFromParent, InputOutput, CopyFromParent,
                            CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
    const bool described = XGetWindowAttributes(display, window_, &made) != 0;
    if (trap.Failed() || !described) {
      if (window_ != None) XDestroyWindow(display, window_);
      throw EZarmokError(kWindowCreateMessage);
    }
  }
  XClassHint hint{const_cast<char*>("zarmok"), const_cast<char*>(kSaverClassName)};
  XSetClassHint(display, window_, &hint);
  XStoreName(display, window_, kApplicationTitle);
  XSetWMProtocols(display, window_, &platform_.wm_delete_, 1);
  gc_ = XCreateGC(display, window_, 0, nullptr);
  presenter_.Attach(platform_.connection_, window_, gc_, made.visual, made.depth);
  presenter_.Resize(kBirthClientWidth, kBirthClientHeight);
  platform_.windows_.push_back(this);
  platform_.ApplyPointer(*this);
}

TX11SaverWindow::~TX11SaverWindow() {
  TErrorTrap trap(platform_.connection_);
  // The keyboard is grabbed on the first window: it passes to the next one.
  if (platform_.windows_.front() == this) platform_.GrabKeyboard(false);
  std::erase(platform_.windows_, this);
  presenter_.Detach();
  if (alive_) XDestroyWindow(platform_.display_, window_);
  XFreeGC(platform_.display_, gc_);
  if (platform_.windows_.empty()) platform_.end_signals_.Return();
  platform_.GrabKeyboard(platform_.WantsKeyboard());
  trap.Failed();
  platform_.connection_.TakePendingError();
}

void TX11SaverWindow::Place(const TWindowRect& area) {
  const unsigned width = Extent(area.left, area.right);
  const unsigned height = Extent(area.top, area.bottom);
  XMoveResizeWindow(platform_.display_, window_, Coordinate(area.left), Coordinate(area.top), width,
                    height);
  presenter_.Resize(static_cast<int32_t>(width), static_cast<int32_t>(height));
}

void TX11SaverWindow::Show() {
  XMapRaised(platform_.display_, window_);
  XFlush(platform_.display_);
  // A host that ends its saver with a signal, or Ctrl-C in a terminal, ends the loop, so the
  // tear-down still runs and the running flag does not outlive the saver on the root window.
  platform_.end_signals_.Hold();
  platform_.next_grab_try_ = platform_.Now();
}

void TX11SaverWindow::Present() {
  presenter_.Present(alive_ && mapped_);
}

TX11SaverPlatform::TX11SaverPlatform(TX11Connection& connection, TEndSignals& end_signals,
                                     TErrorBox error_box)
    : connection_(connection), error_box_(std::move(error_box)), end_signals_(end_signals) {}

TX11SaverPlatform::~TX11SaverPlatform() {
  if (display_ != nullptr && invisible_ != None) XFreeCursor(display_, invisible_);
}

Display* TX11SaverPlatform::Connect() {
  if (display_ != nullptr) return display_;
  try {
    display_ = connection_.Open();
  } catch (const EZarmokError& error) {
    // No display is no window: the same report as any window that cannot be made.
    throw EZarmokError(kWindowCreateMessage, error.what());
  }
  root_ = DefaultRootWindow(display_);
  running_atom_ = XInternAtom(display_, kRunningProperty, False);
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

std::vector<TMonitor> TX11SaverPlatform::Monitors() {
  Display* display = Connect();
  return ReadMonitors(display, root_);
}

std::unique_ptr<IPlatformWindow> TX11SaverPlatform::CreateSaverWindow(
    TWindowHandle preview_parent) {
  Connect();
  return std::make_unique<TX11SaverWindow>(
      *this, preview_parent != 0 ? static_cast<Window>(preview_parent) : root_);
}

std::unique_ptr<IPlatformWindow> TX11SaverPlatform::CreateWallpaperWindow() {
  Connect();
  return wallpaper_.CreateWindow();
}

void TX11SaverPlatform::SetScreenSaverRunning(bool running) {
  if (running) {
    const long on = 1;
    XChangeProperty(Connect(), root_, running_atom_, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&on), 1);
  } else if (display_ != nullptr) {
    XDeleteProperty(display_, root_, running_atom_);
  }
  if (display_ != nullptr) XFlush(display_);
}

void TX11SaverPlatform::SetPointerVisible(bool visible) {
  pointer_visible_ = visible;
  for (TX11SaverWindow* window : windows_) ApplyPointer(*window);
}

void TX11SaverPlatform::ApplyPointer(TX11SaverWindow& window) {
  if (!window.alive_) return;
  if (pointer_visible_) {
    XUndefineCursor(display_, window.window_);
  } else {
    XDefineCursor(display_, window.window_, invisible_);
  }
  XFlush(display_);
}

void TX11SaverPlatform::LendInput(bool lent) {
  // The dialog needs the keyboard that the full-screen saver holds, and a place above it.
  lent_ = lent;
  GrabKeyboard(WantsKeyboard());
}

void TX11SaverPlatform::ShowError(const std::string& title, const std::string& text) {
  error_box_(title, text);
  // The box's toolkit shares the connection and took the news of what it uncovered.
  for (TX11SaverWindow* window : windows_) {
    if (window->alive_) XClearArea(display_, window->window_, 0, 0, 0, 0, True);
  }
}

void TX11SaverPlatform::DropQueuedInput() {
  if (display_ == nullptr) return;
  XSync(display_, False);
  XEvent event;
  while (XCheckMaskEvent(display_, kInputMask, &event)) {
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
  if (display_ == nullptr ||
      !XQueryPointer(display_, root_, &root, &child, &x, &y, &window_x, &window_y, &mask)) {
    return std::nullopt;  // on another screen
  }
  return TPoint{x, y};
}

bool TX11SaverPlatform::WantsKeyboard() const {
  // Only the full-screen saver takes the keyboard: inside another program's window the keys
  // belong to that program.
  return !lent_ && std::any_of(windows_.begin(), windows_.end(),
                               [](TX11SaverWindow* w) { return !w->in_pane_ && w->mapped_; });
}

void TX11SaverPlatform::GrabKeyboard(bool grab) {
  if (grab && !keyboard_grabbed_ && !windows_.empty()) {
    const Window owner = windows_.front()->window_;
    keyboard_grabbed_ = XGrabKeyboard(display_, owner, True, GrabModeAsync, GrabModeAsync,
                                      CurrentTime) == GrabSuccess;
    XSetInputFocus(display_, owner, RevertToParent, CurrentTime);
  } else if (!grab && keyboard_grabbed_) {
    XUngrabKeyboard(display_, CurrentTime);
    keyboard_grabbed_ = false;
  }
  if (display_ != nullptr) XFlush(display_);
}

void TX11SaverPlatform::HandlePendingMessages(ISaverEvents& events) {
  // A saver at its pace wakes dozens of times a second: only what the last wait saw ready is
  // read, so an idle turn of the loop costs no system call.
  if (signal_ready_ && end_signals_.Taken()) {
    events.Deliver(TSaverEvent{TSaverEventKind::EndRequest});
    return;
  }
  signal_ready_ = false;
  const int read = display_ready_ ? QueuedAfterReading : QueuedAlready;
  display_ready_ = false;
  while (events.Running() && XEventsQueued(display_, read) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    Translate(event, events);
  }
  wallpaper_.DeliverOwedPaints(events);
}

TX11SaverWindow* TX11SaverPlatform::WindowOf(Window id) {
  for (TX11SaverWindow* window : windows_) {
    if (window->window_ == id) return window;
  }
  return nullptr;
}

void TX11SaverPlatform::Translate(XEvent& event, ISaverEvents& events) {
  for (TX11SaverWindow* w : windows_) {
    if (w->presenter_.TakeCompletion(event)) return;
  }
  if (wallpaper_.Translate(event, events)) return;
  if (IsMonitorChange(event, root_, randr_event_)) {
    events.Deliver(TSaverEvent{TSaverEventKind::MonitorsChanged});
    return;
  }
  TX11SaverWindow* window = WindowOf(event.xany.window);
  if (window == nullptr) return;
  const auto deliver = [&](TSaverEventKind kind, TPoint at = TPoint{0, 0}) {
    events.Deliver(TSaverEvent{kind, 0, at, window});
  };
  switch (event.type) {
    case MapNotify:
      window->mapped_ = true;
      if (WantsKeyboard()) GrabKeyboard(true);
      break;
    case UnmapNotify:
      window->mapped_ = false;
      break;
    case ConfigureNotify:
      window->presenter_.Resize(event.xconfigure.width, event.xconfigure.height);
      break;
    case Expose:
      if (event.xexpose.count == 0) deliver(TSaverEventKind::Paint);
      break;
    case VisibilityNotify:
      // Whatever covers the full-screen saver goes under it again, but a dialog it lent the
      // input to.
      if (!window->in_pane_ && !lent_ && event.xvisibility.state != VisibilityUnobscured) {
        XRaiseWindow(display_, window->window_);
      }
      break;
    case KeyPress:
      deliver(TSaverEventKind::KeyDown);
      break;
    case ButtonPress:
      if (event.xbutton.button == Button1) deliver(TSaverEventKind::PrimaryClick);
      break;
    case MotionNotify:
      deliver(TSaverEventKind::MouseMove, TPoint{event.xmotion.x_root, event.xmotion.y_root});
      break;
    case ClientMessage:
      if (static_cast<Atom>(event.xclient.data.l[0]) == wm_delete_) {
        deliver(TSaverEventKind::CloseRequest);
      }
      break;
    case DestroyNotify:
      // Someone else destroyed the window: the host destroyed the pane, and the window with it.
      window->alive_ = false;
      window->mapped_ = false;
      deliver(TSaverEventKind::WindowGone);
      break;
    default:
      break;
  }
}

void TX11SaverPlatform::WaitForInput(int32_t milliseconds) {
  const int64_t now = Now();
  // Another client may hold the keyboard when the saver appears (a menu, a screen locker
  // letting go); keys must reach the saver as soon as it is free.
  if (WantsKeyboard() && !keyboard_grabbed_ && now >= next_grab_try_) {
    GrabKeyboard(true);
    next_grab_try_ = now + kGrabRetryNs;
  }
  XFlush(display_);
  if (XEventsQueued(display_, QueuedAlready) > 0) return;
  std::array<pollfd, 2> watch{pollfd{ConnectionNumber(display_), POLLIN, 0},
                              pollfd{end_signals_.Descriptor(), POLLIN, 0}};
  poll(watch.data(), end_signals_.Descriptor() >= 0 ? 2 : 1, milliseconds);
  display_ready_ = (watch[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0;
  signal_ready_ = end_signals_.Descriptor() >= 0 && (watch[1].revents & POLLIN) != 0;
}

int64_t TX11SaverPlatform::Now() {
  return MonotonicNanoseconds();
}

void TX11SaverPlatform::RaiseRequestErrors(bool settle) {
  if (display_ == nullptr) return;
  if (settle && NextRequest(display_) != settled_request_) {
    XSync(display_, False);
    settled_request_ = NextRequest(display_);
  }
  const TPendingError error = connection_.TakePendingError();
  if (error.pending) throw EZarmokError(error.text);
}

}  // namespace zarmok::x11
