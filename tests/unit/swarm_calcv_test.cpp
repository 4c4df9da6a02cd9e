// Steering: the pulls of the centre, of the other bugs and of the walls, the speed cap and the
// heading table.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "DeskTop.h"
#include "fake/fake_host.h"
#include "fake/headings.h"
#include "fake/memory_profile.h"
#include "fake/settings_edit.h"

namespace zarmok {
namespace {

using testing::SetSetting;

using testing::kHalfPi;
using testing::kPi;
using testing::kThreeHalfPi;
using testing::kTwoPi;

class CalcVTest : public ::testing::Test {
 protected:
  CalcVTest() : host(200, 100), window(TDesktopHost{host, host, profile, "x.ini"}) {
    SetSetting(window, &TSaverSettings::MaxBugs, 1);
    SetSetting(window, &TSaverSettings::Speed, 10);
    SetSetting(window, &TSaverSettings::BugSize, 0);
    SetSetting(window, &TSaverSettings::SunG, 0);
    SetSetting(window, &TSaverSettings::BugG, 0);
    SetSetting(window, &TSaverSettings::WallG, 0);
    for (int i = 0; i < kBugCount; ++i) window.Bugs[i].No = i + 1;
  }
  TBug& Place(int index, float x, float y, int32_t radius = 1) {
    TBug& b = window.Bugs[index];
    b.X = x;
    b.Y = y;
    b.Radius = radius;
    b.V = 0;
    b.Dir = 0;
    return b;
  }

  testing::TFakeSaverHost host;
  testing::TMemoryProfile profile;
  TDesktopWindow window;
};

TEST_F(CalcVTest, WorkedExampleHeadsForTheCentreAbove) {
  SetSetting(window, &TSaverSettings::SunG, 100);
  SetSetting(window, &TSaverSettings::BugSize, 3);
  TBug& b = Place(0, 100, 90);
  window.CalcV(b);
  EXPECT_NEAR(b.V, 0.0580375f, 1e-7f);
  EXPECT_EQ(b.Dir, kHalfPi);
  EXPECT_EQ(b.X, 100.0f);  // steering never moves the bug
  EXPECT_EQ(b.Y, 90.0f);
}

struct HeadingCase {
  const char* name;
  float x, y;    // bug position in a 200 x 100 client area, pulled by the centre only
  float lo, hi;  // the heading must lie in [lo, hi]
};

TEST_F(CalcVTest, HeadingTableCoversAxesAndQuadrants) {
  const HeadingCase cases[] = {
      {"toward the top of the screen", 100, 90, kHalfPi, kHalfPi},
      {"toward the bottom", 100, 10, kThreeHalfPi, kThreeHalfPi},
      {"along +x gives 2pi, not 0", 50, 50, kTwoPi, kTwoPi},
      {"along -x gives pi", 150, 50, kPi, kPi},
      {"zero velocity at the centre", 100, 50, kThreeHalfPi, kThreeHalfPi},
      {"first quadrant", 50, 90, 0.0001f, kHalfPi - 0.0001f},
      {"second quadrant", 150, 90, kHalfPi + 0.0001f, kPi - 0.0001f},
      {"third quadrant", 150, 10, kPi + 0.0001f, kThreeHalfPi - 0.0001f},
      {"fourth quadrant", 50, 10, kThreeHalfPi + 0.0001f, kTwoPi - 0.0001f},
  };
  SetSetting(window, &TSaverSettings::SunG, 1);
  for (const HeadingCase& c : cases) {
    TBug& b = Place(0, c.x, c.y);
    window.CalcV(b);
    EXPECT_GE(b.Dir, c.lo) << c.name;
    EXPECT_LE(b.Dir, c.hi) << c.name;
    // Away from the axes the heading points along the pull: dy is measured upward.
    const double want = std::atan2(c.y - 50.0, 100.0 - c.x);
    if (c.lo != c.hi && c.x != 100 && c.y != 50) {
      EXPECT_NEAR(std::remainder(b.Dir - want, 2 * std::numbers::pi), 0.0, 1e-6) << c.name;
    }
  }
}

TEST_F(CalcVTest, OldHeadingZeroComesBackAsTwoPiWithNoPulls) {
  TBug& b = Place(0, 60, 40);
  b.V = 3;
  b.Dir = 0;
  window.CalcV(b);
  EXPECT_EQ(b.Dir, kTwoPi);
  EXPECT_EQ(b.V, 3.0f);
}

TEST_F(CalcVTest, CentreThresholdIncludesItsBound) {
  SetSetting(window, &TSaverSettings::SunG, 1);
  SetSetting(window, &TSaverSettings::BugSize, 3);  // repelling core 15
  TBug& b = Place(0, 114, 50);                      // d = 15: pushed away, toward +x
  window.CalcV(b);
  EXPECT_EQ(b.Dir, kTwoPi);
  b = Place(0, 114.5f, 50);  // d = 15.5: pulled toward the centre, toward -x
  window.CalcV(b);
  EXPECT_EQ(b.Dir, kPi);
}

TEST_F(CalcVTest, PairThresholdUsesTheOtherBugsRadius) {
  SetSetting(window, &TSaverSettings::MaxBugs, 2);
  SetSetting(window, &TSaverSettings::BugG, 1);
  TBug& a = Place(0, 50, 50, 2);
  TBug& b = Place(1, 60, 50, 3);  // 10 apart: d = 11
  window.CalcV(a);                // 4 * 3 = 12 >= 11: a is pushed away from b, toward -x
  EXPECT_EQ(a.Dir, kPi);
  window.CalcV(b);  // 4 * 2 = 8 < 11: b is pulled toward a, also toward -x
  EXPECT_EQ(b.Dir, kPi);

  Place(0, 50, 50, 1);
  TBug& c = Place(1, 57, 50, 2);  // 7 apart, d = 8 = 4 * 2: repelled
  window.CalcV(window.Bugs[0]);
  EXPECT_EQ(window.Bugs[0].Dir, kPi);
  (void)c;
}

TEST_F(CalcVTest, TwoBugsAtOnePointAddNothing) {
  SetSetting(window, &TSaverSettings::MaxBugs, 2);
  SetSetting(window, &TSaverSettings::BugG, 800);
  TBug& a = Place(0, 30, 30);
  Place(1, 30, 30);
  a.V = 2;
  a.Dir = kHalfPi;
  window.CalcV(a);
  EXPECT_FLOAT_EQ(a.V, 2.0f);
  EXPECT_NEAR(a.Dir, kHalfPi, 1e-6);
}

TEST_F(CalcVTest, WallsPushInwardEvenFromBeyondTheEdge) {
  SetSetting(window, &TSaverSettings::WallG, 10);
  TBug& b = Place(0, -30, 50);  // beyond the left edge: the left wall wins
  window.CalcV(b);
  EXPECT_EQ(b.Dir, kTwoPi);
  EXPECT_NEAR(b.V, 10.0 / 31 - 10.0 / 231, 1e-6);
  b = Place(0, 100, 130);  // below the bottom: pushed up
  window.CalcV(b);
  EXPECT_EQ(b.Dir, kHalfPi);
}

TEST_F(CalcVTest, SpeedCapsTheLengthButNotTheHeading) {
  SetSetting(window, &TSaverSettings::SunG, 800);
  TBug& b = Place(0, 100, 95);
  b.V = 50;
  b.Dir = kHalfPi;
  SetSetting(window, &TSaverSettings::Speed, 7);
  window.CalcV(b);
  EXPECT_EQ(b.V, 7.0f);
  SetSetting(window, &TSaverSettings::Speed, 0);
  window.CalcV(b);
  EXPECT_EQ(b.V, 0.0f);
  EXPECT_EQ(b.Dir, kHalfPi);
}

}  // namespace
}  // namespace zarmok
