// The rate of idle steps: when the next one is due and how long the loop may wait for events.
#include <gtest/gtest.h>

#include "fake/memory_profile.h"
#include "pacing.h"
#include "settings.h"

namespace zarmok {
namespace {

constexpr int64_t kMs = 1000000;

TEST(Pacing, ZeroOrLessIsUnpaced) {
  for (const int32_t rate : {0, -1, INT32_MIN}) {
    TStepPacer pacer(rate, 5 * kMs);
    EXPECT_FALSE(pacer.Paced());
    for (int i = 0; i < 5; ++i) {
      EXPECT_TRUE(pacer.StepDue(5 * kMs));
      EXPECT_EQ(pacer.WaitMilliseconds(5 * kMs), 0);
      pacer.StepTaken(5 * kMs);
    }
  }
}

TEST(Pacing, SixtyStepsASecondKeepTheirRhythm) {
  const int64_t start = 1000 * kMs;
  TStepPacer pacer(60, start);
  EXPECT_EQ(pacer.Period(), 16666666);
  EXPECT_TRUE(pacer.StepDue(start));  // the first step at once
  int steps = 0;
  // A loop that wakes every millisecond for one second takes exactly 60 steps.
  for (int64_t now = start; now < start + 1000 * kMs; now += kMs) {
    if (pacer.StepDue(now)) {
      pacer.StepTaken(now);
      ++steps;
    }
  }
  EXPECT_EQ(steps, 60);
}

TEST(Pacing, WaitIsRoundedUpToWholeMilliseconds) {
  TStepPacer pacer(60, 0);
  pacer.StepTaken(0);  // next due at 16.666666 ms
  EXPECT_FALSE(pacer.StepDue(0));
  EXPECT_EQ(pacer.WaitMilliseconds(0), 17);
  EXPECT_EQ(pacer.WaitMilliseconds(16 * kMs), 1);
  EXPECT_EQ(pacer.WaitMilliseconds(16666665), 1);
  EXPECT_TRUE(pacer.StepDue(16666666));
  EXPECT_EQ(pacer.WaitMilliseconds(16666666), 0);
}

TEST(Pacing, AfterAStallTheNextStepComesOnePeriodAfterItsEnd) {
  TStepPacer pacer(100, 0);  // 10 ms
  ASSERT_TRUE(pacer.StepDue(0));
  pacer.StepTaken(0);
  // A blocking dialog holds the loop for a second: a hundred steps were missed. None runs at
  // the stall's end, not even the one that was due: the rhythm starts again from there.
  const int64_t back = 1000 * kMs;
  EXPECT_FALSE(pacer.StepDue(back));
  EXPECT_EQ(pacer.WaitMilliseconds(back), 10);
  EXPECT_FALSE(pacer.StepDue(back + 10 * kMs - 1));
  ASSERT_TRUE(pacer.StepDue(back + 10 * kMs));
  pacer.StepTaken(back + 10 * kMs);
  EXPECT_FALSE(pacer.StepDue(back + 10 * kMs));
  EXPECT_TRUE(pacer.StepDue(back + 20 * kMs));
}

TEST(Pacing, ALateWakeUnderOnePeriodKeepsTheRhythm) {
  TStepPacer pacer(100, 0);
  pacer.StepTaken(0);
  // Woken 9 ms late for the step due at 10 ms: it runs, and the next is due at 20 ms.
  ASSERT_TRUE(pacer.StepDue(19 * kMs));
  pacer.StepTaken(19 * kMs);
  EXPECT_EQ(pacer.WaitMilliseconds(19 * kMs), 1);
}

TEST(Pacing, SlowStepsRunBackToBack) {
  TStepPacer pacer(1000, 0);  // 1 ms, while a step takes 3 ms
  int64_t now = 0;
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(pacer.StepDue(now)) << i;
    now += 3 * kMs;
    pacer.StepTaken(now);
  }
  EXPECT_TRUE(pacer.StepDue(now));
}

TEST(Pacing, RateIsTheFourteenthKeyWithDefaultSixty) {
  testing::TMemoryProfile profile;
  const char* ini = "/s/z.ini";
  EXPECT_EQ(LoadStepsPerSecond(profile, ini), 60);
  const struct {
    const char* text;
    int32_t rate;
  } cases[] = {{"0", 0},     {"-5", -5}, {"120", 120}, {"0x1E", 30},
               {"fast", 60}, {"", 60},   {"60 ", 60},  {"2147483648", 60}};
  for (const auto& c : cases) {
    profile.Set(ini, kSettingsSection, "stepspersecond", c.text);
    EXPECT_EQ(LoadStepsPerSecond(profile, ini), c.rate) << c.text;
  }
}

TEST(Pacing, RatesAboveOneStepANanosecondAreUnpaced) {
  for (const int32_t rate : {1000000001, INT32_MAX}) {
    TStepPacer pacer(rate, 0);
    EXPECT_FALSE(pacer.Paced()) << rate;
    for (int i = 0; i < 3; ++i) {
      EXPECT_TRUE(pacer.StepDue(0));
      pacer.StepTaken(0);
      EXPECT_EQ(pacer.WaitMilliseconds(0), 0);
    }
  }
  EXPECT_TRUE(TStepPacer(1000000000, 0).Paced());
}

}  // namespace
}  // namespace zarmok
