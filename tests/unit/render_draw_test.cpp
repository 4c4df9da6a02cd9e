// Posing a pattern, and what the two drawing styles and the paint handler ask of the surface.
#include <gtest/gtest.h>

#include "DeskTop.h"
#include "fake/memory_profile.h"
#include "fake/recording_surface.h"
#include "fake/settings_edit.h"

namespace zarmok {
namespace {

using testing::SetSetting;

using testing::TQuietHost;
using testing::TRecordingSurface;
using testing::TRecordingWindow;
using TOp = TRecordingSurface::TOp;

class DrawTest : public ::testing::Test {
 protected:
  DrawTest() : surface(320, 200), window(TDesktopHost{surface, quiet, profile, "x.ini"}) {
    for (int k = 0; k < kPtnPoints; ++k) {
      colors[k] = TBugColor{static_cast<uint8_t>(k + 1), 0, 0};  // triple k+1 has value k+1
      image[k] = TPoint{k + 1, 0};
      mirror[k] = TPoint{k + 1, 100};
    }
  }
  const std::vector<TRecordingSurface::TCall>& Calls() { return surface.surface.calls; }

  TRecordingWindow surface;
  TQuietHost quiet;
  testing::TMemoryProfile profile;
  TDesktopWindow window;
  TColorLevel colors{};
  TPointArray image{};
  TPointArray mirror{};
};

TEST_F(DrawTest, PoseExamples) {
  SetSetting(window, &TSaverSettings::BugPtnSize, 1);
  struct {
    float heading;
    TPoint ptn, image, mirror;
  } cases[] = {
      {0.0f, {3, -2}, {103, 48}, {103, 52}},
      {1.5707964f, {5, 0}, {100, 45}, {100, 45}},
      {1.5707964f, {0, 2}, {102, 50}, {98, 50}},
      {3.1415927f, {5, 0}, {95, 50}, {95, 50}},
      {3.1415927f, {0, 2}, {100, 48}, {100, 52}},
      {0.52359879f, {0, 1}, {100, 51}, {100, 49}},  // x offsets of exactly +-0.5 go to 0
      {0.52359879f, {3, 1}, {103, 49}, {102, 48}},
      {2.0f, {0, 0}, {100, 50}, {100, 50}},
  };
  for (const auto& c : cases) {
    TPointArray ptn{}, img{}, mir{};
    ptn[0] = c.ptn;
    window.BugImageSet(100, 50, ptn, c.heading, img, mir);
    EXPECT_EQ(img[0].x, c.image.x) << c.heading << " " << c.ptn.x << "," << c.ptn.y;
    EXPECT_EQ(img[0].y, c.image.y) << c.heading << " " << c.ptn.x << "," << c.ptn.y;
    EXPECT_EQ(mir[0].x, c.mirror.x) << c.heading << " " << c.ptn.x << "," << c.ptn.y;
    EXPECT_EQ(mir[0].y, c.mirror.y) << c.heading << " " << c.ptn.x << "," << c.ptn.y;
  }
}

TEST_F(DrawTest, PoseLeavesUnusedPointsAndSaturatesFarCentres) {
  SetSetting(window, &TSaverSettings::BugPtnSize, 2);
  TPointArray ptn{}, img{}, mir{};
  img[2] = TPoint{77, 77};
  ptn[0] = TPoint{30, 0};
  window.BugImageSet(2147483640, -2147483640, ptn, 0.0f, img, mir);
  EXPECT_EQ(img[0].x, 2147483647);
  EXPECT_EQ(img[0].y, -2147483640);
  EXPECT_EQ(img[2].x, 77);
  SetSetting(window, &TSaverSettings::BugPtnSize, 0);
  img[0] = TPoint{5, 5};
  window.BugImageSet(0, 0, ptn, 0.0f, img, mir);
  EXPECT_EQ(img[0].x, 5);
}

TEST_F(DrawTest, TypeAGroupTable) {
  struct {
    int32_t n;
    std::vector<int32_t> sizes;
  } cases[] = {
      {1, {1}},           {2, {2}},           {3, {3}},
      {4, {4}},           {5, {5}},           {6, {3, 3}},
      {7, {3, 4}},        {8, {3, 5}},        {9, {3, 3, 3}},
      {12, {3, 3, 3, 3}}, {14, {3, 3, 3, 5}}, {40, {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 4}},
  };
  SetSetting(window, &TSaverSettings::BugsType, 0);
  for (const auto& c : cases) {
    surface.surface.calls.clear();
    SetSetting(window, &TSaverSettings::BugPtnSize, c.n);
    window.BugDraw(image, mirror, colors);
    ASSERT_EQ(Calls().size(), 3 * c.sizes.size()) << c.n;
    int32_t p = 1;
    for (size_t g = 0; g < c.sizes.size(); ++g) {
      const int32_t size = c.sizes[g];
      const auto& pen = Calls()[3 * g];
      const auto& brush = Calls()[3 * g + 1];
      const auto& poly = Calls()[3 * g + 2];
      EXPECT_EQ(pen.op, TOp::Pen);
      EXPECT_EQ(pen.color, 2 * (g + 1)) << c.n;
      EXPECT_EQ(brush.op, TOp::Brush);
      EXPECT_EQ(brush.color, 2 * (g + 1) + 1) << c.n;
      ASSERT_EQ(poly.op, TOp::PolyPolygon);
      EXPECT_EQ(poly.counts, (std::vector<int32_t>{size, size}));
      for (int32_t j = 0; j < size; ++j) {
        EXPECT_EQ(poly.points[j].x, p + j);
        EXPECT_EQ(poly.points[j].y, 0);
        EXPECT_EQ(poly.points[size + j].x, p + j);
        EXPECT_EQ(poly.points[size + j].y, 100);
      }
      p += size;
    }
  }
}

TEST_F(DrawTest, TypeBJoinsEachPointToTheNextImageFirst) {
  SetSetting(window, &TSaverSettings::BugsType, 2);  // any non-zero value draws lines
  SetSetting(window, &TSaverSettings::BugPtnSize, 3);
  window.BugDraw(image, mirror, colors);
  ASSERT_EQ(Calls().size(), 15u);
  for (int k = 0; k < 3; ++k) {
    const int next = (k + 1) % 3;
    const auto* c = &Calls()[5 * k];
    EXPECT_EQ(c[0].op, TOp::Pen);
    EXPECT_EQ(c[0].color, static_cast<TColorValue>(k + 1));
    EXPECT_EQ(c[1].op, TOp::MoveTo);
    EXPECT_EQ(c[1].points[0].x, k + 1);
    EXPECT_EQ(c[1].points[0].y, 0);
    EXPECT_EQ(c[2].op, TOp::LineTo);
    EXPECT_EQ(c[2].points[0].x, next + 1);
    EXPECT_EQ(c[2].points[0].y, 0);
    EXPECT_EQ(c[3].op, TOp::MoveTo);
    EXPECT_EQ(c[3].points[0].y, 100);
    EXPECT_EQ(c[4].op, TOp::LineTo);
    EXPECT_EQ(c[4].points[0].x, next + 1);
    EXPECT_EQ(c[4].points[0].y, 100);
  }
}

TEST_F(DrawTest, NoPointsDrawNothing) {
  for (int32_t type : {0, 1}) {
    for (int32_t n : {0, -5}) {
      SetSetting(window, &TSaverSettings::BugsType, type);
      SetSetting(window, &TSaverSettings::BugPtnSize, n);
      window.BugDraw(image, mirror, colors);
    }
  }
  EXPECT_TRUE(Calls().empty());
}

TEST_F(DrawTest, ColourValuePacksRedGreenBlue) {
  SetSetting(window, &TSaverSettings::BugsType, 1);
  SetSetting(window, &TSaverSettings::BugPtnSize, 1);
  colors[0] = TBugColor{0x12, 0x34, 0x56};
  window.BugDraw(image, mirror, colors);
  EXPECT_EQ(Calls()[0].color, 0x563412u);
}

TEST_F(DrawTest, PaintFillsTheClientAreaBlack) {
  window.FormPaint();
  ASSERT_EQ(Calls().size(), 2u);
  EXPECT_EQ(Calls()[0].op, TOp::Brush);
  EXPECT_EQ(Calls()[0].color, 0u);
  EXPECT_EQ(Calls()[1].op, TOp::FillRect);
  EXPECT_EQ(Calls()[1].points[0].x, 0);
  EXPECT_EQ(Calls()[1].points[0].y, 0);
  EXPECT_EQ(Calls()[1].points[1].x, 320);
  EXPECT_EQ(Calls()[1].points[1].y, 200);
}

}  // namespace
}  // namespace zarmok
