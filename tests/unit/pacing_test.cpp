// The rate of idle steps: when the next one is due and how long the loop may wait for events.
#include <gtest/gtest.h>

#include "fake/memory_profile.h"
#include "headless_platform.h"
#include "pacing.h"
#include "session.h"
#include "settings.h"

namespace zarmok {
namespace {

constexpr int64_t kMs = 1000000;
constexpr int64_t kSecond = 1000 * kMs;
// The default tick of the Windows timer: a timed wait ends at the first tick at or after its
// deadline.
constexpr int64_t kCoarseTick = 15625000;

struct TLoad {
  const char* name;
  int64_t step_cost;
  // Input wakes the loop's waits early this often; 0 for none.
  int64_t input_every;
};

constexpr TLoad kLoads[] = {
    {"idle", 0, 0}, {"1 ms steps", kMs, 0}, {"input", 0, 7300 * 1000}, {"both", kMs, 3100 * 1000}};

// Runs the session's loop shape for ten seconds of a simulated clock on a host whose timed waits
// end exactly at their deadline or, with `coarse`, at the first timer tick at or after it, and
// counts the steps.
int64_t StepsInTenSeconds(int32_t rate, bool coarse, const TLoad& load) {
  const int64_t start = 3 * kSecond + 7 * kMs + 123;  // out of phase with the ticks and the input
  const int64_t end = start + 10 * kSecond;
  TStepPacer pacer(rate, start);
  int64_t now = start;
  int64_t steps = 0;
  while (now < end) {
    if (pacer.StepDue(now)) {
      ++steps;
      now += load.step_cost;
      pacer.StepTaken(now);
      continue;
    }
    const int32_t wait = pacer.WaitMilliseconds(now);
    if (wait <= 0) {
      ADD_FAILURE() << "no step due and no wait at " << rate << " steps/s";
      break;
    }
    int64_t until = now + wait * kMs;
    if (coarse) until = (until + kCoarseTick - 1) / kCoarseTick * kCoarseTick;
    if (load.input_every > 0) {
      const int64_t input = (now / load.input_every + 1) * load.input_every;
      if (input < until) until = input;
    }
    now = until;
  }
  return steps;
}

void ExpectEveryRateWithinOnePercent(bool coarse) {
  for (const TLoad& load : kLoads) {
    for (int32_t rate = 1; rate <= 240; ++rate) {
      EXPECT_NEAR(StepsInTenSeconds(rate, coarse, load), 10.0 * rate, 0.1 * rate)
          << rate << " steps/s, " << load.name;
    }
  }
}

TEST(Pacing, EveryRateHoldsOnAnExactTimer) {
  ExpectEveryRateWithinOnePercent(false);
}

TEST(Pacing, EveryRateHoldsOnACoarseTimer) {
  ExpectEveryRateWithinOnePercent(true);
}

TEST(Pacing, ZeroOrLessIsUnpaced) {
  for (const int32_t rate : {0, -1, INT32_MIN}) {
    TStepPacer pacer(rate, 5 * kMs);
    for (int i = 0; i < 5; ++i) {
      EXPECT_TRUE(pacer.StepDue(5 * kMs));
      EXPECT_EQ(pacer.WaitMilliseconds(5 * kMs), 0);
      pacer.StepTaken(5 * kMs);
    }
  }
}

TEST(Pacing, RatesAboveOneStepANanosecondAreUnpaced) {
  for (const int32_t rate : {1000000001, INT32_MAX}) {
    TStepPacer pacer(rate, 0);
    for (int i = 0; i < 3; ++i) {
      EXPECT_TRUE(pacer.StepDue(0)) << rate;
      pacer.StepTaken(0);
      EXPECT_EQ(pacer.WaitMilliseconds(0), 0);
    }
  }
  TStepPacer fastest(1000000000, 0);
  fastest.StepTaken(0);
  EXPECT_FALSE(fastest.StepDue(0));
  EXPECT_TRUE(fastest.StepDue(1));
}

TEST(Pacing, SixtyStepsASecondKeepTheirRhythm) {
  const int64_t start = 1000 * kMs;
  TStepPacer pacer(60, start);
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

TEST(Pacing, ALateWakeUnderOnePeriodKeepsTheRhythm) {
  TStepPacer pacer(100, 0);
  pacer.StepTaken(0);
  // Woken 9 ms late for the step due at 10 ms: it runs, and the next is due at 20 ms.
  ASSERT_TRUE(pacer.StepDue(19 * kMs));
  pacer.StepTaken(19 * kMs);
  EXPECT_EQ(pacer.WaitMilliseconds(19 * kMs), 1);
}

TEST(Pacing, AHiccupShortOfAStallIsCaughtUpInAShortBurstOnTheBeat) {
  const struct {
    int32_t rate;
    int64_t back;  // held from the first step until then, short of a stall past the second
    int64_t next;  // when the step after the burst is due: the old beat
  } cases[] = {
      // 23 steps owed: only the last few run back to back.
      {100, 240 * kMs, 250 * kMs},
      // The one step owed runs, though it is older than any catch-up, and the next keeps time.
      {5, 320 * kMs, 400 * kMs},
  };
  for (const auto& c : cases) {
    TStepPacer pacer(c.rate, 0);
    pacer.StepTaken(0);
    int burst = 0;
    while (burst < 30 && pacer.StepDue(c.back)) {
      pacer.StepTaken(c.back);
      ++burst;
    }
    EXPECT_GE(burst, 1) << c.rate;
    EXPECT_LE(burst, 6) << c.rate;
    EXPECT_FALSE(pacer.StepDue(c.next - 1)) << c.rate;
    EXPECT_TRUE(pacer.StepDue(c.next)) << c.rate;
  }
}

TEST(Pacing, TheScheduleKeepsExactTimeOverALongRun) {
  // 60 000 steps at 60 a second end on the thousandth second to the nanosecond: no period's
  // rounding adds up.
  const int64_t start = 12345;
  TStepPacer pacer(60, start);
  for (int i = 0; i < 60000; ++i) pacer.StepTaken(start);
  EXPECT_FALSE(pacer.StepDue(start + 1000 * kSecond - 1));
  EXPECT_TRUE(pacer.StepDue(start + 1000 * kSecond));
}

TEST(Pacing, AfterAStallTheNextStepComesOnePeriodAfterItsEnd) {
  for (const int64_t held : {250 * kMs, 1000 * kMs}) {
    TStepPacer pacer(100, 0);  // 10 ms
    ASSERT_TRUE(pacer.StepDue(0));
    pacer.StepTaken(0);
    // A blocking dialog holds the loop past the step due at 10 ms. None runs at the stall's
    // end, not even the one that was due: the rhythm starts again from there.
    const int64_t back = 10 * kMs + held;
    EXPECT_FALSE(pacer.StepDue(back)) << held;
    EXPECT_EQ(pacer.WaitMilliseconds(back), 10);
    EXPECT_FALSE(pacer.StepDue(back + 10 * kMs - 1));
    ASSERT_TRUE(pacer.StepDue(back + 10 * kMs));
    pacer.StepTaken(back + 10 * kMs);
    EXPECT_FALSE(pacer.StepDue(back + 10 * kMs));
    EXPECT_TRUE(pacer.StepDue(back + 20 * kMs));
  }
}

TEST(Pacing, SlowStepsRunBackToBack) {
  TStepPacer pacer(1000, 0);  // 1 ms, while a step takes 3 ms
  int64_t now = 0;
  // Long enough for the steps to fall a stall behind the schedule, which must not stop them.
  for (int i = 0; i < 500; ++i) {
    ASSERT_TRUE(pacer.StepDue(now)) << i;
    now += 3 * kMs;
    pacer.StepTaken(now);
  }
  EXPECT_TRUE(pacer.StepDue(now));
}

TEST(Pacing, RateIsTheFourteenthKeyWithDefaultSixty) {
  testing::TMemoryProfile profile;
  const char* ini = "/s/z.ini";
  // A saver reads it from its section after the thirteen settings.
  tools::THeadlessPlatform platform(profile, ini, {TWindowRect{0, 0, 64, 48}});
  TSaverSession session(platform, {"/s"}, 1);
  session.Create(0);
  ASSERT_EQ(profile.Reads().size(), 14u);
  EXPECT_EQ(profile.Reads()[13].key, "StepsPerSecond");
  EXPECT_EQ(profile.Reads()[13].section, kSettingsSection);
  EXPECT_EQ(profile.Reads()[12].key, "StopOnMouseClick");
  EXPECT_EQ(session.StepsPerSecond(), 60);
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

}  // namespace
}  // namespace zarmok
