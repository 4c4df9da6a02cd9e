// The software canvas against the system's GDI: the same calls, the same pixels.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "../../tools/gdi-render/gdi_picture.h"
#include "fake/memory_profile.h"
#include "headless_platform.h"
#include "raster.h"
#include "session.h"
#include "settings.h"
#include "win32/win32_gdi_surface.h"
#include "win32_gdi_support.h"

namespace zarmok::testing {

namespace {

constexpr int kSide = 64;
constexpr int kCentre = 32;

// The pixels where the canvas and the DIB differ, listed in `where` (up to a few).
int Differing(const TRasterCanvas& canvas, const TDibSection& dib, std::string& where) {
  GdiFlush();
  int n = 0;
  for (int y = 0; y < dib.Height(); ++y) {
    for (int x = 0; x < dib.Width(); ++x) {
      const uint32_t c = canvas.PixelAt(x, y);
      const uint32_t g = dib.At(x, y);
      if (c == g) continue;
      if (++n <= 4) {
        char text[64];
        std::snprintf(text, sizeof text, " (%d,%d) canvas %06x gdi %06x", x, y, c, g);
        where += text;
      }
    }
  }
  return n;
}

// Draws one line on a fresh canvas and a fresh DIB; the number of pixels that differ.
int LineDiffers(int x0, int y0, int x1, int y1) {
  TRasterCanvas canvas(kSide, kSide);
  TDibSection dib(kSide, kSide);
  EXPECT_TRUE(dib.Valid());
  win32::TGdiSurface gdi(dib.Dc());
  for (IDrawSurface* s : {static_cast<IDrawSurface*>(&canvas), static_cast<IDrawSurface*>(&gdi)}) {
    s->SetPenColor(0xFFFFFFu);
    s->MoveTo(x0, y0);
    s->LineTo(x1, y1);
  }
  std::string where;
  const int n = Differing(canvas, dib, where);
  if (n != 0) {
    ADD_FAILURE() << "line (" << x0 << "," << y0 << ")-(" << x1 << "," << y1 << "): " << n
                  << " pixels" << where;
  }
  return n;
}

// Every direction, ties of the walk included (a minor offset of exactly one half).
TEST(GdiAgreement, LinesOfEveryDirection) {
  int bad = 0;
  for (int dy = -20; dy <= 20; ++dy) {
    for (int dx = -20; dx <= 20; ++dx)
      bad += LineDiffers(kCentre, kCentre, kCentre + dx, kCentre + dy) != 0;
  }
  EXPECT_EQ(bad, 0);
}

// Lines that leave the picture, or pass across it from outside, keep the pixels of the whole
// walk: the canvas's clipped walks against GDI's.
TEST(GdiAgreement, LinesAcrossTheEdges) {
  int bad = 0;
  const int spots[] = {-300, -70, -9, 5, 40, 75, 333};
  for (int x0 : spots) {
    for (int y0 : spots) {
      for (int x1 : spots) {
        for (int y1 : spots) bad += LineDiffers(x0, y0, x1, y1) != 0;
      }
    }
  }
  // Long walks from inside, where the start of the clipped range is solved, not walked.
  for (int k = -40; k <= 40; ++k) {
    bad += LineDiffers(10, 20, 10 + 2 * 250, 20 + 5 * k) != 0;
    bad += LineDiffers(50, 30, 50 - 3 * k, 30 - 2 * 250) != 0;
  }
  EXPECT_EQ(bad, 0);
}

// Pairs of polygons in one call as a bug's figure makes them (a pose and its mirror image,
// 1 to 5 points each), at random points that cross and touch: fill, alternate rule and
// outline against GDI's.
TEST(GdiAgreement, PolygonPairs) {
  uint32_t state = 12345;
  auto next = [&](int span) {
    state = state * 1103515245u + 12345u;
    return static_cast<int>((state >> 8) % static_cast<uint32_t>(span));
  };
  int bad = 0;
  for (int round = 0; round < 3000; ++round) {
    const int size = 1 + round % 5;
    const int span = round % 3 == 0 ? 8 : round % 3 == 1 ? 24 : 90;
    TPoint points[10];
    for (int k = 0; k < 2 * size; ++k)
      points[k] = TPoint{next(span) + 20 - span / 4, next(span) + 20 - span / 4};
    const int32_t counts[2] = {size, size};
    TRasterCanvas canvas(kSide, kSide);
    TDibSection dib(kSide, kSide);
    ASSERT_TRUE(dib.Valid());
    {
      win32::TGdiSurface gdi(dib.Dc());
      for (IDrawSurface* s :
           {static_cast<IDrawSurface*>(&canvas), static_cast<IDrawSurface*>(&gdi)}) {
        s->SetPenColor(0x00FF00u);
        s->SetBrushColor(0x0000FFu);
        s->PolyPolygon(points, counts, 2);
      }
    }
    std::string where;
    const int n = Differing(canvas, dib, where);
    if (n != 0) {
      ++bad;
      ::testing::Message figure;
      for (int k = 0; k < 2 * size; ++k) figure << " " << points[k].x << "," << points[k].y;
      ADD_FAILURE() << "polygons" << figure << ": " << n << " pixels" << where;
    }
  }
  EXPECT_EQ(bad, 0);
}

struct TRunCase {
  const char* name;
  std::map<std::string, std::string> settings;
  int32_t width;
  int32_t height;
};

class GdiAgreementRun : public ::testing::TestWithParam<TRunCase> {};

// The saver's own session, every figure drawn through both: after each batch of steps the two
// pictures are the same, pixel for pixel.
TEST_P(GdiAgreementRun, SaverPictureIsGdis) {
  const TRunCase& run = GetParam();
  TMemoryProfile profile;
  const std::string ini = "C:\\saver\\zarmok.scr.ini";
  for (const auto& [key, value] : run.settings) profile.Set(ini, kSettingsSection, key, value);
  tools::THeadlessPlatform platform(profile, ini, {TWindowRect{0, 0, run.width, run.height}});
  platform.MakeSecondPictures([] { return std::make_unique<TGdiPicture>(); });
  int batches = 0;
  int64_t painted = 0;
  TSaverSession session(platform, {"/s"}, 20261207);
  session.ObserveSteps([&](int64_t step) {
    if (step > 0 && step % 50 == 0) {
      ++batches;
      const tools::THeadlessWindow& window = *platform.Windows().front();
      const TGdiPicture& gdi = GdiPictureOf(window);
      EXPECT_EQ(CountDiffering(session.Picture(0), gdi), 0) << "after " << step << " steps";
      for (int32_t y = 0; y < gdi.Height(); ++y) {
        for (int32_t x = 0; x < gdi.Width(); ++x) painted += gdi.PixelAt(x, y) != 0;
      }
    }
    return step < 300;
  });
  session.Create(0);
  session.Run();
  EXPECT_EQ(batches, 6);
  EXPECT_GT(painted, 0);  // the swarm was drawn at all
}

INSTANTIATE_TEST_SUITE_P(
    BothStyles, GdiAgreementRun,
    ::testing::Values(TRunCase{"TypeADefaults", {{"BugsType", "0"}}, 640, 480},
                      TRunCase{"TypeBDefaults", {{"BugsType", "1"}}, 640, 480},
                      TRunCase{"TypeAHeavySmall",
                               {{"BugsType", "0"},
                                {"MaxBugs", "20"},
                                {"BugPtnSize", "11"},
                                {"ImageListLen", "12"},
                                {"BugSize", "30"}},
                               200,
                               150},
                      TRunCase{"TypeBHeavySmall",
                               {{"BugsType", "1"},
                                {"MaxBugs", "20"},
                                {"BugPtnSize", "40"},
                                {"ImageListLen", "8"},
                                {"BugSize", "30"}},
                               200,
                               150},
                      TRunCase{
                          "TypeATwoPoints", {{"BugsType", "0"}, {"BugPtnSize", "2"}}, 320, 240}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

}  // namespace zarmok::testing
