// The saver on Win32: the windows "TDesktopWindow" of the saver's session, which show the
// session's pictures and hand it what the system tells them, and the answers to what the
// session asks of the desktop. Every rule of the saver lives in the core.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform.h"
#include "win32_present.h"
#include "win32_wait.h"

namespace zarmok::win32 {

// A modal box with an error icon and one OK button, owned by `owner`, brought to the foreground;
// `topmost` sets it above every window that is not top-most.
void ShowErrorBox(HWND owner, const std::string& title, const std::string& text,
                  bool topmost = false);

class TWin32SaverPlatform;

class TWin32SaverWindow final : public IPlatformWindow {
 public:
  // A pop-up owned by the application window, or a child of `pane` when that is not null, over
  // `birth`. Throws EZarmokError(TTextId::WindowCreateFailed) when the system refuses the window.
  TWin32SaverWindow(TWin32SaverPlatform& platform, HWND pane, const TWindowRect& birth);
  ~TWin32SaverWindow() override;
  TWin32SaverWindow(const TWin32SaverWindow&) = delete;
  TWin32SaverWindow& operator=(const TWin32SaverWindow&) = delete;

  TWindowHandle Handle() override { return reinterpret_cast<TWindowHandle>(window_); }
  void Place(const TWindowRect& area) override;
  void Show() override;
  void Blit(const TRasterCanvas& picture, const TDirtyRect* rects, int count) override {
    presenter_.Blit(dc_, picture, rects, count);
  }

 private:
  friend class TWin32SaverPlatform;

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Receive(UINT message, WPARAM wparam, LPARAM lparam);

  TWin32SaverPlatform& platform_;
  HWND window_ = nullptr;
  bool in_pane_ = false;
  // The class's own device context, for the window's whole life: no step asks for one.
  HDC dc_ = nullptr;
  TWin32Presenter presenter_;
  // Destroyed by someone else: the handle names no window of ours any more.
  bool gone_ = false;
};

class TWin32SaverPlatform final : public ISaverPlatform {
 public:
  // `application`: the hidden window that owns the full-screen windows and the error boxes of a
  // preview.
  TWin32SaverPlatform(HINSTANCE instance, HWND application);
  TWin32SaverPlatform(const TWin32SaverPlatform&) = delete;
  TWin32SaverPlatform& operator=(const TWin32SaverPlatform&) = delete;

  void Listen(ISaverEvents* events) override { events_ = events; }
  std::vector<TMonitor> Monitors() override;
  std::unique_ptr<IPlatformWindow> CreateSaverWindow(TWindowHandle preview_parent,
                                                     const TWindowRect& birth) override;
  void SetScreenSaverRunning(bool running) override;
  void SetPointerVisible(bool visible) override;
  bool TakeKeyboard(IPlatformWindow& window) override;
  void LendInput(bool lent) override;
  void DropQueuedInput() override;
  std::optional<TPoint> PointerPosition() override;
  void HandlePendingMessages() override;
  bool WaitForInput(int32_t milliseconds) override;
  int64_t Now() override;
  void ShowError(const std::string& title, const std::string& text,
                 IPlatformWindow* owner) override;

 private:
  friend class TWin32SaverWindow;

  // Hands the session what a window was told; the session's answer, false when nobody listens.
  bool Deliver(const TSaverEvent& event);

  HINSTANCE instance_;
  HWND application_;
  ISaverEvents* events_ = nullptr;
  LARGE_INTEGER frequency_{};
  TInputWait wait_;
  // Whether the loop waits now, and whether a window was told something while it waited.
  bool waiting_ = false;
  bool told_while_waiting_ = false;
};

}  // namespace zarmok::win32
