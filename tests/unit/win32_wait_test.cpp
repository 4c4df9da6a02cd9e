// The saver loop's waits on Windows keep to their time: neither method may end on the system's
// coarse tick (15.625 ms). Wine's timers are exact whatever a program asks, so there these
// checks show only that each method waits its time and wakes for input; on Windows they also
// catch a wait that ends on the coarse tick.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "win32/win32_wait.h"

namespace zarmok::win32 {
namespace {

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

// The median of a few waits of `milliseconds` (one wait may run late on a busy machine).
double MedianWait(TInputWait& wait, int32_t milliseconds) {
  std::vector<double> waited;
  for (int i = 0; i < 15; ++i) {
    LARGE_INTEGER from{}, to{};
    QueryPerformanceCounter(&from);
    wait.Wait(milliseconds);
    QueryPerformanceCounter(&to);
    waited.push_back(Milliseconds(from, to));
  }
  std::sort(waited.begin(), waited.end());
  return waited[waited.size() / 2];
}

TEST(Win32InputWait, EachMethodKeepsToTheMillisecond) {
  TInputWait best;
  EXPECT_EQ(best.Method(), TInputWait::TMethod::HighResolutionTimer);
  TInputWait fine(TInputWait::TMethod::FineTicks);
  EXPECT_EQ(fine.Method(), TInputWait::TMethod::FineTicks);
  for (TInputWait* wait : {&best, &fine}) {
    for (int32_t milliseconds : {3, 8}) {
      const double waited = MedianWait(*wait, milliseconds);
      EXPECT_GE(waited, milliseconds - 1.0) << static_cast<int>(wait->Method());
      EXPECT_LT(waited, milliseconds + 2.5) << static_cast<int>(wait->Method());
    }
  }
}

TEST(Win32InputWait, InputEndsTheWaitAndSaysSo) {
  for (TInputWait::TMethod method :
       {TInputWait::TMethod::HighResolutionTimer, TInputWait::TMethod::SystemTicks}) {
    TInputWait wait(method);
    // An empty queue: the time runs out, and the loop may skip its look at the queue.
    EXPECT_FALSE(wait.Wait(2)) << static_cast<int>(method);
    // A message posted to the thread is input for it.
    PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
    LARGE_INTEGER from{}, to{};
    QueryPerformanceCounter(&from);
    EXPECT_TRUE(wait.Wait(500)) << static_cast<int>(method);
    QueryPerformanceCounter(&to);
    EXPECT_LT(Milliseconds(from, to), 100.0);
    // Still there, unread: the next wait does not sleep on it either.
    EXPECT_TRUE(wait.Wait(500)) << static_cast<int>(method);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
}

}  // namespace
}  // namespace zarmok::win32
