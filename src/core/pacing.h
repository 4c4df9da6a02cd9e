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
//
// Steps keep a fixed schedule: the k-th step of a run is due k/StepsPerSecond seconds after its
// start, to the nanosecond however long the run, so the rate holds whatever the host's timer does
// with the waits between. A loop woken late (a coarse host timer wakes late every time) steps at
// once and catches up the steps it owes, in a short burst at most. Only a stall restarts the
// schedule: when the loop was held a quarter of a second or more past a due step (a blocking
// dialog, a stopped process), the missed steps are dropped, never caught up, and the next step
// comes one period after the stall's end.
class TStepPacer {
 public:
  TStepPacer(int32_t steps_per_second, int64_t now);

  // Whether the next idle step is due at `now`; the first is due at once.
  bool StepDue(int64_t now);
  // Records a step that ended at `now`: the next one is due on the schedule, at once when the
  // step ran past its due time.
  void StepTaken(int64_t now);
  // How long the loop may wait for events at `now` before the next step is due, in whole
  // milliseconds rounded up; 0 when a step is due (by the last StepDue) or the pace is
  // unbounded.
  int32_t WaitMilliseconds(int64_t now) const;

 private:
  int64_t Due() const;
  void Advance(int64_t steps);
  void CatchUpFrom(int64_t now);

  // Steps per second, 0 when unpaced.
  int64_t rate_;
  // The next step is the `index_`-th after `second_`, 0 <= index_ < rate_: the schedule counts
  // whole seconds apart so that it keeps its exact rate without ever overflowing.
  int64_t second_;
  int64_t index_;
};

// The current time of the monotonic clock the pacer runs on.
int64_t MonotonicNanoseconds();

}  // namespace zarmok
