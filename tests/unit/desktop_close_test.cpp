// The saver window's stop conditions, close query, system command and destruction.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "DeskTop.h"
#include "fake/fake_host.h"

namespace zarmok {
namespace {

using testing::TFakeSaver;

constexpr const char* kVerifyPath = "/host/lib/PASSWORD.CPL";

// A full-screen saver with a password in force whose dialog answers `verdicts` in turn.
void RequirePassword(TFakeSaver& saver, std::deque<uint32_t> verdicts) {
  saver.passwords.flag = {TPasswordFlagState::Value, 1};
  saver.passwords.Install(kVerifyPath);
  saver.passwords.verdicts = std::move(verdicts);
}

TEST(DesktopStop, MouseMovementNeedsTenIdleStepsAfterCreation) {
  TFakeSaver saver({"-a"});
  for (int step = 0; step < 10; ++step) {
    saver.window->FormMouseMove();
    EXPECT_FALSE(saver.window->CloseAllowed()) << "after " << step << " steps";
    saver.Idle(1);
  }
  EXPECT_EQ(saver.window->IdleCount, 10);
  saver.window->FormMouseMove();
  EXPECT_TRUE(saver.window->CloseAllowed());
}

TEST(DesktopStop, KeysAndClicksHaveNoGrace) {
  for (const bool by_key : {true, false}) {
    TFakeSaver saver({"-a"});
    if (by_key) {
      saver.window->FormKeyDown();
    } else {
      saver.window->FormClick();
    }
    EXPECT_TRUE(saver.window->CloseAllowed()) << (by_key ? "key" : "click");
  }
}

TEST(DesktopStop, EachStopFlagSwitchesOnlyItsOwnEvent) {
  struct TCase {
    const char* key;
    bool key_closes, click_closes, move_closes;
  };
  const TCase cases[] = {{"StopOnKey", false, true, true},
                         {"StopOnMouseClick", true, false, true},
                         {"StopOnMouseMove", true, true, false}};
  for (const auto& c : cases) {
    for (int event = 0; event < 3; ++event) {
      TFakeSaver saver({"-a"}, {{c.key, "0"}});
      saver.Idle(10);
      if (event == 0) saver.window->FormKeyDown();
      if (event == 1) saver.window->FormClick();
      if (event == 2) saver.window->FormMouseMove();
      const bool expected = event == 0 ? c.key_closes : event == 1 ? c.click_closes : c.move_closes;
      EXPECT_EQ(saver.window->CloseAllowed(), expected) << c.key << " event " << event;
    }
  }
}

TEST(DesktopClose, RefusedCloseRestartsTheMouseGraceButNotKeys) {
  TFakeSaver saver({"/s"});
  RequirePassword(saver, {0, 0, 1});
  saver.Idle(12);
  saver.window->FormMouseMove();  // asks: refused
  EXPECT_FALSE(saver.window->CloseAllowed());
  EXPECT_EQ(saver.window->IdleCount, 0);
  EXPECT_EQ(saver.passwords.calls.size(), 1u);

  for (int step = 0; step < 10; ++step) {
    saver.window->FormMouseMove();
    saver.Idle(1);
  }
  EXPECT_EQ(saver.passwords.calls.size(), 1u);  // movements were ignored meanwhile

  saver.Idle(3);
  saver.window->FormKeyDown();  // asks again at once: refused
  EXPECT_EQ(saver.passwords.calls.size(), 2u);
  EXPECT_EQ(saver.window->IdleCount, 0);
  saver.window->FormClick();  // no grace for clicks either: allowed
  EXPECT_EQ(saver.passwords.calls.size(), 3u);
  EXPECT_TRUE(saver.window->CloseAllowed());
  EXPECT_EQ(saver.window->IdleCount, 0);
  EXPECT_EQ(saver.host.cursor_count, -1);
}

TEST(DesktopClose, PasswordIsAskedOnlyWithNoArgumentOrSlashSOrDashS) {
  struct TCase {
    std::vector<std::string> arguments;
    bool asks;
  };
  const TCase cases[] = {
      {{}, true},      {{"/s"}, true},     {{"-s"}, true},    {{"/s", "x"}, true},  {{"/S"}, false},
      {{"-a"}, false}, {{"/c:12"}, false}, {{"/s:1"}, false}, {{"/p", "5"}, false}, {{""}, false}};
  for (const auto& c : cases) {
    TFakeSaver saver(c.arguments);
    RequirePassword(saver, {0});
    saver.window->FormKeyDown();
    EXPECT_EQ(saver.passwords.flag_reads, c.asks ? 1 : 0)
        << (c.arguments.empty() ? "(none)" : c.arguments[0]);
    EXPECT_EQ(saver.window->CloseAllowed(), !c.asks);
  }
}

TEST(DesktopClose, EveryQueryResetsIdleCountWhateverTheVerdict) {
  for (const uint32_t verdict : {0u, 1u}) {
    TFakeSaver saver({"/s"});
    RequirePassword(saver, {verdict});
    saver.Idle(7);
    bool can_close = !verdict;
    saver.window->FormCloseQuery(can_close);
    EXPECT_EQ(can_close, verdict != 0);
    EXPECT_EQ(saver.window->IdleCount, 0);
  }
  TFakeSaver allowed({"-a"});
  allowed.Idle(10);
  bool can_close = false;
  allowed.window->FormCloseQuery(can_close);
  EXPECT_TRUE(can_close);
  EXPECT_EQ(allowed.window->IdleCount, 0);
}

TEST(DesktopIdle, NoBugsStillCountsIdleStepsAndStops) {
  TFakeSaver saver({"-a"}, {{"MaxBugs", "0"}});
  EXPECT_EQ(saver.window->Used().MaxBugs, 0);
  saver.window->FormPaint();
  const std::vector<uint32_t> black(saver.host.Raster().Pixels(),
                                    saver.host.Raster().Pixels() + 427 * 273);
  for (int step = 1; step <= 15; ++step) {
    saver.Idle(1);
    EXPECT_EQ(saver.window->IdleCount, std::min(step, 10));
  }
  // Nothing drawn.
  EXPECT_TRUE(std::equal(black.begin(), black.end(), saver.host.Raster().Pixels()));
  saver.window->FormMouseMove();
  EXPECT_TRUE(saver.window->CloseAllowed());
}

TEST(DesktopIdle, IdleHandlerAsksToBeCalledAgainAtOnce) {
  TFakeSaver saver({"/s"});
  EXPECT_FALSE(saver.host.RunIdle());
}

TEST(DesktopSysCommand, OnlyTheScreenSaveRequestIsSwallowed) {
  TFakeSaver saver({"/s"});
  for (uint32_t low = 0; low < 16; ++low) {
    EXPECT_TRUE(saver.window->SysCommand(0xF140 | low)) << low;
  }
  for (const uint32_t code : {0xF060u, 0xF020u, 0xF130u, 0xF150u, 0x0140u, 0xE140u}) {
    EXPECT_FALSE(saver.window->SysCommand(code)) << std::hex << code;
  }
  EXPECT_FALSE(saver.window->CloseAllowed());
}

TEST(DesktopLifecycle, CreationAndDestructionBalanceFlagAndPointer) {
  TFakeSaver saver({"/s"});
  EXPECT_TRUE(saver.host.running);
  EXPECT_EQ(saver.host.cursor_count, -1);
  EXPECT_TRUE(saver.host.maximize_requested);
  EXPECT_TRUE(saver.host.HasIdleHandler());
  saver.window->FormDestroy();
  EXPECT_FALSE(saver.host.running);
  EXPECT_EQ(saver.host.cursor_count, 0);
}

TEST(DesktopLifecycle, PreviewLeavesThePointerAloneButSetsTheFlag) {
  TFakeSaver saver({"/p", "77"}, {}, 77);
  EXPECT_TRUE(saver.host.running);
  EXPECT_EQ(saver.host.cursor_count, 0);
  saver.window->FormDestroy();
  EXPECT_FALSE(saver.host.running);
  EXPECT_EQ(saver.host.cursor_count, 0);
  EXPECT_EQ(saver.host.flag_writes, 2);
}

TEST(DesktopLifecycle, WindowWithoutPasswordServiceAllowsTheClose) {
  testing::TFakeSaverHost host;
  testing::TMemoryProfile profile;
  TDesktopWindow window(TDesktopHost{host, host, profile, "/x.ini"});
  window.FormCreate();
  window.FormKeyDown();
  EXPECT_TRUE(window.CloseAllowed());
}

}  // namespace
}  // namespace zarmok
