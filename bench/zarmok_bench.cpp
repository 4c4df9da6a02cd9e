// Idle steps per second of the real saver window on a 1920 x 1080 software canvas, and the
// canvas's line and polygon primitives against cairo (no antialiasing, even-odd fill, 1-pixel
// stroke) on the same inputs.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "DeskTop.h"
#include "damage.h"
#include "headless_platform.h"
#include "random.h"
#include "session.h"

namespace {

using namespace zarmok;

constexpr int32_t kW = 1920;
constexpr int32_t kH = 1080;

class TMapProfile final : public IPrivateProfile {
 public:
  std::map<std::string, std::string> values;
  std::string GetString(const std::string&, const std::string&, const std::string& key,
                        const std::string& default_text, size_t) override {
    auto it = values.find(key);
    return it == values.end() ? default_text : it->second;
  }
  bool WriteString(const std::string&, const std::string&, const std::string&,
                   const std::string&) override {
    return false;
  }
};

// Each iteration is one turn of the real saver session's loop that takes an idle step: the
// step, its presentation and the loop's own work, unpaced.
void RunIdle(benchmark::State& state, std::map<std::string, std::string> settings) {
  TMapProfile profile;
  profile.values = std::move(settings);
  profile.values["StepsPerSecond"] = "0";
  tools::THeadlessPlatform platform(profile, "bench.ini", {TWindowRect{0, 0, kW, kH}});
  TSaverSession session(platform, {"/s"}, 1);
  constexpr int64_t kWarmUp = 2000;  // past the births' first lives
  int64_t figures = 0;
  session.ObserveSteps([&](int64_t step) {
    if (step < kWarmUp) return true;
    // The first call starts the timing; each later one closes a measured step.
    if (step == kWarmUp) return state.KeepRunning();
    const TDesktopWindow& window = session.Window(0);
    const int64_t len = window.Used().ImageListLen;
    for (int32_t i = 0; i < window.Used().MaxBugs; ++i) {
      const auto& note = window.StepNotes[i];
      figures += note.Moved ? len + 1 + (note.Reborn ? len : 0) : 0;
    }
    return state.KeepRunning();
  });
  session.Create(0);
  session.Run();
  state.SetItemsProcessed(state.iterations());
  state.counters["figures/s"] =
      benchmark::Counter(static_cast<double>(figures), benchmark::Counter::kIsRate);
}

const std::map<std::string, std::string> kHeaviest = {{"MaxBugs", "20"},
                                                      {"BugPtnSize", "40"},
                                                      {"ImageListLen", "30"},
                                                      {"BugPtnExCyc", "1"},
                                                      {"BugSize", "30"}};

void BM_IdleDefaults(benchmark::State& state) {
  RunIdle(state, {});
}
void BM_IdleHeaviestTypeA(benchmark::State& state) {
  RunIdle(state, kHeaviest);
}
void BM_IdleHeaviestTypeB(benchmark::State& state) {
  auto s = kHeaviest;
  s["BugsType"] = "1";
  RunIdle(state, s);
}
BENCHMARK(BM_IdleDefaults);
BENCHMARK(BM_IdleHeaviestTypeA);
BENCHMARK(BM_IdleHeaviestTypeB);

// One bug's moving step at the heaviest settings, as the X11 saver draws it: the oldest of 30
// figures (40 points, radius 30) erased, a new one posed into its slot, the whole trail drawn
// again and the damage taken. Argument: the style (BugsType).
class TTrailWindow final : public IFormWindow, public ISaverHost {
 public:
  TTrailWindow() { damage.SetBounds(kW, kH); }
  int32_t ClientWidth() override { return kW; }
  int32_t ClientHeight() override { return kH; }
  void RequestMaximized() override {}
  IDrawSurface& Canvas() override { return drawing; }
  void SetScreenSaverRunning(bool) override {}
  void ShowCursor(bool) override {}
  void SetIdleHandler(std::function<void(bool&)>) override {}

  TRasterCanvas canvas{kW, kH};
  TDamage damage;
  TDamageCanvas drawing{canvas, damage};
};

void BM_TrailStep(benchmark::State& state) {
  TTrailWindow host;
  TMapProfile profile;
  TDesktopWindow window(TDesktopHost{host, host, profile, "bench.ini"});
  TSaverSettings settings;
  settings.BugsType = static_cast<int32_t>(state.range(0));
  settings.MaxBugs = 1;
  settings.BugPtnSize = 40;
  settings.ImageListLen = 30;
  settings.BugSize = 30;
  window.UseSettings(settings);

  std::mt19937 rng(5);
  std::uniform_int_distribution<int32_t> offset(-30, 30), byte(0, 255);
  TBug& bug = window.Bugs[0];
  bug.No = 1;
  for (TPoint& p : bug.Ptn) {
    do {
      p = TPoint{offset(rng), offset(rng)};
    } while (p.x * p.x + p.y * p.y > 30 * 30);
  }
  for (int32_t level = 1; level <= 30; ++level) {
    for (TBugColor& c : bug.Colors[level - 1]) {
      c = TBugColor{static_cast<uint8_t>(byte(rng) * level / 30),
                    static_cast<uint8_t>(byte(rng) * level / 30),
                    static_cast<uint8_t>(byte(rng) * level / 30)};
    }
  }
  // A bug wandering on a circle, two pixels and a little turn per step.
  int64_t step = 0;
  auto pose = [&](TBugImage& slot) {
    const double a = static_cast<double>(step++) / 200.0;
    window.BugImageSet(960 + static_cast<int32_t>(std::lround(400 * std::cos(a))),
                       540 + static_cast<int32_t>(std::lround(400 * std::sin(a))), bug.Ptn,
                       static_cast<float>(a + std::numbers::pi / 2), slot.Image, slot.Mirror);
  };
  for (TBugImage& slot : bug.Images) pose(slot);
  bug.ImgIdx = 1;
  std::array<TDirtyRect, TDamage::kMaxRects> rects;
  for (auto _ : state) {
    window.EraseImage(bug, bug.ImgIdx);
    pose(bug.Images[bug.ImgIdx - 1]);
    bug.ImgIdx = bug.ImgIdx % 30 + 1;
    window.DrawTrail(bug);
    benchmark::DoNotOptimize(host.damage.Take(rects));
  }
  benchmark::DoNotOptimize(host.canvas.Pixels()[540 * kW + 960]);
  state.SetItemsProcessed(state.iterations());
  state.counters["figures/s"] =
      benchmark::Counter(static_cast<double>(state.iterations() * 31), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TrailStep)->Arg(0)->Arg(1);

// Where the inputs start: within one 256 x 256 area, as a swarm's figures lie close together
// (range 0), or scattered over the whole canvas (range 1), where every pixel is a cache miss.
std::uniform_int_distribution<int32_t> Spread(int range, int32_t extent) {
  return range == 0 ? std::uniform_int_distribution<int32_t>(600, 600 + 255)
                    : std::uniform_int_distribution<int32_t>(20, extent - 21);
}

// ~18-pixel segments in every direction, all on the canvas.
struct TSegment {
  int32_t x0, y0, x1, y1;
  uint32_t colour;
};
const std::vector<TSegment>& Segments(int range) {
  static std::vector<TSegment> cache[2];
  std::vector<TSegment>& segments = cache[range];
  if (segments.empty()) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> angle(0, 2 * std::numbers::pi);
    auto x = Spread(range, kW);
    auto y = Spread(range, kH);
    std::uniform_int_distribution<uint32_t> colour(0, 0xFFFFFF);
    for (int i = 0; i < 4096; ++i) {
      const double a = angle(rng);
      const int32_t x0 = x(rng), y0 = y(rng);
      segments.push_back({x0, y0, x0 + static_cast<int32_t>(std::lround(18 * std::cos(a))),
                          y0 + static_cast<int32_t>(std::lround(18 * std::sin(a))), colour(rng)});
    }
  }
  return segments;
}

// Pairs of 4-point polygons about 20 pixels across, the second the first mirrored across a
// horizontal axis through its centre, so the two overlap as a bug's halves do.
struct TPair {
  TPoint points[8];
  uint32_t pen, brush;
};
const std::vector<TPair>& Pairs(int range) {
  static std::vector<TPair> cache[2];
  std::vector<TPair>& pairs = cache[range];
  if (pairs.empty()) {
    std::mt19937 rng(4);
    std::uniform_real_distribution<double> angle(0, 2 * std::numbers::pi), radius(4, 10);
    auto x = Spread(range, kW);
    auto y = Spread(range, kH);
    std::uniform_int_distribution<uint32_t> colour(0, 0xFFFFFF);
    for (int i = 0; i < 4096; ++i) {
      TPair p{};
      const int32_t cx = x(rng), cy = y(rng);
      for (int k = 0; k < 4; ++k) {
        const double a = angle(rng), r = radius(rng);
        p.points[k] = {cx + static_cast<int32_t>(std::lround(r * std::cos(a))),
                       cy + static_cast<int32_t>(std::lround(r * std::sin(a)))};
        p.points[4 + k] = {p.points[k].x, 2 * cy - p.points[k].y + 3};
      }
      p.pen = colour(rng);
      p.brush = colour(rng);
      pairs.push_back(p);
    }
  }
  return pairs;
}

void BM_LinesRaster(benchmark::State& state) {
  TRasterCanvas canvas(kW, kH);
  const auto& segs = Segments(static_cast<int>(state.range(0)));
  size_t i = 0;
  for (auto _ : state) {
    const TSegment& s = segs[i++ & 4095];
    canvas.SetPenColor(s.colour);
    canvas.MoveTo(s.x0, s.y0);
    canvas.LineTo(s.x1, s.y1);
  }
  benchmark::DoNotOptimize(canvas.Pixels()[12345]);
  state.SetItemsProcessed(state.iterations());
}

void BM_LinesCairo(benchmark::State& state) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1.0);
  const auto& segs = Segments(static_cast<int>(state.range(0)));
  size_t i = 0;
  for (auto _ : state) {
    const TSegment& s = segs[i++ & 4095];
    cairo_set_source_rgb(cr, (s.colour & 0xFF) / 255.0, ((s.colour >> 8) & 0xFF) / 255.0,
                         (s.colour >> 16) / 255.0);
    cairo_move_to(cr, s.x0 + 0.5, s.y0 + 0.5);
    cairo_line_to(cr, s.x1 + 0.5, s.y1 + 0.5);
    cairo_stroke(cr);
  }
  cairo_surface_flush(surface);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  state.SetItemsProcessed(state.iterations());
}

void BM_PairsRaster(benchmark::State& state) {
  TRasterCanvas canvas(kW, kH);
  const auto& pairs = Pairs(static_cast<int>(state.range(0)));
  const int32_t counts[2] = {4, 4};
  size_t i = 0;
  for (auto _ : state) {
    const TPair& p = pairs[i++ & 4095];
    canvas.SetPenColor(p.pen);
    canvas.SetBrushColor(p.brush);
    canvas.PolyPolygon(p.points, counts, 2);
  }
  benchmark::DoNotOptimize(canvas.Pixels()[12345]);
  state.SetItemsProcessed(state.iterations());
}

void BM_PairsCairo(benchmark::State& state) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1.0);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  const auto& pairs = Pairs(static_cast<int>(state.range(0)));
  size_t i = 0;
  auto rgb = [cr](uint32_t c) {
    cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c >> 16) / 255.0);
  };
  for (auto _ : state) {
    const TPair& p = pairs[i++ & 4095];
    for (int half = 0; half < 2; ++half) {
      cairo_move_to(cr, p.points[4 * half].x + 0.5, p.points[4 * half].y + 0.5);
      for (int k = 1; k < 4; ++k) {
        cairo_line_to(cr, p.points[4 * half + k].x + 0.5, p.points[4 * half + k].y + 0.5);
      }
      cairo_close_path(cr);
    }
    rgb(p.brush);
    cairo_fill_preserve(cr);
    rgb(p.pen);
    cairo_stroke(cr);
  }
  cairo_surface_flush(surface);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  state.SetItemsProcessed(state.iterations());
}

// Argument 0: inputs close together; 1: scattered over the canvas.
BENCHMARK(BM_LinesRaster)->Arg(0)->Arg(1);
BENCHMARK(BM_LinesCairo)->Arg(0)->Arg(1);
BENCHMARK(BM_PairsRaster)->Arg(0)->Arg(1);
BENCHMARK(BM_PairsCairo)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
