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

// What a host shows of the saver: the running flag, the pointer and whose the input is.
struct TFakeScreen {
  bool running = false;
  int flag_writes = 0;
  // The pointer's display count as the saver set it; a platform that only knows visible (0)
  // or hidden (-1) keeps those two.
  int32_t cursor_count = 0;
  // Dialogs of the host's holding the input (for a platform: 1 while the input is lent).
  int host_dialogs_open = 0;
  bool maximize_requested = false;
};

// A saver window and its run, for the tests of the window's own handlers.
class TFakeSaverHost final : public TFakeScreen, public IFormWindow, public ISaverHost {
 public:
  // The window at the resource's client size, or at another.
  TFakeSaverHost() : canvas_(427, 273) {}
  TFakeSaverHost(int32_t width, int32_t height) : canvas_(width, height) {}

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

  explicit TFakePasswords(TFakeScreen* screen = nullptr) : screen_(screen) {}

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
  TFakeScreen* screen_;
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

class TFakeStartUp;

// A saver window as the scripted platform makes it: it records what it is given to show.
class TFakeWindow final : public IPlatformWindow {
 public:
  TFakeWindow(TFakeStartUp& owner, TWindowHandle handle);
  ~TFakeWindow() override;
  TWindowHandle Handle() override { return handle; }
  void Place(const TWindowRect& area) override;
  void Show() override;
  void Blit(const TRasterCanvas& picture, const TDirtyRect* rects, int count) override;
  void Raise() override;

  TWindowHandle handle;
  std::optional<TWindowRect> placed;
  bool shown = false;
  std::vector<int64_t> present_times;
  // The picture it was last given, and the size it had then.
  const TRasterCanvas* picture = nullptr;
  int32_t picture_width = 0;

 private:
  TFakeStartUp& owner_;
};

// The desktop's idleness as scripted answers: each watch that begins takes the next one, true
// for a new idle period of the wanted length, false for an end signal.
class TFakeIdleSource final : public IIdleSource {
 public:
  explicit TFakeIdleSource(TFakeStartUp& owner) : owner_(owner) {}
  void Begin(int64_t wanted_ms) override;
  TIdleReading Read() override { return reading_; }
  bool Wait(int64_t) override { return false; }

 private:
  TFakeStartUp& owner_;
  TIdleReading reading_;
};

// Start-up's view of the application and desktop, and the platform side of the saver's
// session: it records each call in order, plays scripted events at given times of its own
// clock, and scripted failures of the window's creation, its presentation and its requests.
class TFakeStartUp final : public IStartUpHost, public ISaverPlatform {
 public:
  static constexpr int64_t kMs = 1000000;

  TFakeStartUp();

  bool FindTopLevelSaver() override;
  TLanguage Language() const override { return language; }
  bool NoArgumentOpensSettings() const override { return no_argument_opens_settings; }
  void HideApplicationWindow() override { log.push_back("hide-app"); }
  TWindowHandle ApplicationWindow() override { return 0xA11; }
  void ShowWindow(TWindowHandle handle) override {
    log.push_back("show " + std::to_string(handle));
  }
  void GetWindowRect(TWindowHandle handle, TWindowRect& rect) override;
  bool WindowExists(TWindowHandle handle) override;
  int RunSettingsDialog(const std::string& ini_path, TWindowHandle owner) override;
  IPasswordHost& Passwords() override { return passwords; }
  IPrivateProfile& Profile() override { return profile; }
  // The host's own settings file when one is scripted, else the file beside the program.
  std::string SettingsFile() override;
  ISaverPlatform& SaverPlatform() override { return *this; }
  void ReportUnhandledError(const std::string& title, const std::string& message) override;
  void WriteDiagnostic(const std::string& line) override { diagnostics.push_back(line); }
  bool LoopStatsWanted() const override { return stats_wanted; }
  bool OffersWallpaper() const override { return offers_wallpaper; }
  IIdleSource* IdleSource() override {
    ++idle_source_asks;
    return offers_idle_watch ? &idle_source : nullptr;
  }

  void Listen(ISaverEvents* listener) override { events = listener; }
  std::vector<TMonitor> Monitors() override { return monitors; }
  std::unique_ptr<IPlatformWindow> CreateSaverWindow(TWindowHandle preview_parent,
                                                     const TWindowRect& birth) override;
  std::unique_ptr<IPlatformWindow> CreateWallpaperWindow(const TWindowRect& birth) override;
  void SetScreenSaverRunning(bool running) override;
  void SetPointerVisible(bool visible) override;
  bool TakeKeyboard(IPlatformWindow& window) override;
  void LendInput(bool lent) override;
  void DropQueuedInput() override;
  std::optional<TPoint> PointerPosition() override { return pointer; }
  void HandlePendingMessages() override;
  bool WaitForInput(int32_t milliseconds) override;
  void RaiseRequestErrors(bool settle) override;
  int64_t Now() override { return now; }
  void ShowError(const std::string& title, const std::string& text,
                 IPlatformWindow* owner) override;

  // Plays `event` as arriving at `at` nanoseconds of the fake clock, at the run's window number
  // `window` (0 the first made).
  void At(int64_t at, TSaverEvent event, size_t window = 0) {
    script.emplace(at, TScripted{event, window});
  }
  // Runs `action` when the loop first looks for messages at or after `at`.
  void Do(int64_t at, std::function<void()> action) { actions.emplace(at, std::move(action)); }
  // The steps the run took: the presentations of its first window.
  size_t Steps() const;

  // Answers of the running-saver test, in order; false when they run out.
  std::deque<bool> running_saver;
  // The rectangle of the preview pane, when the handle names one.
  std::optional<TWindowRect> pane;
  // Windows that exist (by handle) besides the pane and the run's own; and the ones gone.
  std::vector<TWindowHandle> existing;
  std::vector<TWindowHandle> gone;
  std::vector<TMonitor> monitors{TMonitor{1, TWindowRect{0, 0, 640, 480}}};
  std::optional<TPoint> pointer = TPoint{320, 240};
  bool creation_fails = false;
  bool no_argument_opens_settings = false;
  bool stats_wanted = false;
  bool offers_wallpaper = false;
  bool offers_idle_watch = false;
  int idle_source_asks = 0;
  // Answers of the idle waits, in order (false when they run out); each true one starts a
  // saver run at `end_at` past the time of the answer.
  std::deque<bool> idle;
  int64_t end_at_each = 0;
  int settings_exit_code = 0;
  // Timed waits end only at the first tick (a multiple of this) at or after their deadline;
  // 0 for exact waits.
  int64_t timer_tick = 0;
  // Runs at the loop's first look for messages, with the saver window.
  std::function<void(TDesktopWindow&)> in_loop;
  // Runs while an error box is up.
  std::function<void()> during_error_box;
  // The language the run speaks: the product's own texts unless a test asks for another.
  TLanguage language = TLanguage::Japanese;
  // The session, while it listens.
  ISaverEvents* events = nullptr;
  TFakeIdleSource idle_source{*this};
  // Windows report the size they are placed at, as a real platform's do.
  bool report_sizes = false;
  // What the keyboard requests answered, in order (true when they run out); the windows each
  // request named.
  std::deque<bool> keyboard_answers;
  std::vector<TWindowHandle> keyboard_requests;
  // The owners of the error boxes shown (0: the program's).
  std::vector<TWindowHandle> error_box_owners;
  // How many times the loop read the messages.
  int looks = 0;
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

  struct TScripted {
    TSaverEvent event;
    size_t window;
  };
  int64_t now = 0;
  std::multimap<int64_t, TScripted> script;
  std::multimap<int64_t, std::function<void()>> actions;
  std::vector<std::string> log;
  std::vector<std::string> reports;
  std::vector<std::string> error_boxes;
  std::vector<std::string> diagnostics;
  std::vector<int32_t> waits;
  std::vector<bool> delivered_results;
  // The run's windows in the order made, while they exist.
  std::vector<TFakeWindow*> windows;
  TWindowHandle next_handle = 0x100;
  TFakeScreen host;
  TFakePasswords passwords{&host};
  TMemoryProfile profile;
  // The session's first saver window while the loop runs.
  TDesktopWindow* window = nullptr;
  // What the first window's settings were when the loop started.
  std::optional<TSaverSettings> flags_in_loop;
  std::string dialog_ini;
  TWindowHandle dialog_owner = 0;
  // The present times of every window made, in the order made, kept after the window goes.
  std::vector<std::vector<int64_t>> presents_by_window;
  // What the first window presented.
  std::vector<int64_t> present_times;
};

}  // namespace zarmok::testing
