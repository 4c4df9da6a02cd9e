// The headings along the axes as single-precision values, written out so that the tests pin
// them independently of the code under test.
#pragma once

namespace zarmok::testing {

inline constexpr float kHalfPi = 1.5707964f;
inline constexpr float kPi = 3.1415927f;
inline constexpr float kThreeHalfPi = 4.712389f;
inline constexpr float kTwoPi = 6.2831855f;

}  // namespace zarmok::testing
