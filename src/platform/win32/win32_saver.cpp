#include "win32_saver.h"

#include <imm.h>

#include <algorithm>
#include <climits>

#include "errors.h"
#include "host.h"
#include "win32_dpi.h"
#include "win32_input.h"
#include "win32_monitors.h"
#include "win32_running.h"
#include "win32_text.h"

namespace zarmok::win32 {
namespace {

int Extent(int32_t from, int32_t to) {
  return static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(to) - from, 0, INT_MAX));
}

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

}  // namespace

void ShowErrorBox(HWND owner, const std::string& title, const std::string& text, bool topmost) {
  MessageBoxW(owner, WideText(text).c_str(), WideText(title).c_str(),
              MB_OK | MB_ICONERROR | MB_SETFOREGROUND | (topmost ? MB_TOPMOST : 0));
}

TWin32SaverWindow::TWin32SaverWindow(TWin32SaverPlatform& platform, HWND pane,
                                     const TWindowRect& birth)
    : platform_(platform), in_pane_(pane != nullptr) {
  // No frame: the window's size is its client size. Inside a pane, in the pane's DPI awareness.
  const TDpiAwarenessOf awareness(pane);
  const std::wstring name = WideText(kSaverClassName);
  window_ = CreateWindowExW(WS_EX_TOPMOST, name.c_str(),
                            WideText(Text(TTextId::ApplicationTitle, TLanguage::English)).c_str(),
                            in_pane_ ? WS_CHILD : WS_POPUP, birth.left, birth.top,
                            Extent(birth.left, birth.right), Extent(birth.top, birth.bottom),
                            in_pane_ ? pane : platform_.application_, nullptr, platform_.instance_,
                            nullptr);
  if (window_ == nullptr) throw EZarmokError(TTextId::WindowCreateFailed);
  // Linked once made: what the window is told while it is made (its birth size) the session
  // knows already.
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  // No input method: a key press is a key press, never the start of a composition.
  ImmAssociateContext(window_, nullptr);
  dc_ = GetDC(window_);
}

TWin32SaverWindow::~TWin32SaverWindow() {
  if (gone_) return;
  // The session's own destruction of the window is no news to deliver.
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

void TWin32SaverWindow::Place(const TWindowRect& area) {
  // A pane's place is in its own DPI awareness, as start-up read the pane's size.
  const TDpiAwarenessOf awareness(in_pane_ ? window_ : nullptr);
  SetWindowPos(window_, nullptr, area.left, area.top, Extent(area.left, area.right),
               Extent(area.top, area.bottom), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWin32SaverWindow::Show() {
  if (in_pane_) {
    ShowWindow(window_, SW_SHOWNA);
    return;
  }
  // Above every ordinary window; the keyboard follows when the session takes it.
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

LRESULT CALLBACK TWin32SaverWindow::Procedure(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
  auto* self = reinterpret_cast<TWin32SaverWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  return self->Receive(message, wparam, lparam);
}

LRESULT TWin32SaverWindow::Receive(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the session shows the whole picture after a paint
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window_, &paint);
      EndPaint(window_, &paint);
      break;
    }
    case WM_DESTROY:
      gone_ = true;
      break;
    default:
      break;
  }
  std::optional<TSaverEvent> event = SaverEventOf(message, wparam, lparam, GetMessagePos());
  if (!event) return DefWindowProcW(window_, message, wparam, lparam);
  if (event->Kind != TSaverEventKind::MonitorsChanged) event->Window = this;
  const bool taken = platform_.Deliver(*event);
  if (SystemMayHandle(message) && !taken) return DefWindowProcW(window_, message, wparam, lparam);
  return 0;
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

bool TWin32SaverPlatform::Deliver(const TSaverEvent& event) {
  if (events_ == nullptr) return false;
  if (waiting_ && !told_while_waiting_) {
    // The system calls a window from inside the loop's wait (Wine does, for the foreground
    // another X program took): the wait ends, and says so.
    told_while_waiting_ = true;
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
  }
  return events_->Deliver(event);
}

std::vector<TMonitor> TWin32SaverPlatform::Monitors() {
  return DesktopMonitors();
}

std::unique_ptr<IPlatformWindow> TWin32SaverPlatform::CreateSaverWindow(
    TWindowHandle preview_parent, const TWindowRect& birth) {
  return std::make_unique<TWin32SaverWindow>(*this, reinterpret_cast<HWND>(preview_parent), birth);
}

void TWin32SaverPlatform::SetScreenSaverRunning(bool running) {
  win32::SetScreenSaverRunning(running);
}

void TWin32SaverPlatform::SetPointerVisible(bool visible) {
  ::ShowCursor(visible ? TRUE : FALSE);
}

bool TWin32SaverPlatform::TakeKeyboard(IPlatformWindow& window) {
  HWND taker = reinterpret_cast<HWND>(window.Handle());
  const bool taken = TakeForeground(taker);
  SetFocus(taker);
  return taken;
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

void TWin32SaverPlatform::HandlePendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      Deliver(TSaverEvent{TSaverEventKind::EndRequest});
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool TWin32SaverPlatform::WaitForInput(int32_t milliseconds) {
  waiting_ = true;
  told_while_waiting_ = false;
  const bool arrived = wait_.Wait(milliseconds);
  waiting_ = false;
  return arrived || told_while_waiting_;
}

int64_t TWin32SaverPlatform::Now() {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  const int64_t ticks = counter.QuadPart;
  const int64_t per_second = frequency_.QuadPart > 0 ? frequency_.QuadPart : 1;
  return ticks / per_second * 1000000000 + ticks % per_second * 1000000000 / per_second;
}

void TWin32SaverPlatform::ShowError(const std::string& title, const std::string& text,
                                    IPlatformWindow* owner) {
  // Over the full-screen saver the box is owned by its window and top-most, so it stands above
  // the top-most windows. Else the application window owns it: a box owned by a preview's
  // window would belong to, and disable, the dialog of the program whose pane holds it.
  if (owner != nullptr) {
    ShowErrorBox(reinterpret_cast<HWND>(owner->Handle()), title, text, true);
  } else {
    ShowErrorBox(application_, title, text);
  }
}

}  // namespace zarmok::win32
