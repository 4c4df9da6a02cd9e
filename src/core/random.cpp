#include "random.h"

#include <chrono>

namespace zarmok {

void TRandomSource::SeedFromClock() {
  const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
  const auto wide = static_cast<uint64_t>(ticks);
  Seed(static_cast<uint32_t>(wide ^ (wide >> 32)));
}

void TRandomSource::Seed(uint32_t seed) {
  last_seed_ = seed;
  engine_.seed(seed);
}

int32_t TRandomSource::Draw(int32_t n) {
  const uint64_t word = engine_();
  if (n <= 0) return 0;
  // Multiply-shift: the high word of word * n is in 0 .. n - 1 with no division.
  return static_cast<int32_t>((word * static_cast<uint64_t>(n)) >> 32);
}

double TRandomSource::DrawReal() {
  return static_cast<double>(engine_()) * (1.0 / 4294967296.0);
}

}  // namespace zarmok
