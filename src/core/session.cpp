#include "session.h"

#include <cstdio>
#include <cstdlib>

#include "errors.h"
#include "host.h"
#include "pacing.h"
#include "settings.h"

namespace zarmok {

bool LoopStatsWanted() {
  const char* wanted = std::getenv("ZARMOK_STATS");
  return wanted != nullptr && wanted[0] != '\0' && wanted[0] != '0';
}

std::string FormatLoopStats(const TLoopStats& stats) {
  const double seconds = static_cast<double>(stats.loop_ns) / 1e9;
  const double steps = static_cast<double>(stats.steps);
  char line[256];
  std::snprintf(line, sizeof line,
                "zarmok stats: %lld steps in %.3f s = %.1f steps/s; per step %.1f us stepping, "
                "%.1f us presenting",
                static_cast<long long>(stats.steps), seconds, seconds > 0 ? steps / seconds : 0.0,
                steps > 0 ? static_cast<double>(stats.step_ns) / steps / 1e3 : 0.0,
                steps > 0 ? static_cast<double>(stats.present_ns) / steps / 1e3 : 0.0);
  return line;
}

TSaverSession::TSaverSession(IStartUpHost& host, std::vector<std::string> arguments,
                             std::optional<uint32_t> seed)
    : host_(host), platform_(host.SaverPlatform()), arguments_(std::move(arguments)), seed_(seed) {}

TSaverSession::~TSaverSession() {
  try {
    Destroy();
  } catch (...) {
    // Tear-down runs on the way out of an error too; a second error must not end the program
    // before the first is reported.
  }
}

TDesktopWindow& TSaverSession::Create(TWindowHandle preview_parent) {
  IFormWindow& form = platform_.CreateSaverWindow(preview_parent);
  platform_window_ = true;
  const std::string ini_path = SaverSettingsFile(host_);
  TDesktopHost context{form, *this, host_.Profile(), ini_path, preview_parent};
  context.Arguments = arguments_;
  context.Passwords = &host_.Passwords();
  context.Seed = seed_;
  window_ = std::make_unique<TDesktopWindow>(context);
  window_->FormCreate();
  steps_per_second_ = LoadStepsPerSecond(host_.Profile(), ini_path);
  platform_.RaiseRequestErrors(true);
  return *window_;
}

void TSaverSession::Destroy() {
  if (window_ != nullptr) {
    std::unique_ptr<TDesktopWindow> window = std::move(window_);
    window->FormDestroy();
  }
  idle_ = nullptr;
  if (platform_window_) {
    platform_window_ = false;
    platform_.DestroySaverWindow();
  }
}

bool TSaverSession::Running() const {
  return !ended_ && window_ != nullptr && !window_->CloseAllowed();
}

bool TSaverSession::Deliver(const TSaverEvent& event) {
  if (window_ == nullptr) return false;
  may_sleep_ = false;
  TDesktopWindow& window = *window_;
  void (TDesktopWindow::*handler)() = nullptr;
  switch (event.Kind) {
    case TSaverEventKind::PaneGone:
    case TSaverEventKind::EndRequest:
      // The window is gone or the host ends the program: no close query, just the tear-down.
      ended_ = true;
      return true;
    case TSaverEventKind::SysCommand:
      return window.SysCommand(event.Code);
    case TSaverEventKind::KeyDown:
      handler = &TDesktopWindow::FormKeyDown;
      break;
    case TSaverEventKind::PrimaryClick:
      handler = &TDesktopWindow::FormClick;
      break;
    case TSaverEventKind::MouseMove:
      handler = &TDesktopWindow::FormMouseMove;
      break;
    case TSaverEventKind::CloseRequest:
      handler = &TDesktopWindow::Close;
      break;
    case TSaverEventKind::Paint:
      handler = &TDesktopWindow::FormPaint;
      break;
  }
  RunEventHandler(
      [&] {
        (window.*handler)();
        // A repaint shows at once, not with the next step.
        if (event.Kind == TSaverEventKind::Paint) platform_.Present();
        // The host's errors for the handler's own requests are the handler's.
        platform_.RaiseRequestErrors(true);
      },
      platform_);
  return true;
}

void TSaverSession::Step(int64_t now) {
  bool done = true;
  idle_(done);
  const int64_t stepped = platform_.Now();
  platform_.Present();
  platform_.RaiseRequestErrors(false);
  ++stats_.steps;
  stats_.step_ns += stepped - now;
  stats_.present_ns += platform_.Now() - stepped;
  may_sleep_ = done;
}

void TSaverSession::Run() {
  if (window_ == nullptr) return;
  platform_.ShowSaverWindow();
  const int64_t started = platform_.Now();
  TStepPacer pacer(steps_per_second_, started);
  may_sleep_ = false;
  while (Running()) {
    platform_.HandlePendingMessages(*this);
    if (!Running()) break;
    const int64_t now = platform_.Now();
    if (!may_sleep_ && idle_ && pacer.StepDue(now)) {
      Step(now);
      pacer.StepTaken(platform_.Now());
      continue;
    }
    const int32_t wait = may_sleep_ || !idle_ ? kLongestWaitMs : pacer.WaitMilliseconds(now);
    if (wait > 0) {
      platform_.WaitForInput(wait);
      may_sleep_ = false;
    }
  }
  stats_.loop_ns = platform_.Now() - started;
  if (LoopStatsWanted()) host_.WriteDiagnostic(FormatLoopStats(stats_));
}

void TSaverSession::SetScreenSaverRunning(bool running) {
  platform_.SetScreenSaverRunning(running);
}

void TSaverSession::ShowCursor(bool show) {
  platform_.ShowCursor(show);
}

void TSaverSession::SetIdleHandler(std::function<void(bool& done)> handler) {
  idle_ = std::move(handler);
}

void TSaverSession::HostDialogBegins() {
  platform_.HostDialogBegins();
}

void TSaverSession::HostDialogEnds() {
  platform_.HostDialogEnds();
}

}  // namespace zarmok
