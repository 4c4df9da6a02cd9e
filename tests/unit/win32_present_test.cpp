// What the Windows saver shows: the canvas's picture, carried to the window by the damaged
// rectangles alone.
#include <gtest/gtest.h>

#include "win32/win32_present.h"
#include "win32_gdi_support.h"

namespace zarmok::testing {
namespace {

// Every pixel the window holds is the canvas's.
int Differing(const win32::TCanvasPresenter& presenter, const TDibSection& window) {
  int differing = 0;
  const TRasterCanvas& picture = presenter.Picture();
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) differing += picture.PixelAt(x, y) != window.At(x, y);
  }
  return differing;
}

TEST(CanvasPresenter, TheWindowShowsTheCanvasAfterEachStep) {
  win32::TCanvasPresenter presenter(64, 48);
  TDibSection window(64, 48);
  ASSERT_TRUE(window.Valid());
  IDrawSurface& drawing = presenter.Drawing();
  drawing.SetBrushColor(0x00102030u);
  drawing.FillRect(0, 0, 64, 48);
  presenter.Present(window.Dc());
  EXPECT_EQ(Differing(presenter, window), 0);

  // Figures far apart: separate rectangles, each sent on its own; the rest stays as it was.
  const TPoint points[] = {{2, 2}, {12, 3}, {5, 11}, {50, 30}, {61, 44}, {55, 47}};
  const int32_t counts[] = {3, 3};
  drawing.SetPenColor(0x00FF8000u);
  drawing.SetBrushColor(0x000080FFu);
  drawing.PolyPolygon(points, counts, 2);
  drawing.MoveTo(30, 0);
  drawing.LineTo(34, 47);
  presenter.Present(window.Dc());
  EXPECT_EQ(Differing(presenter, window), 0);

  // A new size starts black and is shown whole by the paint that follows it.
  presenter.Resize(40, 30);
  TDibSection smaller(40, 30);
  ASSERT_TRUE(smaller.Valid());
  drawing.SetBrushColor(0);
  drawing.FillRect(0, 0, 40, 30);
  drawing.SetPenColor(0x00FFFFFFu);
  drawing.MoveTo(0, 29);
  drawing.LineTo(39, 0);
  presenter.Present(smaller.Dc());
  EXPECT_EQ(Differing(presenter, smaller), 0);
}

}  // namespace
}  // namespace zarmok::testing
