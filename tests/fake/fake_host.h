// A scripted host for the saver window, start-up and the password services: it records the
// pointer's display count, the screen-saver-running flag, every library load, entry call and
// unload, and the order of start-up's calls, and it plays password flags, library verdicts and
// window-creation failures.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DeskTop.h"
#include "fake/memory_profile.h"
#include "platform.h"
#include "raster.h"

namespace zarmok::testing {

class TFakeSaverHost final : public IFormWindow, public ISaverHost {
 public:
  TFakeSaverHost() : canvas_(427, 273) {}

  int32_t ClientWidth() override { return canvas_.Width(); }
  int32_t ClientHeight() override { return canvas_.Height(); }
  void RequestMaximized() override { maximize_requested = true; }
  IDrawSurface& Canvas() override { return canvas_; }
  uintptr_t Handle() override { return handle; }

  void SetScreenSaverRunning(bool running) override {
    this->running = running;
    ++flag_writes;
  }
  void ShowCursor(bool show) override { cursor_count += show ? 1 : -1; }
  void SetIdleHandler(std::function<void(bool& done)> handler) override {
    idle_ = std::move(handler);
  }

  // One idle call of the loop; the done flag the handler left.
  bool RunIdle();
  bool HasIdleHandler() const { return static_cast<bool>(idle_); }
  TRasterCanvas& Raster() { return canvas_; }

  uintptr_t handle = 0x5A5A;
  bool running = false;
  int flag_writes = 0;
  int32_t cursor_count = 0;
  bool maximize_requested = false;

 private:
  TRasterCanvas canvas_;
  std::function<void(bool&)> idle_;
};

class TFakePasswords final : public IPasswordHost {
 public:
  struct TLibrary {
    bool has_entry = true;
  };
  struct TCall {
    std::string entry;
    uintptr_t window = 0;
    std::string which;
    uint32_t reserved1 = 0;
    uint32_t reserved2 = 0;
    int32_t cursor_count_at_call = 0;
  };

  explicit TFakePasswords(TFakeSaverHost* host = nullptr) : host_(host) {}

  // The host's libraries, by full path.
  void Install(const std::string& path, bool has_entry = true) { libraries[path] = {has_entry}; }

  TPasswordFlag ReadPasswordFlag() override {
    ++flag_reads;
    return flag;
  }
  std::string SystemDirectory() override { return directory; }
  char PathSeparator() const override { return separator; }
  void* LoadHostLibrary(const std::string& path) override;
  void* FindHostEntry(void* library, const char* name) override;
  void FreeHostLibrary(void* library) override;
  uint32_t CallVerifyScreenSavePwd(void* entry, uintptr_t window) override;
  void CallPwdChangePasswordA(void* entry, const char* which, uintptr_t owner, uint32_t reserved1,
                              uint32_t reserved2) override;

  int LoadedNow() const { return loaded_now_; }

  TPasswordFlag flag{TPasswordFlagState::KeyMissing, 0};
  std::string directory = "/host/lib";
  char separator = '/';
  std::map<std::string, TLibrary> libraries;
  // Verdicts of the verification entry, one per call; the last one repeats.
  std::deque<uint32_t> verdicts{1};
  int flag_reads = 0;
  std::vector<std::string> load_attempts;
  int frees = 0;
  std::vector<TCall> calls;

 private:
  TFakeSaverHost* host_;
  int loaded_now_ = 0;
  std::vector<std::unique_ptr<std::string>> handles_;
};

// A saver window on the fake host, its settings in an in-memory profile.
struct TFakeSaver {
  static constexpr const char* kIni = "/saver/zarmok.ini";

  explicit TFakeSaver(std::vector<std::string> arguments,
                      const std::map<std::string, std::string>& settings = {},
                      uint32_t preview_parent = 0);
  // Runs `steps` idle calls.
  void Idle(int steps);

  TFakeSaverHost host;
  TFakePasswords passwords{&host};
  TMemoryProfile profile;
  std::unique_ptr<TDesktopWindow> window;
};

// Start-up's view of the application and desktop, recording each call in order.
class TFakeStartUp final : public IStartUpHost {
 public:
  bool FindTopLevelSaver() override;
  void InitializeApplication() override { log.push_back("init"); }
  void HideApplicationWindow() override { log.push_back("hide-app"); }
  uintptr_t ApplicationWindow() override { return 0xA11; }
  void ShowWindow(uint32_t handle) override { log.push_back("show " + std::to_string(handle)); }
  void GetWindowRect(uint32_t handle, TWindowRect& rect) override;
  int RunSettingsDialog() override {
    log.push_back("settings");
    return settings_exit_code;
  }
  IPasswordHost& Passwords() override { return passwords; }
  TDesktopWindow& CreateSaverWindow(uint32_t preview_parent) override;
  void PlaceSaverWindow(int32_t left, int32_t top, int32_t width, int32_t height) override;
  void RunMessageLoop() override;
  void DestroySaverWindow() override;
  void ReportUnhandledError(const std::string& title, const std::string& message) override;

  // Answers of the running-saver test, in order; false when they run out.
  std::deque<bool> running_saver;
  // The rectangle of the preview pane, when the handle names one.
  std::optional<TWindowRect> pane;
  bool creation_fails = false;
  int settings_exit_code = 0;
  // Runs inside the loop, with the saver window.
  std::function<void(TDesktopWindow&)> in_loop;
  std::map<std::string, std::string> settings;

  std::vector<std::string> log;
  std::vector<std::string> reports;
  TFakeSaverHost host;
  TFakePasswords passwords{&host};
  TMemoryProfile profile;
  std::unique_ptr<TDesktopWindow> window;
  // What the window's flags were when the loop started.
  std::optional<TSaverSettings> flags_in_loop;
  std::vector<std::string> arguments;
};

}  // namespace zarmok::testing
