// Birth, colouring, shape change and the life cycle of a bug.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "DeskTop.h"
#include "fake/fake_host.h"
#include "fake/headless_saver.h"
#include "fake/settings_edit.h"
#include "random.h"

namespace zarmok {
namespace {

using testing::SetSetting;

using testing::THeadlessSaver;

class LifeTest : public ::testing::Test {
 protected:
  LifeTest() : host(640, 480), window(TDesktopHost{host, host, profile, "x.ini"}) {
    SetSetting(window, &TSaverSettings::BugPtnSize, 0);
    SetSetting(window, &TSaverSettings::MaxBugs, 1);
  }
  // The change numbers (1-based) at which the radius first reaches 1 while declining, and at
  // which the bug dies.
  std::pair<int, int> LifeCycle(int32_t bug_size, int32_t list_len, int32_t life) {
    SetSetting(window, &TSaverSettings::BugSize, bug_size);
    SetSetting(window, &TSaverSettings::ImageListLen, list_len);
    TBug bug{};
    bug.Life = life;
    bug.Radius = 1;
    int reached_one = 0;
    for (int change = 1; change < 10000; ++change) {
      const int32_t before = bug.Radius;
      window.BugPtnEx(bug);
      EXPECT_LE(bug.Radius, bug_size);
      if (before > 1 && bug.Radius == 1) reached_one = change;
      if (bug.Radius == 0) return {reached_one, change};
    }
    return {reached_one, -1};
  }

  testing::TFakeSaverHost host;
  testing::TMemoryProfile profile;
  TDesktopWindow window;
};

TEST_F(LifeTest, LifeCycleExamples) {
  EXPECT_EQ(LifeCycle(30, 1, 90), std::make_pair(118, 119));
  EXPECT_EQ(LifeCycle(3, 30, 9), std::make_pair(10, 100));
  // Defaults: a bug lives F + 19 changes.
  EXPECT_EQ(LifeCycle(12, 6, 36).second, 55);
  EXPECT_EQ(LifeCycle(12, 6, 59).second, 78);
  // BugSize 1 never grows, so its radius never passes through a decline.
  EXPECT_EQ(LifeCycle(1, 6, 3), std::make_pair(0, 3 + 18 + 1));
}

// A seed whose first two draws of 3 are `x` then `y`.
uint32_t SeedForSteps(int32_t x, int32_t y) {
  for (uint32_t seed = 0;; ++seed) {
    TRandomSource probe;
    probe.Seed(seed);
    if (probe.Draw(3) == x && probe.Draw(3) == y) return seed;
  }
}

TEST_F(LifeTest, PointOutsideTheRadiusIsPulledBackOncePerChange) {
  SetSetting(window, &TSaverSettings::BugPtnSize, 1);
  SetSetting(window, &TSaverSettings::BugSize, 5);
  SetSetting(window, &TSaverSettings::ImageListLen, 6);
  struct {
    int32_t draw_x, draw_y;
    TPoint want;
  } cases[] = {
      {2, 1, {1, 0}},  // steps to (2, 1), outside: pulled back on both axes
      {1, 0, {1, 0}},  // steps to (1, 0), on the circle: stays
      {0, 0, {0, 0}},  // steps to (0, 0)
  };
  for (const auto& c : cases) {
    TBug bug{};
    bug.Life = 100;
    bug.Radius = 1;
    bug.Ptn[0] = TPoint{1, 1};
    window.Random.Seed(SeedForSteps(c.draw_x, c.draw_y));
    window.BugPtnEx(bug);
    EXPECT_EQ(bug.Ptn[0].x, c.want.x);
    EXPECT_EQ(bug.Ptn[0].y, c.want.y);
    EXPECT_EQ(bug.Radius, 2);  // growth happens after the points move
    EXPECT_EQ(bug.Life, 99);
  }
}

TEST(BirthTest, DrawsComeInTheirOrder) {
  THeadlessSaver saver({{"MaxBugs", "1"}, {"BugPtnSize", "1"}, {"ImageListLen", "1"}}, 4242, 427,
                       273);
  TRandomSource replay;
  replay.Seed(4242);
  const TBug& b = saver.window->Bugs[0];
  EXPECT_EQ(b.Life, replay.Draw(24) + 36);
  EXPECT_EQ(b.X, static_cast<float>(replay.Draw(427)));
  EXPECT_EQ(b.Y, static_cast<float>(replay.Draw(273)));
  EXPECT_EQ(b.V, static_cast<float>(replay.Draw(2) + 1));
  EXPECT_NEAR(b.Dir, replay.DrawReal() * 2 * std::numbers::pi, 1e-6);
  const int32_t r = replay.Draw(256);
  const int32_t g = replay.Draw(256);
  const int32_t bl = replay.Draw(256);
  EXPECT_GE(b.Colors[0][0].r, r);
  EXPECT_GE(b.Colors[0][0].g, g);
  EXPECT_GE(b.Colors[0][0].b, bl);
  if (r + g + bl >= 255) {
    EXPECT_EQ(b.Colors[0][0].r, r);
    EXPECT_EQ(b.Colors[0][0].g, g);
    EXPECT_EQ(b.Colors[0][0].b, bl);
  }
}

TEST(BirthTest, NewbornIsAPointAtItsWholePixel) {
  THeadlessSaver saver({{"MaxBugs", "20"}, {"BugPtnSize", "40"}, {"BugSize", "30"}}, 7, 800, 600);
  for (int i = 0; i < 20; ++i) {
    const TBug& b = saver.window->Bugs[i];
    EXPECT_EQ(b.No, i + 1);
    EXPECT_EQ(b.Radius, 1);
    EXPECT_GE(b.Life, 90);
    EXPECT_LE(b.Life, 149);
    EXPECT_EQ(b.X, std::floor(b.X));
    EXPECT_GE(b.X, 0);
    EXPECT_LT(b.X, 427);  // births fall in the resource's client area
    EXPECT_LT(b.Y, 273);
    EXPECT_TRUE(b.V == 1 || b.V == 2);
    EXPECT_GE(b.Dir, 0);
    EXPECT_LT(b.Dir, 6.2831855f);
    EXPECT_EQ(b.ImgIdx, 1);
    for (int k = 0; k < 40; ++k) {
      EXPECT_EQ(b.Ptn[k].x, 0);
      EXPECT_EQ(b.Images[0].Image[k].x, static_cast<int32_t>(b.X));
      EXPECT_EQ(b.Images[0].Mirror[k].y, static_cast<int32_t>(b.Y));
      EXPECT_EQ(b.Images[1].Image[k].x, 0);  // never posed
    }
  }
}

TEST(BirthTest, ColoursAreToppedUpAndFaded) {
  bool saw_255 = false;
  bool saw_5 = false;
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    THeadlessSaver saver({{"MaxBugs", "20"}, {"BugPtnSize", "40"}}, seed, 100, 100);
    for (int i = 0; i < 20; ++i) {
      const TBug& b = saver.window->Bugs[i];
      for (int k = 0; k < 40; ++k) {
        const TBugColor full = b.Colors[5][k];
        EXPECT_GE(full.r + full.g + full.b, 255);
        for (int m = 1; m < 6; ++m) {
          EXPECT_EQ(b.Colors[m - 1][k].r, full.r * m / 6);
          EXPECT_EQ(b.Colors[m - 1][k].g, full.g * m / 6);
          EXPECT_EQ(b.Colors[m - 1][k].b, full.b * m / 6);
        }
        const uint8_t parts[3] = {full.r, full.g, full.b};
        for (int c = 0; c < 3; ++c) {
          const uint8_t want255[6] = {42, 85, 127, 170, 212, 255};
          const uint8_t want5[6] = {0, 1, 2, 3, 4, 5};
          const uint8_t* want = parts[c] == 255 ? want255 : parts[c] == 5 ? want5 : nullptr;
          if (!want) continue;
          (parts[c] == 255 ? saw_255 : saw_5) = true;
          for (int m = 0; m < 6; ++m) {
            const TBugColor& lv = b.Colors[m][k];
            EXPECT_EQ((c == 0 ? lv.r : c == 1 ? lv.g : lv.b), want[m]);
          }
        }
      }
    }
  }
  EXPECT_TRUE(saw_255);
  EXPECT_TRUE(saw_5);
}

TEST(BirthTest, OneLevelHoldsTheFullColours) {
  THeadlessSaver saver({{"MaxBugs", "3"}, {"ImageListLen", "1"}}, 99, 100, 100);
  for (int i = 0; i < 3; ++i) {
    for (int k = 0; k < 12; ++k) {
      const TBugColor c = saver.window->Bugs[i].Colors[0][k];
      EXPECT_GE(c.r + c.g + c.b, 255);
    }
  }
}

TEST(BirthTest, WidthOneAndRecordsAboveMaxBugs) {
  testing::TMemoryProfile profile;
  profile.Set("x.ini", "Zarmok", "MaxBugs", "4");
  testing::TFakeSaverHost host(1, 1);
  TDesktopWindow window(TDesktopHost{host, host, profile, "x.ini"});
  window.FormCreate();
  for (int step = 0; step < 200; ++step) host.RunIdle();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(window.Bugs[i].No, i + 1);
  EXPECT_EQ(window.Bugs[0].X, window.Bugs[0].X);
  for (int i = 4; i < kBugCount; ++i) {
    const TBug& b = window.Bugs[i];
    EXPECT_EQ(b.No | b.Life | b.Radius | b.ImgIdx | b.ExCnt, 0);
    EXPECT_EQ(b.X, 0.0f);
    EXPECT_EQ(b.Colors[5][0].r, 0);
  }
  // A birth in a 1 x 1 area always lands on (0, 0).
  window.BugPtnInit(window.Bugs[0]);
  EXPECT_EQ(window.Bugs[0].X, 0.0f);
  EXPECT_EQ(window.Bugs[0].Y, 0.0f);
}

}  // namespace
}  // namespace zarmok
