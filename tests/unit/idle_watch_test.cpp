// The idle watch's rules on a scripted desktop: its count of idleness, what holds it off, and
// the program's clock, which each wait moves on.
#include <gtest/gtest.h>

#include <vector>

#include "idle_watch.h"

namespace zarmok {
namespace {

// The user's last input at `input_at` ms; everything the desktop says follows from the clock.
class TScriptedIdle final : public IIdleSource {
 public:
  void Begin(int64_t) override {}
  TIdleReading Read() override {
    TIdleReading r = reading;
    r.IdleMs = now - input_at;
    r.Inhibited = now < inhibited_until;
    return r;
  }
  bool Wait(int64_t ms) override {
    waits.push_back(ms);
    now += ms;
    if (next_input && now >= *next_input) {
      input_at = *next_input;
      next_input.reset();
    }
    return now < signal_at;
  }

  int64_t now = 0;
  int64_t input_at = 0;
  std::optional<int64_t> next_input;
  int64_t inhibited_until = 0;
  int64_t signal_at = 1000000;
  TIdleReading reading;
  std::vector<int64_t> waits;
};

TEST(IdleWatch, ReportsEachIdlePeriodOnceAndWaitsForTheNext) {
  TScriptedIdle desktop;
  TIdleWatch watch(desktop, 5000, [&] { return desktop.now; });
  ASSERT_TRUE(watch.WaitForIdle());
  EXPECT_EQ(desktop.now, 5000);
  // The run ended without input: the same period is not reported again until input starts a
  // new one.
  desktop.next_input = 9000;
  ASSERT_TRUE(watch.WaitForIdle());
  EXPECT_EQ(desktop.now, 14000);
  EXPECT_EQ(desktop.waits, (std::vector<int64_t>{5000, 1000, 1000, 1000, 1000, 5000}));
}

TEST(IdleWatch, WhatHoldsTheDesktopsIdlenessOffHoldsTheWatch) {
  TScriptedIdle video;
  video.inhibited_until = 7500;
  TIdleWatch watch(video, 5000, [&] { return video.now; });
  ASSERT_TRUE(watch.WaitForIdle());
  EXPECT_EQ(video.now, 8000);

  // The desktop's own blanking due for a quarter of a second and still off: suspended.
  TScriptedIdle suspended;
  suspended.reading.BlankDueMs = 3000;
  suspended.signal_at = 20000;
  TIdleWatch held(suspended, 5000, [&] { return suspended.now; });
  EXPECT_FALSE(held.WaitForIdle());
  EXPECT_FALSE(TIdleWatch::HeldOff({3249, false, 3000, false}));
  EXPECT_TRUE(TIdleWatch::HeldOff({3250, false, 3000, false}));
  EXPECT_FALSE(TIdleWatch::HeldOff({9000, false, 3000, true}));
}

}  // namespace
}  // namespace zarmok
