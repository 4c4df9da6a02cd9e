// The saver window's random source. The generator is the 32-bit Mersenne Twister (MT19937), so
// a seed gives the same sequence on every build; the order of draws is part of the behaviour.
#pragma once

#include <cstdint>
#include <random>

namespace zarmok {

class TRandomSource {
 public:
  void SeedFromClock();
  void Seed(uint32_t seed);
  uint32_t LastSeed() const { return last_seed_; }

  // An integer in 0 .. n - 1; a bound of 0 or below yields 0. Each call takes one number.
  int32_t Draw(int32_t n);
  // A real in [0, 1), a multiple of 2^-32. Each call takes one number.
  double DrawReal();

 private:
  std::mt19937 engine_{5489u};
  uint32_t last_seed_ = 5489u;
};

}  // namespace zarmok
