#include "win32_saver.h"

#include <imm.h>

#include <cstdio>

#include "errors.h"
#include "host.h"
#include "win32_text.h"

namespace zarmok::win32 {
namespace {

HWND AsWindow(TWindowHandle handle) {
  return reinterpret_cast<HWND>(handle);
}

}  // namespace

TWin32Saver::TWin32Saver(HINSTANCE instance, TSettingsDialog settings_dialog)
    : instance_(instance), settings_dialog_(std::move(settings_dialog)) {
  QueryPerformanceFrequency(&frequency_);
  RegisterClasses();
  // The application window exists before start-up's first step, hidden, and owns every other
  // window of the program: none of them gets a button of its own on the task bar.
  application_ = CreateWindowExW(0, kApplicationClassName, WideText(kApplicationTitle).c_str(),
                                 WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance_, nullptr);
}

TWin32Saver::~TWin32Saver() {
  DestroySaverWindow();
  if (application_ != nullptr) DestroyWindow(application_);
}

void TWin32Saver::RegisterClasses() {
  WNDCLASSEXW application{};
  application.cbSize = sizeof application;
  application.lpfnWndProc = DefWindowProcW;
  application.hInstance = instance_;
  application.lpszClassName = kApplicationClassName;
  RegisterClassExW(&application);

  WNDCLASSEXW saver{};
  saver.cbSize = sizeof saver;
  // One device context for the window's whole life: the surface is made once, and no step
  // asks for a context.
  saver.style = CS_OWNDC;
  saver.lpfnWndProc = SaverProc;
  saver.hInstance = instance_;
  saver.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  const std::wstring name = WideText(kSaverClassName);
  saver.lpszClassName = name.c_str();
  RegisterClassExW(&saver);
}

bool TWin32Saver::FindTopLevelSaver() {
  return FindWindowA(kSaverClassName, nullptr) != nullptr;
}

void TWin32Saver::HideApplicationWindow() {
  if (application_ != nullptr) ::ShowWindow(application_, SW_HIDE);
}

TWindowHandle TWin32Saver::ApplicationWindow() {
  return reinterpret_cast<TWindowHandle>(application_);
}

void TWin32Saver::ShowWindow(TWindowHandle handle) {
  ::ShowWindow(AsWindow(handle), SW_SHOW);
}

void TWin32Saver::GetWindowRect(TWindowHandle handle, TWindowRect& rect) {
  RECT outer{};
  if (!::GetWindowRect(AsWindow(handle), &outer)) return;
  rect = TWindowRect{outer.left, outer.top, outer.right, outer.bottom};
}

int TWin32Saver::RunSettingsDialog(const std::string& ini_path, TWindowHandle owner) {
  // A handle that names no window leaves the dialog without an owner: the user still gets it.
  if (owner != 0 && !IsWindow(AsWindow(owner))) owner = 0;
  return settings_dialog_(ini_path, owner);
}

int TWin32Saver::MessageBox(HWND owner, const std::string& title, const std::string& text) {
  ++modal_;
  const int answer = MessageBoxW(owner, WideText(text).c_str(), WideText(title).c_str(),
                                 MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  --modal_;
  return answer;
}

void TWin32Saver::ReportUnhandledError(const std::string& title, const std::string& message) {
  // The saver window is gone by now; the box belongs to the application.
  WriteDiagnostic(title + ": " + message);
  MessageBox(application_, title, message);
}

void TWin32Saver::ShowError(const std::string& title, const std::string& text) {
  // Owned by the saver window, so the box shows above the top-most full-screen window.
  MessageBox(window_ != nullptr ? window_ : application_, title, text);
}

void TWin32Saver::WriteDiagnostic(const std::string& line) {
  // A windowed program has an error stream only when its starter gave it one (a console,
  // Wine's terminal); elsewhere the line goes nowhere.
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

IFormWindow& TWin32Saver::CreateSaverWindow(TWindowHandle preview_parent) {
  preview_parent_ = AsWindow(preview_parent);
  // A pop-up owned by the application window; in preview mode the same parameters, but a
  // child of the host's pane.
  DWORD style = WS_POPUP;
  HWND parent = application_;
  if (preview_parent_ != nullptr) {
    style = (style & ~static_cast<DWORD>(WS_POPUP)) | WS_CHILD;
    parent = preview_parent_;
  }
  gone_ = false;
  paint_pending_ = false;
  pointer_at_.reset();
  // No frame: the window's size is its client size, the resource's while the creation
  // handler runs.
  const std::wstring name = WideText(kSaverClassName);
  window_ = CreateWindowExW(WS_EX_TOPMOST, name.c_str(), WideText(kApplicationTitle).c_str(), style,
                            preview_parent_ != nullptr ? 0 : CW_USEDEFAULT, 0, kBirthClientWidth,
                            kBirthClientHeight, parent, nullptr, instance_, this);
  if (window_ == nullptr) throw EZarmokError(kWindowCreateMessage);
  // No input method: a key press is a key press, never the start of a composition.
  ImmAssociateContext(window_, nullptr);
  dc_ = GetDC(window_);
  surface_.emplace(dc_);
  return *this;
}

void TWin32Saver::PlaceSaverWindow(int32_t left, int32_t top, int32_t width, int32_t height) {
  if (window_ == nullptr) return;
  SetWindowPos(window_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWin32Saver::DestroySaverWindow() {
  if (window_ == nullptr) return;
  destroying_ = true;
  surface_.reset();
  if (IsWindow(window_)) DestroyWindow(window_);
  destroying_ = false;
  window_ = nullptr;
  dc_ = nullptr;
  preview_parent_ = nullptr;
}

void TWin32Saver::SetScreenSaverRunning(bool running) {
  BOOL previous = FALSE;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running ? 1 : 0, &previous, 0);
}

void TWin32Saver::ShowCursor(bool show) {
  ::ShowCursor(show ? TRUE : FALSE);
}

void TWin32Saver::ShowSaverWindow() {
  if (window_ == nullptr) return;
  if (maximize_requested_ && preview_parent_ == nullptr) {
    // The whole virtual screen, every monitor: a maximised window would cover the primary
    // one only.
    SetWindowPos(window_, HWND_TOPMOST, GetSystemMetrics(SM_XVIRTUALSCREEN),
                 GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
                 GetSystemMetrics(SM_CYVIRTUALSCREEN), SWP_SHOWWINDOW);
    SetForegroundWindow(window_);
    SetFocus(window_);
  } else {
    ::ShowWindow(window_, preview_parent_ != nullptr ? SW_SHOWNA : SW_SHOW);
  }
}

void TWin32Saver::HandlePendingMessages(ISaverEvents& events) {
  events_ = &events;
  if (paint_pending_) {
    paint_pending_ = false;
    events.Deliver(TSaverEvent{TSaverEventKind::Paint});
  }
  MSG message;
  while (events.Running() && !gone_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      events.Deliver(TSaverEvent{TSaverEventKind::EndRequest});
      break;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // A pane destroyed by a program that gives no notice still ends the preview at once.
  if (!gone_ && preview_parent_ != nullptr && !IsWindow(preview_parent_)) gone_ = true;
  if (gone_ && events.Running()) events.Deliver(TSaverEvent{TSaverEventKind::PaneGone});
  events_ = nullptr;
}

void TWin32Saver::WaitForInput(int32_t milliseconds) {
  MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds),
                              QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void TWin32Saver::Present() {
  // The drawing went straight onto the window; only GDI's batch is left to send.
  GdiFlush();
}

int64_t TWin32Saver::Now() {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  const int64_t ticks = counter.QuadPart;
  const int64_t per_second = frequency_.QuadPart > 0 ? frequency_.QuadPart : 1;
  return ticks / per_second * 1000000000 + ticks % per_second * 1000000000 / per_second;
}

int32_t TWin32Saver::ClientWidth() {
  RECT client{};
  if (window_ == nullptr || !GetClientRect(window_, &client)) return 0;
  return client.right - client.left;
}

int32_t TWin32Saver::ClientHeight() {
  RECT client{};
  if (window_ == nullptr || !GetClientRect(window_, &client)) return 0;
  return client.bottom - client.top;
}

bool TWin32Saver::Deliver(TSaverEventKind kind, uint32_t code) {
  if (events_ == nullptr || !events_->Running()) return false;
  return events_->Deliver(TSaverEvent{kind, code});
}

LRESULT CALLBACK TWin32Saver::SaverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* saver = reinterpret_cast<TWin32Saver*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (saver == nullptr || saver->window_ != window) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return saver->Translate(message, wparam, lparam);
}

LRESULT TWin32Saver::Translate(UINT message, WPARAM wparam, LPARAM lparam) {
  // While a host's dialog or an error box is up, it has the user's input: the saver's own
  // stop conditions wait until it is gone.
  const bool input = modal_ == 0;
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint handler turns the whole window black
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window_, &paint);
      EndPaint(window_, &paint);
      // The whole client area, not only the update region: the bugs return with their next
      // moving steps.
      if (!Deliver(TSaverEventKind::Paint)) paint_pending_ = true;
      return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (input) Deliver(TSaverEventKind::KeyDown);
      return 0;
    case WM_LBUTTONDOWN:
      if (input) Deliver(TSaverEventKind::PrimaryClick);
      return 0;
    case WM_MOUSEMOVE:
      if (pointer_at_ == lparam) return 0;
      pointer_at_ = lparam;
      if (input) Deliver(TSaverEventKind::MouseMove);
      return 0;
    case WM_CLOSE:
      // The close query decides; the window is destroyed by the session, not here.
      if (input) Deliver(TSaverEventKind::CloseRequest);
      return 0;
    case WM_SYSCOMMAND:
      if (Deliver(TSaverEventKind::SysCommand, static_cast<uint32_t>(wparam))) return 0;
      break;
    case WM_DESTROY:
      if (!destroying_) {
        // The host destroyed the pane, and this window with it.
        gone_ = true;
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace zarmok::win32
