// A saver window on the headless host with settings put in an in-memory profile, for tests that
// run the animation.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "DeskTop.h"
#include "fake/headless_host.h"
#include "fake/memory_profile.h"

namespace zarmok::testing {

class THeadlessSaver {
 public:
  static constexpr const char* kIni = "/saver/zarmok.scr.ini";

  // Creates the window at the birth size with `settings` (key -> value text) in the file, the
  // random source seeded with `seed`, then gives it `width` x `height` and a repaint.
  THeadlessSaver(const std::map<std::string, std::string>& settings, uint32_t seed, int32_t width,
                 int32_t height) {
    for (const auto& [key, value] : settings) profile.Set(kIni, kSettingsSection, key, value);
    TDesktopHost context{host, host, profile, kIni};
    context.Seed = seed;
    window = std::make_unique<TDesktopWindow>(context);
    window->FormCreate();
    host.Resize(width, height);
    window->FormPaint();
  }

  void Idle(int64_t steps) {
    for (int64_t i = 0; i < steps; ++i) host.RunIdle();
  }

  bool CanvasBlack() const {
    const TRasterCanvas& c = const_cast<THeadlessHost&>(host).Raster();
    const uint32_t* p = c.Pixels();
    for (int64_t i = 0; i < static_cast<int64_t>(c.Width()) * c.Height(); ++i) {
      if (p[i] != 0) return false;
    }
    return true;
  }

  THeadlessHost host;
  TMemoryProfile profile;
  std::unique_ptr<TDesktopWindow> window;
};

}  // namespace zarmok::testing
