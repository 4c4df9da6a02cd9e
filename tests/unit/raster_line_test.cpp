// The software canvas's lines: end pixel left out, colour conversion, clipping of any 32-bit
// coordinates onto the same pixels as an unclipped line, and the dirty rectangle.
#include <gtest/gtest.h>

#include <random>

#include "raster.h"

namespace zarmok {
namespace {

int CountColour(const TRasterCanvas& c, uint32_t colour) {
  int n = 0;
  for (int32_t y = 0; y < c.Height(); ++y) {
    for (int32_t x = 0; x < c.Width(); ++x) n += c.PixelAt(x, y) == colour;
  }
  return n;
}

TEST(RasterLineTest, LeavesOutTheEndPixelAndConvertsTheColour) {
  TRasterCanvas c(20, 20);
  c.SetPenColor(0x563412);  // red 0x12, green 0x34, blue 0x56
  c.MoveTo(2, 3);
  c.LineTo(9, 3);
  EXPECT_EQ(c.PixelAt(2, 3), 0x123456u);
  EXPECT_EQ(c.PixelAt(8, 3), 0x123456u);
  EXPECT_EQ(c.PixelAt(9, 3), 0u);
  EXPECT_EQ(CountColour(c, 0x123456u), 7);
  c.LineTo(9, 3);  // a line to the current position paints nothing
  EXPECT_EQ(CountColour(c, 0x123456u), 7);
  c.LineTo(9, 10);  // the current position moved to (9, 3): it is the first pixel now
  EXPECT_EQ(c.PixelAt(9, 3), 0x123456u);
  EXPECT_EQ(c.PixelAt(9, 10), 0u);
  EXPECT_EQ(CountColour(c, 0x123456u), 14);
}

TEST(RasterLineTest, DiagonalsAndSteepLinesTakeOnePixelPerMajorStep) {
  TRasterCanvas c(40, 40);
  c.SetPenColor(0xFFFFFF);
  c.MoveTo(0, 0);
  c.LineTo(10, 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(c.PixelAt(i, i), 0xFFFFFFu);
  c.MoveTo(20, 30);
  c.LineTo(23, 5);  // steep: 25 pixels, one per row
  EXPECT_EQ(CountColour(c, 0xFFFFFFu), 35);
  for (int32_t y = 6; y <= 30; ++y) {
    int in_row = 0;
    for (int32_t x = 18; x < 26; ++x) in_row += c.PixelAt(x, y) != 0;
    EXPECT_EQ(in_row, 1) << y;
  }
}

// A line clipped to a small canvas paints exactly the window of the same line drawn whole on a
// canvas big enough to hold it.
TEST(RasterLineTest, ClippedLinesKeepTheirPixels) {
  std::mt19937 rng(1);
  std::uniform_int_distribution<int32_t> coord(-60, 100);
  const int32_t off = 100;
  TRasterCanvas small(41, 29);
  TRasterCanvas big(300, 300);
  for (int i = 0; i < 3000; ++i) {
    const int32_t x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng);
    small.SetBrushColor(0);
    small.FillRect(0, 0, 41, 29);
    big.SetBrushColor(0);
    big.FillRect(0, 0, 300, 300);
    small.SetPenColor(0xFFFFFF);
    small.MoveTo(x0, y0);
    small.LineTo(x1, y1);
    big.SetPenColor(0xFFFFFF);
    big.MoveTo(x0 + off, y0 + off);
    big.LineTo(x1 + off, y1 + off);
    for (int32_t y = 0; y < 29; ++y) {
      for (int32_t x = 0; x < 41; ++x) {
        const uint32_t want = big.PixelAt(x + off, y + off);
        ASSERT_EQ(small.PixelAt(x, y), want)
            << "(" << x0 << "," << y0 << ")-(" << x1 << "," << y1 << ") at " << x << "," << y;
      }
    }
  }
}

TEST(RasterLineTest, ExtremeCoordinatesClipWithoutOverflow) {
  const int32_t lo = INT32_MIN, hi = INT32_MAX;
  TRasterCanvas c(50, 40);
  c.SetPenColor(0xFF);
  c.MoveTo(lo, 5);
  c.LineTo(hi, 5);  // the whole row
  EXPECT_EQ(CountColour(c, 0xFF0000u), 50);
  c.SetPenColor(0xFF00);
  c.MoveTo(-1000000000, -1000000000);
  c.LineTo(1000000000, 1000000000);  // the main diagonal
  for (int i = 0; i < 40; ++i) EXPECT_EQ(c.PixelAt(i, i), 0x00FF00u) << i;
  EXPECT_EQ(CountColour(c, 0x00FF00u), 40);
  c.SetPenColor(0xFF0000);
  const int32_t corners[][4] = {{lo, lo, hi, hi}, {hi, lo, lo, hi}, {lo, hi, hi, lo},
                                {hi, hi, lo, lo}, {lo, 0, lo, 39},  {hi, lo, hi, hi},
                                {lo, lo, 10, 10}, {10, 10, hi, lo}, {0, hi, 0, lo}};
  for (const auto& k : corners) {
    c.MoveTo(k[0], k[1]);
    c.LineTo(k[2], k[3]);
  }
  EXPECT_EQ(c.PixelAt(0, 0) == 0x0000FFu || c.PixelAt(0, 0) == 0x00FF00u, true);
  EXPECT_EQ(c.PixelAt(0, 20), 0x0000FFu);  // the vertical line at x = 0, over the whole height
}

// A halfway minor step goes to the smaller coordinate whichever way the line runs, so a line
// and its reverse cover the same pixels, each leaving out its own end.
TEST(RasterLineTest, ReverseLineCoversTheSamePixels) {
  int differing_lines = 0;
  for (int32_t dy = -9; dy <= 9; ++dy) {
    for (int32_t dx = -9; dx <= 9; ++dx) {
      TRasterCanvas forward(24, 24), backward(24, 24);
      forward.SetPenColor(1);
      backward.SetPenColor(1);
      forward.MoveTo(11, 11);
      forward.LineTo(11 + dx, 11 + dy);
      backward.MoveTo(11 + dx, 11 + dy);
      backward.LineTo(11, 11);
      if (dx != 0 || dy != 0) {
        EXPECT_EQ(forward.PixelAt(11 + dx, 11 + dy), 0u);
        EXPECT_EQ(backward.PixelAt(11, 11), 0u);
        forward.MoveTo(11 + dx, 11 + dy);
        forward.LineTo(11 + dx + 1, 11 + dy);  // paints just the end pixel
        backward.MoveTo(11, 11);
        backward.LineTo(12, 11);
      }
      bool same = true;
      for (int32_t y = 0; y < 24; ++y) {
        for (int32_t x = 0; x < 24; ++x) same &= forward.PixelAt(x, y) == backward.PixelAt(x, y);
      }
      differing_lines += !same;
      EXPECT_TRUE(same) << dx << "," << dy;
    }
  }
  EXPECT_EQ(differing_lines, 0);
  // (0,0)-(4,2): the halfway offsets at steps 1 and 3 go up to rows 0 and 1.
  TRasterCanvas c(8, 8);
  c.SetPenColor(1);
  c.MoveTo(0, 0);
  c.LineTo(4, 2);
  EXPECT_EQ(c.PixelAt(1, 0), 0x010000u);
  EXPECT_EQ(c.PixelAt(3, 1), 0x010000u);
  EXPECT_EQ(CountColour(c, 0x010000u), 4);
}

}  // namespace
}  // namespace zarmok
