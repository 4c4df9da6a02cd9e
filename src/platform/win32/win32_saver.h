// The saver on Win32: the hidden application window, the saver window "TDesktopWindow" of the
// saver's session with its messages translated into the session's events, the message boxes,
// and the services start-up asks of the desktop. Every rule of the saver lives in the core;
// this only translates between it and the Windows API.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform.h"
#include "session.h"
#include "win32/gdi_surface.h"

namespace zarmok::win32 {

// The class of the hidden application window that owns every other window of the program.
inline constexpr const wchar_t* kApplicationClassName = L"TApplication";

class TWin32Saver final : public IStartUpHost, public ISaverPlatform, public IFormWindow {
 public:
  // The settings dialog on the settings file, modal to `owner` (0: none), until it closes.
  using TSettingsDialog = std::function<int(const std::string& ini_path, TWindowHandle owner)>;

  TWin32Saver(HINSTANCE instance, TSettingsDialog settings_dialog);
  ~TWin32Saver() override;
  TWin32Saver(const TWin32Saver&) = delete;
  TWin32Saver& operator=(const TWin32Saver&) = delete;

  // IStartUpHost
  bool FindTopLevelSaver() override;
  void InitializeApplication() override {}
  // Explorer's "Configure" starts a saver with no argument at all.
  bool NoArgumentOpensSettings() const override { return true; }
  void HideApplicationWindow() override;
  TWindowHandle ApplicationWindow() override;
  void ShowWindow(TWindowHandle handle) override;
  void GetWindowRect(TWindowHandle handle, TWindowRect& rect) override;
  int RunSettingsDialog(const std::string& ini_path, TWindowHandle owner) override;
  IPasswordHost& Passwords() override { return SystemPasswords(); }
  IPrivateProfile& Profile() override { return SystemProfile(); }
  std::string ProgramPath() override { return ProgramFilePath(); }
  ISaverPlatform& SaverPlatform() override { return *this; }
  void ReportUnhandledError(const std::string& title, const std::string& message) override;
  void WriteDiagnostic(const std::string& line) override;

  // ISaverPlatform
  IFormWindow& CreateSaverWindow(TWindowHandle preview_parent) override;
  void PlaceSaverWindow(int32_t left, int32_t top, int32_t width, int32_t height) override;
  void DestroySaverWindow() override;
  void SetScreenSaverRunning(bool running) override;
  void ShowCursor(bool show) override;
  void HostDialogBegins() override { ++modal_; }
  void HostDialogEnds() override { --modal_; }
  void ShowSaverWindow() override;
  void HandlePendingMessages(ISaverEvents& events) override;
  void WaitForInput(int32_t milliseconds) override;
  void Present() override;
  int64_t Now() override;
  void ShowError(const std::string& title, const std::string& text) override;

  // IFormWindow
  int32_t ClientWidth() override;
  int32_t ClientHeight() override;
  void RequestMaximized() override { maximize_requested_ = true; }
  IDrawSurface& Canvas() override { return *surface_; }
  TWindowHandle Handle() override { return reinterpret_cast<TWindowHandle>(window_); }

 private:
  static LRESULT CALLBACK SaverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Translate(UINT message, WPARAM wparam, LPARAM lparam);
  // Delivers an event of the window to the session; false when there is no session to take it.
  bool Deliver(TSaverEventKind kind, uint32_t code = 0);
  void RegisterClasses();
  int MessageBox(HWND owner, const std::string& title, const std::string& text);

  HINSTANCE instance_;
  TSettingsDialog settings_dialog_;
  HWND application_ = nullptr;
  HWND window_ = nullptr;
  HWND preview_parent_ = nullptr;
  HDC dc_ = nullptr;
  std::optional<TGdiSurface> surface_;
  bool maximize_requested_ = false;
  bool destroying_ = false;
  // The window went away without the session asking (the host destroyed the pane).
  bool gone_ = false;
  bool paint_pending_ = false;
  // A dialog of the host's or an error box is up: it has the user's input.
  int modal_ = 0;
  // The session taking the window's events while HandlePendingMessages runs.
  ISaverEvents* events_ = nullptr;
  // Windows sends WM_MOUSEMOVE also when the pointer did not move (a window appearing under
  // it, the pointer shown or hidden): only a change of position is a movement.
  std::optional<LPARAM> pointer_at_;
  LARGE_INTEGER frequency_{};
};

}  // namespace zarmok::win32
