// The saver loop's wait for input on Windows. A timed wait there ends on the system timer's
// tick, 15.625 ms unless some program asks for finer: at 60 steps per second every step would
// land up to a tick late, at 120 most would. The pacer keeps the rate whatever the wait does;
// this makes each step land when it is due.
#pragma once

#include <windows.h>

#include <cstdint>

namespace zarmok::win32 {

class TInputWait {
 public:
  // How the wait keeps to its time, the best first.
  enum class TMethod {
    // A waitable timer of its own at the timer's full resolution (Windows 10 1803 on).
    HighResolutionTimer,
    // Timer ticks of one millisecond for the program's life (timeBeginPeriod).
    FineTicks,
    // The system's ticks as they are: nothing finer could be had.
    SystemTicks,
  };

  // Takes the best method from `best` on that this system offers.
  explicit TInputWait(TMethod best = TMethod::HighResolutionTimer);
  ~TInputWait();
  TInputWait(const TInputWait&) = delete;
  TInputWait& operator=(const TInputWait&) = delete;

  TMethod Method() const { return method_; }
  // Returns when input for the thread arrives or `milliseconds` have passed: false when the
  // time ran out with no input in the queue.
  bool Wait(int32_t milliseconds);

 private:
  using TTimePeriod = UINT(WINAPI*)(UINT);

  TMethod method_ = TMethod::SystemTicks;
  HANDLE timer_ = nullptr;
  HMODULE winmm_ = nullptr;
  TTimePeriod end_period_ = nullptr;
};

}  // namespace zarmok::win32
