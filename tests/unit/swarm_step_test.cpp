// The bug step and the idle handler: moving steps, the shape clock, death and escape, the ring.
#include <gtest/gtest.h>

#include <cmath>

#include "DeskTop.h"
#include "fake/headings.h"
#include "fake/headless_saver.h"
#include "fake/recording_surface.h"
#include "fake/settings_edit.h"

namespace zarmok {
namespace {

using testing::SetSetting;

using testing::TQuietHost;
using testing::TRecordingSurface;
using testing::TRecordingWindow;

using testing::kHalfPi;
using testing::kPi;
using testing::kThreeHalfPi;
using testing::kTwoPi;

// One bug on a recording surface, no pulls, shape changes off.
class StepTest : public ::testing::Test {
 protected:
  StepTest() : surface(640, 480), window(TDesktopHost{surface, quiet, profile, "x.ini"}) {
    SetSetting(window, &TSaverSettings::MaxBugs, 1);
    SetSetting(window, &TSaverSettings::Speed, 1000);
    SetSetting(window, &TSaverSettings::BugPtnSize, 3);
    SetSetting(window, &TSaverSettings::ImageListLen, 6);
    SetSetting(window, &TSaverSettings::BugSize, 12);
    SetSetting(window, &TSaverSettings::BugPtnExCyc, 0);
    bug().No = 1;
    bug().Radius = 3;
    bug().Life = 1000;
    bug().ImgIdx = 1;
  }
  TBug& bug() { return window.Bugs[0]; }
  void Launch(float x, float y, float dir, float v) {
    bug().X = x;
    bug().Y = y;
    bug().Dir = dir;
    bug().V = v;
  }

  TRecordingWindow surface;
  TQuietHost quiet;
  testing::TMemoryProfile profile;
  TDesktopWindow window;
};

TEST_F(StepTest, HeadingsMoveOnePixelOnTheScreen) {
  struct {
    float dir;
    int32_t x, y;
  } cases[] = {{kTwoPi, 11, 10}, {kHalfPi, 10, 9}, {kPi, 9, 10}, {kThreeHalfPi, 10, 11}};
  for (const auto& c : cases) {
    Launch(10, 10, c.dir, 1);
    window.BugMove(bug());
    EXPECT_EQ(std::nearbyint(bug().X), c.x) << c.dir;
    EXPECT_EQ(std::nearbyint(bug().Y), c.y) << c.dir;
    EXPECT_TRUE(window.StepNotes[0].Moved);
  }
}

TEST_F(StepTest, HalfwayRoundsToEvenAndDoesNotMove) {
  SetSetting(window, &TSaverSettings::BugPtnExCyc, 1);
  Launch(2.25f, 10, kTwoPi, 0.25f);
  window.BugMove(bug());  // 2.5 still rounds to 2
  EXPECT_EQ(bug().X, 2.5f);
  EXPECT_FALSE(window.StepNotes[0].Moved);
  EXPECT_EQ(bug().Life, 1000);
  EXPECT_EQ(bug().ImgIdx, 1);
  EXPECT_TRUE(surface.surface.calls.empty());
  window.BugMove(bug());  // 2.75 rounds to 3
  EXPECT_TRUE(window.StepNotes[0].Moved);
  EXPECT_EQ(bug().Life, 999);
  EXPECT_EQ(bug().ImgIdx, 2);
  EXPECT_FALSE(surface.surface.calls.empty());
}

TEST_F(StepTest, EscapeBoundsAreStrict) {
  struct {
    float from, dir;
    bool reborn;
  } cases[] = {
      {651, kTwoPi, false},    // lands on 652 = 640 + 4 * 3
      {651.1f, kTwoPi, true},  // 652.1
      {-11, kPi, false},       // -12
      {-11.1f, kPi, true},     // -12.1
  };
  for (const auto& c : cases) {
    bug().Radius = 3;
    Launch(c.from, 100, c.dir, 1);
    window.BugMove(bug());
    EXPECT_TRUE(window.StepNotes[0].Moved) << c.from;
    EXPECT_EQ(window.StepNotes[0].Reborn, c.reborn) << c.from;
    EXPECT_EQ(bug().Radius, c.reborn ? 1 : 3) << c.from;
  }
}

TEST_F(StepTest, ShapeClockCountsMovingStepsOnly) {
  SetSetting(window, &TSaverSettings::BugPtnExCyc, 3);
  bug().ExCnt = 0;
  Launch(100, 100, kTwoPi, 1);
  for (int i = 0; i < 7; ++i) window.BugMove(bug());
  EXPECT_EQ(bug().Life, 998);  // changes at moving steps 3 and 6
  EXPECT_EQ(bug().ExCnt, 1);
  SetSetting(window, &TSaverSettings::BugPtnExCyc, 0);
  for (int i = 0; i < 5; ++i) window.BugMove(bug());
  EXPECT_EQ(bug().Life, 998);
  EXPECT_EQ(bug().ExCnt, 1);
}

TEST_F(StepTest, DeathRebirthsInTheSameStepKeepingNoAndExCnt) {
  SetSetting(window, &TSaverSettings::BugPtnExCyc, 1);
  bug().Life = -100;
  bug().Radius = 1;
  bug().ExCnt = 0;
  Launch(100, 100, kTwoPi, 1);
  window.BugMove(bug());
  EXPECT_TRUE(window.StepNotes[0].Reborn);
  EXPECT_EQ(bug().Radius, 1);
  EXPECT_GE(bug().Life, 36);
  EXPECT_EQ(bug().No, 1);
  EXPECT_EQ(bug().ExCnt, 0);
}

// The figures drawn by one step, as the slot each came from (found by its first image point)
// and the pen colour it used; black figures are erasures.
struct Figure {
  int32_t slot;
  TColorValue pen;
};
std::vector<Figure> Figures(const TRecordingSurface& s) {
  std::vector<Figure> out;
  TColorValue pen = 0;
  for (const auto& c : s.calls) {
    if (c.op == TRecordingSurface::TOp::Pen) pen = c.color;
    if (c.op == TRecordingSurface::TOp::PolyPolygon) out.push_back({c.points[0].x / 1000, pen});
  }
  return out;
}

TEST_F(StepTest, RebirthDrawsTheOldFiguresInTheNewbornsLevels) {
  SetSetting(window, &TSaverSettings::ImageListLen, 4);
  for (int s = 0; s < 4; ++s) {
    for (int k = 0; k < 3; ++k) bug().Images[s].Image[k] = TPoint{(s + 1) * 1000, 5};
  }
  bug().ImgIdx = 3;
  Launch(700, 100, kTwoPi, 1);  // far beyond the right edge
  window.BugMove(bug());
  ASSERT_TRUE(window.StepNotes[0].Reborn);
  const auto figs = Figures(surface.surface);
  ASSERT_EQ(figs.size(), 1u + 4u + 4u);
  EXPECT_EQ(figs[0].slot, 3);  // the oldest figure
  for (int s = 0; s < 4; ++s) {
    EXPECT_EQ(figs[1 + s].slot, s + 1);  // the whole trail
    EXPECT_EQ(figs[1 + s].pen, 0u);
  }
  EXPECT_EQ(figs[0].pen, 0u);
  for (int s = 2; s <= 4; ++s) {
    EXPECT_EQ(figs[3 + s].slot, s);  // the ending life's figures, kept where they were
    const TBugColor c = bug().Colors[s - 2][1];
    EXPECT_EQ(figs[3 + s].pen, c.r + 256u * c.g + 65536u * c.b);
  }
  // Slot 1 last, posed where the ending life was last, in the newborn's full colours.
  const TBugColor full = bug().Colors[3][1];
  EXPECT_EQ(figs[8].pen, full.r + 256u * full.g + 65536u * full.b);
  EXPECT_EQ(bug().Images[0].Image[0].x, 701);
  EXPECT_EQ(bug().ImgIdx, 2);
}

TEST_F(StepTest, TrailRunsOldestFirstFromTheSlotAfterTheNewest) {
  for (int s = 0; s < 6; ++s) bug().Images[s].Image[0] = TPoint{(s + 1) * 1000, 0};
  for (int m = 0; m < 6; ++m) bug().Colors[m][1] = TBugColor{static_cast<uint8_t>(m + 1), 0, 0};
  bug().ImgIdx = 3;
  window.DrawTrail(bug());
  const auto figs = Figures(surface.surface);
  const int32_t want_slots[6] = {3, 4, 5, 6, 1, 2};
  ASSERT_EQ(figs.size(), 6u);
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(figs[k].slot, want_slots[k]);
    EXPECT_EQ(figs[k].pen, static_cast<TColorValue>(k + 1));
  }
}

TEST_F(StepTest, IdleCountSaturatesAndAsksAgain) {
  SetSetting(window, &TSaverSettings::MaxBugs, 0);
  for (int i = 1; i <= 15; ++i) {
    bool done = true;
    window.AppIdle(done);
    EXPECT_FALSE(done);
    EXPECT_EQ(window.IdleCount, std::min(i, 10));
  }
  EXPECT_TRUE(surface.surface.calls.empty());
}

TEST(SpeedZeroTest, ScreenStaysBlackAndNothingAges) {
  testing::THeadlessSaver saver({{"Speed", "0"}, {"MaxBugs", "20"}}, 3, 300, 200);
  std::array<TBug, kBugCount> before = saver.window->Bugs;
  saver.Run(500);
  EXPECT_TRUE(saver.CanvasBlack());
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(saver.window->Bugs[i].X, before[i].X);
    EXPECT_EQ(saver.window->Bugs[i].Y, before[i].Y);
    EXPECT_EQ(saver.window->Bugs[i].Life, before[i].Life);
    EXPECT_EQ(saver.window->Bugs[i].V, 0.0f);
  }
}

TEST(SwarmRunTest, BugsStayAliveAndOnTheirRing) {
  testing::THeadlessSaver saver({}, 11, 320, 240);
  int reborn = 0;
  saver.Run(3000, [&](int64_t) {
    for (int i = 0; i < 3; ++i) {
      const TBug& b = saver.window->Bugs[i];
      ASSERT_GE(b.ImgIdx, 1);
      ASSERT_LE(b.ImgIdx, 6);
      ASSERT_GE(b.Radius, 1);
      ASSERT_LE(b.Radius, 12);
      ASSERT_LE(b.V, 10.0f);
      ASSERT_GT(b.Dir, 0.0f);
      ASSERT_LE(b.Dir, kTwoPi);
      reborn += saver.window->StepNotes[i].Reborn;
    }
  });
  EXPECT_GT(reborn, 0);
  EXPECT_FALSE(saver.CanvasBlack());
}

}  // namespace
}  // namespace zarmok
