#include "session.h"

#include <algorithm>
#include <cstdio>

#include "damage.h"
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

std::vector<TMonitor> ArrangeMonitors(const std::vector<TMonitor>& reported) {
  std::vector<TMonitor> arranged;
  const auto listed = [&reported](uint64_t id) {
    return std::any_of(reported.begin(), reported.end(),
                       [id](const TMonitor& m) { return m.Id == id; });
  };
  // The primary monitor's window leads the run: its close query is the one the user meets.
  for (const bool primary : {true, false}) {
    for (const TMonitor& monitor : reported) {
      if (monitor.Primary != primary) continue;
      if (monitor.Mirrors != 0 && monitor.Mirrors != monitor.Id && listed(monitor.Mirrors)) {
        continue;
      }
      const bool repeat = std::any_of(arranged.begin(), arranged.end(),
                                      [&](const TMonitor& m) { return m.Id == monitor.Id; });
      if (!repeat) arranged.push_back(monitor);
    }
  }
  return arranged;
}

namespace {

// What the user did, and the foreground lost: while a dialog of the host's or an error box is
// up, these are the dialog's.
bool IsInput(TSaverEventKind kind) {
  return kind == TSaverEventKind::KeyDown || kind == TSaverEventKind::PrimaryClick ||
         kind == TSaverEventKind::MouseMove || kind == TSaverEventKind::CloseRequest ||
         kind == TSaverEventKind::Deactivated;
}

// Hands every drawing call to the session's picture and then to a second picture.
class TTeeSurface final : public IDrawSurface {
 public:
  TTeeSurface(IDrawSurface& first, IDrawSurface& second) : first_(first), second_(second) {}
  void SetPenColor(TColorValue color) override {
    first_.SetPenColor(color);
    second_.SetPenColor(color);
  }
  void MoveTo(int32_t x, int32_t y) override {
    first_.MoveTo(x, y);
    second_.MoveTo(x, y);
  }
  void LineTo(int32_t x, int32_t y) override {
    first_.LineTo(x, y);
    second_.LineTo(x, y);
  }
  void SetBrushColor(TColorValue color) override {
    first_.SetBrushColor(color);
    second_.SetBrushColor(color);
  }
  void PolyPolygon(const TPoint* points, const int32_t* counts, int32_t polygons) override {
    first_.PolyPolygon(points, counts, polygons);
    second_.PolyPolygon(points, counts, polygons);
  }
  void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override {
    first_.FillRect(left, top, right, bottom);
    second_.FillRect(left, top, right, bottom);
  }

 private:
  IDrawSurface& first_;
  IDrawSurface& second_;
};

}  // namespace

void TEventQueue::Push(const TSaverEvent& event) {
  if (count_ == kCapacity) {
    const bool latest_counts =
        event.Kind == TSaverEventKind::MouseMove || event.Kind == TSaverEventKind::Resized;
    const auto like = [&event](const TSaverEvent& e) {
      return e.Kind == event.Kind && e.Window == event.Window;
    };
    bool found = false;
    for (int i = 0; i < count_ && !found; ++i) found = like(events_[(head_ + i) % kCapacity]);
    // Full: another event like one already kept adds nothing, unless it is a later place or
    // size, which takes the oldest one's room.
    if (found && !latest_counts) return;
    const auto oldest = [first = true, &like, found](const TSaverEvent& e) mutable {
      const bool room = found ? like(e) : e.Kind == TSaverEventKind::MouseMove;
      if (!first || !room) return true;
      first = false;
      return false;
    };
    Filter(oldest);
    if (count_ == kCapacity) return;
  }
  events_[(head_ + count_) % kCapacity] = event;
  ++count_;
}

bool TEventQueue::Pop(TSaverEvent& event) {
  if (count_ == 0) return false;
  event = events_[head_];
  head_ = (head_ + 1) % kCapacity;
  --count_;
  return true;
}

template <typename Keep>
void TEventQueue::Filter(Keep keep) {
  int kept = 0;
  for (int i = 0; i < count_; ++i) {
    const TSaverEvent event = events_[(head_ + i) % kCapacity];
    if (keep(event)) events_[(head_ + kept++) % kCapacity] = event;
  }
  count_ = kept;
}

void TEventQueue::DropInput() {
  Filter([](const TSaverEvent& e) { return !IsInput(e.Kind); });
}

void TEventQueue::Forget(const IPlatformWindow* window) {
  Filter([window](const TSaverEvent& e) { return e.Window != window; });
}

// One window of the run: the platform's window, the saver window made in it, its picture, and
// the host the saver window sees, which is the run's own for the oldest window and keeps to the
// window for the others.
class TSaverSession::TSlot final : public IFormWindow, public ISaverHost {
 public:
  TSlot(TSaverSession& session, const std::optional<TMonitor>& monitor)
      : monitor_(monitor), session_(session) {
    damage_.SetBounds(canvas_.Width(), canvas_.Height());
  }

  void Attach(std::unique_ptr<IPlatformWindow> platform) {
    platform_ = std::move(platform);
    gone_ = false;
    IDrawSurface* second = platform_->AlsoDrawsOn();
    tee_ = second != nullptr ? std::make_unique<TTeeSurface>(drawing_, *second) : nullptr;
  }

  int32_t ClientWidth() override { return canvas_.Width(); }
  int32_t ClientHeight() override { return canvas_.Height(); }
  void RequestMaximized() override { maximized_ = true; }
  IDrawSurface& Canvas() override {
    if (tee_ != nullptr) return *tee_;
    return drawing_;
  }
  TWindowHandle Handle() override { return gone_ ? 0 : platform_->Handle(); }

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

  // The platform's window now holds a picture of another size: a new, black one, owed to it.
  void Resize(int32_t width, int32_t height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == canvas_.Width() && height == canvas_.Height()) return;
    canvas_.Resize(width, height);
    damage_.SetBounds(width, height);
    paint_owed_ = true;
  }

  std::unique_ptr<IPlatformWindow> platform_;
  std::unique_ptr<TDesktopWindow> desktop_;
  // The monitor it covers; none for a preview, and for a window waiting for its first monitor.
  std::optional<TMonitor> monitor_;
  bool maximized_ = false;
  bool shown_ = false;
  // The system took the platform's window away: nothing is shown until it is made again.
  bool gone_ = false;
  bool paint_owed_ = false;
  std::function<void(bool&)> idle_;
  TRasterCanvas canvas_{kBirthClientWidth, kBirthClientHeight};
  TDamage damage_;
  TDamageCanvas drawing_{canvas_, damage_};
  std::unique_ptr<TTeeSurface> tee_;

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
  ini_path_ = host_.SettingsFile();
  platform_.Listen(this);
  listening_ = true;
  if (preview_parent != 0) {
    AddWindow(std::nullopt);
  } else {
    const std::vector<TMonitor> monitors = CurrentMonitors();
    // Every monitor may be gone at the moment the run starts (a lid closed, a monitor asleep
    // that disconnects): the first window waits for the first monitor to come.
    if (monitors.empty()) AddWindow(std::nullopt);
    for (const TMonitor& monitor : monitors) AddWindow(monitor);
  }
  steps_per_second_ = LoadStepsPerSecond(host_.Profile(), ini_path_);
  platform_.RaiseRequestErrors(true);
}

void TSaverSession::CreateWallpaper() {
  wallpaper_ = true;
  Create(0);
}

std::unique_ptr<IPlatformWindow> TSaverSession::MakePlatformWindow() {
  const TWindowRect birth{0, 0, kBirthClientWidth, kBirthClientHeight};
  return wallpaper_ ? platform_.CreateWallpaperWindow(birth)
                    : platform_.CreateSaverWindow(preview_parent_, birth);
}

TSaverSession::TSlot& TSaverSession::AddWindow(const std::optional<TMonitor>& monitor) {
  auto made = std::make_unique<TSlot>(*this, monitor);
  made->Attach(MakePlatformWindow());
  slots_.push_back(std::move(made));
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
  kept_.Forget(gone->platform_.get());
  if (index == 0 && !slots_.empty()) {
    // The run's grace goes on in the window that takes the role on, and so does the keyboard.
    Lead().IdleCount = gone->desktop_->IdleCount;
    keyboard_held_ = false;
    next_keyboard_try_ = 0;
  }
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
  if (listening_) {
    listening_ = false;
    platform_.Listen(nullptr);
  }
}

TDesktopWindow& TSaverSession::Window(size_t index) {
  return *slots_.at(index)->desktop_;
}

const TRasterCanvas& TSaverSession::Picture(size_t index) const {
  return slots_.at(index)->canvas_;
}

TDesktopWindow& TSaverSession::Lead() {
  return *slots_.front()->desktop_;
}

TSaverSession::TSlot* TSaverSession::SlotOf(const IPlatformWindow* window) const {
  if (window == nullptr) return nullptr;
  for (const auto& slot : slots_) {
    if (slot->platform_.get() == window) return slot.get();
  }
  return nullptr;
}

bool TSaverSession::Running() const {
  return !ended_ && !slots_.empty() && slots_.front()->desktop_ != nullptr &&
         !slots_.front()->desktop_->CloseAllowed();
}

void TSaverSession::ShowWindow(TSlot& slot) {
  // A full-screen window waiting for its first monitor stays out of sight until one comes.
  if (preview_parent_ == 0 && !slot.monitor_) return;
  // A window that asked to be maximised covers its monitor; a preview keeps the place in its
  // pane that start-up gave it.
  if (preview_parent_ == 0 && slot.maximized_) slot.platform_->Place(slot.monitor_->Area);
  slot.platform_->Show();
  slot.shown_ = true;
}

void TSaverSession::RemakeWindow(TSlot& slot) {
  // Made before the old one is let go of: a window that cannot be made leaves the slot as it
  // was, its window gone, and the error to the handler's policy.
  std::unique_ptr<IPlatformWindow> made = MakePlatformWindow();
  kept_.Forget(slot.platform_.get());
  slot.Attach(std::move(made));
  slot.shown_ = false;
  ShowWindow(slot);
  // The new window shows the picture afresh, whatever size it reports.
  slot.paint_owed_ = true;
  if (slot.Lead()) keyboard_held_ = false;
}

std::vector<TMonitor> TSaverSession::CurrentMonitors() {
  return ArrangeMonitors(platform_.Monitors());
}

void TSaverSession::FollowMonitors(const std::vector<TMonitor>& monitors) {
  if (preview_parent_ != 0) return;
  // A moment without monitors (all unplugged at once) keeps the windows until some come back.
  if (monitors.empty()) return;
  // New windows first, so that the run never finds itself without one.
  for (const TMonitor& monitor : monitors) {
    const auto same = [&](const std::unique_ptr<TSlot>& s) {
      return s->monitor_ && s->monitor_->Id == monitor.Id;
    };
    const auto found = std::find_if(slots_.begin(), slots_.end(), same);
    if (found != slots_.end()) {
      TSlot& slot = **found;
      const bool moved = slot.monitor_->Area != monitor.Area;
      slot.monitor_ = monitor;
      if (slot.gone_) {
        // Its window went with the monitor, which is back under the same name.
        RemakeWindow(slot);
      } else if (moved && slot.maximized_) {
        slot.platform_->Place(monitor.Area);
      }
      continue;
    }
    const auto waiting = std::find_if(slots_.begin(), slots_.end(),
                                      [](const std::unique_ptr<TSlot>& s) { return !s->monitor_; });
    if (waiting != slots_.end()) {
      (*waiting)->monitor_ = monitor;
      ShowWindow(**waiting);
    } else {
      ShowWindow(AddWindow(monitor));
    }
  }
  for (size_t i = slots_.size(); i-- > 0;) {
    const uint64_t id = slots_[i]->monitor_ ? slots_[i]->monitor_->Id : 0;
    const auto same = [id](const TMonitor& m) { return m.Id == id; };
    if (std::none_of(monitors.begin(), monitors.end(), same)) RemoveWindow(i);
  }
}

bool TSaverSession::Deliver(const TSaverEvent& event) {
  if (!Running()) return false;
  if (event.Kind == TSaverEventKind::SysCommand) {
    // The system waits for its answer; the handler only answers.
    TSlot* slot = SlotOf(event.Window);
    return (slot != nullptr ? *slot->desktop_ : Lead()).SysCommand(event.Code);
  }
  // Input that reaches the saver while a dialog of the host's or an error box is up was meant
  // for that dialog, and so is the foreground that such a dialog takes.
  if (dialogs_open_ > 0 && IsInput(event.Kind)) return true;
  kept_.Push(event);
  if (event.Kind == TSaverEventKind::KeyDown && event.Code == kSystemKey) {
    // A key that ends the saver is the saver's; one that does not may still mean something to
    // the system (Alt+F4: a close request, through the close query).
    return Lead().Used().StopOnKey;
  }
  return true;
}

void TSaverSession::HandleKept() {
  TSaverEvent event{TSaverEventKind::Paint};
  while (Running() && kept_.Pop(event)) Handle(event);
}

void TSaverSession::Handle(const TSaverEvent& event) {
  may_sleep_ = false;
  TSlot* slot = SlotOf(event.Window);
  switch (event.Kind) {
    case TSaverEventKind::EndRequest:
      // The host ends the program: no close query, just the tear-down.
      ended_ = true;
      ended_by_host_ = true;
      return;
    case TSaverEventKind::WindowGone:
      if (slot != nullptr) WindowTaken(*slot);
      return;
    case TSaverEventKind::MonitorsChanged:
      RunHandler([this] { FollowMonitors(CurrentMonitors()); });
      return;
    case TSaverEventKind::Resized:
      if (slot != nullptr) slot->Resize(event.Width, event.Height);
      return;
    case TSaverEventKind::Paint:
      if (slot == nullptr) return;
      slot->paint_owed_ = true;
      // A window that has just become visible can take the keyboard now.
      if (slot->Lead() && !keyboard_held_) next_keyboard_try_ = 0;
      return;
    case TSaverEventKind::Covered:
      // Whatever covers the full-screen saver goes under it again, but a dialog it lent the
      // input to.
      if (slot != nullptr && FullScreen() && dialogs_open_ == 0 && !slot->gone_) {
        slot->platform_->Raise();
      }
      return;
    default:
      break;
  }
  if (dialogs_open_ > 0) return;
  if (event.Kind == TSaverEventKind::Deactivated) {
    // Every window of the program hears of it; the run's first speaks for the run.
    if (slot != nullptr && !slot->Lead()) return;
    keyboard_held_ = false;
    // A full-screen saver that has lost the keys to another program could never be ended by
    // them: losing the foreground is a close request, a password in force still asked. A
    // preview lives in another program's window and has no foreground of its own, and nor has
    // the desktop's background.
    if (FullScreen()) RunHandler([this] { Lead().Close(); });
    return;
  }
  if (event.Kind == TSaverEventKind::MouseMove && !PointerMoved(event.Position)) return;
  // The run's close query and grace are its first window's, whichever window the input reached.
  TDesktopWindow& lead = Lead();
  void (TDesktopWindow::*handler)() = &TDesktopWindow::FormKeyDown;
  if (event.Kind == TSaverEventKind::PrimaryClick) handler = &TDesktopWindow::FormClick;
  if (event.Kind == TSaverEventKind::MouseMove) handler = &TDesktopWindow::FormMouseMove;
  if (event.Kind == TSaverEventKind::CloseRequest) handler = &TDesktopWindow::Close;
  RunHandler([&lead, handler] { (lead.*handler)(); });
}

void TSaverSession::WindowTaken(TSlot& slot) {
  slot.gone_ = true;
  // The pane the preview lived in is gone, and the preview with it.
  if (preview_parent_ != 0) {
    ended_ = true;
    return;
  }
  RunHandler([this, &slot] {
    const std::vector<TMonitor> monitors = CurrentMonitors();
    const uint64_t id = slot.monitor_ ? slot.monitor_->Id : 0;
    // A window whose monitor went is the monitor's change, not anybody's close.
    if (std::none_of(monitors.begin(), monitors.end(),
                     [id](const TMonitor& m) { return m.Id == id; })) {
      FollowMonitors(monitors);
      return;
    }
    // The system took a window whose monitor is still there: for the full-screen saver that is
    // a close like any other, a password in force still asked; the run that goes on, and the
    // background, make the window again.
    if (FullScreen()) Lead().Close();
    if (Running()) RemakeWindow(slot);
  });
}

void TSaverSession::PaintOwed() {
  for (size_t i = 0; i < slots_.size() && Running(); ++i) {
    TSlot& slot = *slots_[i];
    if (!slot.paint_owed_ || slot.gone_) continue;
    slot.paint_owed_ = false;
    RunHandler([this, &slot] {
      slot.desktop_->FormPaint();
      // A repaint shows at once, not with the next step.
      Present(slot);
    });
  }
}

void TSaverSession::Present(TSlot& slot) {
  std::array<TDirtyRect, TDamage::kMaxRects> rects;
  const int count = slot.damage_.Take(rects);
  if (!slot.gone_) slot.platform_->Blit(slot.canvas_, rects.data(), count);
}

void TSaverSession::KeepKeyboard(int64_t now) {
  // Only the full-screen saver takes the keyboard: inside another program's window the keys
  // belong to that program, and the background takes none. A dialog it lent the input to has
  // it meanwhile.
  if (!FullScreen() || dialogs_open_ > 0 || keyboard_held_ || now < next_keyboard_try_) return;
  TSlot& lead = *slots_.front();
  if (!lead.shown_ || lead.gone_) return;
  keyboard_held_ = platform_.TakeKeyboard(*lead.platform_);
  next_keyboard_try_ = now + kKeyboardRetryNs;
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
  // dialog left it. The keyboard comes back to the saver at once.
  platform_.DropQueuedInput();
  kept_.DropInput();
  pointer_at_ = platform_.PointerPosition();
  keyboard_held_ = false;
  next_keyboard_try_ = 0;
}

void TSaverSession::ShowError(const std::string& title, const std::string& text) {
  // The user answers the box with the pointer and the keys, as a dialog of the host's; over the
  // full-screen saver it stands in front of the run's first window.
  IPlatformWindow* owner = nullptr;
  if (FullScreen() && !slots_.empty() && !slots_.front()->gone_) {
    owner = slots_.front()->platform_.get();
  }
  AdjustPointer(1);
  InputLent(true);
  try {
    platform_.ShowError(title, text, owner);
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
      *this, host_.Language());
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
  for (const auto& slot : slots_) Present(*slot);
  RaiseRequestErrors(false);
  ++stats_.steps;
  stats_.step_ns += stepped - now;
  stats_.present_ns += platform_.Now() - stepped;
  may_sleep_ = done;
}

bool TSaverSession::Observe() {
  if (!observer_ || observer_(stats_.steps)) return true;
  ended_ = true;
  ended_by_host_ = true;
  return false;
}

void TSaverSession::Run() {
  if (slots_.empty()) return;
  for (const auto& slot : slots_) ShowWindow(*slot);
  pointer_at_ = platform_.PointerPosition();
  const int64_t started = platform_.Now();
  TStepPacer pacer(steps_per_second_, started);
  int64_t pane_checked = started;
  int64_t last_look = started;
  // What the last wait said, and whether the loop waited since it last read the queue.
  bool arrived = true;
  bool waited = false;
  bool observed = false;
  may_sleep_ = false;
  while (Running()) {
    const int64_t turn = platform_.Now();
    // Every turn hears what arrived: at once after a wait that saw something come, and within
    // kLookEveryNs when the loop steps without waiting, whatever a step drew.
    if (arrived || turn - last_look >= (waited ? kSureLookNs : kLookEveryNs)) {
      platform_.HandlePendingMessages();
      last_look = turn;
      arrived = false;
      waited = false;
    }
    HandleKept();
    PaintOwed();
    if (!observed && Running()) observed = Observe();
    if (!Running()) break;
    // After the handlers: a dialog of the host's may have held the loop for a while.
    const int64_t now = platform_.Now();
    KeepKeyboard(now);
    if (preview_parent_ != 0 && now - pane_checked >= kPaneCheckNs) {
      pane_checked = now;
      if (PaneGone()) break;
    }
    const bool idle = HasIdleHandler();
    if (!may_sleep_ && idle && pacer.StepDue(now)) {
      Step(now);
      pacer.StepTaken(platform_.Now());
      Observe();
      continue;
    }
    const int32_t wait = may_sleep_ || !idle ? kLongestWaitMs : pacer.WaitMilliseconds(now);
    if (wait > 0) {
      arrived = platform_.WaitForInput(wait);
      waited = true;
      may_sleep_ = false;
    }
  }
  stats_.loop_ns = platform_.Now() - started;
  if (host_.LoopStatsWanted()) host_.WriteDiagnostic(FormatLoopStats(stats_));
}

}  // namespace zarmok
