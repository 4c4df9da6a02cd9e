// What the Windows saver shows: the rectangles of the session's picture it is given, each at
// its place, and nothing else of the window changed.
#include <gtest/gtest.h>

#include "raster.h"
#include "win32/win32_present.h"
#include "win32_gdi_support.h"

namespace zarmok::testing {
namespace {

// The pixels inside `r` that differ from the picture's, and those outside it that are no
// longer `outside`.
std::pair<int, int> Differing(const TRasterCanvas& picture, const TDibSection& window,
                              const TDirtyRect& r, uint32_t outside) {
  int inside_differ = 0;
  int outside_changed = 0;
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const bool in = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
      if (in) inside_differ += picture.PixelAt(x, y) != window.At(x, y);
      if (!in) outside_changed += window.At(x, y) != outside;
    }
  }
  return {inside_differ, outside_changed};
}

TEST(Win32Presenter, ShowsTheRectanglesGivenAndOnlyThem) {
  win32::TWin32Presenter presenter;
  for (const auto& [width, height] : {std::pair{64, 48}, std::pair{40, 30}}) {
    // A picture of another size than the last: the presenter's bitmap follows it.
    TRasterCanvas picture(width, height);
    picture.SetBrushColor(0x00102030u);
    picture.FillRect(0, 0, width, height);
    picture.SetPenColor(0x00FF8000u);
    picture.MoveTo(0, height - 1);
    picture.LineTo(width - 1, 0);
    TDibSection window(width, height, 0x00ABCDEFu);
    ASSERT_TRUE(window.Valid());

    const TDirtyRect rects[] = {{3, 2, 20, 11}, {width - 9, height - 7, width, height}};
    presenter.Blit(window.Dc(), picture, &rects[0], 1);
    EXPECT_EQ(Differing(picture, window, rects[0], 0x00ABCDEFu), std::pair(0, 0));

    presenter.Blit(window.Dc(), picture, rects, 2);
    EXPECT_EQ(Differing(picture, window, rects[1], 0x00ABCDEFu).first, 0);
    EXPECT_EQ(window.CountEqual(0x00ABCDEFu), width * height - (17 * 9) - (9 * 7));
  }
}

}  // namespace
}  // namespace zarmok::testing
