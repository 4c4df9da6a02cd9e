// One run of the saver window, the same on every host: the window made with its settings file,
// close rule, password services and pace; the paced idle loop; the routing of the host's events
// to the window's handlers; the policy for errors; and what the loop measured. A host supplies
// only the platform window and its messages (ISaverPlatform).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DeskTop.h"
#include "platform.h"

namespace zarmok {

// The client size the window's resource gives it while its creation handler runs.
inline constexpr int32_t kBirthClientWidth = 427;
inline constexpr int32_t kBirthClientHeight = 273;

// Longest wait for input when the idle handler says it may sleep: the loop never blocks for
// good, so a lost wake-up costs at most this much.
inline constexpr int32_t kLongestWaitMs = 1000;

// What one run of the loop measured.
struct TLoopStats {
  int64_t steps = 0;
  int64_t step_ns = 0;     // inside the idle handler
  int64_t present_ns = 0;  // bringing each step's drawing to the screen
  int64_t loop_ns = 0;
};

// Whether the loop's measurements are wanted: ZARMOK_STATS set to anything but "" or "0...".
bool LoopStatsWanted();
std::string FormatLoopStats(const TLoopStats& stats);

class TSaverSession final : public ISaverHost, public ISaverEvents {
 public:
  // `seed` fixes the window's random source (tools and tests); without it the clock seeds it.
  TSaverSession(IStartUpHost& host, std::vector<std::string> arguments,
                std::optional<uint32_t> seed = std::nullopt);
  // Destroys the window (its destruction handler runs once) if it still exists.
  ~TSaverSession() override;
  TSaverSession(const TSaverSession&) = delete;
  TSaverSession& operator=(const TSaverSession&) = delete;

  // Makes the saver window: the platform window at the birth size, then the creation handler
  // with the settings file named after the program, the close rule of the first argument and
  // the host's password services; then reads the pace. Errors propagate.
  TDesktopWindow& Create(TWindowHandle preview_parent);
  // Runs the loop until the close is allowed, the pane is gone or the host ends the program.
  // An error raised in an idle step propagates.
  void Run();
  void Destroy();

  TDesktopWindow* Window() { return window_.get(); }
  const TLoopStats& Stats() const { return stats_; }
  int32_t StepsPerSecond() const { return steps_per_second_; }

  // ISaverEvents: the routing of events to handlers, under the error policy of handlers.
  bool Running() const override;
  bool Deliver(const TSaverEvent& event) override;

  // ISaverHost, as the window sees its host: the loop keeps the idle handler, the rest goes to
  // the platform.
  void SetScreenSaverRunning(bool running) override;
  void ShowCursor(bool show) override;
  void SetIdleHandler(std::function<void(bool& done)> handler) override;
  void HostDialogBegins() override;
  void HostDialogEnds() override;

 private:
  // One idle step and its presentation.
  void Step(int64_t now);

  IStartUpHost& host_;
  ISaverPlatform& platform_;
  std::vector<std::string> arguments_;
  std::optional<uint32_t> seed_;
  std::unique_ptr<TDesktopWindow> window_;
  bool platform_window_ = false;
  std::function<void(bool&)> idle_;
  int32_t steps_per_second_ = 0;
  bool ended_ = false;
  // A message arrived since the idle handler last said it may sleep.
  bool may_sleep_ = false;
  TLoopStats stats_;
};

}  // namespace zarmok
