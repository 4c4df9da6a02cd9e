// The command line of the tools that run the saver window: numbers, sizes, and the refusals
// that end a tool with exit code 2 before it draws anything.
#include "run_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zarmok::tools {
namespace {

TEST(ToolNumbers, TakeOnlyWholeDecimalsInTheirRange) {
  EXPECT_EQ(ParseNumber("0", 0, 10), 0);
  EXPECT_EQ(ParseNumber("10", 0, 10), 10);
  EXPECT_EQ(ParseNumber("4294967295", 0, UINT32_MAX), INT64_C(4294967295));
  EXPECT_FALSE(ParseNumber("4294967296", 0, UINT32_MAX));
  EXPECT_FALSE(ParseNumber("11", 0, 10));
  EXPECT_FALSE(ParseNumber("", 0, 10));
  EXPECT_FALSE(ParseNumber("-1", -5, 10));
  EXPECT_FALSE(ParseNumber("+1", 0, 10));
  EXPECT_FALSE(ParseNumber("1e3", 0, 10000));
  EXPECT_FALSE(ParseNumber(" 1", 0, 10));
  // Eighteen nines fit; a nineteenth digit would overflow on the way and is refused outright.
  EXPECT_EQ(ParseNumber("999999999999999999", 0, INT64_MAX), INT64_C(999999999999999999));
  EXPECT_FALSE(ParseNumber("9999999999999999999", 0, INT64_MAX));
}

// Runs a reader over `args` the way a tool's Parse does, the tool's own options being --png.
TRunOptions Read(std::vector<std::string> args, std::string* png = nullptr) {
  args.insert(args.begin(), "tool");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  TOptionReader reader("tool", "usage\n", static_cast<int>(argv.size()), argv.data());
  TRunOptions o;
  while (const auto arg = reader.Next()) {
    if (reader.TakeRunOption(*arg, o)) continue;
    if (*arg == "--png" && png != nullptr) {
      *png = reader.Value();
    } else {
      reader.Unknown(*arg);
    }
  }
  return o;
}

TEST(ToolOptions, SharedOptionsAndTheToolsOwnMix) {
  std::string png;
  const TRunOptions o = Read(
      {"--png", "a.png", "--size", "3X4", "--seed", "7", "--steps", "0", "--ini", "s.ini"}, &png);
  EXPECT_EQ(o.width, 3);
  EXPECT_EQ(o.height, 4);
  EXPECT_EQ(o.seed, 7u);
  EXPECT_EQ(o.steps, 0);
  EXPECT_EQ(o.ini, "s.ini");
  EXPECT_EQ(png, "a.png");
  // Unset, the seed stays unchosen (the clock picks it) and the size is the default.
  const TRunOptions defaults = Read({});
  EXPECT_FALSE(defaults.seed);
  EXPECT_EQ(defaults.width, 800);
  EXPECT_EQ(defaults.height, 600);
}

TEST(ToolOptionsDeathTest, RefusalsNameTheOptionAndExitWithTwo) {
  const auto refused = [](std::vector<std::string> args) { Read(std::move(args)); };
  EXPECT_EXIT(refused({"--size", "0x5"}), testing::ExitedWithCode(2), "tool: --size wants WxH");
  EXPECT_EXIT(refused({"--size", "16385x5"}), testing::ExitedWithCode(2), "--size wants WxH");
  EXPECT_EXIT(refused({"--size", "640"}), testing::ExitedWithCode(2), "not '640'");
  EXPECT_EXIT(refused({"--seed"}), testing::ExitedWithCode(2), "--seed needs a value");
  EXPECT_EXIT(refused({"--steps", "-1"}), testing::ExitedWithCode(2), "--steps wants a number");
  EXPECT_EXIT(refused({"--bogus"}), testing::ExitedWithCode(2), "unknown option '--bogus'");
  EXPECT_EXIT(refused({"--help"}), testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace zarmok::tools
