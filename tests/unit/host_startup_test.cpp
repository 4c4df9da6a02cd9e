// Start-up through the scripted application layer: the order of its steps per mode, the
// preview's placement and stop flags, exit codes and the unhandled-error report.
#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "errors.h"
#include "fake/fake_host.h"
#include "host.h"
#include "settings.h"

namespace zarmok {
namespace {

using Log = std::vector<std::string>;
using testing::TFakeStartUp;
constexpr int64_t kMs = TFakeStartUp::kMs;

int Start(TFakeStartUp& host, std::vector<std::string> arguments) {
  return RunProgram(arguments, host);
}

TEST(HostStartUp, RunningSaverTurnsAwayEveryModeSilently) {
  for (const char* first : {"/c", "/s", "/p", "/a", "", "-x"}) {
    TFakeStartUp host;
    host.running_saver = {true};
    EXPECT_EQ(Start(host, {first, "123"}), 0) << first;
    EXPECT_EQ(host.log, Log{"find"}) << first;
  }
}

TEST(HostStartUp, SettingsModeRunsTheDialogOwnedByTheHandleAfterTheColon) {
  const struct {
    const char* first;
    TWindowHandle owner;
  } cases[] = {
      {"/c", 0},  {"-c", 0},    {"/c:4242", 4242}, {"-c:1", 1}, {"/c:$FFFFFFFF", ~TWindowHandle{0}},
      {"/c:", 0}, {"/c:x12", 0}};
  for (const auto& c : cases) {
    TFakeStartUp host;
    host.existing = {4242, 1, ~TWindowHandle{0}};
    host.settings_exit_code = 3;
    EXPECT_EQ(Start(host, {c.first, "99"}), 3);
    EXPECT_EQ(host.log, (Log{"find", "settings"})) << c.first;
    EXPECT_EQ(host.dialog_owner, c.owner) << c.first;
    EXPECT_EQ(host.dialog_ini, "/p.ini");
  }
  // A handle that names no window leaves the dialog without an owner: the user still gets it.
  TFakeStartUp host;
  EXPECT_EQ(Start(host, {"/c:4242"}), 0);
  EXPECT_EQ(host.dialog_owner, 0u);
}

// A host whose program folder its users may not write names the settings file itself: the
// dialog saves there and the saver reads there, and the file beside the program is left alone.
TEST(HostStartUp, TheHostsSettingsFileServesBothTheDialogAndTheSaver) {
  const std::string own = "/home/u/.config/zarmok/zarmok.ini";
  TFakeStartUp dialog_host;
  dialog_host.settings_file = own;
  EXPECT_EQ(Start(dialog_host, {"/c"}), 0);
  EXPECT_EQ(dialog_host.dialog_ini, own);

  TFakeStartUp saver_host;
  saver_host.settings_file = own;
  saver_host.settings = {{"MaxBugs", "7"}};
  saver_host.profile.Set("/p.ini", kSettingsSection, "MaxBugs", "5");
  EXPECT_EQ(Start(saver_host, {"/s"}), 0);
  ASSERT_TRUE(saver_host.flags_in_loop.has_value());
  EXPECT_EQ(saver_host.flags_in_loop->MaxBugs, 7);
}

TEST(HostStartUp, FullScreenCreatesLoopsAndDestroys) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, {"/s"}, {"-s", "x"}, {"/S"}, {"-a"}, {"/c1234"}}) {
    TFakeStartUp host;
    EXPECT_EQ(Start(host, arguments), 0);
    EXPECT_EQ(host.log, (Log{"find", "create 0", "pointer hidden", "place 0,0 640x480",
                             "show-window", "pointer shown", "destroy"}));
    // The settings as loaded: stop flags on.
    EXPECT_TRUE(host.flags_in_loop->StopOnKey);
    EXPECT_FALSE(host.host.running);
    EXPECT_EQ(host.host.cursor_count, 0);
  }
}

TEST(HostStartUp, ChangePasswordCreatesNoWindow) {
  TFakeStartUp host;
  host.passwords.Install("/host/lib/MPR.DLL");
  EXPECT_EQ(Start(host, {"/a", "5555"}), 0);
  EXPECT_EQ(host.log, (Log{"find"}));
  ASSERT_EQ(host.passwords.calls.size(), 1u);
  EXPECT_EQ(host.passwords.calls[0].window, 0xA11u);  // the application window, not 5555

  TFakeStartUp bare;  // no MPR.DLL: silent, exit 0
  EXPECT_EQ(Start(bare, {"/a"}), 0);
  EXPECT_TRUE(bare.reports.empty());
}

TEST(HostStartUp, PreviewStepsInOrderWithFlagsOffAndPaneSize) {
  TFakeStartUp host;
  host.pane = TWindowRect{100, 50, 252, 162};
  host.settings = {{"StopOnKey", "1"}, {"StopOnMouseMove", "1"}, {"StopOnMouseClick", "1"}};
  EXPECT_EQ(Start(host, {"/p", "12345"}), 0);
  EXPECT_EQ(host.log, (Log{"find", "find", "hide-app", "show 12345", "rect 12345", "create 12345",
                           "place 0,0 152x112", "show-window", "destroy"}));
  EXPECT_FALSE(host.flags_in_loop->StopOnKey);
  EXPECT_FALSE(host.flags_in_loop->StopOnMouseMove);
  EXPECT_FALSE(host.flags_in_loop->StopOnMouseClick);
  EXPECT_EQ(host.host.cursor_count, 0);
  // The settings file is not touched.
  EXPECT_TRUE(host.profile.Writes().empty());
}

TEST(HostStartUp, PreviewHexHandleDashPAndColonAreTheSame) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"-p", "$3039"}, {"/p:12345", "99"}, {"-p:$3039"}}) {
    TFakeStartUp host;
    EXPECT_EQ(Start(host, arguments), 0);
    EXPECT_EQ(host.log[3], "show 12345") << arguments[0];
    EXPECT_EQ(host.log[5], "create 12345") << arguments[0];
  }
  // A handle with its 32nd bit set is widened as the system widens it: by its sign.
  TFakeStartUp high;
  EXPECT_EQ(Start(high, {"/p:$80000001"}), 0);
  EXPECT_EQ(high.log[5], "create " + std::to_string(static_cast<TWindowHandle>(-0x7FFFFFFF)));
}

TEST(HostStartUp, PreviewUnknownPaneKeepsAnEmptyRectangle) {
  TFakeStartUp host;  // no pane: the rectangle stays all 0
  EXPECT_EQ(Start(host, {"/p", "77"}), 0);
  EXPECT_EQ(host.log[6], "place 0,0 0x0");
}

TEST(HostStartUp, PreviewChecksForARunningSaverAgain) {
  TFakeStartUp host;
  host.running_saver = {false, true};
  EXPECT_EQ(Start(host, {"/p", "12345"}), 0);
  EXPECT_EQ(host.log, (Log{"find", "find"}));
}

TEST(HostStartUp, BadPreviewHandleIsReportedWithExitCodeOne) {
  struct TCase {
    std::vector<std::string> arguments;
    const char* message;
  };
  const TCase cases[] = {
      {{"/p"}, "'' は整数ではありません"},
      {{"/p", "12345 "}, "'12345 ' は整数ではありません"},
      {{"-p", "-$3039"}, "'-$3039' は整数ではありません"},
      {{"/p", "0x1a00007"}, "'0x1a00007' は整数ではありません"},
  };
  for (const auto& c : cases) {
    TFakeStartUp host;
    EXPECT_EQ(Start(host, c.arguments), 1);
    EXPECT_EQ(host.log, (Log{"find", "find", "hide-app", "report"}));
    EXPECT_EQ(host.reports, Log{std::string("ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ|") + c.message});
  }
}

TEST(HostStartUp, WindowCreationErrorIsReportedWithExitCodeOne) {
  TFakeStartUp host;
  host.creation_fails = true;
  EXPECT_EQ(Start(host, {"/p", "999"}), 1);
  EXPECT_EQ(host.reports, Log{"ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ|ｳｨﾝﾄﾞｳの作成でｴﾗｰが発生しました"});
}

TEST(HostStartUp, PaneHandleZeroIsAWindowCreationError) {
  for (const char* text : {"0", "$0", "  -0"}) {
    TFakeStartUp host;
    EXPECT_EQ(Start(host, {"/p", text}), 1);
    EXPECT_EQ(host.reports, Log{"ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ|ｳｨﾝﾄﾞｳの作成でｴﾗｰが発生しました"});
    EXPECT_EQ(host.log.back(), "report");
    EXPECT_EQ(host.window, nullptr);
  }
}

TEST(HostStartUp, ErrorInTheLoopTearsTheWindowDownBeforeTheReport) {
  for (const char* first : {"/s", "/p"}) {
    TFakeStartUp host;
    host.pane = TWindowRect{0, 0, 10, 10};
    host.in_loop = [](TDesktopWindow&) { throw std::runtime_error("idle step failed"); };
    EXPECT_EQ(Start(host, {first, "5"}), 1);
    ASSERT_GE(host.log.size(), 3u);
    EXPECT_NE(std::find(host.log.begin(), host.log.end(), "show-window"), host.log.end());
    EXPECT_EQ(host.log[host.log.size() - 2], "destroy");
    EXPECT_EQ(host.log.back(), "report");
    EXPECT_EQ(host.reports, Log{"ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ|idle step failed"});
    EXPECT_FALSE(host.host.running);
    EXPECT_EQ(host.host.cursor_count, 0);
  }
}

// Running out of memory is said in words, in start-up's report and in a handler's box alike,
// not as the library's name for it.
TEST(HostStartUp, OutOfMemoryIsSaidInWords) {
  TFakeStartUp host;
  host.in_loop = [](TDesktopWindow&) { throw std::bad_alloc(); };
  EXPECT_EQ(Start(host, {"/s"}), 1);
  EXPECT_EQ(host.reports, Log{"ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ|メモリが足りません"});
  // Worded in the run's language, as every error is.
  struct TBox final : IErrorBox {
    void ShowError(const std::string& title, const std::string& text) override {
      shown = title + "|" + text;
    }
    std::string shown;
  } box;
  RunEventHandler([] { throw std::bad_alloc(); }, box, TLanguage::English);
  EXPECT_EQ(box.shown, "Zarmok|There is not enough memory.");
}

TEST(HostStartUp, AllowedCloseEndsTheLoopWithExitCodeZero) {
  TFakeStartUp host;
  host.in_loop = [](TDesktopWindow& window) {
    window.FormKeyDown();
    EXPECT_TRUE(window.CloseAllowed());
  };
  EXPECT_EQ(Start(host, {"/S"}), 0);
  EXPECT_EQ(host.log.back(), "destroy");
}

TEST(HostStartUp, NoArgumentOpensTheDialogOnlyWhereTheHostSaysSo) {
  TFakeStartUp configure;
  configure.no_argument_opens_settings = true;
  configure.settings_exit_code = 4;
  EXPECT_EQ(Start(configure, {}), 4);
  EXPECT_EQ(configure.log, (Log{"find", "settings"}));
  EXPECT_EQ(configure.dialog_owner, 0u);
  EXPECT_EQ(configure.dialog_ini, "/p.ini");

  // An empty first argument is an argument: the saver, as on every host.
  TFakeStartUp empty;
  empty.no_argument_opens_settings = true;
  EXPECT_EQ(Start(empty, {""}), 0);
  EXPECT_EQ(empty.log, (Log{"find", "create 0", "pointer hidden", "place 0,0 640x480",
                            "show-window", "pointer shown", "destroy"}));

  // The other modes keep their meaning on such a host.
  for (const char* first : {"/s", "/S", "-x"}) {
    TFakeStartUp host;
    host.no_argument_opens_settings = true;
    EXPECT_EQ(Start(host, {first}), 0);
    EXPECT_EQ(host.log, (Log{"find", "create 0", "pointer hidden", "place 0,0 640x480",
                             "show-window", "pointer shown", "destroy"}))
        << first;
  }

  // A running full-screen saver still turns the dialog away.
  TFakeStartUp turned_away;
  turned_away.no_argument_opens_settings = true;
  turned_away.running_saver = {true};
  EXPECT_EQ(Start(turned_away, {}), 0);
  EXPECT_EQ(turned_away.log, Log{"find"});
}

TEST(HostStartUp, TheWallpaperIsNoSaverAndNoInputEndsIt) {
  TFakeStartUp host;
  host.offers_wallpaper = true;
  host.monitors = {TMonitor{1, {0, 0, 640, 480}}, TMonitor{2, {640, 0, 1280, 480}}};
  host.settings = {{"StepsPerSecond", "100"}};
  for (const TSaverEventKind kind :
       {TSaverEventKind::KeyDown, TSaverEventKind::PrimaryClick, TSaverEventKind::Deactivated}) {
    host.At(100 * kMs, {kind});
  }
  host.At(150 * kMs, {TSaverEventKind::MouseMove, 0, {1, 1}});
  host.end_at = 300 * kMs;
  EXPECT_EQ(Start(host, {"--wallpaper"}), 0);
  EXPECT_EQ(host.log, (Log{"find", "wallpaper", "wallpaper", "place 0,0 640x480", "show-window",
                           "place 640,0 640x480", "show-window", "destroy", "destroy"}));
  EXPECT_EQ(host.host.flag_writes, 0);
  EXPECT_EQ(host.Steps(), 30u);

  // Where the desktop has no background to offer, it is an argument like any other.
  TFakeStartUp plain;
  plain.At(0, {TSaverEventKind::KeyDown});
  EXPECT_EQ(Start(plain, {"--wallpaper"}), 0);
  EXPECT_EQ(plain.log[1], "create 0");
}

TEST(HostStartUp, TheIdleWatchRunsTheSaverAtEachIdlenessUntilTheHostEndsIt) {
  TFakeStartUp host;
  host.offers_idle_watch = true;
  host.idle = {true, true, true};
  host.end_at_each = 100 * kMs;
  // The first run ends by a key (it closes as "/s" does: no password here), the second finds
  // another saver and does not start, the third ends at the host's request: so does the watch.
  host.running_saver = {false, false, true, false};
  host.At(50 * kMs, {TSaverEventKind::KeyDown});
  EXPECT_EQ(Start(host, {"--idle", "300"}), 0);
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "idle 300"), 3);
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "create 0"), 2);
  EXPECT_TRUE(host.idle.empty());
  EXPECT_FALSE(host.host.running);

  // A desktop's count may cost a connection: a start that watches nothing never asks for it.
  TFakeStartUp saver;
  saver.offers_idle_watch = true;
  saver.At(0, {TSaverEventKind::KeyDown});
  EXPECT_EQ(Start(saver, {"/s"}), 0);
  EXPECT_EQ(saver.idle_source_asks, 0);

  for (const char* bad : {"0", "-5", "abc", ""}) {
    TFakeStartUp refused;
    refused.offers_idle_watch = true;
    EXPECT_EQ(Start(refused, {"--idle", bad}), 1) << bad;
    EXPECT_EQ(refused.reports,
              Log{std::string("ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ|'") + bad + "' は秒数ではありません"});
  }
}

}  // namespace
}  // namespace zarmok
