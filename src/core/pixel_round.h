// Real-to-pixel conversion: nearest integer, halves to the even neighbour, held inside the
// signed 32-bit range so that no real far off the screen becomes undefined behaviour.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace zarmok {

inline int32_t RoundToPixel(long double v) {
  if (std::isnan(v)) return 0;
  const long double r = std::nearbyint(v);
  if (r <= static_cast<long double>(std::numeric_limits<int32_t>::min())) {
    return std::numeric_limits<int32_t>::min();
  }
  if (r >= static_cast<long double>(std::numeric_limits<int32_t>::max())) {
    return std::numeric_limits<int32_t>::max();
  }
  return static_cast<int32_t>(r);
}

// Adds two pixel coordinates, saturating at the ends of the signed 32-bit range.
inline int32_t AddPixel(int32_t a, int32_t b) {
  const int64_t s = static_cast<int64_t>(a) + b;
  if (s < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (s > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(s);
}

}  // namespace zarmok
