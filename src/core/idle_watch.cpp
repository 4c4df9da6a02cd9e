#include "idle_watch.h"

#include <utility>

#include "pacing.h"

namespace zarmok {

TIdleWatch::TIdleWatch(IIdleSource& source, int64_t wanted_ms, std::function<int64_t()> now_ms)
    : source_(source), wanted_ms_(wanted_ms), now_ms_(std::move(now_ms)) {
  if (!now_ms_) now_ms_ = [] { return MonotonicNanoseconds() / 1000000; };
}

bool TIdleWatch::HeldOff(const TIdleReading& reading) {
  if (reading.Inhibited) return true;
  return reading.BlankDueMs > 0 && !reading.BlankOn &&
         reading.IdleMs >= reading.BlankDueMs + kBlankDueMarginMs;
}

bool TIdleWatch::WaitForIdle() {
  source_.Begin(wanted_ms_);
  for (;;) {
    const TIdleReading reading = source_.Read();
    const int64_t since = now_ms_() - reading.IdleMs;
    const bool reported = reported_since_ && since - *reported_since_ <= kSameIdlePeriodMs &&
                          *reported_since_ - since <= kSameIdlePeriodMs;
    int64_t wait = kIdleRecheckMs;
    if (!HeldOff(reading) && !reported) {
      if (reading.IdleMs >= wanted_ms_) {
        reported_since_ = since;
        return true;
      }
      wait = wanted_ms_ - reading.IdleMs;
    }
    if (!source_.Wait(wait)) return false;
  }
}

}  // namespace zarmok
