// The real saver session on the headless platform, with settings put in an in-memory profile,
// for tests that run the animation.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "DeskTop.h"
#include "fake/memory_profile.h"
#include "headless_platform.h"
#include "session.h"

namespace zarmok::testing {

class THeadlessSaver {
 public:
  static constexpr const char* kIni = "/saver/zarmok.scr.ini";

  // Makes the run's windows, one for each of `monitors` screens of `width` x `height` side by
  // side, at the birth size, with `settings` (key -> value text) in the file and the random
  // source of window k seeded with `seed` + k. Unpaced unless the settings say otherwise.
  THeadlessSaver(const std::map<std::string, std::string>& settings, uint32_t seed, int32_t width,
                 int32_t height, int32_t monitors = 1)
      : platform(profile, kIni, tools::SideBySide(monitors, width, height)),
        session(platform, {"/s"}, seed) {
    profile.Set(kIni, kSettingsSection, "StepsPerSecond", "0");
    for (const auto& [key, value] : settings) profile.Set(kIni, kSettingsSection, key, value);
    session.Create(0);
    window = &session.Window(0);
  }

  // Runs the loop: the windows take their size and are painted, then `steps` idle steps;
  // `each` is called after the paint (step 0) and after every step. Once only.
  void Run(int64_t steps, const std::function<void(int64_t step)>& each = {}) {
    session.ObserveSteps([&](int64_t step) {
      if (each) each(step);
      return step < steps;
    });
    session.Run();
  }

  const TRasterCanvas& Picture(size_t index = 0) const { return session.Picture(index); }

  bool CanvasBlack(size_t index = 0) const {
    const TRasterCanvas& c = Picture(index);
    const uint32_t* p = c.Pixels();
    for (int64_t i = 0; i < static_cast<int64_t>(c.Width()) * c.Height(); ++i) {
      if (p[i] != 0) return false;
    }
    return true;
  }

  TMemoryProfile profile;
  tools::THeadlessPlatform platform;
  TSaverSession session;
  // The first window, from creation on.
  TDesktopWindow* window = nullptr;
};

}  // namespace zarmok::testing
