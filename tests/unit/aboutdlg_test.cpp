#include "AboutDlg.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace zarmok {
namespace {

bool Inside(const TRect& r, int32_t width, int32_t height) {
  return r.left >= 0 && r.top >= 0 && r.left + r.width <= width && r.top + r.height <= height;
}

// Where each part of the box lies: none leaves its frame or covers another.
TEST(AboutBoxTest, ShowsTheNameAndVersionInsideThePanelAboveItsOkButton) {
  const TAboutBoxLayout& box = kAboutBox;
  EXPECT_TRUE(Inside(box.panel, box.client_width, box.client_height));
  EXPECT_TRUE(Inside(box.product_name.rect, box.panel.width, box.panel.height));
  EXPECT_TRUE(Inside(box.version.rect, box.panel.width, box.panel.height));
  // The name's line ends above the version's.
  EXPECT_LE(box.product_name.rect.top + box.product_name.rect.height, box.version.rect.top);
  EXPECT_TRUE(Inside(box.ok, box.client_width, box.client_height));
  EXPECT_GT(box.ok.top, box.panel.top + box.panel.height);
  EXPECT_GT(box.ok.left, box.panel.left);
  EXPECT_LT(box.ok.left + box.ok.width, box.panel.left + box.panel.width);
  // The name's font fits its line.
  EXPECT_LE(box.product_name.font->pixels, box.product_name.rect.height);
}

TEST(AboutBoxTest, NameFontFallsBackToAMetricCompatibleSerif) {
  EXPECT_STREQ(ChooseFontFace(kProductNameFont,
                              [](const char* f) { return std::string(f) == "Liberation Serif"; }),
               "Liberation Serif");
  EXPECT_STREQ(ChooseFontFace(kProductNameFont, [](const char*) { return true; }),
               "Times New Roman");
  EXPECT_STREQ(
      ChooseFontFace(kVersionFont, [](const char* f) { return std::string(f) == "IPAGothic"; }),
      "IPAGothic");
}

TEST(CenteredOriginTest, SplitsTheSpareRoomEvenly) {
  struct TCase {
    int32_t screen_width, screen_height, width, height;
    int32_t left, top;
  };
  const TCase cases[] = {
      {1024, 768, 294, 201, 365, 283},
      {1025, 769, 294, 201, 365, 284},  // an odd pixel of room goes to the right and bottom
      {294, 201, 294, 201, 0, 0},
      {200, 100, 294, 201, -47, -50},  // a box larger than the screen overhangs both sides
      {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
      {INT32_MIN, 0, INT32_MAX, 0, -INT32_MAX, 0},
  };
  for (const TCase& c : cases) {
    const TPoint origin = CenteredOrigin(c.screen_width, c.screen_height, c.width, c.height);
    EXPECT_EQ(origin.x, c.left) << c.screen_width << " " << c.width;
    EXPECT_EQ(origin.y, c.top) << c.screen_height << " " << c.height;
  }
}

}  // namespace
}  // namespace zarmok
