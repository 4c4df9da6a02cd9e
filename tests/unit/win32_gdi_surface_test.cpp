// The drawing surface over the system's GDI, drawn into a 32-bit DIB section.
#include "win32_gdi_support.h"

#include <gtest/gtest.h>

#include "win32/win32_gdi_surface.h"

namespace zarmok::testing {

namespace {

constexpr uint32_t kBlack = 0x000000u;

TEST(GdiSurface, LineLeavesOutItsEndPixelAndMovesTheCurrentPosition) {
  TDibSection dib(16, 8);
  ASSERT_TRUE(dib.Valid());
  win32::TGdiSurface surface(dib.Dc());
  surface.SetPenColor(0x00FFFFFFu);
  surface.MoveTo(1, 1);
  surface.LineTo(6, 1);
  GdiFlush();
  for (int x = 1; x < 6; ++x) EXPECT_EQ(dib.At(x, 1), 0xFFFFFFu) << x;
  EXPECT_EQ(dib.At(6, 1), kBlack);
  EXPECT_EQ(dib.At(0, 1), kBlack);

  // The next line starts where the last one ended, and paints that pixel.
  surface.LineTo(6, 5);
  GdiFlush();
  for (int y = 1; y < 5; ++y) EXPECT_EQ(dib.At(6, y), 0xFFFFFFu) << y;
  EXPECT_EQ(dib.At(6, 5), kBlack);
  EXPECT_EQ(dib.CountNot(kBlack), 9);
}

TEST(GdiSurface, ColourValuesAreRedInTheLowByte) {
  TDibSection dib(8, 8);
  ASSERT_TRUE(dib.Valid());
  win32::TGdiSurface surface(dib.Dc());
  // red 0x11, green 0x22, blue 0x33; the DIB holds 0x00RRGGBB.
  surface.SetPenColor(0x00332211u);
  surface.MoveTo(0, 0);
  surface.LineTo(3, 0);
  surface.SetBrushColor(0x00CCBBAAu);
  surface.FillRect(0, 2, 2, 3);
  GdiFlush();
  EXPECT_EQ(dib.At(0, 0), 0x112233u);
  EXPECT_EQ(dib.At(1, 2), 0xAABBCCu);
  // A later colour applies to later calls only.
  surface.SetPenColor(0x000000FFu);
  surface.MoveTo(0, 5);
  surface.LineTo(2, 5);
  GdiFlush();
  EXPECT_EQ(dib.At(0, 5), 0xFF0000u);
  EXPECT_EQ(dib.At(2, 0), 0x112233u);
}

TEST(GdiSurface, FillRectLeavesOutRightColumnAndBottomRow) {
  TDibSection dib(10, 10, 0x404040u);
  ASSERT_TRUE(dib.Valid());
  win32::TGdiSurface surface(dib.Dc());
  surface.SetBrushColor(0x00000080u);
  surface.FillRect(2, 3, 5, 7);
  GdiFlush();
  EXPECT_EQ(dib.CountEqual(0x800000u), 3 * 4);
  EXPECT_EQ(dib.At(2, 3), 0x800000u);
  EXPECT_EQ(dib.At(4, 6), 0x800000u);
  EXPECT_EQ(dib.At(5, 6), 0x404040u);
  EXPECT_EQ(dib.At(4, 7), 0x404040u);
}

TEST(GdiSurface, PolygonsOfOneCallFillUnderTheAlternateRuleAndAreOutlined) {
  TDibSection dib(24, 24);
  ASSERT_TRUE(dib.Valid());
  win32::TGdiSurface surface(dib.Dc());
  surface.SetPenColor(0x0000FF00u);
  surface.SetBrushColor(0x000000FFu);
  // Two squares overlapping in [8, 12] x [8, 12].
  const TPoint points[8] = {{2, 2}, {12, 2}, {12, 12}, {2, 12}, {8, 8}, {18, 8}, {18, 18}, {8, 18}};
  const int32_t counts[2] = {4, 4};
  surface.PolyPolygon(points, counts, 2);
  GdiFlush();
  constexpr uint32_t kPen = 0x00FF00u;
  constexpr uint32_t kBrush = 0xFF0000u;
  // Outlines are closed: every corner painted, the pen over the fill.
  for (const TPoint& p : points) EXPECT_EQ(dib.At(p.x, p.y), kPen) << p.x << "," << p.y;
  EXPECT_EQ(dib.At(5, 5), kBrush);
  EXPECT_EQ(dib.At(15, 15), kBrush);
  // Covered by both: outside under the alternate rule.
  EXPECT_EQ(dib.At(10, 10), kBlack);
  EXPECT_EQ(dib.At(9, 11), kBlack);
  EXPECT_EQ(dib.At(12, 5), kPen);
  EXPECT_EQ(dib.At(13, 5), kBlack);
  EXPECT_EQ(dib.At(20, 20), kBlack);
}

TEST(GdiSurface, GoingAwayGivesTheDcItsOwnObjectsBack) {
  TDibSection dib(4, 4);
  ASSERT_TRUE(dib.Valid());
  HDC dc = dib.Dc();
  const HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
  const HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
  SetPolyFillMode(dc, WINDING);
  {
    win32::TGdiSurface surface(dc);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(DC_PEN));
    EXPECT_EQ(GetPolyFillMode(dc), ALTERNATE);
  }
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
  EXPECT_EQ(GetPolyFillMode(dc), WINDING);
}

}  // namespace

}  // namespace zarmok::testing
