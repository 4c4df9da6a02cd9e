// One run of the saver, the same on every host: its windows made with their settings file,
// close rule, password services, random sources and pictures; the paced idle loop; the routing
// of the host's events to the windows' handlers; the policy for errors; and what the loop
// measured. A host supplies only the platform windows, their messages and the answers to a few
// questions (ISaverPlatform); every rule a user can see is decided here.
//
// A full-screen run has a window for each monitor, each with its own swarm, as if that monitor
// were the whole screen. What the user meets once is the run's: one close query (and so one
// password check), one running flag, one pointer display count, one mouse-move grace, one pace
// and one keyboard. The oldest window holds that role; when its monitor goes, the next oldest
// takes it on.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DeskTop.h"
#include "platform.h"
#include "raster.h"

namespace zarmok {

// The client size the window's resource gives it while its creation handler runs.
inline constexpr int32_t kBirthClientWidth = 427;
inline constexpr int32_t kBirthClientHeight = 273;

// Longest wait for input when the idle handler says it may sleep: the loop never blocks for
// good, so a lost wake-up costs at most this much.
inline constexpr int32_t kLongestWaitMs = 1000;

// How often a preview asks whether its pane still exists: a host may destroy the pane without
// the news reaching the saver's window.
inline constexpr int64_t kPaneCheckNs = 250000000;

// A loop that steps without waiting reads what arrived this often: a key or a signal is heard
// within a millisecond, whatever the pace and whatever a step draws, and a host whose every
// look is a round trip to its server is not asked thousands of times a second.
inline constexpr int64_t kLookEveryNs = 1000000;
// After a wait that saw nothing arrive, the loop still reads the queue this often, in case a
// host's wait missed what was already there.
inline constexpr int64_t kSureLookNs = 250000000;

// How often a full-screen run asks again for the keyboard that another program holds (a menu,
// a locker letting go) or that the system would not hand over yet.
inline constexpr int64_t kKeyboardRetryNs = 250000000;

// What one run of the loop measured.
struct TLoopStats {
  int64_t steps = 0;
  int64_t step_ns = 0;     // inside the idle handlers
  int64_t present_ns = 0;  // bringing each step's drawing to the screen
  int64_t loop_ns = 0;
};

std::string FormatLoopStats(const TLoopStats& stats);

// The monitors a full-screen run covers, from what the platform reported: the primary one
// first, then the others in the platform's order, without the ones another monitor's window
// already shows and without repeats.
std::vector<TMonitor> ArrangeMonitors(const std::vector<TMonitor>& reported);

// The events that arrived and are not yet handled. It holds a fixed number: a flood of
// movements keeps the latest, and nothing is allocated while the saver runs.
class TEventQueue {
 public:
  static constexpr int kCapacity = 256;

  void Push(const TSaverEvent& event);
  bool Pop(TSaverEvent& event);
  // Forgets the input (keys, clicks, movements, close requests, the foreground lost), or every
  // event of `window`.
  void DropInput();
  void Forget(const IPlatformWindow* window);
  bool Empty() const { return count_ == 0; }

 private:
  template <typename Keep>
  void Filter(Keep keep);

  std::array<TSaverEvent, kCapacity> events_{};
  int head_ = 0;
  int count_ = 0;
};

class TSaverSession final : public ISaverEvents, private IErrorBox {
 public:
  // Called once the windows are first painted (with 0) and after every idle step with the
  // number of steps taken; the run ends, as at the host's request, when it returns false.
  using TStepObserver = std::function<bool(int64_t steps)>;

  // `seed` fixes the random source of the first window (tools and tests), and of each later
  // window that seed plus its number; without it the clock seeds the first.
  TSaverSession(IStartUpHost& host, std::vector<std::string> arguments,
                std::optional<uint32_t> seed = std::nullopt);
  // Destroys the windows (each destruction handler runs once) if they still exist.
  ~TSaverSession() override;
  TSaverSession(const TSaverSession&) = delete;
  TSaverSession& operator=(const TSaverSession&) = delete;

  // Makes the run's windows: one inside the pane when `preview_parent` is not 0, else one for
  // each monitor (one waiting for a monitor while there is none). Each is made at the birth
  // size and runs its creation handler; then the pace is read. Errors propagate.
  void Create(TWindowHandle preview_parent);
  // Makes the run's windows on the desktop's background, one for each monitor. Such a run is
  // no screen saver: it neither raises the running flag nor hides the pointer.
  void CreateWallpaper();
  // Places the preview's window in its pane.
  void Place(int32_t left, int32_t top, int32_t width, int32_t height);
  // A preview is not ended by the user's input.
  void TurnOffStopConditions();
  void ObserveSteps(TStepObserver observer) { observer_ = std::move(observer); }
  // Runs the loop until the close is allowed, the pane is gone or the host ends the program.
  // An error raised in an idle step propagates.
  void Run();
  void Destroy();

  // The run's windows, the oldest first, and what each shows.
  size_t WindowCount() const { return slots_.size(); }
  TDesktopWindow& Window(size_t index);
  const TRasterCanvas& Picture(size_t index) const;
  int32_t StepsPerSecond() const { return steps_per_second_; }
  // Whether the host ended the run (a signal), rather than its close or its pane.
  bool EndedByHost() const { return ended_by_host_; }

  // ISaverEvents: what each event asks for is kept and done at the loop's next turn.
  bool Running() const override;
  bool Deliver(const TSaverEvent& event) override;

 private:
  class TSlot;
  friend class TSlot;

  bool FullScreen() const { return preview_parent_ == 0 && !wallpaper_; }
  TSlot& AddWindow(const std::optional<TMonitor>& monitor);
  std::unique_ptr<IPlatformWindow> MakePlatformWindow();
  void RemoveWindow(size_t index);
  void ShowWindow(TSlot& slot);
  void RemakeWindow(TSlot& slot);
  std::vector<TMonitor> CurrentMonitors();
  void FollowMonitors(const std::vector<TMonitor>& monitors);
  std::optional<uint32_t> SeedOf(int32_t number) const;
  TSlot* SlotOf(const IPlatformWindow* window) const;
  TDesktopWindow& Lead();
  bool HasIdleHandler() const;
  // The events kept since the last turn, handled in the order they came.
  void HandleKept();
  void Handle(const TSaverEvent& event);
  void WindowTaken(TSlot& slot);
  void PaintOwed();
  void Present(TSlot& slot);
  void KeepKeyboard(int64_t now);
  // One idle step of every window and its presentation.
  void Step(int64_t now);
  bool Observe();
  bool PointerMoved(TPoint at);
  void AdjustPointer(int32_t change);
  void InputLent(bool lent);
  bool PaneGone();
  // The host's errors for the program's requests, except the failures of drawing into a pane
  // that is gone, which end the preview.
  void RaiseRequestErrors(bool settle);
  // Runs a handler under the error policy of handlers.
  void RunHandler(const std::function<void()>& handler);
  // IErrorBox: the box for an error in a handler, answered like a dialog of the host's.
  void ShowError(const std::string& title, const std::string& text) override;

  IStartUpHost& host_;
  ISaverPlatform& platform_;
  std::vector<std::string> arguments_;
  std::optional<uint32_t> seed_;
  TWindowHandle preview_parent_ = 0;
  std::string ini_path_;
  std::vector<std::unique_ptr<TSlot>> slots_;
  int32_t windows_made_ = 0;
  std::optional<uint32_t> first_seed_;
  int32_t steps_per_second_ = 0;
  bool ended_ = false;
  bool ended_by_host_ = false;
  bool wallpaper_ = false;
  bool listening_ = false;
  TEventQueue kept_;
  // A message arrived since the idle handlers last said they may sleep.
  bool may_sleep_ = false;
  // The run's pointer display count: visible while not negative.
  int32_t pointer_count_ = 0;
  // Dialogs of the host's and error boxes open now: they have the user's input.
  int32_t dialogs_open_ = 0;
  // Whether the run's first window has the keyboard, and when to ask again if not.
  bool keyboard_held_ = false;
  int64_t next_keyboard_try_ = 0;
  // Where the pointer was last seen; a movement is a position different from it.
  std::optional<TPoint> pointer_at_;
  TStepObserver observer_;
  TLoopStats stats_;
};

}  // namespace zarmok
