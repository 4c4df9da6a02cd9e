// The damage record of a saver window's picture: every painted pixel is shown, close
// rectangles are shown as one, and the record never holds more than its fixed number of
// rectangles.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "damage.h"
#include "raster.h"

namespace zarmok {
namespace {

std::vector<TDirtyRect> TakeAll(TDamage& damage) {
  std::array<TDirtyRect, TDamage::kMaxRects> rects;
  const int count = damage.Take(rects);
  return std::vector<TDirtyRect>(rects.begin(), rects.begin() + count);
}

bool Covered(const std::vector<TDirtyRect>& rects, int32_t x, int32_t y) {
  for (const auto& r : rects) {
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  }
  return false;
}

TEST(Damage, FarRectanglesStaySeparateCloseOnesJoin) {
  TDamage damage;
  damage.SetBounds(1920, 1080);
  damage.Add(10, 10, 20, 20);
  damage.Add(1800, 1000, 1810, 1010);
  damage.Add(25, 25, 30, 30);  // within the join distance of the first
  const auto rects = TakeAll(damage);
  ASSERT_EQ(rects.size(), 2u);
  int64_t area = 0;
  for (const auto& r : rects) area += int64_t{r.right - r.left} * (r.bottom - r.top);
  EXPECT_EQ(area, 20 * 20 + 10 * 10);
  EXPECT_EQ(damage.Count(), 0);
}

TEST(Damage, ClipsToTheWindowAndDropsEmptyRectangles) {
  TDamage damage;
  damage.SetBounds(100, 50);
  damage.Add(-10, -10, 5, 5);
  damage.Add(90, 40, 1000, 1000);
  damage.Add(200, 200, 300, 300);  // wholly outside
  damage.Add(30, 30, 30, 40);      // empty
  damage.Add(60, 10, 50, 20);      // inverted
  const auto rects = TakeAll(damage);
  ASSERT_EQ(rects.size(), 2u);
  for (const auto& r : rects) {
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.right, 100);
    EXPECT_LE(r.bottom, 50);
  }
}

TEST(Damage, ManyScatteredFiguresAreAllCoveredWithinTheLimit) {
  std::mt19937 random(7);
  for (int round = 0; round < 50; ++round) {
    TDamage damage;
    damage.SetBounds(640, 480);
    std::vector<TDirtyRect> added;
    for (int i = 0; i < 40; ++i) {
      const int32_t x = static_cast<int32_t>(random() % 700) - 30;
      const int32_t y = static_cast<int32_t>(random() % 520) - 20;
      const TDirtyRect r{x, y, x + static_cast<int32_t>(random() % 30),
                         y + static_cast<int32_t>(random() % 30)};
      damage.Add(r.left, r.top, r.right, r.bottom);
      added.push_back(r);
    }
    const auto rects = TakeAll(damage);
    ASSERT_LE(rects.size(), static_cast<size_t>(TDamage::kMaxRects));
    for (const auto& r : added) {
      for (int32_t y = std::max(r.top, 0); y < std::min(r.bottom, 480); ++y) {
        for (int32_t x = std::max(r.left, 0); x < std::min(r.right, 640); ++x) {
          ASSERT_TRUE(Covered(rects, x, y)) << x << "," << y << " round " << round;
        }
      }
    }
  }
}

TEST(DamageCanvas, EveryPaintedPixelLiesInTheDamage) {
  TRasterCanvas canvas(200, 120);
  TDamage damage;
  damage.SetBounds(200, 120);
  TDamageCanvas drawing(canvas, damage);
  drawing.SetPenColor(0x00FFFFFF);
  drawing.MoveTo(10, 10);
  drawing.LineTo(60, 30);
  drawing.LineTo(60, 5);
  drawing.SetBrushColor(0x0000FF00);
  const TPoint points[] = {{150, 80}, {190, 100}, {160, 119}, {120, 60}, {130, 70}, {125, 75}};
  const int32_t counts[] = {3, 3};
  drawing.PolyPolygon(points, counts, 2);
  drawing.FillRect(100, 0, 104, 4);
  const auto rects = TakeAll(damage);
  int painted = 0;
  for (int32_t y = 0; y < 120; ++y) {
    for (int32_t x = 0; x < 200; ++x) {
      if (canvas.PixelAt(x, y) == 0) continue;
      ++painted;
      ASSERT_TRUE(Covered(rects, x, y)) << x << "," << y;
    }
  }
  EXPECT_GT(painted, 100);
}

TEST(DamageCanvas, FiguresFarOffTheWindowAddNothing) {
  TRasterCanvas canvas(64, 64);
  TDamage damage;
  damage.SetBounds(64, 64);
  TDamageCanvas drawing(canvas, damage);
  drawing.MoveTo(INT32_MAX - 5, INT32_MAX - 5);
  drawing.LineTo(INT32_MAX, INT32_MAX);
  const TPoint far[] = {{INT32_MIN, INT32_MIN}, {INT32_MIN + 3, INT32_MIN}, {INT32_MIN, -5000}};
  const int32_t count = 3;
  drawing.PolyPolygon(far, &count, 1);
  EXPECT_EQ(damage.Count(), 0);
}

}  // namespace
}  // namespace zarmok
