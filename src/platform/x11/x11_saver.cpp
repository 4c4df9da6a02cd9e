#include "x11_saver.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "errors.h"
#include "host.h"
#include "posix/password_posix.h"
#include "settings.h"
#include "x11_display.h"

namespace zarmok::x11 {
namespace {

constexpr int32_t kResourceWidth = 427;
constexpr int32_t kResourceHeight = 273;
// Longest wait for events when the idle handler says it may sleep: the loop never blocks for
// good, so a lost wake-up costs at most this much.
constexpr int kLongestWaitMs = 1000;
constexpr int64_t kGrabRetryNs = 250000000;
constexpr int64_t kLongestShmWaitNs = 200000000;

int64_t Now() {
  return MonotonicNanoseconds();
}

// A request to end from outside (a host that ends its saver with SIGTERM, Ctrl-C in a
// terminal): the loop ends as after an allowed close, so the tear-down still runs and the
// running flag does not outlive the saver on the root window.
volatile sig_atomic_t g_end_requested = 0;

void RequestEnd(int) {
  g_end_requested = 1;
}

void CatchEndSignals() {
  struct sigaction action {};
  action.sa_handler = RequestEnd;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no restart: the wait for events returns at once
  for (const int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
    sigaction(signal_number, &action, nullptr);
  }
}

}  // namespace

TX11Saver::TX11Saver(std::vector<std::string> arguments, TSettingsDialog settings_dialog,
                     TErrorReport report)
    : arguments_(std::move(arguments)),
      settings_dialog_(std::move(settings_dialog)),
      report_(std::move(report)) {}

TX11Saver::~TX11Saver() {
  DestroySaverWindow();
}

bool TX11Saver::FindTopLevelSaver() {
  // A display that cannot be reached holds no saver; the saver modes report it when they
  // need the display themselves.
  Display* display = nullptr;
  try {
    display = OpenDisplay();
  } catch (const EZarmokError&) {
    return false;
  }
  return x11::FindTopLevelSaver(display);
}

void TX11Saver::ShowWindow(uint32_t handle) {
  Display* display = OpenDisplay();
  TErrorTrap trap(display);
  XMapWindow(display, handle);
}

void TX11Saver::GetWindowRect(uint32_t handle, TWindowRect& rect) {
  Display* display = OpenDisplay();
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

IPasswordHost& TX11Saver::Passwords() {
  return SystemPasswords();
}

TDesktopWindow& TX11Saver::CreateSaverWindow(uint32_t preview_parent) {
  display_ = OpenDisplay();
  const int screen = DefaultScreen(display_);
  root_ = RootWindow(display_, screen);
  preview_parent_ = preview_parent;
  running_atom_ = XInternAtom(display_, kRunningProperty, False);
  wm_delete_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);

  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(display_, screen);
  attributes.override_redirect = preview_parent == 0 ? True : False;
  attributes.event_mask = KeyPressMask | ButtonPressMask | PointerMotionMask | ExposureMask |
                          VisibilityChangeMask | StructureNotifyMask;
  const Window parent = preview_parent == 0 ? root_ : static_cast<Window>(preview_parent);
  {
    TErrorTrap trap(display_);
    window_ = XCreateWindow(display_, parent, 0, 0, kResourceWidth, kResourceHeight, 0,
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

  XClassHint hint{};
  char name[] = "zarmok";
  char class_name[] = "TDesktopWindow";
  hint.res_name = name;
  hint.res_class = class_name;
  XSetClassHint(display_, window_, &hint);
  XStoreName(display_, window_, "Zarmok");
  XSetWMProtocols(display_, window_, &wm_delete_, 1);
  gc_ = XCreateGC(display_, window_, 0, nullptr);

  const Pixmap blank = XCreatePixmap(display_, window_, 1, 1, 1);
  {
    const GC clear = XCreateGC(display_, blank, 0, nullptr);
    XSetForeground(display_, clear, 0);
    XFillRectangle(display_, blank, clear, 0, 0, 1, 1);
    XFreeGC(display_, clear);
  }
  XColor black{};
  invisible_ = XCreatePixmapCursor(display_, blank, blank, &black, &black, 0, 0);
  XFreePixmap(display_, blank);

  SetClientSize(kResourceWidth, kResourceHeight);
  const std::string ini_path = SettingsFilePath(ProgramFilePath());
  saver_ = std::make_unique<TDesktopWindow>(TDesktopHost{
      *this, *this, SystemProfile(), ini_path, preview_parent, arguments_, &SystemPasswords()});
  saver_->FormCreate();
  steps_per_second_ = LoadStepsPerSecond(SystemProfile(), ini_path);
  CheckPendingError();
  return *saver_;
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
  // While the pointer is shown over a full-screen saver, a host dialog has the user's
  // attention (the password check), and it needs the keyboard.
  if (preview_parent_ == 0 && mapped_) GrabKeyboard(cursor_count_ < 0);
  XFlush(display_);
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
}

bool TX11Saver::Running() const {
  return g_end_requested == 0 && window_alive_ && saver_ != nullptr && !saver_->CloseAllowed();
}

void TX11Saver::RunMessageLoop() {
  if (saver_ == nullptr) return;
  if (maximize_requested_ && preview_parent_ == 0) {
    XWindowAttributes root{};
    XGetWindowAttributes(display_, root_, &root);
    XMoveResizeWindow(display_, window_, 0, 0, static_cast<unsigned>(std::max(root.width, 1)),
                      static_cast<unsigned>(std::max(root.height, 1)));
    SetClientSize(std::max(root.width, 1), std::max(root.height, 1));
  }
  XMapRaised(display_, window_);
  XFlush(display_);

  CatchEndSignals();
  const int fd = ConnectionNumber(display_);
  const int64_t started = Now();
  TStepPacer pacer(steps_per_second_, started);
  bool may_sleep = false;
  int64_t next_grab_try = started;
  while (Running()) {
    while (Running() && XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      Dispatch(event);
      may_sleep = false;
    }
    CheckPendingError();
    if (!Running()) break;

    const int64_t now = Now();
    // Another client may hold the keyboard when the saver appears (a menu, a screen locker
    // letting go); keys must reach the saver as soon as it is free.
    if (preview_parent_ == 0 && mapped_ && cursor_count_ < 0 && !keyboard_grabbed_ &&
        now >= next_grab_try) {
      GrabKeyboard(true);
      next_grab_try = now + kGrabRetryNs;
    }
    if (!may_sleep && idle_ && pacer.StepDue(now)) {
      bool done = true;
      idle_(done);
      const int64_t stepped = Now();
      pacer.StepTaken(stepped);
      Present();
      ++stats_.steps;
      stats_.step_ns += stepped - now;
      stats_.present_ns += Now() - stepped;
      may_sleep = done;
      continue;
    }
    const int wait = may_sleep || !idle_ ? kLongestWaitMs : pacer.WaitMilliseconds(now);
    if (wait > 0) {
      pollfd watch{fd, POLLIN, 0};
      poll(&watch, 1, wait);
      if (may_sleep) may_sleep = false;
    }
  }
  stats_.loop_ns = Now() - started;
}

template <typename Handler>
void TX11Saver::RunHandler(Handler handler) {
  // An error inside an input or paint handler is the windowing layer's to report; the saver
  // goes on.
  try {
    handler();
  } catch (const EZarmokError& error) {
    report_(kApplicationTitle, std::string(error.what()) + ".");
  }
}

void TX11Saver::Dispatch(const XEvent& event) {
  if (event.type == shm_completion_) {
    shm_busy_ = false;
    return;
  }
  if (event.xany.window != window_) return;
  switch (event.type) {
    case MapNotify:
      mapped_ = true;
      if (preview_parent_ == 0) GrabKeyboard(true);
      break;
    case UnmapNotify:
      mapped_ = false;
      break;
    case ConfigureNotify:
      SetClientSize(event.xconfigure.width, event.xconfigure.height);
      break;
    case Expose:
      if (event.xexpose.count == 0) {
        RunHandler([this] { saver_->FormPaint(); });
        Present();
      }
      break;
    case VisibilityNotify:
      if (preview_parent_ == 0 && event.xvisibility.state != VisibilityUnobscured) {
        XRaiseWindow(display_, window_);
      }
      break;
    case KeyPress:
      RunHandler([this] { saver_->FormKeyDown(); });
      break;
    case ButtonPress:
      if (event.xbutton.button == Button1) RunHandler([this] { saver_->FormClick(); });
      break;
    case MotionNotify:
      RunHandler([this] { saver_->FormMouseMove(); });
      break;
    case ClientMessage:
      if (static_cast<Atom>(event.xclient.data.l[0]) == wm_delete_) {
        RunHandler([this] { saver_->Close(); });
      }
      break;
    case DestroyNotify:
      // The host destroyed the pane, and the saver's window with it.
      window_alive_ = false;
      mapped_ = false;
      break;
    default:
      break;
  }
}

bool TX11Saver::WindowExists() {
  TErrorTrap trap(display_);
  XWindowAttributes attributes{};
  return XGetWindowAttributes(display_, window_, &attributes) != 0 && !trap.Failed();
}

void TX11Saver::CheckPendingError() {
  const TPendingError error = TakePendingError();
  if (!error.pending) return;
  // Drawing into a pane that the host has just destroyed fails before the news of the
  // destruction arrives; that is the end of the preview, not an error.
  if (preview_parent_ != 0 && window_alive_ && !WindowExists()) {
    window_alive_ = false;
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
  ++stats_.presents;
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
  if (display_ == nullptr || (saver_ == nullptr && window_ == None)) return;
  TErrorTrap trap(display_);
  if (saver_ != nullptr) saver_->FormDestroy();
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
  saver_.reset();
  idle_ = nullptr;
  TakePendingError();
}

}  // namespace zarmok::x11
