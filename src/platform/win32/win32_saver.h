// The saver on Win32: the windows "TDesktopWindow" of the saver's session and their messages
// translated into the session's events. Every rule of the saver lives in the core; this only
// translates between it and the Windows API.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform.h"
#include "session.h"
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
  // Throws EZarmokError(kWindowCreateMessage) when the system refuses the window.
  TWin32SaverWindow(TWin32SaverPlatform& platform, HWND pane);
  ~TWin32SaverWindow() override;
  TWin32SaverWindow(const TWin32SaverWindow&) = delete;
  TWin32SaverWindow& operator=(const TWin32SaverWindow&) = delete;

  int32_t ClientWidth() override;
  int32_t ClientHeight() override;
  IDrawSurface& Canvas() override { return presenter_.Drawing(); }
  TWindowHandle Handle() override { return reinterpret_cast<TWindowHandle>(window_); }
  void Place(const TWindowRect& area) override;
  void Show() override;
  void Present() override { presenter_.Present(dc_); }

 private:
  friend class TWin32SaverPlatform;

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  // Delivers an event of this window; false when no session took it.
  bool Deliver(TSaverEventKind kind, uint32_t code = 0, TPoint at = TPoint{0, 0});

  TWin32SaverPlatform& platform_;
  HWND window_ = nullptr;
  bool in_pane_ = false;
  // The class's own device context, for the window's whole life: no step asks for one.
  HDC dc_ = nullptr;
  TCanvasPresenter presenter_{kBirthClientWidth, kBirthClientHeight};
  // Events that arrived while no session was taking them, delivered at the next chance.
  bool paint_pending_ = false;
  bool gone_pending_ = false;
  // Destroyed by someone else: the handle names no window of ours any more.
  bool gone_ = false;
};

class TWin32SaverPlatform final : public ISaverPlatform {
 public:
  // `application`: the hidden window that owns the full-screen windows and the error boxes.
  TWin32SaverPlatform(HINSTANCE instance, HWND application);
  TWin32SaverPlatform(const TWin32SaverPlatform&) = delete;
  TWin32SaverPlatform& operator=(const TWin32SaverPlatform&) = delete;

  std::vector<TMonitor> Monitors() override;
  std::unique_ptr<IPlatformWindow> CreateSaverWindow(TWindowHandle preview_parent) override;
  void SetScreenSaverRunning(bool running) override;
  void SetPointerVisible(bool visible) override;
  void LendInput(bool lent) override;
  void DropQueuedInput() override;
  std::optional<TPoint> PointerPosition() override;
  void HandlePendingMessages(ISaverEvents& events) override;
  void WaitForInput(int32_t milliseconds) override;
  int64_t Now() override;
  void ShowError(const std::string& title, const std::string& text) override;

 private:
  friend class TWin32SaverWindow;

  // Delivers what its window kept for a session; false when there was nothing.
  bool DeliverKept(ISaverEvents& events);

  HINSTANCE instance_;
  HWND application_;
  std::vector<TWin32SaverWindow*> windows_;
  // The session taking the windows' events while HandlePendingMessages runs.
  ISaverEvents* events_ = nullptr;
  LARGE_INTEGER frequency_{};
  TInputWait wait_;
  // A full-screen window that the system has not yet let take the foreground, and until when
  // the loop asks again.
  HWND foreground_wanted_ = nullptr;
  int64_t foreground_until_ = 0;
  // The last look at the message queue, whether the loop waited since, and whether a wait saw
  // something arrive.
  int64_t last_look_ = 0;
  bool waited_ = true;
  bool queue_may_hold_ = true;
};

}  // namespace zarmok::win32
