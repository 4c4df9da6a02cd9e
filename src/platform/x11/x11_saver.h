// The saver on X11: the platform window of TDesktopWindow, the host services its creation and
// destruction use, and the message loop that drives it. Every rule of the saver lives in the
// core; this only translates between it and the X server.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DeskTop.h"
#include "pacing.h"
#include "platform.h"
#include "raster.h"
#include "x11_damage.h"

namespace zarmok::x11 {

// The root window property that tells other programs a saver is running: CARDINAL 1 while a
// saver window exists, deleted when it is destroyed.
inline constexpr const char* kRunningProperty = "_ZARMOK_SCREENSAVER_RUNNING";

// What one run of the loop measured (see README, ZARMOK_STATS).
struct TLoopStats {
  int64_t steps = 0;
  int64_t step_ns = 0;     // inside AppIdle
  int64_t present_ns = 0;  // sending dirty rectangles to the server
  int64_t presents = 0;
  int64_t loop_ns = 0;
};

class TX11Saver final : public IStartUpHost, public IFormWindow, public ISaverHost {
 public:
  using TSettingsDialog = std::function<int()>;
  using TErrorReport = std::function<void(const std::string& title, const std::string& message)>;

  TX11Saver(std::vector<std::string> arguments, TSettingsDialog settings_dialog,
            TErrorReport report);
  ~TX11Saver() override;
  TX11Saver(const TX11Saver&) = delete;
  TX11Saver& operator=(const TX11Saver&) = delete;

  // IStartUpHost
  bool FindTopLevelSaver() override;
  void InitializeApplication() override {}
  // X11 has no hidden application window: nothing to hide, and the password-change dialog
  // gets no owner (0).
  void HideApplicationWindow() override {}
  uintptr_t ApplicationWindow() override { return 0; }
  void ShowWindow(uint32_t handle) override;
  void GetWindowRect(uint32_t handle, TWindowRect& rect) override;
  int RunSettingsDialog() override { return settings_dialog_(); }
  IPasswordHost& Passwords() override;
  TDesktopWindow& CreateSaverWindow(uint32_t preview_parent) override;
  void PlaceSaverWindow(int32_t left, int32_t top, int32_t width, int32_t height) override;
  void RunMessageLoop() override;
  void DestroySaverWindow() override;
  void ReportUnhandledError(const std::string& title, const std::string& message) override {
    report_(title, message);
  }

  // IFormWindow
  int32_t ClientWidth() override { return width_; }
  int32_t ClientHeight() override { return height_; }
  void RequestMaximized() override { maximize_requested_ = true; }
  IDrawSurface& Canvas() override { return drawing_; }
  uintptr_t Handle() override { return window_; }

  // ISaverHost
  void SetScreenSaverRunning(bool running) override;
  void ShowCursor(bool show) override;
  void SetIdleHandler(std::function<void(bool& done)> handler) override {
    idle_ = std::move(handler);
  }

  const TLoopStats& Stats() const { return stats_; }

 private:
  void SetClientSize(int32_t width, int32_t height);
  void ApplyCursor();
  void GrabKeyboard(bool grab);
  void Dispatch(const XEvent& event);
  template <typename Handler>
  void RunHandler(Handler handler);
  void CheckPendingError();
  bool WindowExists();
  void Present();
  void PutShared(const TDirtyRect& rect, bool last);
  void PutDirect(const TDirtyRect& rect);
  void PutConverted(const TDirtyRect& rect);
  void MakeImage();
  void FreeImage();
  void WaitForSharedImage();
  bool Running() const;

  std::vector<std::string> arguments_;
  TSettingsDialog settings_dialog_;
  TErrorReport report_;

  Display* display_ = nullptr;
  Window root_ = None;
  Window window_ = None;
  bool window_alive_ = false;
  bool mapped_ = false;
  uint32_t preview_parent_ = 0;
  Visual* visual_ = nullptr;
  int depth_ = 0;
  GC gc_ = nullptr;
  Cursor invisible_ = None;
  Atom wm_delete_ = None;
  Atom running_atom_ = None;
  bool keyboard_grabbed_ = false;
  bool maximize_requested_ = false;
  int cursor_count_ = 0;

  std::unique_ptr<TDesktopWindow> saver_;
  TRasterCanvas canvas_{427, 273};
  TDamage damage_;
  TDamageCanvas drawing_{canvas_, damage_};
  int32_t width_ = 427;
  int32_t height_ = 273;
  int32_t steps_per_second_ = kDefaultStepsPerSecond;
  std::function<void(bool&)> idle_;

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

  TLoopStats stats_;
};

}  // namespace zarmok::x11
