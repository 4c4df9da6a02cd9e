#include "pacing.h"

#include <chrono>

#include "settings.h"

namespace zarmok {

int32_t LoadStepsPerSecond(IPrivateProfile& profile, const std::string& ini_path) {
  return ReadProfileInteger(profile, ini_path, kStepsPerSecondKey, kDefaultStepsPerSecond);
}

namespace {

constexpr int64_t kSecond = 1000000000;
constexpr int64_t kMillisecond = 1000000;
// Held this long past a due step, the loop did not merely wake late: something stopped it (a
// dialog, a stopped process), and catching up would only fast-forward the swarm.
constexpr int64_t kStall = kSecond / 4;
// How far behind the schedule a late loop catches up. A coarse host timer ends a wait up to one
// tick (15.625 ms by default on Windows) plus the millisecond rounding of the wait after the due
// time, every time: that lateness must be caught up in full or the rate falls short. Anything
// later, short of a stall, is a hiccup of the host (another process, paging) whose older steps
// are better dropped than run back to back. 50 ms, three default ticks, holds the rate with room
// for a jittery timer while a catch-up stays short: some 3 steps at 60 steps/s, 12 at 240. A
// step that takes longer than the period is held to this too, so the backlog it builds never
// grows into a stall.
constexpr int64_t kCatchUp = 50 * kMillisecond;

}  // namespace

TStepPacer::TStepPacer(int32_t steps_per_second, int64_t now)
    : rate_(steps_per_second > 0 && steps_per_second <= kSecond ? steps_per_second : 0),
      second_(now),
      index_(0) {}

int64_t TStepPacer::Due() const {
  // index_ < rate_ <= 1e9, so the product stays below 1e18.
  return second_ + index_ * kSecond / rate_;
}

void TStepPacer::Advance(int64_t steps) {
  const int64_t index = index_ + steps;
  second_ += index / rate_ * kSecond;
  index_ = index % rate_;
}

void TStepPacer::CatchUpFrom(int64_t now) {
  // The first step due at or after the oldest time still caught up. The distance from second_
  // is under a second and a quarter here (the next step is due within a second of second_ and
  // not a stall ago), so its product with the rate fits.
  const int64_t oldest = now - kCatchUp - second_;
  int64_t first = (oldest * rate_ + kSecond - 1) / kSecond;
  // At rates whose period is longer than the catch-up, that step may not be due yet; the last
  // one due is still owed.
  if (second_ + first * kSecond / rate_ > now) --first;
  if (first > index_) Advance(first - index_);
}

bool TStepPacer::StepDue(int64_t now) {
  if (rate_ == 0) return true;
  const int64_t late = now - Due();
  if (late < 0) return false;
  if (late >= kStall) {
    second_ = now;
    index_ = 0;
    Advance(1);
    return false;
  }
  if (late > kCatchUp) CatchUpFrom(now);
  return true;
}

void TStepPacer::StepTaken(int64_t /*now*/) {
  // The schedule is absolute: when a step ended moves no later step, a late one is simply due.
  if (rate_ != 0) Advance(1);
}

int32_t TStepPacer::WaitMilliseconds(int64_t now) const {
  if (rate_ == 0) return 0;
  const int64_t wait = Due() - now;
  if (wait <= 0) return 0;
  return static_cast<int32_t>((wait + kMillisecond - 1) / kMillisecond);
}

int64_t MonotonicNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace zarmok
