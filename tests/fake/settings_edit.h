// Changes one setting of a saver window the way a load does: the new settings pass through
// HoldToSafeLimits like every other.
#pragma once

#include <cstdint>

#include "DeskTop.h"
#include "settings.h"

namespace zarmok::testing {

inline void SetSetting(TDesktopWindow& window, int32_t TSaverSettings::*key, int64_t value) {
  TSaverSettings settings = window.Used();
  settings.*key = static_cast<int32_t>(value);
  window.UseSettings(settings);
}

inline void SetSetting(TDesktopWindow& window, bool TSaverSettings::*key, bool value) {
  TSaverSettings settings = window.Used();
  settings.*key = value;
  window.UseSettings(settings);
}

}  // namespace zarmok::testing
