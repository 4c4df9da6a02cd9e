#include "session.h"

#include <algorithm>
#include <cstdio>

#include "errors.h"
#include "host.h"
#include "pacing.h"
#include "settings.h"

namespace zarmok {

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

// One window of the run: the platform's window, the saver window made in it, and the host the
// saver window sees, which is the run's own for the oldest window and keeps to the window for
// the others.
class TSaverSession::TSlot final : public IFormWindow, public ISaverHost {
 public:
  TSlot(TSaverSession& session, std::unique_ptr<IPlatformWindow> platform, const TMonitor& monitor)
      : platform_(std::move(platform)), monitor_(monitor), session_(session) {}

  int32_t ClientWidth() override { return platform_->ClientWidth(); }
  int32_t ClientHeight() override { return platform_->ClientHeight(); }
  void RequestMaximized() override { maximized_ = true; }
  IDrawSurface& Canvas() override { return platform_->Canvas(); }
  TWindowHandle Handle() override { return platform_->Handle(); }

  void SetScreenSaverRunning(bool running) override {
    if (Lead() && !session_.wallpaper_) session_.platform_.SetScreenSaverRunning(running);
  }
  void ShowCursor(bool show) override {
    if (Lead() && !session_.wallpaper_) session_.AdjustPointer(show ? 1 : -1);
  }
  void SetIdleHandler(std::function<void(bool& done)> handler) override {
    idle_ = std::move(handler);
  }
  void HostDialogBegins() override { session_.InputLent(true); }
  void HostDialogEnds() override { session_.InputLent(false); }

  bool Lead() const { return !session_.slots_.empty() && session_.slots_.front().get() == this; }

  std::unique_ptr<IPlatformWindow> platform_;
  std::unique_ptr<TDesktopWindow> desktop_;
  TMonitor monitor_;
  bool maximized_ = false;
  std::function<void(bool&)> idle_;

 private:
  TSaverSession& session_;
};

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

void TSaverSession::Create(TWindowHandle preview_parent) {
  preview_parent_ = preview_parent;
  ini_path_ = SaverSettingsFile(host_);
  if (preview_parent != 0) {
    AddWindow(TMonitor{});
  } else {
    for (const TMonitor& monitor : platform_.Monitors()) AddWindow(monitor);
  }
  steps_per_second_ = LoadStepsPerSecond(host_.Profile(), ini_path_);
  platform_.RaiseRequestErrors(true);
}

void TSaverSession::CreateWallpaper() {
  wallpaper_ = true;
  Create(0);
}

TSaverSession::TSlot& TSaverSession::AddWindow(const TMonitor& monitor) {
  slots_.push_back(std::make_unique<TSlot>(
      *this,
      wallpaper_ ? platform_.CreateWallpaperWindow() : platform_.CreateSaverWindow(preview_parent_),
      monitor));
  TSlot& slot = *slots_.back();
  TDesktopHost context{slot, slot, host_.Profile(), ini_path_, preview_parent_};
  context.Arguments = arguments_;
  context.Passwords = &host_.Passwords();
  context.Seed = SeedOf(windows_made_++);
  // Set before the creation handler runs, so that an error inside it still finds the window to
  // destroy.
  slot.desktop_ = std::make_unique<TDesktopWindow>(context);
  slot.desktop_->FormCreate();
  if (!first_seed_) first_seed_ = slot.desktop_->Random.LastSeed();
  return slot;
}

std::optional<uint32_t> TSaverSession::SeedOf(int32_t number) const {
  if (seed_) return *seed_ + static_cast<uint32_t>(number);
  // Windows made in the same instant could read the same clock: each later window's seed is
  // the first's plus its number, so every monitor gets a swarm of its own.
  if (number > 0 && first_seed_) return *first_seed_ + static_cast<uint32_t>(number);
  return std::nullopt;
}

void TSaverSession::RemoveWindow(size_t index) {
  std::unique_ptr<TSlot> gone = std::move(slots_[index]);
  slots_.erase(slots_.begin() + static_cast<std::ptrdiff_t>(index));
  // The run's grace goes on in the window that takes the role on.
  if (index == 0 && !slots_.empty()) Lead().IdleCount = gone->desktop_->IdleCount;
  // No longer the run's first window: its destruction leaves the run's flag and pointer alone.
  if (gone->desktop_ != nullptr) gone->desktop_->FormDestroy();
}

void TSaverSession::Place(int32_t left, int32_t top, int32_t width, int32_t height) {
  if (slots_.empty()) return;
  const int64_t right = static_cast<int64_t>(left) + width;
  const int64_t bottom = static_cast<int64_t>(top) + height;
  slots_.front()->platform_->Place(
      TWindowRect{left, top, static_cast<int32_t>(std::clamp<int64_t>(right, INT32_MIN, INT32_MAX)),
                  static_cast<int32_t>(std::clamp<int64_t>(bottom, INT32_MIN, INT32_MAX))});
}

void TSaverSession::TurnOffStopConditions() {
  for (const auto& slot : slots_) slot->desktop_->TurnOffStopConditions();
}

void TSaverSession::Destroy() {
  // The first window goes last: its destruction clears the run's flag and shows the pointer.
  while (!slots_.empty()) {
    std::unique_ptr<TSlot>& last = slots_.back();
    if (last->desktop_ != nullptr) {
      std::unique_ptr<TDesktopWindow> window = std::move(last->desktop_);
      window->FormDestroy();
    }
    slots_.pop_back();
  }
}

TDesktopWindow& TSaverSession::Window(size_t index) {
  return *slots_.at(index)->desktop_;
}

TDesktopWindow& TSaverSession::Lead() {
  return *slots_.front()->desktop_;
}

bool TSaverSession::Running() const {
  return !ended_ && !slots_.empty() && slots_.front()->desktop_ != nullptr &&
         !slots_.front()->desktop_->CloseAllowed();
}

void TSaverSession::ShowWindow(TSlot& slot) {
  // A window that asked to be maximised covers its monitor; a preview keeps the place in its
  // pane that start-up gave it.
  if (preview_parent_ == 0 && slot.maximized_) slot.platform_->Place(slot.monitor_.Area);
  slot.platform_->Show();
}

void TSaverSession::FollowMonitors() {
  if (preview_parent_ != 0) return;
  const std::vector<TMonitor> monitors = platform_.Monitors();
  // A moment without monitors (all unplugged at once) keeps the windows until some come back.
  if (monitors.empty()) return;
  // New windows first, so that the run never finds itself without one.
  for (const TMonitor& monitor : monitors) {
    const auto same = [&](const std::unique_ptr<TSlot>& s) { return s->monitor_.Id == monitor.Id; };
    const auto found = std::find_if(slots_.begin(), slots_.end(), same);
    if (found == slots_.end()) {
      ShowWindow(AddWindow(monitor));
    } else if ((*found)->monitor_.Area != monitor.Area) {
      (*found)->monitor_ = monitor;
      if ((*found)->maximized_) (*found)->platform_->Place(monitor.Area);
    }
  }
  for (size_t i = slots_.size(); i-- > 0;) {
    const uint64_t id = slots_[i]->monitor_.Id;
    const auto same = [id](const TMonitor& m) { return m.Id == id; };
    if (std::none_of(monitors.begin(), monitors.end(), same)) RemoveWindow(i);
  }
}

bool TSaverSession::Deliver(const TSaverEvent& event) {
  if (!Running()) return false;
  may_sleep_ = false;
  TSlot* slot = nullptr;
  for (const auto& s : slots_) {
    if (event.Window != nullptr && s->platform_.get() == event.Window) slot = s.get();
  }
  switch (event.Kind) {
    case TSaverEventKind::WindowGone:
    case TSaverEventKind::EndRequest:
      // A window is gone or the host ends the program: no close query, just the tear-down.
      ended_ = true;
      ended_by_host_ = event.Kind == TSaverEventKind::EndRequest;
      return true;
    case TSaverEventKind::MonitorsChanged:
      RunHandler([this] { FollowMonitors(); });
      return true;
    case TSaverEventKind::SysCommand:
      return (slot != nullptr ? *slot->desktop_ : Lead()).SysCommand(event.Code);
    case TSaverEventKind::Paint:
      if (slot == nullptr) return false;
      RunHandler([slot] {
        slot->desktop_->FormPaint();
        // A repaint shows at once, not with the next step.
        slot->platform_->Present();
      });
      return true;
    default:
      break;
  }
  // Input that reaches the saver while a dialog of the host's or an error box is up was meant
  // for that dialog, and so is the foreground that such a dialog takes.
  if (dialogs_open_ > 0) return true;
  if (event.Kind == TSaverEventKind::Deactivated) {
    // A full-screen saver that has lost the keys to another program could never be ended by
    // them: losing the foreground is a close request, a password in force still asked. A
    // preview lives in another program's window and has no foreground of its own, and nor has
    // the desktop's background.
    if (preview_parent_ == 0 && !wallpaper_) RunHandler([this] { Lead().Close(); });
    return true;
  }
  if (event.Kind == TSaverEventKind::MouseMove && !PointerMoved(event.Position)) return true;
  // The run's close query and grace are its first window's, whichever window the input reached.
  TDesktopWindow& lead = Lead();
  void (TDesktopWindow::*handler)() = &TDesktopWindow::FormKeyDown;
  if (event.Kind == TSaverEventKind::PrimaryClick) handler = &TDesktopWindow::FormClick;
  if (event.Kind == TSaverEventKind::MouseMove) handler = &TDesktopWindow::FormMouseMove;
  if (event.Kind == TSaverEventKind::CloseRequest) handler = &TDesktopWindow::Close;
  RunHandler([&lead, handler] { (lead.*handler)(); });
  return true;
}

bool TSaverSession::PointerMoved(TPoint at) {
  // The systems send movements where there was none (a window appearing under the pointer, the
  // pointer hidden or shown): only a new position is a movement, and the first position seen
  // is where the pointer already was.
  const bool moved = pointer_at_.has_value() && !(*pointer_at_ == at);
  pointer_at_ = at;
  return moved;
}

void TSaverSession::AdjustPointer(int32_t change) {
  const bool was_visible = pointer_count_ >= 0;
  pointer_count_ += change;
  if ((pointer_count_ >= 0) != was_visible) platform_.SetPointerVisible(pointer_count_ >= 0);
}

void TSaverSession::InputLent(bool lent) {
  if (lent) {
    if (dialogs_open_++ == 0) platform_.LendInput(true);
    return;
  }
  if (--dialogs_open_ > 0) return;
  platform_.LendInput(false);
  // What the user did while the dialog was up was meant for it, and the pointer is wherever the
  // dialog left it.
  platform_.DropQueuedInput();
  pointer_at_ = platform_.PointerPosition();
}

void TSaverSession::ShowError(const std::string& title, const std::string& text) {
  // The user answers the box with the pointer and the keys, as a dialog of the host's.
  AdjustPointer(1);
  InputLent(true);
  try {
    platform_.ShowError(title, text);
  } catch (...) {
    InputLent(false);
    AdjustPointer(-1);
    throw;
  }
  InputLent(false);
  AdjustPointer(-1);
}

bool TSaverSession::PaneGone() {
  return preview_parent_ != 0 && !host_.WindowExists(preview_parent_);
}

void TSaverSession::RaiseRequestErrors(bool settle) {
  try {
    platform_.RaiseRequestErrors(settle);
  } catch (const EZarmokError&) {
    // Drawing into a pane that the host has just destroyed fails before the news of the
    // destruction arrives: that is the end of the preview, not an error.
    if (!PaneGone()) throw;
    ended_ = true;
  }
}

void TSaverSession::RunHandler(const std::function<void()>& handler) {
  RunEventHandler(
      [&] {
        handler();
        // The host's errors for the handler's own requests are the handler's.
        RaiseRequestErrors(true);
      },
      *this);
}

bool TSaverSession::HasIdleHandler() const {
  return std::any_of(slots_.begin(), slots_.end(),
                     [](const std::unique_ptr<TSlot>& s) { return static_cast<bool>(s->idle_); });
}

void TSaverSession::Step(int64_t now) {
  bool done = true;
  for (const auto& slot : slots_) {
    if (!slot->idle_) continue;
    bool window_done = true;
    slot->idle_(window_done);
    done = done && window_done;
  }
  const int64_t stepped = platform_.Now();
  for (const auto& slot : slots_) slot->platform_->Present();
  RaiseRequestErrors(false);
  ++stats_.steps;
  stats_.step_ns += stepped - now;
  stats_.present_ns += platform_.Now() - stepped;
  may_sleep_ = done;
}

void TSaverSession::Run() {
  if (slots_.empty()) return;
  for (const auto& slot : slots_) ShowWindow(*slot);
  pointer_at_ = platform_.PointerPosition();
  const int64_t started = platform_.Now();
  TStepPacer pacer(steps_per_second_, started);
  int64_t pane_checked = started;
  may_sleep_ = false;
  while (Running()) {
    platform_.HandlePendingMessages(*this);
    if (!Running()) break;
    const int64_t now = platform_.Now();
    if (preview_parent_ != 0 && now - pane_checked >= kPaneCheckNs) {
      pane_checked = now;
      if (PaneGone()) break;
    }
    const bool idle = HasIdleHandler();
    if (!may_sleep_ && idle && pacer.StepDue(now)) {
      Step(now);
      pacer.StepTaken(platform_.Now());
      continue;
    }
    const int32_t wait = may_sleep_ || !idle ? kLongestWaitMs : pacer.WaitMilliseconds(now);
    if (wait > 0) {
      platform_.WaitForInput(wait);
      may_sleep_ = false;
    }
  }
  stats_.loop_ns = platform_.Now() - started;
  if (host_.LoopStatsWanted()) host_.WriteDiagnostic(FormatLoopStats(stats_));
}

}  // namespace zarmok
