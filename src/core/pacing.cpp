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
}  // namespace

TStepPacer::TStepPacer(int32_t steps_per_second, int64_t now)
    : period_(steps_per_second > 0 ? kSecond / steps_per_second : 0), next_(now) {}

bool TStepPacer::StepDue(int64_t now) {
  if (period_ <= 0) return true;
  if (now - next_ >= period_) {
    next_ = now + period_;
    return false;
  }
  return now >= next_;
}

void TStepPacer::StepTaken(int64_t now) {
  if (period_ <= 0) return;
  next_ += period_;
  if (next_ < now) next_ = now;
}

int32_t TStepPacer::WaitMilliseconds(int64_t now) const {
  if (period_ <= 0 || now >= next_) return 0;
  const int64_t wait = next_ - now;
  return static_cast<int32_t>((wait + kMillisecond - 1) / kMillisecond);
}

int64_t MonotonicNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace zarmok
