// The saver on X11: the platform window of the saver's session, its messages translated into
// the session's events, and the services start-up asks of the desktop. Every rule of the saver
// lives in the core; this only translates between it and the X server.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <signal.h>

#include <cstdint>
#include <functional>
#include <string>

#include "damage.h"
#include "platform.h"
#include "posix/user_config.h"
#include "raster.h"
#include "session.h"

namespace zarmok::x11 {

// The root window property that tells other programs a saver is running: CARDINAL 1 while a
// saver window exists, deleted when it is destroyed.
inline constexpr const char* kRunningProperty = "_ZARMOK_SCREENSAVER_RUNNING";

class TX11Saver final : public IStartUpHost, public ISaverPlatform, public IFormWindow {
 public:
  using TSettingsDialog = std::function<int(const std::string& ini_path, TWindowHandle owner)>;
  using TErrorReport = std::function<void(const std::string& title, const std::string& message)>;

  TX11Saver(TSettingsDialog settings_dialog, TErrorReport report);
  ~TX11Saver() override;
  TX11Saver(const TX11Saver&) = delete;
  TX11Saver& operator=(const TX11Saver&) = delete;

  // IStartUpHost
  bool FindTopLevelSaver() override;
  void InitializeApplication() override {}
  // X11 has no hidden application window: nothing to hide, and the password-change dialog
  // gets no owner (0).
  void HideApplicationWindow() override {}
  TWindowHandle ApplicationWindow() override { return 0; }
  void ShowWindow(TWindowHandle handle) override;
  void GetWindowRect(TWindowHandle handle, TWindowRect& rect) override;
  int RunSettingsDialog(const std::string& ini_path, TWindowHandle owner) override;
  IPasswordHost& Passwords() override { return SystemPasswords(); }
  IPrivateProfile& Profile() override { return UserSettingsProfile(); }
  std::string ProgramPath() override { return ProgramFilePath(); }
  std::string SettingsFile() override { return UserSettingsFilePath(); }
  ISaverPlatform& SaverPlatform() override { return *this; }
  void ReportUnhandledError(const std::string& title, const std::string& message) override {
    report_(title, message);
  }
  void WriteDiagnostic(const std::string& line) override;

  // ISaverPlatform
  IFormWindow& CreateSaverWindow(TWindowHandle preview_parent) override;
  void PlaceSaverWindow(int32_t left, int32_t top, int32_t width, int32_t height) override;
  void DestroySaverWindow() override;
  void SetScreenSaverRunning(bool running) override;
  void ShowCursor(bool show) override;
  void HostDialogBegins() override;
  void HostDialogEnds() override;
  void ShowSaverWindow() override;
  void HandlePendingMessages(ISaverEvents& events) override;
  void WaitForInput(int32_t milliseconds) override;
  void Present() override;
  void RaiseRequestErrors(bool settle) override;
  int64_t Now() override;
  void ShowError(const std::string& title, const std::string& text) override {
    report_(title, text);
  }

  // IFormWindow
  int32_t ClientWidth() override { return width_; }
  int32_t ClientHeight() override { return height_; }
  void RequestMaximized() override { maximize_requested_ = true; }
  IDrawSurface& Canvas() override { return drawing_; }
  TWindowHandle Handle() override { return window_; }

 private:
  void SetClientSize(int32_t width, int32_t height);
  void MakeInvisibleCursor();
  void ApplyCursor();
  void GrabKeyboard(bool grab);
  bool WantsKeyboard() const;
  void Translate(const XEvent& event, ISaverEvents& events);
  bool WindowExists();
  void CatchEndSignals();
  void ReleaseEndSignals();
  bool EndSignalled();
  void PutShared(const TDirtyRect& rect, bool last);
  void PutDirect(const TDirtyRect& rect);
  void PutConverted(const TDirtyRect& rect);
  void MakeImage();
  void FreeImage();
  void WaitForSharedImage();

  TSettingsDialog settings_dialog_;
  TErrorReport report_;

  Display* display_ = nullptr;
  Window root_ = None;
  Window window_ = None;
  bool window_alive_ = false;
  bool pane_gone_ = false;
  bool mapped_ = false;
  Window preview_parent_ = None;
  Visual* visual_ = nullptr;
  int depth_ = 0;
  GC gc_ = nullptr;
  Cursor invisible_ = None;
  Atom wm_delete_ = None;
  Atom running_atom_ = None;
  bool keyboard_grabbed_ = false;
  bool host_dialog_ = false;
  bool maximize_requested_ = false;
  int cursor_count_ = 0;
  int64_t next_grab_try_ = 0;
  // The request that the last settled check waited for: a handler that sent none needs no
  // round trip to the server.
  unsigned long settled_request_ = 0;

  // The end signals arrive on a descriptor the loop waits on, so no handler runs behind the
  // program's back and nothing is shared with one.
  int signal_fd_ = -1;
  sigset_t saved_mask_{};

  TRasterCanvas canvas_{kBirthClientWidth, kBirthClientHeight};
  TDamage damage_;
  TDamageCanvas drawing_{canvas_, damage_};
  int32_t width_ = kBirthClientWidth;
  int32_t height_ = kBirthClientHeight;

  // The image the canvas is sent through: shared memory when the server offers it, else the
  // canvas's own pixels (same layout), else a converted copy for other visuals.
  enum class TImageKind { Absent, Shared, Direct, Converted };
  TImageKind image_kind_ = TImageKind::Absent;
  XImage* image_ = nullptr;
  // The canvas's pixels as an image, for the small rectangles of a step: copied into the
  // request at once, they need no wait for the server.
  XImage* direct_image_ = nullptr;
  XShmSegmentInfo shm_{};
  int shm_completion_ = -1;
  // The server has not yet finished reading the segment: it must not be written meanwhile.
  bool shm_busy_ = false;
  bool direct_layout_ = false;
};

}  // namespace zarmok::x11
