// Every setting at the ends of the 32-bit range and at 0, one at a time and all together: long
// runs must stay defined (the sanitizer build turns any overflow or bad index into a failure)
// and keep every bug's record within its arrays. The long run steps the simulation and the
// drawing calls on a surface that only counts them; a shorter run draws on the software canvas.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "DeskTop.h"
#include "fake/headless_saver.h"
#include "fake/memory_profile.h"
#include "random.h"

namespace zarmok {
namespace {

const char* const kIntegerKeys[] = {"BugsType", "Speed",   "BugPtnSize",   "BugPtnExCyc",
                                    "MaxBugs",  "BugSize", "ImageListLen", "SunG",
                                    "BugG",     "WallG"};
const char* const kValues[] = {"-2147483648", "0", "2147483647"};

struct ExtremeCase {
  std::string name;
  std::map<std::string, std::string> settings;
};

std::vector<ExtremeCase> Cases() {
  std::vector<ExtremeCase> out;
  for (const char* key : kIntegerKeys) {
    for (int v = 0; v < 3; ++v) {
      out.push_back({std::string(key) + "_" + std::to_string(v), {{key, kValues[v]}}});
    }
  }
  for (int v = 0; v < 3; ++v) {
    ExtremeCase all{"All_" + std::to_string(v), {}};
    for (const char* key : kIntegerKeys) all.settings[key] = kValues[v];
    out.push_back(all);
  }
  return out;
}

// A window whose surface counts the calls and paints nothing.
class TCountingWindow final : public IFormWindow, public ISaverHost, public IDrawSurface {
 public:
  int32_t ClientWidth() override { return 64; }
  int32_t ClientHeight() override { return 48; }
  void RequestMaximized() override {}
  IDrawSurface& Canvas() override { return *this; }
  void SetScreenSaverRunning(bool) override {}
  void ShowCursor(bool) override {}
  void SetIdleHandler(std::function<void(bool&)>) override {}
  void SetPenColor(TColorValue) override { ++calls; }
  void MoveTo(int32_t, int32_t) override { ++calls; }
  void LineTo(int32_t, int32_t) override { ++calls; }
  void SetBrushColor(TColorValue) override { ++calls; }
  void PolyPolygon(const TPoint*, const int32_t*, int32_t) override { ++calls; }
  void FillRect(int32_t, int32_t, int32_t, int32_t) override { ++calls; }
  int64_t calls = 0;
};

// Steps of the long run: 100,000, or ZARMOK_EXTREME_STEPS. The settings that make every step
// draw twenty bugs of forty points with thirty figures each cost about a hundred times more per
// step and run a tenth of that. The sanitizer build, some twenty times slower, runs a tenth
// again so the whole suite stays within a couple of minutes; ZARMOK_EXTREME_STEPS=100000 asks
// any build for the full length.
int64_t Steps(const ExtremeCase& c) {
  if (const char* text = std::getenv("ZARMOK_EXTREME_STEPS")) return std::atoll(text);
  const bool heavy = c.name == "All_2" || c.name == "MaxBugs_2";
#ifdef __SANITIZE_ADDRESS__
  constexpr int64_t kFull = 10000;
#else
  constexpr int64_t kFull = 100000;
#endif
  return heavy ? kFull / 10 : kFull;
}

void ExpectSane(const TDesktopWindow& w) {
  for (int32_t i = 0; i < w.Used().MaxBugs; ++i) {
    const TBug& b = w.Bugs[i];
    ASSERT_GE(b.ImgIdx, 1);
    ASSERT_LE(b.ImgIdx, w.Used().ImageListLen);
    ASSERT_FALSE(std::isnan(b.X) || std::isnan(b.Y) || std::isnan(b.V) || std::isnan(b.Dir));
  }
}

class ExtremeTest : public ::testing::TestWithParam<ExtremeCase> {};

TEST_P(ExtremeTest, LongRunStaysDefinedAndInRange) {
  TCountingWindow host;
  testing::TMemoryProfile profile;
  for (const auto& [key, value] : GetParam().settings) {
    profile.Set("x.ini", kSettingsSection, key, value);
  }
  TDesktopHost context{host, host, profile, "x.ini"};
  context.Seed = 5;
  TDesktopWindow w(context);
  w.FormCreate();
  const int64_t steps = Steps(GetParam());
  for (int64_t step = 0; step < steps; ++step) {
    bool done = true;
    w.AppIdle(done);
    if (step % 1000 == 0) ExpectSane(w);
  }
  ExpectSane(w);
  EXPECT_EQ(w.IdleCount, 10);
}

TEST_P(ExtremeTest, DrawsOnTheCanvasWithoutFault) {
  testing::THeadlessSaver saver(GetParam().settings, 6, 40, 30);
  const bool heavy = GetParam().name == "All_2" || GetParam().name == "MaxBugs_2";
#ifdef __SANITIZE_ADDRESS__
  saver.Run(heavy ? 100 : 500);
#else
  saver.Run(heavy ? 300 : 2000);
#endif
  ExpectSane(*saver.window);
}

INSTANTIATE_TEST_SUITE_P(Settings, ExtremeTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace zarmok
