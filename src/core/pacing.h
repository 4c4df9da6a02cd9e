// The rate of idle steps. Left to itself the loop would step the swarm as fast as the machine
// allows, which on today's machines blurs the bugs across the screen and keeps a core busy; a
// rate of StepsPerSecond steps keeps the animation watchable and the machine quiet. A rate of 0
// or less steps as fast as the machine allows.
#pragma once

#include <cstdint>
#include <string>

#include "platform.h"

namespace zarmok {

inline constexpr const char* kStepsPerSecondKey = "StepsPerSecond";
inline constexpr int32_t kDefaultStepsPerSecond = 60;

// The 14th key of the settings section, read by the same rules as the other integers.
int32_t LoadStepsPerSecond(IPrivateProfile& profile, const std::string& ini_path);

// Times are nanoseconds of a monotonic clock.
class TStepPacer {
 public:
  TStepPacer(int32_t steps_per_second, int64_t now);

  bool Paced() const { return period_ > 0; }
  int64_t Period() const { return period_; }
  // Whether the next idle step is due at `now`. When a whole period or more went by past the
  // due time outside any step (a blocking dialog, a stopped process), the loop has stalled:
  // the missed steps are dropped, never caught up, and the next step comes one period after
  // `now`, the end of the stall.
  bool StepDue(int64_t now);
  // Records a step that ended at `now`. Steps keep their rhythm while the loop keeps up; a
  // step slower than the period is followed by the next at once.
  void StepTaken(int64_t now);
  // How long the loop may wait for events at `now` before the next step is due, in whole
  // milliseconds rounded up; 0 when a step is due (by the last StepDue) or the pace is
  // unbounded.
  int32_t WaitMilliseconds(int64_t now) const;

 private:
  int64_t period_;
  int64_t next_;
};

// The current time of the monotonic clock the pacer runs on.
int64_t MonotonicNanoseconds();

}  // namespace zarmok
