// Trails painted from the pixels kept for each figure, as every saver's picture is drawn,
// against the same run drawn figure by figure through a surface that only passes each call
// on to a canvas.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "DeskTop.h"
#include "damage.h"
#include "fake/memory_profile.h"
#include "raster.h"

namespace zarmok {
namespace {

class TPassOn final : public IDrawSurface {
 public:
  explicit TPassOn(TRasterCanvas& canvas) : canvas_(canvas) {}
  void SetPenColor(TColorValue color) override { canvas_.SetPenColor(color); }
  void MoveTo(int32_t x, int32_t y) override { canvas_.MoveTo(x, y); }
  void LineTo(int32_t x, int32_t y) override { canvas_.LineTo(x, y); }
  void SetBrushColor(TColorValue color) override { canvas_.SetBrushColor(color); }
  void PolyPolygon(const TPoint* points, const int32_t* counts, int32_t polygons) override {
    canvas_.PolyPolygon(points, counts, polygons);
  }
  void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override {
    canvas_.FillRect(left, top, right, bottom);
  }

 private:
  TRasterCanvas& canvas_;
};

struct TCanvasHost final : public IFormWindow, public ISaverHost {
  explicit TCanvasHost(bool pass_on) : pass_on(pass_on) { damage.SetBounds(480, 320); }
  int32_t ClientWidth() override { return canvas.Width(); }
  int32_t ClientHeight() override { return canvas.Height(); }
  void RequestMaximized() override {}
  IDrawSurface& Canvas() override {
    if (pass_on) return passing;
    return drawing;
  }
  void SetScreenSaverRunning(bool) override {}
  void ShowCursor(bool) override {}
  void SetIdleHandler(std::function<void(bool&)>) override {}
  void Resize(int32_t width, int32_t height) {
    canvas.Resize(width, height);
    damage.SetBounds(width, height);
  }

  bool pass_on;
  TRasterCanvas canvas{480, 320};
  TDamage damage;
  TDamageCanvas drawing{canvas, damage};
  TPassOn passing{canvas};
};

class TrailCacheTest : public ::testing::TestWithParam<const char*> {};

TEST_P(TrailCacheTest, KeptFiguresPaintWhatDirectDrawingPaints) {
  testing::TMemoryProfile profile;
  for (const auto& [key, value] :
       std::vector<std::pair<std::string, std::string>>{{"MaxBugs", "20"},
                                                        {"BugPtnSize", "40"},
                                                        {"ImageListLen", "30"},
                                                        {"BugPtnExCyc", "1"},
                                                        {"BugSize", "30"},
                                                        {"BugsType", GetParam()}}) {
    profile.Set("x.ini", kSettingsSection, key, value);
  }
  TCanvasHost kept_host(false), direct_host(true);
  TDesktopWindow kept(TDesktopHost{kept_host, kept_host, profile, "x.ini", 0, {}, nullptr, 7});
  TDesktopWindow direct(
      TDesktopHost{direct_host, direct_host, profile, "x.ini", 0, {}, nullptr, 7});
  kept.FormCreate();
  direct.FormCreate();
  // A bug born with its pattern spread far, so that figures too large to keep come and go as
  // it shrinks back.
  std::mt19937 rng(11);
  std::uniform_int_distribution<int32_t> offset(-150, 150);
  for (TPoint& p : kept.Bugs[0].Ptn) p = TPoint{offset(rng), offset(rng)};
  direct.Bugs[0].Ptn = kept.Bugs[0].Ptn;

  const TRasterCanvas& picture = kept_host.canvas;
  std::vector<uint32_t> before(picture.Pixels(), picture.Pixels() + 480 * 320);
  for (int step = 1; step <= 160; ++step) {
    if (step == 60 || step == 110) {
      // Another monitor, taller, then narrower: the picture is lost and figures are clipped
      // elsewhere.
      const int32_t width = step == 60 ? 480 : 400;
      kept_host.Resize(width, 360);
      direct_host.Resize(width, 360);
      before.assign(static_cast<size_t>(width) * 360, 0);
    }
    bool done = false;
    kept.AppIdle(done);
    direct.AppIdle(done);
    const int32_t w = picture.Width();
    const size_t size = static_cast<size_t>(w) * picture.Height();
    const uint32_t* now = picture.Pixels();
    const size_t differing = static_cast<size_t>(
        std::mismatch(now, now + size, direct_host.canvas.Pixels()).first - now);
    ASSERT_EQ(differing, size) << "step " << step << " at " << differing % w << ","
                               << differing / w;
    // Every pixel that changed lies in the damage sent to the screen.
    std::array<TDirtyRect, TDamage::kMaxRects> rects;
    const int count = kept_host.damage.Take(rects);
    auto inside = [](const TDirtyRect& r, int32_t x, int32_t y) {
      return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
    };
    for (size_t i = 0; i < size; ++i) {
      if (now[i] == before[i]) continue;
      const int32_t x = static_cast<int32_t>(i % w), y = static_cast<int32_t>(i / w);
      ASSERT_TRUE(std::any_of(rects.begin(), rects.begin() + count,
                              [&](const TDirtyRect& r) { return inside(r, x, y); }))
          << "step " << step << ": " << x << "," << y << " changed outside the damage";
    }
    before.assign(now, now + size);
  }
}

INSTANTIATE_TEST_SUITE_P(Heaviest, TrailCacheTest, ::testing::Values("0", "1"),
                         [](const auto& info) {
                           return std::string(info.param) == "0" ? "TypeA" : "TypeB";
                         });

}  // namespace
}  // namespace zarmok
