#include "x11_saver.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "errors.h"
#include "host.h"
#include "pacing.h"
#include "x11_display.h"

namespace zarmok::x11 {
namespace {

constexpr int64_t kGrabRetryNs = 250000000;

// The display for a service whose failure passes without notice; null when there is none.
Display* DisplayOrNull() {
  try {
    return OpenDisplay();
  } catch (const EZarmokError&) {
    return nullptr;
  }
}

}  // namespace

TX11Saver::TX11Saver(TSettingsDialog settings_dialog, TErrorReport report)
    : settings_dialog_(std::move(settings_dialog)), report_(std::move(report)) {}

TX11Saver::~TX11Saver() {
  DestroySaverWindow();
}

bool TX11Saver::FindTopLevelSaver() {
  // A display that cannot be reached holds no saver; the saver modes report it when they
  // need the display themselves.
  Display* display = DisplayOrNull();
  return display != nullptr && x11::FindTopLevelSaver(display);
}

void TX11Saver::ShowWindow(TWindowHandle handle) {
  Display* display = DisplayOrNull();
  if (display == nullptr) return;
  TErrorTrap trap(display);
  XMapWindow(display, handle);
}

void TX11Saver::GetWindowRect(TWindowHandle handle, TWindowRect& rect) {
  Display* display = DisplayOrNull();
  if (display == nullptr) return;
  TErrorTrap trap(display);
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, handle, &attributes) == 0 || trap.Failed()) return;
  int x = 0;
  int y = 0;
  Window child = None;
  XTranslateCoordinates(display, handle, attributes.root, -attributes.border_width,
                        -attributes.border_width, &x, &y, &child);
  if (trap.Failed()) return;
  const int outer_width = attributes.width + 2 * attributes.border_width;
  const int outer_height = attributes.height + 2 * attributes.border_width;
  rect = TWindowRect{x, y, x + outer_width, y + outer_height};
}

int TX11Saver::RunSettingsDialog(const std::string& ini_path, TWindowHandle owner) {
  // Without a display the dialog's window cannot be made, the same failure as the saver's.
  try {
    OpenDisplay();
  } catch (const EZarmokError&) {
    throw EZarmokError(kWindowCreateMessage);
  }
  return settings_dialog_(ini_path, owner);
}

void TX11Saver::WriteDiagnostic(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

IFormWindow& TX11Saver::CreateSaverWindow(TWindowHandle preview_parent) {
  try {
    display_ = OpenDisplay();
  } catch (const EZarmokError&) {
    throw EZarmokError(kWindowCreateMessage);
  }
  const int screen = DefaultScreen(display_);
  root_ = RootWindow(display_, screen);
  preview_parent_ = static_cast<Window>(preview_parent);
  running_atom_ = XInternAtom(display_, kRunningProperty, False);
  wm_delete_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);

  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(display_, screen);
  attributes.override_redirect = preview_parent_ == None ? True : False;
  attributes.event_mask = KeyPressMask | ButtonPressMask | PointerMotionMask | ExposureMask |
                          VisibilityChangeMask | StructureNotifyMask;
  const Window parent = preview_parent_ == None ? root_ : preview_parent_;
  {
    TErrorTrap trap(display_);
    window_ = XCreateWindow(display_, parent, 0, 0, kBirthClientWidth, kBirthClientHeight, 0,
                            CopyFromParent, InputOutput, CopyFromParent,
                            CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
    XWindowAttributes made{};
    const bool described = XGetWindowAttributes(display_, window_, &made) != 0;
    if (trap.Failed() || !described) {
      if (window_ != None) XDestroyWindow(display_, window_);
      window_ = None;
      throw EZarmokError(kWindowCreateMessage);
    }
    visual_ = made.visual;
    depth_ = made.depth;
  }
  window_alive_ = true;
  pane_gone_ = false;

  XClassHint hint{};
  char name[] = "zarmok";
  char class_name[] = "TDesktopWindow";
  hint.res_name = name;
  hint.res_class = class_name;
  XSetClassHint(display_, window_, &hint);
  XStoreName(display_, window_, kApplicationTitle);
  XSetWMProtocols(display_, window_, &wm_delete_, 1);
  gc_ = XCreateGC(display_, window_, 0, nullptr);
  MakeInvisibleCursor();
  presenter_.Attach(display_, window_, gc_, visual_, depth_);
  presenter_.Resize(kBirthClientWidth, kBirthClientHeight);
  settled_request_ = NextRequest(display_);
  return *this;
}

void TX11Saver::MakeInvisibleCursor() {
  const Pixmap blank = XCreatePixmap(display_, window_, 1, 1, 1);
  const GC clear = XCreateGC(display_, blank, 0, nullptr);
  XSetForeground(display_, clear, 0);
  XFillRectangle(display_, blank, clear, 0, 0, 1, 1);
  XFreeGC(display_, clear);
  XColor black{};
  invisible_ = XCreatePixmapCursor(display_, blank, blank, &black, &black, 0, 0);
  XFreePixmap(display_, blank);
}

void TX11Saver::PlaceSaverWindow(int32_t left, int32_t top, int32_t width, int32_t height) {
  // X has no empty windows: a pane of no size gets a window of one pixel.
  const int32_t w = std::clamp(width, 1, 32767);
  const int32_t h = std::clamp(height, 1, 32767);
  XMoveResizeWindow(display_, window_, std::clamp(left, -32768, 32767),
                    std::clamp(top, -32768, 32767), static_cast<unsigned>(w),
                    static_cast<unsigned>(h));
  presenter_.Resize(w, h);
}

void TX11Saver::SetScreenSaverRunning(bool running) {
  if (display_ == nullptr) return;
  if (running) {
    const long on = 1;
    XChangeProperty(display_, root_, running_atom_, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&on), 1);
  } else {
    XDeleteProperty(display_, root_, running_atom_);
  }
  XFlush(display_);
}

void TX11Saver::ShowCursor(bool show) {
  cursor_count_ += show ? 1 : -1;
  ApplyCursor();
}

void TX11Saver::ApplyCursor() {
  if (!window_alive_) return;
  if (cursor_count_ < 0) {
    XDefineCursor(display_, window_, invisible_);
  } else {
    XUndefineCursor(display_, window_);
  }
  XFlush(display_);
}

void TX11Saver::HostDialogBegins() {
  // The host's dialog needs the keyboard that the full-screen saver holds.
  host_dialog_ = true;
  if (window_alive_) GrabKeyboard(false);
}

void TX11Saver::HostDialogEnds() {
  host_dialog_ = false;
  if (window_alive_ && WantsKeyboard()) GrabKeyboard(true);
}

bool TX11Saver::WantsKeyboard() const {
  // Only the full-screen saver takes the keyboard: inside another program's window the keys
  // belong to that program.
  return preview_parent_ == None && mapped_ && !host_dialog_;
}

void TX11Saver::GrabKeyboard(bool grab) {
  if (grab && !keyboard_grabbed_) {
    keyboard_grabbed_ = XGrabKeyboard(display_, window_, True, GrabModeAsync, GrabModeAsync,
                                      CurrentTime) == GrabSuccess;
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
  } else if (!grab && keyboard_grabbed_) {
    XUngrabKeyboard(display_, CurrentTime);
    keyboard_grabbed_ = false;
  }
  XFlush(display_);
}

void TX11Saver::CatchEndSignals() {
  // A host that ends its saver with SIGTERM, or Ctrl-C in a terminal, ends the loop as the
  // pane's destruction does, so the tear-down still runs and the running flag does not
  // outlive the saver on the root window.
  sigset_t ends;
  sigemptyset(&ends);
  for (const int signal_number : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&ends, signal_number);
  if (sigprocmask(SIG_BLOCK, &ends, &saved_mask_) != 0) return;
  signal_fd_ = signalfd(-1, &ends, SFD_CLOEXEC | SFD_NONBLOCK);
  if (signal_fd_ < 0) sigprocmask(SIG_SETMASK, &saved_mask_, nullptr);
}

void TX11Saver::ReleaseEndSignals() {
  if (signal_fd_ < 0) return;
  close(signal_fd_);
  signal_fd_ = -1;
  // A signal that arrived after the loop ended is delivered now, with its usual effect.
  sigprocmask(SIG_SETMASK, &saved_mask_, nullptr);
}

bool TX11Saver::EndSignalled() {
  if (signal_fd_ < 0) return false;
  signalfd_siginfo info{};
  return read(signal_fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info);
}

void TX11Saver::ShowSaverWindow() {
  if (maximize_requested_ && preview_parent_ == None) {
    XWindowAttributes root{};
    XGetWindowAttributes(display_, root_, &root);
    XMoveResizeWindow(display_, window_, 0, 0, static_cast<unsigned>(std::max(root.width, 1)),
                      static_cast<unsigned>(std::max(root.height, 1)));
    presenter_.Resize(std::max(root.width, 1), std::max(root.height, 1));
  }
  XMapRaised(display_, window_);
  XFlush(display_);
  CatchEndSignals();
  next_grab_try_ = Now();
}

void TX11Saver::HandlePendingMessages(ISaverEvents& events) {
  if (pane_gone_) {
    events.Deliver(TSaverEvent{TSaverEventKind::PaneGone});
    return;
  }
  if (EndSignalled()) {
    events.Deliver(TSaverEvent{TSaverEventKind::EndRequest});
    return;
  }
  while (events.Running() && XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    Translate(event, events);
  }
}

void TX11Saver::Translate(const XEvent& event, ISaverEvents& events) {
  if (presenter_.TakeCompletion(event)) return;
  if (event.xany.window != window_) return;
  switch (event.type) {
    case MapNotify:
      mapped_ = true;
      if (WantsKeyboard()) GrabKeyboard(true);
      break;
    case UnmapNotify:
      mapped_ = false;
      break;
    case ConfigureNotify:
      presenter_.Resize(event.xconfigure.width, event.xconfigure.height);
      break;
    case Expose:
      if (event.xexpose.count == 0) events.Deliver(TSaverEvent{TSaverEventKind::Paint});
      break;
    case VisibilityNotify:
      if (preview_parent_ == None && event.xvisibility.state != VisibilityUnobscured) {
        XRaiseWindow(display_, window_);
      }
      break;
    case KeyPress:
      events.Deliver(TSaverEvent{TSaverEventKind::KeyDown});
      break;
    case ButtonPress:
      if (event.xbutton.button == Button1) {
        events.Deliver(TSaverEvent{TSaverEventKind::PrimaryClick});
      }
      break;
    case MotionNotify:
      events.Deliver(TSaverEvent{TSaverEventKind::MouseMove});
      break;
    case ClientMessage:
      if (static_cast<Atom>(event.xclient.data.l[0]) == wm_delete_) {
        events.Deliver(TSaverEvent{TSaverEventKind::CloseRequest});
      }
      break;
    case DestroyNotify:
      // The host destroyed the pane, and the saver's window with it.
      window_alive_ = false;
      mapped_ = false;
      events.Deliver(TSaverEvent{TSaverEventKind::PaneGone});
      break;
    default:
      break;
  }
}

void TX11Saver::WaitForInput(int32_t milliseconds) {
  const int64_t now = Now();
  // Another client may hold the keyboard when the saver appears (a menu, a screen locker
  // letting go); keys must reach the saver as soon as it is free.
  if (WantsKeyboard() && !keyboard_grabbed_ && now >= next_grab_try_) {
    GrabKeyboard(true);
    next_grab_try_ = now + kGrabRetryNs;
  }
  if (XPending(display_) > 0) return;
  std::array<pollfd, 2> watch{pollfd{ConnectionNumber(display_), POLLIN, 0},
                              pollfd{signal_fd_, POLLIN, 0}};
  poll(watch.data(), signal_fd_ >= 0 ? 2 : 1, milliseconds);
}

int64_t TX11Saver::Now() {
  return MonotonicNanoseconds();
}

bool TX11Saver::WindowExists() {
  TErrorTrap trap(display_);
  XWindowAttributes attributes{};
  return XGetWindowAttributes(display_, window_, &attributes) != 0 && !trap.Failed();
}

void TX11Saver::RaiseRequestErrors(bool settle) {
  if (display_ == nullptr) return;
  if (settle && NextRequest(display_) != settled_request_) {
    XSync(display_, False);
    settled_request_ = NextRequest(display_);
  }
  const TPendingError error = TakePendingError();
  if (!error.pending) return;
  // Drawing into a pane that the host has just destroyed fails before the news of the
  // destruction arrives; that is the end of the preview, not an error.
  if (preview_parent_ != None && window_alive_ && !WindowExists()) {
    window_alive_ = false;
    mapped_ = false;
    pane_gone_ = true;
    return;
  }
  throw EZarmokError(error.text);
}

void TX11Saver::Present() {
  presenter_.Present(window_alive_ && mapped_);
}

void TX11Saver::DestroySaverWindow() {
  ReleaseEndSignals();
  if (display_ == nullptr || window_ == None) return;
  TErrorTrap trap(display_);
  GrabKeyboard(false);
  presenter_.Detach();
  if (window_alive_) XDestroyWindow(display_, window_);
  if (gc_ != nullptr) XFreeGC(display_, gc_);
  if (invisible_ != None) XFreeCursor(display_, invisible_);
  gc_ = nullptr;
  invisible_ = None;
  window_ = None;
  window_alive_ = false;
  mapped_ = false;
  trap.Failed();
  TakePendingError();
}

}  // namespace zarmok::x11
