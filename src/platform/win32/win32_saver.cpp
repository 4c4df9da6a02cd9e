#include "win32_saver.h"

#include <imm.h>

#include <algorithm>
#include <climits>

#include "errors.h"
#include "host.h"
#include "session.h"
#include "win32_dpi.h"
#include "win32_monitors.h"
#include "win32_text.h"

namespace zarmok::win32 {
namespace {

// The keys reach the foreground window only. Windows hands the foreground to a program that
// asks for it only when the user's last input went to the program it comes from; else a thread
// that shares the input state of the foreground window's thread may take it.
bool TakeForeground(HWND window) {
  if (SetForegroundWindow(window) && GetForegroundWindow() == window) return true;
  HWND current = GetForegroundWindow();
  const DWORD theirs = current != nullptr ? GetWindowThreadProcessId(current, nullptr) : 0;
  const DWORD ours = GetCurrentThreadId();
  const bool attached = theirs != 0 && theirs != ours && AttachThreadInput(ours, theirs, TRUE);
  BringWindowToTop(window);
  SetForegroundWindow(window);
  if (attached) AttachThreadInput(ours, theirs, FALSE);
  return GetForegroundWindow() == window;
}

constexpr int64_t kLookEveryNs = 1000000;
constexpr int64_t kSureLookNs = 250000000;

// How long after its window shows the loop goes on asking for the foreground.
constexpr int64_t kForegroundRetryNs = 2000000000;

}  // namespace

void ShowErrorBox(HWND owner, const std::string& title, const std::string& text, bool topmost) {
  MessageBoxW(owner, WideText(text).c_str(), WideText(title).c_str(),
              MB_OK | MB_ICONERROR | MB_SETFOREGROUND | (topmost ? MB_TOPMOST : 0));
}

TWin32SaverWindow::TWin32SaverWindow(TWin32SaverPlatform& platform, HWND pane)
    : platform_(platform), in_pane_(pane != nullptr) {
  // A pop-up owned by the application window; in a preview the same, but a child of the pane.
  const DWORD style = in_pane_ ? WS_CHILD : WS_POPUP;
  // No frame: the window's size is its client size, the resource's while the creation handler
  // runs. Inside a pane, in the pane's DPI awareness.
  const TDpiAwarenessOf awareness(pane);
  const std::wstring name = WideText(kSaverClassName);
  CreateWindowExW(WS_EX_TOPMOST, name.c_str(), WideText(kApplicationTitle).c_str(), style, 0, 0,
                  kBirthClientWidth, kBirthClientHeight, in_pane_ ? pane : platform_.application_,
                  nullptr, platform_.instance_, this);
  // The handle was taken as the window was made (its first message), so that the messages of
  // its creation already find it.
  if (window_ == nullptr || !IsWindow(window_)) throw EZarmokError(kWindowCreateMessage);
  // No input method: a key press is a key press, never the start of a composition.
  ImmAssociateContext(window_, nullptr);
  dc_ = GetDC(window_);
  platform_.windows_.push_back(this);
}

TWin32SaverWindow::~TWin32SaverWindow() {
  std::erase(platform_.windows_, this);
  if (window_ == nullptr || gone_) return;
  // The session's own destruction of the window is no news to deliver.
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

int32_t TWin32SaverWindow::ClientWidth() {
  RECT client{};
  return GetClientRect(window_, &client) ? client.right - client.left : 0;
}

int32_t TWin32SaverWindow::ClientHeight() {
  RECT client{};
  return GetClientRect(window_, &client) ? client.bottom - client.top : 0;
}

void TWin32SaverWindow::Place(const TWindowRect& area) {
  // A pane's place is in its own DPI awareness, as start-up read the pane's size.
  const TDpiAwarenessOf awareness(in_pane_ ? window_ : nullptr);
  const auto extent = [](int32_t from, int32_t to) {
    return static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(to) - from, 0, INT_MAX));
  };
  SetWindowPos(window_, nullptr, area.left, area.top, extent(area.left, area.right),
               extent(area.top, area.bottom), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWin32SaverWindow::Show() {
  if (in_pane_) {
    ShowWindow(window_, SW_SHOWNA);
    return;
  }
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  if (!TakeForeground(window_)) {
    platform_.foreground_wanted_ = window_;
    platform_.foreground_until_ = platform_.Now() + kForegroundRetryNs;
  }
  SetFocus(window_);
}

bool TWin32SaverWindow::Deliver(TSaverEventKind kind, uint32_t code, TPoint at) {
  ISaverEvents* events = platform_.events_;
  if (events == nullptr || !events->Running()) return false;
  const IPlatformWindow* window = kind == TSaverEventKind::MonitorsChanged ? nullptr : this;
  return events->Deliver(TSaverEvent{kind, code, at, window});
}

LRESULT CALLBACK TWin32SaverWindow::Procedure(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* made = static_cast<TWin32SaverWindow*>(
        reinterpret_cast<const CREATESTRUCTW*>(lparam)->lpCreateParams);
    made->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made));
  }
  auto* self = reinterpret_cast<TWin32SaverWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  // A delivered event may end with this window destroyed (its monitor gone): after a delivery
  // that was taken, only the handle is used.
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint handler turns the whole window black
    case WM_SIZE:
      // The picture is the client area's, pixel for pixel; the paint that follows fills it.
      self->presenter_.Resize(LOWORD(lparam), HIWORD(lparam));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      // The whole client area, not only the update region: the bugs return with their next
      // moving steps.
      if (!self->Deliver(TSaverEventKind::Paint)) self->paint_pending_ = true;
      return 0;
    }
    case WM_KEYDOWN:
      self->Deliver(TSaverEventKind::KeyDown);
      return 0;
    case WM_SYSKEYDOWN:
      // A key held with Alt is a key to the stop rule, and then the system's own: Alt+F4 asks
      // the window to close (WM_CLOSE, the close query) when keys do not end the saver.
      self->Deliver(TSaverEventKind::KeyDown);
      break;
    case WM_LBUTTONDOWN:
      self->Deliver(TSaverEventKind::PrimaryClick);
      return 0;
    case WM_MOUSEMOVE: {
      // Where the pointer was when the message was made, on the screen: the window may have
      // moved since (born at its birth place, then sent to its monitor), and its client
      // coordinates would name another place. Signed: monitors left of or above the primary
      // one lie at negative coordinates.
      const DWORD at = GetMessagePos();
      self->Deliver(TSaverEventKind::MouseMove, 0,
                    TPoint{static_cast<int16_t>(LOWORD(at)), static_cast<int16_t>(HIWORD(at))});
      return 0;
    }
    case WM_CLOSE:
      // The close query decides; the session destroys the window, never this handler.
      self->Deliver(TSaverEventKind::CloseRequest);
      return 0;
    case WM_SYSCOMMAND:
      if (self->Deliver(TSaverEventKind::SysCommand, static_cast<uint32_t>(wparam))) return 0;
      break;
    case WM_ACTIVATEAPP:
      // Another program took the foreground. Every top-level window of the program hears of
      // it: the run's first window tells the session, once.
      if (wparam == FALSE && !self->platform_.windows_.empty() &&
          self->platform_.windows_.front() == self) {
        self->Deliver(TSaverEventKind::Deactivated);
      }
      break;
    case WM_DISPLAYCHANGE:
      self->Deliver(TSaverEventKind::MonitorsChanged);
      return 0;
    case WM_DESTROY:
      // Not the session's doing (that one clears the window's link first): the host destroyed
      // the pane, and this window with it.
      self->gone_ = true;
      if (!self->Deliver(TSaverEventKind::WindowGone)) self->gone_pending_ = true;
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

TWin32SaverPlatform::TWin32SaverPlatform(HINSTANCE instance, HWND application)
    : instance_(instance), application_(application) {
  QueryPerformanceFrequency(&frequency_);
  WNDCLASSEXW saver{};
  saver.cbSize = sizeof saver;
  // One device context for the window's whole life: the surface is made once.
  saver.style = CS_OWNDC;
  saver.lpfnWndProc = TWin32SaverWindow::Procedure;
  saver.hInstance = instance_;
  saver.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  const std::wstring name = WideText(kSaverClassName);
  saver.lpszClassName = name.c_str();
  RegisterClassExW(&saver);
}

std::vector<TMonitor> TWin32SaverPlatform::Monitors() {
  return DesktopMonitors();
}

std::unique_ptr<IPlatformWindow> TWin32SaverPlatform::CreateSaverWindow(
    TWindowHandle preview_parent) {
  return std::make_unique<TWin32SaverWindow>(*this, reinterpret_cast<HWND>(preview_parent));
}

void TWin32SaverPlatform::SetScreenSaverRunning(bool running) {
  BOOL previous = FALSE;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running ? 1 : 0, &previous, 0);
}

void TWin32SaverPlatform::SetPointerVisible(bool visible) {
  ::ShowCursor(visible ? TRUE : FALSE);
}

void TWin32SaverPlatform::LendInput(bool lent) {
  // Nothing to hand over: Windows has no grab, and a dialog or box owned by a saver window
  // takes the keyboard and stands above its top-most owner by itself.
  (void)lent;
}

void TWin32SaverPlatform::DropQueuedInput() {
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  while (PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
}

std::optional<TPoint> TWin32SaverPlatform::PointerPosition() {
  POINT at{};
  if (!GetCursorPos(&at)) return std::nullopt;
  return TPoint{at.x, at.y};
}

bool TWin32SaverPlatform::DeliverKept(ISaverEvents& events) {
  for (TWin32SaverWindow* window : windows_) {
    TSaverEventKind kind = TSaverEventKind::Paint;
    if (window->gone_pending_) {
      kind = TSaverEventKind::WindowGone;
      window->gone_pending_ = false;
    } else if (window->paint_pending_) {
      window->paint_pending_ = false;
    } else {
      continue;
    }
    // The handler may change the list of windows: the caller looks again from its start.
    events.Deliver(TSaverEvent{kind, 0, TPoint{0, 0}, window});
    return true;
  }
  return false;
}

void TWin32SaverPlatform::HandlePendingMessages(ISaverEvents& events) {
  // The system may refuse the foreground while another program is busy taking it: asked again
  // for a moment, until the saver has it.
  if (foreground_wanted_ != nullptr &&
      (TakeForeground(foreground_wanted_) || Now() > foreground_until_)) {
    foreground_wanted_ = nullptr;
  }
  events_ = &events;
  while (events.Running() && DeliverKept(events)) {
  }
  // Every look at the queue is a call into the system (under Wine a round trip to its server,
  // dearer than a step). A wait that ran out found the queue empty (it returns at once for
  // input already there), so the look after it is saved but for a rare one to be sure; a saver
  // stepping without waits looks once a millisecond, which no input notices.
  const int64_t now = Now();
  const int64_t since = now - last_look_;
  if (!queue_may_hold_ && since < (waited_ ? kSureLookNs : kLookEveryNs)) {
    events_ = nullptr;
    return;
  }
  waited_ = false;
  queue_may_hold_ = false;
  last_look_ = now;
  MSG message;
  while (events.Running() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      events.Deliver(TSaverEvent{TSaverEventKind::EndRequest});
      break;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  events_ = nullptr;
}

void TWin32SaverPlatform::WaitForInput(int32_t milliseconds) {
  waited_ = true;
  queue_may_hold_ = wait_.Wait(milliseconds) || queue_may_hold_;
}

int64_t TWin32SaverPlatform::Now() {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  const int64_t ticks = counter.QuadPart;
  const int64_t per_second = frequency_.QuadPart > 0 ? frequency_.QuadPart : 1;
  return ticks / per_second * 1000000000 + ticks % per_second * 1000000000 / per_second;
}

void TWin32SaverPlatform::ShowError(const std::string& title, const std::string& text) {
  // Over the full-screen saver the box is owned by the run's first window and top-most, so it
  // stands above the top-most windows. A preview's window is a child of another program's pane:
  // a box owned by it would belong to, and disable, that program's dialog, so the application
  // window owns the box there.
  const bool full_screen =
      !windows_.empty() && !windows_.front()->gone_ && !windows_.front()->in_pane_;
  ShowErrorBox(full_screen ? windows_.front()->window_ : application_, title, text, full_screen);
}

}  // namespace zarmok::win32
