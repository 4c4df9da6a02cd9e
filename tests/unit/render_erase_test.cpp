// An erase in black paints exactly the pixels that the same figure painted in colour, in both
// styles, on the software canvas.
#include <gtest/gtest.h>

#include <random>

#include "DeskTop.h"
#include "fake/fake_host.h"
#include "fake/memory_profile.h"
#include "fake/settings_edit.h"

namespace zarmok {
namespace {

using testing::SetSetting;

class EraseTest : public ::testing::TestWithParam<int32_t> {};

TEST_P(EraseTest, EraseCoversDrawOnRandomFigures) {
  testing::TFakeSaverHost host(64, 48);
  testing::TMemoryProfile profile;
  TDesktopWindow window(TDesktopHost{host, host, profile, "x.ini"});
  SetSetting(window, &TSaverSettings::BugsType, GetParam());
  TRasterCanvas& canvas = host.Raster();
  const size_t size = 64 * 48;
  std::mt19937 rng(GetParam() + 17);
  std::uniform_int_distribution<int32_t> near_x(-20, 84), near_y(-20, 68), byte(1, 255);
  std::uniform_int_distribution<int32_t> points(1, 40), far(-5, 5);

  for (int figure = 0; figure < 400; ++figure) {
    SetSetting(window, &TSaverSettings::BugPtnSize, points(rng));
    TPointArray image{}, mirror{};
    TColorLevel colors{};
    for (int k = 0; k < kPtnPoints; ++k) {
      // Mostly small bugs on the canvas, now and then a vertex thrown far away.
      const int32_t cx = near_x(rng), cy = near_y(rng);
      image[k] = TPoint{cx, cy};
      mirror[k] = TPoint{cx + far(rng) * 3, 47 - cy};
      if (far(rng) == 5) image[k].x = figure % 2 ? INT32_MAX : -1000000;
      colors[k] = TBugColor{static_cast<uint8_t>(byte(rng)), static_cast<uint8_t>(byte(rng)),
                            static_cast<uint8_t>(byte(rng))};
    }
    window.FormPaint();
    window.BugDraw(image, mirror, colors);
    const std::vector<uint32_t> drawn(canvas.Pixels(), canvas.Pixels() + size);

    canvas.SetBrushColor(0xFFFFFF);
    canvas.FillRect(0, 0, 64, 48);
    window.BugDraw(image, mirror, window.EraseColors);
    for (size_t i = 0; i < size; ++i) {
      const int32_t x = static_cast<int32_t>(i % 64), y = static_cast<int32_t>(i / 64);
      const bool painted = drawn[i] != 0;
      const bool erased = canvas.Pixels()[i] == 0;
      ASSERT_EQ(painted, erased) << "figure " << figure << " pixel " << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothStyles, EraseTest, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param ? "TypeB" : "TypeA"; });

}  // namespace
}  // namespace zarmok
