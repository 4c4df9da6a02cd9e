// The saver's session through the scripted platform: the paced loop on the fake clock, the
// routing of events to the window's handlers, and the policy for errors in handlers, idle steps
// and start-up.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "fake/fake_host.h"
#include "fake/headless_saver.h"
#include "host.h"
#include "session.h"

namespace zarmok {
namespace {

using Log = std::vector<std::string>;
using testing::TFakeStartUp;
constexpr int64_t kMs = TFakeStartUp::kMs;

std::vector<int64_t> Milliseconds(const std::vector<int64_t>& times) {
  std::vector<int64_t> ms;
  for (const int64_t t : times) ms.push_back(t / kMs);
  return ms;
}

void SetEnvironment(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value);  // an empty value removes it, which reads the same
#else
  setenv(name, value, 1);
#endif
}

// A password is in force and the host's dialog answers with `verdict`.
void RequirePassword(TFakeStartUp& host, uint32_t verdict) {
  host.passwords.flag = TPasswordFlag{TPasswordFlagState::Value, 1};
  host.passwords.Install("/host/lib/PASSWORD.CPL");
  host.passwords.verdicts = {verdict};
}

TEST(SessionLoop, StepsAtTheRateOfStepsPerSecondAndWaitsBetween) {
  TFakeStartUp host;
  host.settings = {{"StepsPerSecond", "100"}};
  host.end_at = 1000 * kMs;
  EXPECT_EQ(RunProgram({"/s"}, host), 0);
  ASSERT_EQ(host.present_times.size(), 100u);
  for (size_t i = 0; i < host.present_times.size(); ++i) {
    EXPECT_EQ(host.present_times[i], static_cast<int64_t>(i) * 10 * kMs) << i;
  }
  EXPECT_EQ(host.waits, std::vector<int32_t>(100, 10));
  EXPECT_EQ(host.log, (Log{"find", "init", "create 0", "loop", "destroy"}));
}

TEST(SessionLoop, UnpacedStepsNeverWait) {
  TFakeStartUp host;
  host.settings = {{"StepsPerSecond", "0"}};
  host.present_cost = kMs;
  host.end_at = 50 * kMs;
  EXPECT_EQ(RunProgram({"/s"}, host), 0);
  EXPECT_EQ(host.present_times.size(), 50u);
  EXPECT_TRUE(host.waits.empty());
}

TEST(SessionLoop, AfterAHostDialogTheNextStepComesOnePeriodAfterItEnds) {
  TFakeStartUp host;
  host.settings = {{"StepsPerSecond", "100"}};
  RequirePassword(host, 0);  // refused: the saver goes on
  host.passwords.during_verify = [&host] { host.now += 500 * kMs; };
  host.At(25 * kMs, {TSaverEventKind::KeyDown});
  host.end_at = 560 * kMs;
  EXPECT_EQ(RunProgram({"/s"}, host), 0);
  // Steps at 0, 10, 20; the key at 25 opens the dialog until 525; the next step at 535.
  EXPECT_EQ(Milliseconds(host.present_times), (std::vector<int64_t>{0, 10, 20, 535, 545, 555}));
  ASSERT_EQ(host.passwords.calls.size(), 1u);
  EXPECT_EQ(host.passwords.calls[0].host_dialogs_open_at_call, 1);
  EXPECT_EQ(host.passwords.calls[0].cursor_count_at_call, 0);  // shown while it is up
  EXPECT_EQ(host.host.host_dialogs_open, 0);
  EXPECT_EQ(host.host.cursor_count, 0);  // shown again after the destruction
}

TEST(SessionLoop, MouseMovementEndsTheSaverOnlyAfterTenSteps) {
  TFakeStartUp host;
  host.settings = {{"StepsPerSecond", "100"}};
  host.At(45 * kMs, {TSaverEventKind::MouseMove});  // after 5 steps: ignored
  host.At(95 * kMs, {TSaverEventKind::MouseMove});  // after 10 steps: ends it
  host.At(300 * kMs, {TSaverEventKind::KeyDown});   // never delivered
  host.end_at = 1000 * kMs;
  EXPECT_EQ(RunProgram({"/S"}, host), 0);
  EXPECT_EQ(host.present_times.size(), 10u);
  EXPECT_EQ(host.delivered_results.size(), 2u);
  EXPECT_EQ(host.log.back(), "destroy");
}

TEST(SessionLoop, ARefusedCloseKeepsTheSaverRunning) {
  TFakeStartUp host;
  host.settings = {{"StepsPerSecond", "100"}};
  RequirePassword(host, 0x100);  // the lowest byte is 0: a refusal
  host.At(15 * kMs, {TSaverEventKind::CloseRequest});
  host.At(35 * kMs, {TSaverEventKind::PrimaryClick});
  host.end_at = 100 * kMs;
  EXPECT_EQ(RunProgram({"/s"}, host), 0);
  EXPECT_EQ(host.passwords.calls.size(), 2u);
  EXPECT_EQ(host.present_times.size(), 10u);  // it stepped on to the host's end
}

TEST(SessionLoop, AnAcceptedCloseEndsIt) {
  TFakeStartUp host;
  RequirePassword(host, 1);
  host.At(0, {TSaverEventKind::CloseRequest});
  host.end_at = 10000 * kMs;
  EXPECT_EQ(RunProgram({"/s"}, host), 0);
  EXPECT_EQ(host.passwords.calls.size(), 1u);
  EXPECT_TRUE(host.present_times.empty());
  EXPECT_FALSE(host.host.running);
}

TEST(SessionEvents, TheScreenSaveCommandIsAnsweredAndOthersGoToTheHost) {
  TFakeStartUp host;
  host.At(0, {TSaverEventKind::SysCommand, 0xF140});
  host.At(0, {TSaverEventKind::SysCommand, 0xF14F});
  host.At(0, {TSaverEventKind::SysCommand, 0xF060});
  EXPECT_EQ(RunProgram({"/s"}, host), 0);
  EXPECT_EQ(host.delivered_results, (std::vector<bool>{true, true, false}));
}

TEST(SessionEvents, PaintFillsBlackAndPresentsAtOnce) {
  TFakeStartUp host;
  host.settings = {{"StepsPerSecond", "10"}};
  host.At(50 * kMs, {TSaverEventKind::Paint});
  host.end_at = 60 * kMs;
  EXPECT_EQ(RunProgram({"/s"}, host), 0);
  EXPECT_EQ(Milliseconds(host.present_times), (std::vector<int64_t>{0, 50}));
}

TEST(SessionEvents, TheGoneOrEndedWindowEndsTheLoopWithoutACloseQuery) {
  for (const TSaverEventKind kind : {TSaverEventKind::PaneGone, TSaverEventKind::EndRequest}) {
    TFakeStartUp host;
    RequirePassword(host, 0);
    host.pane = TWindowRect{0, 0, 80, 60};
    host.At(30 * kMs, {kind});
    host.At(30 * kMs, {TSaverEventKind::Paint});  // after the end: not delivered
    host.end_at = 10000 * kMs;
    EXPECT_EQ(RunProgram({"/p", "77"}, host), 0);
    EXPECT_EQ(host.delivered_results.size(), 1u);
    EXPECT_TRUE(host.passwords.calls.empty());
    EXPECT_EQ(host.log.back(), "destroy");
  }
}

TEST(SessionErrors, AnErrorInAnyHandlerIsShownAndTheSaverGoesOn) {
  struct TCase {
    const char* name;
    TSaverEventKind kind;
    std::function<void(TFakeStartUp&)> arrange;
  };
  const TCase cases[] = {
      {"key", TSaverEventKind::KeyDown,
       [](TFakeStartUp& h) { h.passwords.flag_error = "key failed"; }},
      {"click", TSaverEventKind::PrimaryClick,
       [](TFakeStartUp& h) { h.passwords.flag_error = "click failed"; }},
      {"close", TSaverEventKind::CloseRequest,
       [](TFakeStartUp& h) { h.passwords.flag_error = "close failed"; }},
      {"paint", TSaverEventKind::Paint, [](TFakeStartUp& h) { h.present_error = "paint failed"; }},
      // The host's error for a request the handler itself made is the handler's.
      {"move", TSaverEventKind::MouseMove,
       [](TFakeStartUp& h) { h.settled_error = "move failed"; }},
  };
  for (const TCase& c : cases) {
    TFakeStartUp host;
    host.settings = {{"StepsPerSecond", "100"}};
    host.At(5 * kMs, {c.kind});
    host.end_at = 50 * kMs;
    // Armed after the first step, so neither creation nor a step is the one that fails.
    host.Do(2 * kMs, [&host, &c] { c.arrange(host); });
    EXPECT_EQ(RunProgram({"/s"}, host), 0) << c.name;
    EXPECT_EQ(host.error_boxes, Log{std::string("Zarmok|") + c.name + " failed."}) << c.name;
    EXPECT_TRUE(host.reports.empty()) << c.name;
    EXPECT_EQ(host.present_times.size(), c.kind == TSaverEventKind::Paint ? 6u : 5u) << c.name;
  }
}

TEST(SessionErrors, AnErrorInAnIdleStepEndsTheProgramAfterTheTearDown) {
  TFakeStartUp host;
  host.step_error = "step failed";
  host.end_at = 1000 * kMs;
  EXPECT_EQ(RunProgram({"/s"}, host), 1);
  EXPECT_EQ(host.log, (Log{"find", "init", "create 0", "loop", "destroy", "report"}));
  EXPECT_EQ(host.reports, Log{"ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ|step failed"});
  EXPECT_TRUE(host.error_boxes.empty());
  EXPECT_FALSE(host.host.running);
  EXPECT_EQ(host.host.cursor_count, 0);
}

TEST(SessionErrors, AnErrorOfTheWindowsCreationEndsTheProgram) {
  TFakeStartUp host;
  host.settled_error = "BadWindow";
  EXPECT_EQ(RunProgram({"/s"}, host), 1);
  EXPECT_EQ(host.log, (Log{"find", "init", "create 0", "destroy", "report"}));
  EXPECT_EQ(host.reports, Log{"ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ|BadWindow"});
}

TEST(SessionStats, MeasurementsAreWrittenOnlyWhenAskedFor) {
  for (const char* wanted : {"1", "0", ""}) {
    SetEnvironment("ZARMOK_STATS", wanted);
    TFakeStartUp host;
    host.settings = {{"StepsPerSecond", "100"}};
    host.end_at = 200 * kMs;
    EXPECT_EQ(RunProgram({"/s"}, host), 0);
    if (std::string(wanted) == "1") {
      ASSERT_EQ(host.diagnostics.size(), 1u);
      EXPECT_NE(host.diagnostics[0].find("20 steps in 0.200 s = 100.0 steps/s"), std::string::npos)
          << host.diagnostics[0];
    } else {
      EXPECT_TRUE(host.diagnostics.empty()) << wanted;
    }
  }
  SetEnvironment("ZARMOK_STATS", "");
}

TEST(SessionRandom, TwoWindowsWithOneSeedRunTheSameAnimationSideBySide) {
  const std::map<std::string, std::string> settings = {{"MaxBugs", "6"}, {"BugPtnExCyc", "1"}};
  testing::THeadlessSaver a(settings, 99, 320, 240);
  testing::THeadlessSaver b(settings, 99, 320, 240);
  testing::THeadlessSaver other(settings, 100, 320, 240);
  // Interleaved, so a source shared between the windows would give each a different half.
  for (int step = 0; step < 300; ++step) {
    a.Idle(1);
    b.Idle(1);
  }
  other.Idle(300);
  bool differs_from_other = false;
  for (int i = 0; i < 6; ++i) {
    const TBug& x = a.window->Bugs[i];
    const TBug& y = b.window->Bugs[i];
    EXPECT_EQ(x.X, y.X) << i;
    EXPECT_EQ(x.Y, y.Y) << i;
    EXPECT_EQ(x.Dir, y.Dir) << i;
    EXPECT_EQ(x.Life, y.Life) << i;
    differs_from_other = differs_from_other || x.X != other.window->Bugs[i].X;
  }
  EXPECT_TRUE(differs_from_other);
  const TRasterCanvas& pa = a.host.Raster();
  const TRasterCanvas& pb = b.host.Raster();
  EXPECT_TRUE(std::equal(pa.Pixels(), pa.Pixels() + pa.Stride() * pa.Height(), pb.Pixels()));
}

}  // namespace
}  // namespace zarmok
