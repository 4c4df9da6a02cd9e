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
#include "errors.h"
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
  TWindowHandle Handle() override { return handle; }

  void SetScreenSaverRunning(bool running) override {
    this->running = running;
    ++flag_writes;
  }
  void ShowCursor(bool show) override { cursor_count += show ? 1 : -1; }
  void SetIdleHandler(std::function<void(bool& done)> handler) override {
    idle_ = std::move(handler);
  }
  void HostDialogBegins() override { ++host_dialogs_open; }
  void HostDialogEnds() override { --host_dialogs_open; }

  // One idle call of the loop; the done flag the handler left.
  bool RunIdle();
  bool HasIdleHandler() const { return static_cast<bool>(idle_); }
  TRasterCanvas& Raster() { return canvas_; }

  TWindowHandle handle = 0x5A5A;
  int host_dialogs_open = 0;
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
    TWindowHandle window = 0;
    std::string which;
    uint32_t reserved1 = 0;
    uint32_t reserved2 = 0;
    int32_t cursor_count_at_call = 0;
    int host_dialogs_open_at_call = 0;
  };

  explicit TFakePasswords(TFakeSaverHost* host = nullptr) : host_(host) {}

  // The host's libraries, by full path.
  void Install(const std::string& path, bool has_entry = true) { libraries[path] = {has_entry}; }

  TPasswordFlag ReadPasswordFlag() override {
    ++flag_reads;
    if (flag_error) throw EZarmokError(*flag_error);
    return flag;
  }
  std::string SystemDirectory() override { return directory; }
  char PathSeparator() const override { return separator; }
  void* LoadHostLibrary(const std::string& path) override;
  void* FindHostEntry(void* library, const char* name) override;
  void FreeHostLibrary(void* library) override;
  uint32_t CallVerifyScreenSavePwd(void* entry, TWindowHandle window) override;
  void CallPwdChangePasswordA(void* entry, const char* which, TWindowHandle owner,
                              uint32_t reserved1, uint32_t reserved2) override;

  int LoadedNow() const { return loaded_now_; }

  TPasswordFlag flag{TPasswordFlagState::KeyMissing, 0};
  std::string directory = "/host/lib";
  char separator = '/';
  std::map<std::string, TLibrary> libraries;
  // Verdicts of the verification entry, one per call; the last one repeats.
  std::deque<uint32_t> verdicts{1};
  // Runs inside each verification call, while the host's dialog is up.
  std::function<void()> during_verify;
  // The flag read throws this message, as a broken host service would.
  std::optional<std::string> flag_error;
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

// Start-up's view of the application and desktop, and the platform side of the saver's
// session: it records each call in order, plays scripted events at given times of its own
// clock, and scripted failures of the window's creation, its presentation and its requests.
class TFakeStartUp final : public IStartUpHost, public ISaverPlatform {
 public:
  static constexpr int64_t kMs = 1000000;

  bool FindTopLevelSaver() override;
  void InitializeApplication() override { log.push_back("init"); }
  bool NoArgumentOpensSettings() const override { return no_argument_opens_settings; }
  void HideApplicationWindow() override { log.push_back("hide-app"); }
  TWindowHandle ApplicationWindow() override { return 0xA11; }
  void ShowWindow(TWindowHandle handle) override {
    log.push_back("show " + std::to_string(handle));
  }
  void GetWindowRect(TWindowHandle handle, TWindowRect& rect) override;
  int RunSettingsDialog(const std::string& ini_path, TWindowHandle owner) override;
  IPasswordHost& Passwords() override { return passwords; }
  IPrivateProfile& Profile() override { return profile; }
  std::string ProgramPath() override { return "/p"; }
  // The host's own settings file when one is scripted, else the file beside the program.
  std::string SettingsFile() override {
    return settings_file ? *settings_file : IStartUpHost::SettingsFile();
  }
  ISaverPlatform& SaverPlatform() override { return *this; }
  void ReportUnhandledError(const std::string& title, const std::string& message) override;
  void WriteDiagnostic(const std::string& line) override { diagnostics.push_back(line); }

  IFormWindow& CreateSaverWindow(TWindowHandle preview_parent) override;
  void PlaceSaverWindow(int32_t left, int32_t top, int32_t width, int32_t height) override;
  void DestroySaverWindow() override;
  void SetScreenSaverRunning(bool running) override { host.SetScreenSaverRunning(running); }
  void ShowCursor(bool show) override { host.ShowCursor(show); }
  void HostDialogBegins() override { host.HostDialogBegins(); }
  void HostDialogEnds() override { host.HostDialogEnds(); }
  void ShowSaverWindow() override { log.push_back("loop"); }
  void HandlePendingMessages(ISaverEvents& events) override;
  void WaitForInput(int32_t milliseconds) override;
  void Present() override;
  void RaiseRequestErrors(bool settle) override;
  int64_t Now() override { return now; }
  void ShowError(const std::string& title, const std::string& text) override {
    log.push_back("error box");
    error_boxes.push_back(title + "|" + text);
  }

  // Plays `event` as arriving at `at` nanoseconds of the fake clock.
  void At(int64_t at, TSaverEvent event) { script.emplace(at, event); }
  // Runs `action` when the loop first looks for messages at or after `at`.
  void Do(int64_t at, std::function<void()> action) { actions.emplace(at, std::move(action)); }

  // Answers of the running-saver test, in order; false when they run out.
  std::deque<bool> running_saver;
  // The rectangle of the preview pane, when the handle names one.
  std::optional<TWindowRect> pane;
  bool creation_fails = false;
  bool no_argument_opens_settings = false;
  int settings_exit_code = 0;
  // Runs at the loop's first look for messages, with the saver window.
  std::function<void(TDesktopWindow&)> in_loop;
  std::map<std::string, std::string> settings;
  // A settings file of the host's choosing, in place of the one beside the program.
  std::optional<std::string> settings_file;
  // The loop ends (as at the host's request) once the script is played and the clock has
  // reached this time.
  int64_t end_at = 0;
  // The cost of one presentation on the fake clock.
  int64_t present_cost = 0;
  // Errors the platform raises: from the next presentation, from the next settled check
  // (after a handler's requests) and from the next unsettled one (after an idle step).
  std::optional<std::string> present_error;
  std::optional<std::string> settled_error;
  std::optional<std::string> step_error;

  int64_t now = 0;
  std::multimap<int64_t, TSaverEvent> script;
  std::multimap<int64_t, std::function<void()>> actions;
  std::vector<std::string> log;
  std::vector<std::string> reports;
  std::vector<std::string> error_boxes;
  std::vector<std::string> diagnostics;
  std::vector<int64_t> present_times;
  std::vector<int32_t> waits;
  std::vector<bool> delivered_results;
  TFakeSaverHost host;
  TFakePasswords passwords{&host};
  TMemoryProfile profile;
  // The saver window while the session's loop runs.
  TDesktopWindow* window = nullptr;
  // What the window's settings were when the loop started.
  std::optional<TSaverSettings> flags_in_loop;
  std::string dialog_ini;
  TWindowHandle dialog_owner = 0;
  bool window_exists = false;
};

}  // namespace zarmok::testing
