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
  EXPECT_EQ(host.log, (Log{"find", "create 0", "pointer hidden", "place 0,0 640x480", "show-window",
                           "pointer shown", "destroy"}));
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
  EXPECT_EQ(host.passwords.calls[0].host_dialogs_open_at_call, 1);  // the input lent to it
  EXPECT_EQ(host.passwords.calls[0].cursor_count_at_call, 0);       // shown while it is up
  EXPECT_EQ(host.host.host_dialogs_open, 0);
  EXPECT_EQ(host.host.cursor_count, 0);  // shown again after the destruction
}

TEST(SessionLoop, MouseMovementEndsTheSaverOnlyAfterTenSteps) {
  TFakeStartUp host;
  host.settings = {{"StepsPerSecond", "100"}};
  host.At(45 * kMs, {TSaverEventKind::MouseMove, 0, {1, 1}});  // after 5 steps: ignored
  host.At(95 * kMs, {TSaverEventKind::MouseMove, 0, {2, 1}});  // after 10 steps: ends it
  host.At(300 * kMs, {TSaverEventKind::KeyDown});              // never delivered
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
  for (const TSaverEventKind kind : {TSaverEventKind::WindowGone, TSaverEventKind::EndRequest}) {
    TFakeStartUp host;
    RequirePassword(host, 0);
    host.pane = TWindowRect{0, 0, 80, 60};
    host.At(30 * kMs, {kind});
    host.At(30 * kMs, {TSaverEventKind::Paint});  // after the end: not painted
    host.end_at = 10000 * kMs;
    EXPECT_EQ(RunProgram({"/p", "77"}, host), 0);
    ASSERT_FALSE(host.present_times.empty());
    EXPECT_LT(host.present_times.back(), 30 * kMs);
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
    host.At(5 * kMs, {c.kind, 0, {1, 2}});
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
  EXPECT_EQ(host.log, (Log{"find", "create 0", "pointer hidden", "place 0,0 640x480", "show-window",
                           "pointer shown", "destroy", "report"}));
  EXPECT_EQ(host.reports, Log{"ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ|step failed"});
  // The same line on the error stream, before the box.
  EXPECT_EQ(host.diagnostics, Log{"ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ: step failed"});
  EXPECT_TRUE(host.error_boxes.empty());
  EXPECT_FALSE(host.host.running);
  EXPECT_EQ(host.host.cursor_count, 0);
}

TEST(SessionErrors, AnErrorOfTheWindowsCreationEndsTheProgram) {
  TFakeStartUp host;
  host.settled_error = "BadWindow";
  EXPECT_EQ(RunProgram({"/s"}, host), 1);
  EXPECT_EQ(host.log,
            (Log{"find", "create 0", "pointer hidden", "pointer shown", "destroy", "report"}));
  EXPECT_EQ(host.reports, Log{"ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ|BadWindow"});
}

TEST(SessionStats, MeasurementsAreWrittenOnlyWhenAskedFor) {
  for (const bool wanted : {true, false}) {
    TFakeStartUp host;
    host.stats_wanted = wanted;
    host.settings = {{"StepsPerSecond", "100"}};
    host.end_at = 200 * kMs;
    EXPECT_EQ(RunProgram({"/s"}, host), 0);
    if (wanted) {
      ASSERT_EQ(host.diagnostics.size(), 1u);
      EXPECT_NE(host.diagnostics[0].find("20 steps in 0.200 s = 100.0 steps/s"), std::string::npos)
          << host.diagnostics[0];
    } else {
      EXPECT_TRUE(host.diagnostics.empty());
    }
  }
}

// Steps per second over ten seconds of the fake clock at `rate`, with waits that end exactly
// (tick 0) or only at the first tick at or after their deadline.
double MeasuredRate(int32_t rate, int64_t tick) {
  TFakeStartUp host;
  host.settings = {{"StepsPerSecond", std::to_string(rate)}};
  host.timer_tick = tick;
  host.end_at = 10000 * kMs;
  EXPECT_EQ(RunProgram({"/s"}, host), 0);
  return static_cast<double>(host.Steps()) / 10.0;
}

TEST(SessionPace, HoldsOnExactAndOnCoarseTimers) {
  for (const int64_t tick : {int64_t{0}, int64_t{15625000}}) {
    for (const int32_t rate : {1, 60, 100, 120, 200, 240}) {
      EXPECT_NEAR(MeasuredRate(rate, tick), rate, rate * 0.01) << rate << " tick " << tick;
    }
  }
}

TEST(SessionInput, OnlyANewPointerPositionIsAMovement) {
  // Where the pointer was when the windows showed, and then anywhere else.
  TFakeStartUp host;
  host.settings = {{"StepsPerSecond", "100"}};
  host.At(200 * kMs, {TSaverEventKind::MouseMove, 0, {320, 240}});  // where it already was
  host.At(300 * kMs, {TSaverEventKind::MouseMove, 0, {320, 241}});
  host.end_at = 1000 * kMs;
  EXPECT_EQ(RunProgram({"/S"}, host), 0);
  EXPECT_EQ(Milliseconds({host.present_times.back()}), std::vector<int64_t>{290});

  // A platform that cannot tell where the pointer is: the first position seen is not a move.
  TFakeStartUp blind;
  blind.pointer.reset();
  blind.settings = {{"StepsPerSecond", "100"}};
  blind.At(200 * kMs, {TSaverEventKind::MouseMove, 0, {5, 5}});
  blind.At(300 * kMs, {TSaverEventKind::MouseMove, 0, {5, 5}});
  blind.At(400 * kMs, {TSaverEventKind::MouseMove, 0, {6, 5}});
  blind.end_at = 1000 * kMs;
  EXPECT_EQ(RunProgram({"/S"}, blind), 0);
  EXPECT_EQ(Milliseconds({blind.present_times.back()}), std::vector<int64_t>{390});
}

TEST(SessionInput, InputWhileAHostDialogIsUpIsTheDialogs) {
  TFakeStartUp host;
  host.settings = {{"StepsPerSecond", "100"}};
  RequirePassword(host, 0);
  // Delivered during the dialog (a platform that dispatches inside it), and queued by its end.
  host.passwords.during_verify = [&host] {
    host.now += 500 * kMs;
    EXPECT_TRUE(host.events->Deliver({TSaverEventKind::KeyDown}));
    EXPECT_TRUE(host.events->Deliver({TSaverEventKind::CloseRequest}));
  };
  host.At(25 * kMs, {TSaverEventKind::KeyDown});
  host.At(300 * kMs, {TSaverEventKind::PrimaryClick});
  host.At(400 * kMs, {TSaverEventKind::Paint});  // not input: still painted
  host.end_at = 700 * kMs;
  EXPECT_EQ(RunProgram({"/s"}, host), 0);
  EXPECT_EQ(host.passwords.calls.size(), 1u);
  EXPECT_EQ(host.delivered_results.size(), 2u);  // the key and the paint
  EXPECT_EQ(host.host.host_dialogs_open, 0);

  // Afterwards the next key asks again.
  TFakeStartUp again;
  again.settings = {{"StepsPerSecond", "100"}};
  RequirePassword(again, 0);
  again.passwords.during_verify = [&again] { again.now += 100 * kMs; };
  again.At(25 * kMs, {TSaverEventKind::KeyDown});
  again.At(200 * kMs, {TSaverEventKind::KeyDown});
  again.end_at = 300 * kMs;
  EXPECT_EQ(RunProgram({"/s"}, again), 0);
  EXPECT_EQ(again.passwords.calls.size(), 2u);
}

TEST(SessionInput, LosingTheForegroundIsACloseRequest) {
  // Whatever the stop conditions, through the close query: a refused password goes on.
  TFakeStartUp host;
  host.settings = {{"StopOnKey", "0"},
                   {"StopOnMouseMove", "0"},
                   {"StopOnMouseClick", "0"},
                   {"StepsPerSecond", "100"}};
  RequirePassword(host, 0);
  // The password dialog takes the foreground itself: no second query.
  host.passwords.during_verify = [&host] { host.events->Deliver({TSaverEventKind::Deactivated}); };
  host.At(25 * kMs, {TSaverEventKind::Deactivated});
  host.end_at = 100 * kMs;
  EXPECT_EQ(RunProgram({"/s"}, host), 0);
  EXPECT_EQ(host.passwords.calls.size(), 1u);
  EXPECT_EQ(host.Steps(), 10u);

  TFakeStartUp allowed;
  allowed.settings = host.settings;
  allowed.At(25 * kMs, {TSaverEventKind::Deactivated});
  allowed.end_at = 1000 * kMs;
  EXPECT_EQ(RunProgram({"/s"}, allowed), 0);
  EXPECT_EQ(allowed.Steps(), 3u);

  // A preview has no foreground to lose.
  TFakeStartUp preview;
  preview.pane = TWindowRect{0, 0, 80, 60};
  preview.settings = {{"StepsPerSecond", "100"}};
  preview.At(25 * kMs, {TSaverEventKind::Deactivated});
  preview.end_at = 100 * kMs;
  EXPECT_EQ(RunProgram({"/p", "5"}, preview), 0);
  EXPECT_EQ(preview.Steps(), 10u);
}

TEST(SessionInput, AnErrorBoxHasThePointerAndTheInput) {
  TFakeStartUp host;
  host.settings = {{"StepsPerSecond", "100"}};
  host.At(5 * kMs, {TSaverEventKind::CloseRequest});
  host.Do(2 * kMs, [&host] { host.passwords.flag_error = "no flag"; });
  RequirePassword(host, 1);
  host.during_error_box = [&host] {
    EXPECT_EQ(host.host.cursor_count, 0);
    EXPECT_EQ(host.host.host_dialogs_open, 1);
    host.passwords.flag_error.reset();
    host.events->Deliver({TSaverEventKind::KeyDown});  // meant for the box
  };
  host.end_at = 100 * kMs;
  EXPECT_EQ(RunProgram({"/s"}, host), 0);
  EXPECT_EQ(host.error_boxes, Log{"Zarmok|no flag."});
  EXPECT_TRUE(host.passwords.calls.empty());
  EXPECT_EQ(host.host.host_dialogs_open, 0);
  EXPECT_EQ(Milliseconds({host.present_times.back()}), std::vector<int64_t>{90});
}

TEST(SessionPane, AFailedRequestEndsThePreviewOnlyWhenThePaneIsGone) {
  for (const bool gone : {true, false}) {
    TFakeStartUp host;
    host.pane = TWindowRect{0, 0, 80, 60};
    host.settings = {{"StepsPerSecond", "100"}};
    host.Do(25 * kMs, [&host, gone] {
      host.step_error = "BadDrawable";
      if (gone) host.gone.push_back(77);
    });
    host.end_at = 1000 * kMs;
    EXPECT_EQ(RunProgram({"/p", "77"}, host), gone ? 0 : 1) << gone;
    EXPECT_EQ(host.reports.empty(), gone) << gone;
    EXPECT_EQ(host.present_times.size(), 4u) << gone;
  }
}

TEST(SessionPane, APaneDestroyedWithoutNoticeEndsThePreviewSoon) {
  TFakeStartUp host;
  host.pane = TWindowRect{0, 0, 80, 60};
  host.settings = {{"StepsPerSecond", "100"}};
  host.Do(400 * kMs, [&host] { host.gone.push_back(77); });
  host.end_at = 10000 * kMs;
  EXPECT_EQ(RunProgram({"/p", "77"}, host), 0);
  EXPECT_TRUE(host.reports.empty());
  EXPECT_GE(host.present_times.back(), 400 * kMs);
  EXPECT_LE(host.present_times.back(), 400 * kMs + kPaneCheckNs);
}

TEST(SessionMonitors, EachMonitorHasItsWindowAndTheRunIsOne) {
  TFakeStartUp host;
  host.monitors = {TMonitor{1, {0, 0, 800, 600}}, TMonitor{2, {800, 0, 1440, 480}}};
  host.settings = {{"StepsPerSecond", "100"}};
  RequirePassword(host, 0);
  host.At(35 * kMs, {TSaverEventKind::KeyDown}, 1);               // the second window: refused
  host.At(55 * kMs, {TSaverEventKind::MouseMove, 0, {9, 9}}, 0);  // within the run's grace
  host.At(200 * kMs, {TSaverEventKind::Paint}, 1);
  host.end_at = 300 * kMs;
  host.in_loop = [&host](TDesktopWindow&) {
    EXPECT_TRUE(host.host.running);
    EXPECT_EQ(host.host.cursor_count, -1);
  };
  EXPECT_EQ(RunProgram({"/s"}, host), 0);
  EXPECT_EQ(host.log, (Log{"find", "create 0", "pointer hidden", "create 0", "place 0,0 800x600",
                           "show-window", "place 800,0 640x480", "show-window", "pointer shown",
                           "pointer hidden", "destroy", "pointer shown", "destroy"}));
  // One close query, with the first window's handle; one flag set and cleared.
  ASSERT_EQ(host.passwords.calls.size(), 1u);
  EXPECT_EQ(host.passwords.calls[0].window, 0x100u);
  EXPECT_EQ(host.host.flag_writes, 2);
  EXPECT_FALSE(host.host.running);
  // Both step together; the second also presented its repaint.
  ASSERT_EQ(host.presents_by_window.size(), 2u);
  EXPECT_EQ(host.presents_by_window[0].size(), 30u);
  EXPECT_EQ(host.presents_by_window[1].size(), 31u);
}

TEST(SessionMonitors, AMonitorThatGoesTakesItsWindowAndANewOneGetsOne) {
  TFakeStartUp host;
  host.monitors = {TMonitor{1, {0, 0, 640, 480}}, TMonitor{2, {640, 0, 1280, 480}}};
  host.settings = {{"StepsPerSecond", "100"}};
  // A moment without monitors changes nothing; then the first window's monitor goes, the
  // second's grows, a third comes.
  host.Do(30 * kMs, [&host] { host.monitors.clear(); });
  host.At(30 * kMs, {TSaverEventKind::MonitorsChanged});
  host.Do(50 * kMs, [&host] {
    host.monitors = {TMonitor{2, {640, 0, 1920, 720}}, TMonitor{3, {0, 480, 640, 960}}};
  });
  host.At(50 * kMs, {TSaverEventKind::MonitorsChanged});
  host.At(100 * kMs, {TSaverEventKind::MouseMove, 0, {1, 1}}, 1);  // the new window
  host.end_at = 200 * kMs;
  EXPECT_EQ(RunProgram({"/S"}, host), 0);
  const Log after_change(host.log.begin() + 8, host.log.begin() + 13);
  EXPECT_EQ(after_change, (Log{"place 640,0 1280x720", "create 0", "place 0,480 640x480",
                               "show-window", "destroy"}));
  // The run's flag and pointer stayed as they were through the change.
  EXPECT_EQ(host.host.flag_writes, 2);
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "pointer hidden"), 1);
  // The grace went on in the window that took the run's role: the movement ended the run.
  EXPECT_EQ(Milliseconds({host.presents_by_window[1].back()}), std::vector<int64_t>{90});
}

TEST(SessionMonitors, EachWindowRunsItsOwnSwarm) {
  const std::map<std::string, std::string> settings = {{"MaxBugs", "6"}, {"BugPtnExCyc", "1"}};
  // Two windows stepping in turn, against the second one's seed run alone: a random source
  // shared between them would give each a different half of its draws.
  testing::THeadlessSaver pair(settings, 99, 320, 240, 2);
  testing::THeadlessSaver alone(settings, 100, 320, 240);
  pair.Run(300);
  alone.Run(300);
  for (int i = 0; i < 6; ++i) {
    const TBug& x = pair.session.Window(1).Bugs[i];
    const TBug& y = alone.session.Window(0).Bugs[i];
    EXPECT_EQ(x.X, y.X) << i;
    EXPECT_EQ(x.Y, y.Y) << i;
    EXPECT_EQ(x.Dir, y.Dir) << i;
    EXPECT_EQ(x.Life, y.Life) << i;
  }
  EXPECT_NE(pair.session.Window(0).Bugs[0].X, pair.session.Window(1).Bugs[0].X);
  const TRasterCanvas& pa = pair.Picture(1);
  const TRasterCanvas& pb = alone.Picture(0);
  EXPECT_TRUE(std::equal(pa.Pixels(), pa.Pixels() + pa.Stride() * pa.Height(), pb.Pixels()));
}

}  // namespace
}  // namespace zarmok

namespace zarmok {
namespace {

TEST(SessionLoop, UnpacedWithNothingToDrawStillHearsEveryKeyAndTheHostsEnd) {
  // No bug moves and the platform is never asked to wait: what arrives is read all the same,
  // within a millisecond of the clock.
  for (const TSaverEventKind kind : {TSaverEventKind::KeyDown, TSaverEventKind::EndRequest}) {
    TFakeStartUp host;
    host.settings = {{"StepsPerSecond", "0"}, {"Speed", "0"}};
    host.present_cost = kMs / 100;
    host.At(30 * kMs, {kind});
    host.end_at = 1000000 * kMs;
    EXPECT_EQ(RunProgram({"/S"}, host), 0);
    EXPECT_TRUE(host.waits.empty());
    EXPECT_LE(host.now, 31 * kMs);
    // Not at every step: a look is a round trip on some hosts.
    EXPECT_LT(host.looks, 40);
  }
}

TEST(SessionMonitors, ArrangedPrimaryFirstWithoutWhatAnotherWindowShows) {
  const TMonitor left{7, {0, 0, 800, 600}};
  const TMonitor main{3, {800, 0, 1800, 700}, true};
  const TMonitor clone{9, {800, 0, 1800, 700}, false, 3};
  const TMonitor orphan{5, {0, 600, 100, 700}, false, 42};  // mirrors nothing listed
  EXPECT_EQ(ArrangeMonitors({left, clone, main, orphan, left}),
            (std::vector<TMonitor>{main, left, orphan}));
}

TEST(SessionMonitors, ARunStartedWithoutMonitorsWaitsForTheFirst) {
  TFakeStartUp host;
  host.monitors.clear();
  host.settings = {{"StepsPerSecond", "100"}};
  host.Do(100 * kMs, [&host] { host.monitors = {TMonitor{4, {0, 0, 320, 200}}}; });
  host.At(100 * kMs, {TSaverEventKind::MonitorsChanged});
  host.end_at = 200 * kMs;
  EXPECT_EQ(RunProgram({"/s"}, host), 0);
  EXPECT_EQ(host.log, (Log{"find", "create 0", "pointer hidden", "place 0,0 320x200", "show-window",
                           "pointer shown", "destroy"}));
  EXPECT_TRUE(host.reports.empty());
}

TEST(SessionEvents, AWindowTheSystemTakesAsksTheCloseQueryAndComesBackWhenRefused) {
  TFakeStartUp host;
  host.settings = {{"StepsPerSecond", "100"}};
  RequirePassword(host, 0);
  host.At(30 * kMs, {TSaverEventKind::WindowGone});
  host.end_at = 100 * kMs;
  EXPECT_EQ(RunProgram({"/s"}, host), 0);
  EXPECT_EQ(host.passwords.calls.size(), 1u);
  const Log after(host.log.begin() + 5, host.log.end());
  EXPECT_EQ(after, (Log{"pointer shown", "pointer hidden", "create 0", "destroy",
                        "place 0,0 640x480", "show-window", "pointer shown", "destroy"}));
  EXPECT_EQ(host.presents_by_window[1].size(), 8u);  // its repaint, then the steps from 40 ms

  // Its monitor went with it: the monitors' change, no close query.
  TFakeStartUp output;
  output.monitors = {TMonitor{1, {0, 0, 640, 480}}, TMonitor{2, {640, 0, 1280, 480}}};
  output.settings = {{"StepsPerSecond", "100"}};
  RequirePassword(output, 0);
  output.Do(30 * kMs, [&output] { output.monitors.pop_back(); });
  output.At(30 * kMs, {TSaverEventKind::WindowGone}, 1);
  output.end_at = 100 * kMs;
  EXPECT_EQ(RunProgram({"/s"}, output), 0);
  EXPECT_TRUE(output.passwords.calls.empty());
  EXPECT_EQ(output.windows.size(), 0u);
  EXPECT_EQ(output.presents_by_window[1].size(), 3u);
}

TEST(SessionInput, TheKeyboardIsAskedForUntilGivenAndCoversAreRaisedOver) {
  TFakeStartUp host;
  host.monitors = {TMonitor{1, {0, 0, 640, 480}}, TMonitor{2, {640, 0, 1280, 480}}};
  host.settings = {{"StepsPerSecond", "100"}};
  host.keyboard_answers = {false, false};
  host.At(400 * kMs, {TSaverEventKind::Covered}, 1);
  host.end_at = 900 * kMs;
  EXPECT_EQ(RunProgram({"/s"}, host), 0);
  // The run's first window, at once and every quarter second until it has it.
  EXPECT_EQ(host.keyboard_requests, (std::vector<TWindowHandle>{0x100, 0x100, 0x100}));
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "raise"), 1);

  // Neither a preview nor the background takes the keyboard or goes over others.
  TFakeStartUp preview;
  preview.pane = TWindowRect{0, 0, 80, 60};
  preview.At(40 * kMs, {TSaverEventKind::Covered});
  preview.end_at = 100 * kMs;
  EXPECT_EQ(RunProgram({"/p", "5"}, preview), 0);
  EXPECT_TRUE(preview.keyboard_requests.empty());
  EXPECT_EQ(std::count(preview.log.begin(), preview.log.end(), "raise"), 0);
}

TEST(SessionInput, AKeyWithTheSystemsModifierIsTheSaversOnlyWhenKeysEndIt) {
  for (const bool stop : {true, false}) {
    TFakeStartUp host;
    host.settings = {{"StopOnKey", stop ? "1" : "0"}};
    host.At(10 * kMs, {TSaverEventKind::KeyDown, kSystemKey});
    host.end_at = 50 * kMs;
    EXPECT_EQ(RunProgram({"/S"}, host), 0);
    EXPECT_EQ(host.delivered_results, std::vector<bool>{stop}) << stop;
  }
}

TEST(SessionEvents, AWindowTakesTheSizeItReportsAndIsPaintedAtIt) {
  TFakeStartUp host;
  host.report_sizes = true;
  host.settings = {{"StepsPerSecond", "100"}};
  host.At(50 * kMs, {TSaverEventKind::Resized, 0, {0, 0}, nullptr, 200, 100});
  host.end_at = 100 * kMs;
  host.Do(20 * kMs, [&host] { EXPECT_EQ(host.windows[0]->picture_width, 640); });
  EXPECT_EQ(RunProgram({"/s"}, host), 0);
  EXPECT_EQ(host.present_times.front(), 0);
  EXPECT_EQ(host.windows.size(), 0u);
}

TEST(SessionEvents, AFloodOfEventsKeepsWhatMattersAndTheLatestPlace) {
  TEventQueue queue;
  for (int i = 0; i < 1000; ++i) queue.Push({TSaverEventKind::MouseMove, 0, {i, 0}});
  queue.Push({TSaverEventKind::KeyDown});
  TSaverEvent event{TSaverEventKind::Paint};
  int moves = 0;
  bool key = false;
  TPoint last{0, 0};
  while (queue.Pop(event)) {
    moves += event.Kind == TSaverEventKind::MouseMove;
    key = key || event.Kind == TSaverEventKind::KeyDown;
    if (event.Kind == TSaverEventKind::MouseMove) last = event.Position;
  }
  EXPECT_TRUE(key);
  EXPECT_EQ(moves, TEventQueue::kCapacity - 1);
  EXPECT_EQ(last.x, 999);
}

}  // namespace
}  // namespace zarmok
