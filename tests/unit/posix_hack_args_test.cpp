// zarmok-hack's reading of a host's window id and the saver start it makes of it. Every id it
// accepts must reach the saver's handle reader as the same window.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hack_args.h"
#include "host.h"

namespace zarmok::hack {
namespace {

using TArgs = std::vector<std::string>;

TEST(HackWindowId, EveryFormReadsBackAsTheSameHandle) {
  struct TCase {
    const char* id;
    uint32_t window;
  };
  const TCase cases[] = {
      {"0x600008", 0x600008u},
      {"0X600008", 0x600008u},
      {"6291464", 0x600008u},
      {"0x1", 1u},
      {"1", 1u},
      {"0x00000000a", 10u},
      {"0xabcDEF", 0xABCDEFu},
      {"2147483647", 0x7FFFFFFFu},
      // Past the signed range the saver's decimal form ends; the hexadecimal form does not.
      {"2147483648", 0x80000000u},
      {"4294967295", 0xFFFFFFFFu},
      {"0xffffffff", 0xFFFFFFFFu},
  };
  for (const TCase& c : cases) {
    const std::optional<std::string> handle = PaneHandleOf(c.id);
    ASSERT_TRUE(handle.has_value()) << c.id;
    EXPECT_EQ(StrToPreviewHandle(*handle), c.window) << c.id << " -> " << *handle;
  }
}

TEST(HackWindowId, AnythingElseIsRefused) {
  for (const char* id : {"",           "0x",          "0X",
                         "0",          "0x0",         "00",
                         "4294967296", "0x100000000", "99999999999999999999",
                         "-1",         "+5",          " 5",
                         "5 ",         "0x5g",        "12a",
                         "$5",         "x5",          "5\n",
                         "0x-5",       "0xffffffff0"}) {
    EXPECT_FALSE(PaneHandleOf(id).has_value()) << "'" << id << "'";
  }
}

TEST(HackLaunch, TheNamedWindowBecomesThePreviewPane) {
  const TArgs pane = {"/p", "$600008"};
  EXPECT_EQ(ChooseLaunch({}, "0x600008").saver_arguments, pane);
  EXPECT_EQ(ChooseLaunch({"-root"}, "0x600008").saver_arguments, pane);
  EXPECT_EQ(ChooseLaunch({"-window-id", "6291464"}, std::nullopt).saver_arguments, pane);
  EXPECT_EQ(ChooseLaunch({"--window-id", "0x600008"}, std::nullopt).saver_arguments, pane);
  // The option is the host's explicit word and wins over an inherited variable.
  EXPECT_EQ(ChooseLaunch({"-window-id", "0x600008"}, "0x1").saver_arguments, pane);
}

TEST(HackLaunch, WithoutAWindowTheSaverRunsFullScreen) {
  const TArgs full_screen = {"/s"};
  EXPECT_EQ(ChooseLaunch({}, std::nullopt).saver_arguments, full_screen);
  EXPECT_EQ(ChooseLaunch({"-root"}, std::nullopt).saver_arguments, full_screen);
  EXPECT_TRUE(ChooseLaunch({"-root"}, std::nullopt).refusal.empty());
}

TEST(HackLaunch, BadStartsAreRefusedWithTheReason) {
  struct TCase {
    TArgs arguments;
    std::optional<std::string> variable;
    const char* reason_part;
  };
  const TCase cases[] = {
      // A host that sets the variable empty or wrong has a fault: a full-screen saver in its
      // place would grab the keyboard the host holds.
      {{}, "", "XSCREENSAVER_WINDOW ''"},
      {{}, "0xzz", "XSCREENSAVER_WINDOW '0xzz'"},
      {{"-window-id", "abc"}, std::nullopt, "-window-id 'abc'"},
      {{"-window-id", "0"}, "0x600008", "-window-id '0'"},
      {{"-window-id"}, std::nullopt, "needs a window id"},
      {{"-window-id", "1", "-window-id", "2"}, std::nullopt, "more than one"},
      {{"-fps"}, "0x600008", "unknown argument '-fps'"},
      {{"/p", "5"}, std::nullopt, "unknown argument '/p'"},
  };
  for (const TCase& c : cases) {
    const THackLaunch launch = ChooseLaunch(c.arguments, c.variable);
    EXPECT_TRUE(launch.saver_arguments.empty()) << c.reason_part;
    EXPECT_NE(launch.refusal.find(c.reason_part), std::string::npos)
        << "expected '" << c.reason_part << "' in '" << launch.refusal << "'";
  }
}

}  // namespace
}  // namespace zarmok::hack
