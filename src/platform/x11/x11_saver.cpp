#include "x11_saver.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "errors.h"
#include "host.h"
#include "pacing.h"
#include "x11_display.h"

namespace zarmok::x11 {
namespace {

constexpr int64_t kGrabRetryNs = 250000000;
constexpr int64_t kLongestShmWaitNs = 200000000;

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
  SetClientSize(kBirthClientWidth, kBirthClientHeight);
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
  SetClientSize(w, h);
}

void TX11Saver::SetClientSize(int32_t width, int32_t height) {
  if (width == width_ && height == height_ && image_kind_ != TImageKind::Absent) return;
  FreeImage();
  width_ = width;
  height_ = height;
  canvas_.Resize(width, height);
  damage_.SetBounds(width, height);
  MakeImage();
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
    SetClientSize(std::max(root.width, 1), std::max(root.height, 1));
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
  if (event.type == shm_completion_) {
    shm_busy_ = false;
    return;
  }
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
      SetClientSize(event.xconfigure.width, event.xconfigure.height);
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

void TX11Saver::MakeImage() {
  if (display_ == nullptr || window_ == None || visual_ == nullptr) return;
  const int w = width_;
  const int h = height_;
  direct_layout_ = visual_->c_class == TrueColor && (depth_ == 24 || depth_ == 32) &&
                   visual_->red_mask == 0xFF0000 && visual_->green_mask == 0x00FF00 &&
                   visual_->blue_mask == 0x0000FF && ImageByteOrder(display_) == LSBFirst;
  if (direct_layout_) {
    direct_image_ =
        XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0,
                     reinterpret_cast<char*>(canvas_.Pixels()), static_cast<unsigned>(w),
                     static_cast<unsigned>(h), 32, canvas_.Stride() * 4);
    if (direct_image_ != nullptr && direct_image_->bits_per_pixel != 32) {
      direct_image_->data = nullptr;
      XDestroyImage(direct_image_);
      direct_image_ = nullptr;
    }
  }
  if (direct_image_ != nullptr && XShmQueryExtension(display_)) {
    image_ = XShmCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, nullptr,
                             &shm_, static_cast<unsigned>(w), static_cast<unsigned>(h));
    if (image_ != nullptr && image_->bits_per_pixel == 32) {
      shm_.shmid =
          shmget(IPC_PRIVATE, static_cast<size_t>(image_->bytes_per_line) * h, IPC_CREAT | 0600);
      if (shm_.shmid >= 0) {
        shm_.shmaddr = image_->data = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
        shm_.readOnly = False;
        bool attached = false;
        if (shm_.shmaddr != reinterpret_cast<char*>(-1)) {
          TErrorTrap trap(display_);
          XShmAttach(display_, &shm_);
          attached = !trap.Failed();
        }
        // Marked for removal at once: the segment goes with the last detach, even if the
        // program does not end by the normal way.
        shmctl(shm_.shmid, IPC_RMID, nullptr);
        if (attached) {
          image_kind_ = TImageKind::Shared;
          shm_completion_ = XShmGetEventBase(display_) + ShmCompletion;
          shm_busy_ = false;
          return;
        }
        if (shm_.shmaddr != reinterpret_cast<char*>(-1)) shmdt(shm_.shmaddr);
      }
      image_->data = nullptr;
    }
    if (image_ != nullptr) XDestroyImage(image_);
    image_ = nullptr;
    shm_ = XShmSegmentInfo{};
  }
  if (direct_image_ != nullptr) {
    image_kind_ = TImageKind::Direct;
    return;
  }
  image_ = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr,
                        static_cast<unsigned>(w), static_cast<unsigned>(h), 32, 0);
  if (image_ == nullptr) throw EZarmokError("X: 画像を作成できません");
  image_->data = static_cast<char*>(std::calloc(static_cast<size_t>(image_->bytes_per_line), h));
  image_kind_ = TImageKind::Converted;
}

void TX11Saver::FreeImage() {
  if (direct_image_ != nullptr) {
    direct_image_->data = nullptr;  // the canvas owns the pixels
    XDestroyImage(direct_image_);
    direct_image_ = nullptr;
  }
  if (image_ != nullptr && image_kind_ == TImageKind::Shared) {
    WaitForSharedImage();
    TErrorTrap trap(display_);
    XShmDetach(display_, &shm_);
    trap.Failed();
    shmdt(shm_.shmaddr);
    image_->data = nullptr;
    shm_ = XShmSegmentInfo{};
  }
  if (image_ != nullptr) XDestroyImage(image_);  // frees a converted copy with it
  image_ = nullptr;
  image_kind_ = TImageKind::Absent;
}

namespace {

// Places an 8-bit channel under a TrueColor mask.
unsigned long Channel(uint32_t value, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1u) == 0) ++shift;
  int bits = 0;
  while (((mask >> (shift + bits)) & 1u) != 0) ++bits;
  const unsigned long scaled = bits >= 8 ? value << (bits - 8) : value >> (8 - bits);
  return (scaled << shift) & mask;
}

}  // namespace

// Below this many pixels a rectangle travels inside the request: cheaper than a shared-memory
// put, which must wait for the server before the segment is written again.
constexpr int64_t kSmallPutPixels = 64 * 1024;

void TX11Saver::Present() {
  canvas_.TakeDirty();  // the damage record is finer; the canvas's own is only reset
  std::array<TDirtyRect, TDamage::kMaxRects> rects;
  const int count = damage_.Take(rects);
  if (count == 0 || !window_alive_ || !mapped_) return;
  const auto large = [](const TDirtyRect& r) {
    return static_cast<int64_t>(r.right - r.left) * (r.bottom - r.top) >= kSmallPutPixels;
  };
  int last_large = -1;
  if (image_kind_ == TImageKind::Shared) {
    for (int i = 0; i < count; ++i) {
      if (large(rects[i])) last_large = i;
    }
    if (last_large >= 0) WaitForSharedImage();
  }
  for (int i = 0; i < count; ++i) {
    switch (image_kind_) {
      case TImageKind::Shared:
        if (large(rects[i])) {
          PutShared(rects[i], i == last_large);
        } else {
          PutDirect(rects[i]);
        }
        break;
      case TImageKind::Direct:
        PutDirect(rects[i]);
        break;
      case TImageKind::Converted:
        PutConverted(rects[i]);
        break;
      case TImageKind::Absent:
        return;
    }
  }
  XFlush(display_);
}

void TX11Saver::PutShared(const TDirtyRect& rect, bool last) {
  const int x = rect.left;
  const unsigned w = static_cast<unsigned>(rect.right - rect.left);
  const uint32_t* source = canvas_.Pixels();
  for (int row = rect.top; row < rect.bottom; ++row) {
    std::memcpy(image_->data + static_cast<size_t>(row) * image_->bytes_per_line + x * 4,
                source + static_cast<size_t>(row) * canvas_.Stride() + x, w * 4);
  }
  // Only the last shared put of a step asks for the server's news: the segment is written
  // again only after all of them.
  XShmPutImage(display_, window_, gc_, image_, x, rect.top, x, rect.top, w,
               static_cast<unsigned>(rect.bottom - rect.top), last ? True : False);
  if (last) shm_busy_ = true;
}

void TX11Saver::PutDirect(const TDirtyRect& rect) {
  XPutImage(display_, window_, gc_, direct_image_, rect.left, rect.top, rect.left, rect.top,
            static_cast<unsigned>(rect.right - rect.left),
            static_cast<unsigned>(rect.bottom - rect.top));
}

void TX11Saver::PutConverted(const TDirtyRect& rect) {
  for (int row = rect.top; row < rect.bottom; ++row) {
    for (int column = rect.left; column < rect.right; ++column) {
      const uint32_t pixel = canvas_.PixelAt(column, row);
      XPutPixel(image_, column, row,
                Channel((pixel >> 16) & 0xFFu, visual_->red_mask) |
                    Channel((pixel >> 8) & 0xFFu, visual_->green_mask) |
                    Channel(pixel & 0xFFu, visual_->blue_mask));
    }
  }
  XPutImage(display_, window_, gc_, image_, rect.left, rect.top, rect.left, rect.top,
            static_cast<unsigned>(rect.right - rect.left),
            static_cast<unsigned>(rect.bottom - rect.top));
}

void TX11Saver::WaitForSharedImage() {
  // The server reads the segment after XShmPutImage returns and says when it is done; at the
  // usual pace that news has long arrived when the next step draws. Only that news is taken
  // from the queue here: every other event waits for the loop. A put that failed (a pane
  // destroyed under it) sends an error instead, and the wait is bounded in any case.
  const int64_t deadline = Now() + kLongestShmWaitNs;
  XEvent event;
  while (shm_busy_ && !ErrorPending() && Now() < deadline) {
    if (XCheckTypedEvent(display_, shm_completion_, &event)) break;
    pollfd watch{ConnectionNumber(display_), POLLIN, 0};
    poll(&watch, 1, 5);
  }
  shm_busy_ = false;
}

void TX11Saver::DestroySaverWindow() {
  ReleaseEndSignals();
  if (display_ == nullptr || window_ == None) return;
  TErrorTrap trap(display_);
  GrabKeyboard(false);
  FreeImage();
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
