// The software canvas's polygons: even-odd fill over every polygon of a call, outlines after the
// fill, degenerate polygons, rectangles.
#include <gtest/gtest.h>

#include "raster.h"

#include <cmath>
#include <numbers>

namespace zarmok {
namespace {

// Colour values (red + 256 green + 65536 blue); Pixel() gives the framebuffer's 0x00RRGGBB.
constexpr uint32_t kPen = 0xFF0000;    // blue
constexpr uint32_t kBrush = 0x00FF00;  // green

uint32_t Pixel(uint32_t value) {
  return ((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF);
}

int Count(const TRasterCanvas& c, uint32_t pixel) {
  int n = 0;
  for (int32_t y = 0; y < c.Height(); ++y) {
    for (int32_t x = 0; x < c.Width(); ++x) n += c.PixelAt(x, y) == pixel;
  }
  return n;
}

void Draw(TRasterCanvas& c, std::vector<std::vector<TPoint>> polys) {
  std::vector<TPoint> pts;
  std::vector<int32_t> counts;
  for (const auto& p : polys) {
    pts.insert(pts.end(), p.begin(), p.end());
    counts.push_back(static_cast<int32_t>(p.size()));
  }
  c.SetPenColor(kPen);
  c.SetBrushColor(kBrush);
  c.PolyPolygon(pts.data(), counts.data(), static_cast<int32_t>(counts.size()));
}

TEST(RasterPolygonTest, RectangleFillsInsideAndOutlinesItsEdges) {
  TRasterCanvas c(30, 30);
  Draw(c, {{{2, 3}, {12, 3}, {12, 8}, {2, 8}}});
  // Outline: 2 * (10 + 5) pixels; interior: centres strictly inside, 9 x 4.
  EXPECT_EQ(Count(c, Pixel(kPen)), 30);
  EXPECT_EQ(Count(c, Pixel(kBrush)), 9 * 4);
  EXPECT_EQ(c.PixelAt(2, 3), Pixel(kPen));
  EXPECT_EQ(c.PixelAt(12, 8), Pixel(kPen));
  EXPECT_EQ(c.PixelAt(7, 5), Pixel(kBrush));
}

TEST(RasterPolygonTest, OverlapOfTwoPolygonsIsLeftAsItWas) {
  TRasterCanvas c(40, 40);
  c.SetBrushColor(0x0000FF);  // blue background
  c.FillRect(0, 0, 40, 40);
  Draw(c, {{{0, 0}, {20, 0}, {20, 20}, {0, 20}}, {{10, 10}, {30, 10}, {30, 30}, {10, 30}}});
  EXPECT_EQ(c.PixelAt(15, 15), Pixel(0x0000FF));  // shows through
  EXPECT_EQ(c.PixelAt(5, 5), Pixel(kBrush));
  EXPECT_EQ(c.PixelAt(25, 25), Pixel(kBrush));
  EXPECT_EQ(c.PixelAt(15, 10), Pixel(kPen));  // outlines cross the overlap
  EXPECT_EQ(c.PixelAt(20, 15), Pixel(kPen));
}

TEST(RasterPolygonTest, SelfCrossingPolygonFillsItsTwoLobes) {
  TRasterCanvas c(40, 40);
  Draw(c, {{{0, 0}, {20, 20}, {20, 0}, {0, 20}}});  // a bow tie
  EXPECT_EQ(c.PixelAt(3, 10), Pixel(kBrush));       // left lobe
  EXPECT_EQ(c.PixelAt(17, 10), Pixel(kBrush));      // right lobe
  EXPECT_EQ(c.PixelAt(10, 3), 0u);                  // above the crossing: outside
  EXPECT_EQ(c.PixelAt(10, 17), 0u);
}

TEST(RasterPolygonTest, DegeneratePolygons) {
  TRasterCanvas c(20, 20);
  Draw(c, {{{5, 5}}, {{7, 7}}});        // one point each: nothing
  Draw(c, {{{9, 9}, {9, 9}, {9, 9}}});  // coincident points: nothing
  EXPECT_EQ(Count(c, 0), 400);
  Draw(c, {{{2, 2}, {8, 5}}});  // two points: the segment with both its ends
  EXPECT_EQ(c.PixelAt(2, 2), Pixel(kPen));
  EXPECT_EQ(c.PixelAt(8, 5), Pixel(kPen));
  EXPECT_EQ(Count(c, Pixel(kBrush)), 0);
  Draw(c, {{{1, 15}, {10, 15}, {18, 15}}});  // collinear: outline only
  EXPECT_EQ(Count(c, Pixel(kBrush)), 0);
  EXPECT_EQ(c.PixelAt(18, 15), Pixel(kPen));
}

TEST(RasterPolygonTest, FarVerticesClipAndManyEdgesWork) {
  TRasterCanvas c(30, 20);
  Draw(c, {{{INT32_MIN, INT32_MIN},
            {INT32_MAX, INT32_MIN},
            {INT32_MAX, INT32_MAX},
            {INT32_MIN, INT32_MAX}}});
  EXPECT_EQ(Count(c, Pixel(kBrush)), 600);
  // A 100-gon around the canvas: more edges than the fixed table holds.
  std::vector<TPoint> ring;
  for (int i = 0; i < 100; ++i) {
    const double a = i * 2 * std::numbers::pi / 100;
    ring.push_back(
        {static_cast<int32_t>(15 + 40 * std::cos(a)), static_cast<int32_t>(10 + 40 * std::sin(a))});
  }
  TRasterCanvas d(30, 20);
  Draw(d, {ring});
  EXPECT_EQ(Count(d, Pixel(kBrush)), 600);
}

TEST(RasterPolygonTest, FillRectClips) {
  TRasterCanvas c(10, 10);
  c.SetBrushColor(0x0000FF);
  c.FillRect(-5, 8, 3, 100);
  EXPECT_EQ(Count(c, 0xFF0000u), 6);
  EXPECT_EQ(c.PixelAt(2, 9), 0xFF0000u);
  c.FillRect(5, 5, 5, 9);  // empty
  EXPECT_EQ(Count(c, 0xFF0000u), 6);
}

// Interiors are sampled at each pixel's top-left corner, as GDI fills them: pixels of two
// crossing triangles, the values GDI gave for this very figure, where sampling at the
// pixel's centre would decide the other way.
TEST(RasterPolygonTest, InteriorIsSampledAtThePixelsCorner) {
  TRasterCanvas c(64, 64);
  Draw(c, {{{24, 37}, {35, 15}, {23, 36}}, {{27, 29}, {35, 24}, {23, 23}}});
  EXPECT_EQ(c.PixelAt(32, 19), 0u);
  EXPECT_EQ(c.PixelAt(31, 21), 0u);
  EXPECT_EQ(c.PixelAt(28, 26), Pixel(kBrush));
  EXPECT_EQ(c.PixelAt(27, 28), Pixel(kBrush));
  // A right triangle's rows: row y's corner (x, y) is inside for x < 24 - 2y (the long edge
  // x + 2y = 24), so the fill reaches the outline on every row.
  TRasterCanvas t(40, 20);
  Draw(t, {{{0, 0}, {24, 0}, {0, 12}}});
  for (int32_t y = 1; y < 12; ++y) {
    for (int32_t x = 1; x < 24 - 2 * y; ++x) {
      EXPECT_NE(t.PixelAt(x, y), 0u) << x << "," << y;
    }
    EXPECT_EQ(t.PixelAt(24 - 2 * y + 1, y), 0u) << y;
  }
}

}  // namespace
}  // namespace zarmok
