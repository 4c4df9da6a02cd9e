#include <gtest/gtest.h>

#include "settings.h"

namespace zarmok {
namespace {

TEST(ParseProfileInteger, HexAndDecimalForms) {
  EXPECT_EQ(ParseProfileInteger("0x1E", 12), 30);
  EXPECT_EQ(ParseProfileInteger("0X1e", 12), 30);
  EXPECT_EQ(ParseProfileInteger("$1E", 12), 30);
  EXPECT_EQ(ParseProfileInteger("   30", 12), 30);
  EXPECT_EQ(ParseProfileInteger("0x", 12), 12);
  EXPECT_EQ(ParseProfileInteger("-0x1E", 12), 12);
  EXPECT_EQ(ParseProfileInteger("30px", 12), 12);
  EXPECT_EQ(ParseProfileInteger("3.0", 12), 12);
  EXPECT_EQ(ParseProfileInteger("0xFFFFFFFF", 1), -1);
  EXPECT_EQ(ParseProfileInteger("2147483648", 1), 1);
  EXPECT_EQ(ParseProfileInteger("-2147483648", 1), INT32_MIN);
}

}  // namespace
}  // namespace zarmok
