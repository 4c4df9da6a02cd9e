// zarmok-wl-seeded SEED STEPS: the real full-screen session on the Wayland back end, each
// output's swarm seeded as the session seeds it (SEED for the first output, SEED + 1 for the
// next, ...), stopped after STEPS idle steps. Once the compositor has shown every output's last
// picture it prints "drawn" and holds the picture until its input ends, so that a screenshot
// can be set against zarmok-render's picture of the same seed and size.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "host.h"
#include "posix/password_posix.h"
#include "posix/user_config.h"
#include "session.h"
#include "wl_connection.h"
#include "wl_desktop.h"

namespace {

using namespace zarmok;

// Counts the steps: the first window's presentations outside the handling of messages (which
// presents repaints, not steps), as the headless renderer counts them.
class TCountedWindow final : public IPlatformWindow {
 public:
  TCountedWindow(std::unique_ptr<IPlatformWindow> window, int64_t* steps)
      : window_(std::move(window)), steps_(steps) {}
  int32_t ClientWidth() override { return window_->ClientWidth(); }
  int32_t ClientHeight() override { return window_->ClientHeight(); }
  IDrawSurface& Canvas() override { return window_->Canvas(); }
  TWindowHandle Handle() override { return window_->Handle(); }
  void Place(const TWindowRect& area) override { window_->Place(area); }
  void Show() override { window_->Show(); }
  void Present() override {
    window_->Present();
    if (steps_ != nullptr) ++*steps_;
  }

 private:
  std::unique_ptr<IPlatformWindow> window_;
  int64_t* steps_;
};

class TStoppingPlatform final : public ISaverPlatform {
 public:
  TStoppingPlatform(wl::TWaylandSaverPlatform& platform, int64_t stop)
      : platform_(platform), stop_(stop) {}

  std::vector<TMonitor> Monitors() override { return platform_.Monitors(); }
  std::unique_ptr<IPlatformWindow> CreateSaverWindow(TWindowHandle parent) override {
    auto window = std::make_unique<TCountedWindow>(platform_.CreateSaverWindow(parent),
                                                   first_ == nullptr ? &steps_ : nullptr);
    if (first_ == nullptr) first_ = window.get();
    return window;
  }
  void SetScreenSaverRunning(bool running) override { platform_.SetScreenSaverRunning(running); }
  void SetPointerVisible(bool visible) override { platform_.SetPointerVisible(visible); }
  void LendInput(bool lent) override { platform_.LendInput(lent); }
  void DropQueuedInput() override { platform_.DropQueuedInput(); }
  std::optional<TPoint> PointerPosition() override { return platform_.PointerPosition(); }
  void WaitForInput(int32_t milliseconds) override { platform_.WaitForInput(milliseconds); }
  void RaiseRequestErrors(bool settle) override { platform_.RaiseRequestErrors(settle); }
  int64_t Now() override { return platform_.Now(); }
  void ShowError(const std::string& title, const std::string& text) override {
    platform_.ShowError(title, text);
  }
  void HandlePendingMessages(ISaverEvents& events) override {
    const int64_t before = steps_;
    platform_.HandlePendingMessages(events);
    steps_ = before;
    if (steps_ < stop_ || !events.Running()) return;
    const bool shown = platform_.Settle(10000);
    std::cout << (shown ? "drawn" : "not shown") << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    events.Deliver(TSaverEvent{TSaverEventKind::EndRequest});
  }

 private:
  wl::TWaylandSaverPlatform& platform_;
  int64_t stop_;
  int64_t steps_ = 0;
  TCountedWindow* first_ = nullptr;
};

// The desktop's services, with the stopping platform in place of its own.
class TStoppingHost final : public IStartUpHost {
 public:
  TStoppingHost(wl::TWaylandDesktop& desktop, ISaverPlatform& platform)
      : desktop_(desktop), platform_(platform) {}
  bool FindTopLevelSaver() override { return false; }
  void HideApplicationWindow() override {}
  TWindowHandle ApplicationWindow() override { return 0; }
  void ShowWindow(TWindowHandle) override {}
  void GetWindowRect(TWindowHandle, TWindowRect&) override {}
  bool WindowExists(TWindowHandle) override { return false; }
  int RunSettingsDialog(const std::string&, TWindowHandle) override { return 1; }
  IPasswordHost& Passwords() override { return desktop_.Passwords(); }
  IPrivateProfile& Profile() override { return desktop_.Profile(); }
  std::string ProgramPath() override { return desktop_.ProgramPath(); }
  std::string SettingsFile() override { return desktop_.SettingsFile(); }
  ISaverPlatform& SaverPlatform() override { return platform_; }
  void ReportUnhandledError(const std::string&, const std::string&) override {}

 private:
  wl::TWaylandDesktop& desktop_;
  ISaverPlatform& platform_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s SEED STEPS\n", argv[0]);
    return 2;
  }
  const auto seed = static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10));
  const int64_t steps = std::strtoll(argv[2], nullptr, 10);
  wl::TWaylandConnection connection;
  TUserSettingsProfile profile;
  TPosixPasswords passwords;
  wl::TWaylandDesktop desktop(connection, {profile, passwords, [](auto&, auto&) {}, false});
  if (!connection.Open()) {
    std::fprintf(stderr, "no Wayland compositor\n");
    return 1;
  }
  TStoppingPlatform platform(desktop.Platform(), steps);
  TStoppingHost host(desktop, platform);
  try {
    TSaverSession session(host, {"/s"}, seed);
    session.Create(0);
    session.Run();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
