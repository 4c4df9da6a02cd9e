#include "BugsSet.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <vector>

#include "errors.h"
#include "fake/fake_view.h"
#include "fake/memory_profile.h"
#include "fake/recording_layout.h"

namespace zarmok {
namespace {

using testing::TFakeBugsPramSetView;
using testing::TMemoryProfile;

const std::string kIni = "/opt/saver/zarmok.ini";

class TRecordingErrorBox : public IErrorBox {
 public:
  void ShowError(const std::string& title, const std::string& text) override {
    shown.push_back({title, text});
  }
  std::vector<std::pair<std::string, std::string>> shown;
};

class BugsPramSetTest : public ::testing::Test {
 protected:
  void Store(const char* key, const char* value) { profile.Set(kIni, "Zarmok", key, value); }

  void Open() {
    dialog.FormCreate();
    view.log.clear();
    profile.ClearLog();
  }

  // What the file holds for each key, in table order ("-" for a missing key).
  std::vector<std::string> FileValues() const {
    std::vector<std::string> values;
    for (const TSettingKey& key : kSettingKeys) {
      values.push_back(profile.Get(kIni, "Zarmok", key.name).value_or("-"));
    }
    return values;
  }

  std::vector<std::string> WrittenKeys() const {
    std::vector<std::string> keys;
    for (const auto& write : profile.Writes()) keys.push_back(write.key);
    return keys;
  }

  TMemoryProfile profile;
  TFakeBugsPramSetView view;
  TBugsPramSet dialog{view, profile, kIni};
};

TEST_F(BugsPramSetTest, NoFileShowsTheDefaultsInKeyOrder) {
  dialog.FormCreate();
  const std::vector<std::string> expected = {
      "SetItemIndex 0",
      "SetPosition SpeedSB 5",
      "SetPosition BugPtnSizeSB 12",
      "SetPosition BugPtnExCycSB 2",
      "SetPosition MaxBugsSB 3",
      "SetPosition BugSizeSB 12",
      "SetPosition ImageListLenSB 6",
      "SetPosition SunGSB 1",
      "SetPosition BugGSB 1",
      "SetPosition WallGSB 1",
      "SetChecked StopOnKeyCbx 1",
      "SetChecked StopOnMouseMoveCbx 1",
      "SetChecked StopOnMouseClickCbx 1",
  };
  EXPECT_EQ(view.log, expected);
  EXPECT_EQ(profile.WriteCalls(), 0);
  EXPECT_EQ(view.close_calls, 0);
}

// A stored value, the control state it shows as, and what OK then saves for it.
struct TLoadCase {
  const char* key;
  const char* stored;
  const char* shown;  // the log entry of FormCreate for that control
  const char* saved;
};

class BugsPramSetLoadTest : public BugsPramSetTest,
                            public ::testing::WithParamInterface<TLoadCase> {};

TEST_P(BugsPramSetLoadTest, OutOfRangeValuesShowAtTheNearestEndAndSaveIt) {
  const TLoadCase& c = GetParam();
  Store(c.key, c.stored);
  dialog.FormCreate();
  EXPECT_NE(std::find(view.log.begin(), view.log.end(), c.shown), view.log.end())
      << c.key << "=" << c.stored;
  profile.ClearLog();
  dialog.OkBtnClick();
  EXPECT_EQ(profile.Get(kIni, "Zarmok", c.key).value_or("-"), c.saved);
}

INSTANTIATE_TEST_SUITE_P(
    Values, BugsPramSetLoadTest,
    ::testing::Values(
        // The speed bar is reversed: slow end at the right.
        TLoadCase{"Speed", "20", "SetPosition SpeedSB 1", "14"},
        TLoadCase{"Speed", "-3", "SetPosition SpeedSB 15", "0"},
        TLoadCase{"Speed", "0", "SetPosition SpeedSB 15", "0"},
        TLoadCase{"Speed", "14", "SetPosition SpeedSB 1", "14"},
        TLoadCase{"Speed", "7", "SetPosition SpeedSB 8", "7"},
        // 15 minus the 32-bit extremes must not wrap round to the other end.
        TLoadCase{"Speed", "-2147483648", "SetPosition SpeedSB 15", "0"},
        TLoadCase{"Speed", "2147483647", "SetPosition SpeedSB 1", "14"},
        TLoadCase{"BugsType", "5", "SetItemIndex 1", "1"},
        TLoadCase{"BugsType", "-7", "SetItemIndex -1", "-1"},
        TLoadCase{"BugsType", "-1", "SetItemIndex -1", "-1"},
        TLoadCase{"BugsType", "1", "SetItemIndex 1", "1"},
        TLoadCase{"BugPtnSize", "4", "SetPosition BugPtnSizeSB 5", "5"},
        TLoadCase{"BugPtnSize", "41", "SetPosition BugPtnSizeSB 40", "40"},
        TLoadCase{"BugPtnExCyc", "0", "SetPosition BugPtnExCycSB 0", "0"},
        TLoadCase{"BugPtnExCyc", "101", "SetPosition BugPtnExCycSB 100", "100"},
        TLoadCase{"MaxBugs", "0", "SetPosition MaxBugsSB 1", "1"},
        TLoadCase{"MaxBugs", "21", "SetPosition MaxBugsSB 20", "20"},
        TLoadCase{"BugSize", "$1E", "SetPosition BugSizeSB 30", "30"},
        TLoadCase{"BugSize", "2", "SetPosition BugSizeSB 3", "3"},
        TLoadCase{"ImageListLen", "0", "SetPosition ImageListLenSB 1", "1"},
        TLoadCase{"ImageListLen", "31", "SetPosition ImageListLenSB 30", "30"},
        TLoadCase{"SunG", "-1", "SetPosition SunGSB 0", "0"},
        TLoadCase{"SunG", "801", "SetPosition SunGSB 800", "800"},
        TLoadCase{"BugG", "800", "SetPosition BugGSB 800", "800"},
        TLoadCase{"WallG", "0xFFFFFFFF", "SetPosition WallGSB 0", "0"},
        TLoadCase{"WallG", "51", "SetPosition WallGSB 50", "50"},
        TLoadCase{"StopOnMouseMove", "0", "SetChecked StopOnMouseMoveCbx 0", "0"},
        TLoadCase{"StopOnMouseClick", "2", "SetChecked StopOnMouseClickCbx 1", "1"}));

TEST_F(BugsPramSetTest, OkSavesAllThirteenKeysInTableOrderEvenWhenNothingChanged) {
  Store("BugsType", "1");
  Store("Speed", "3");
  Store("BugPtnSize", "40");
  Store("BugPtnExCyc", "100");
  Store("MaxBugs", "20");
  Store("BugSize", "0x1e");
  Store("ImageListLen", "30");
  Store("SunG", "800");
  Store("BugG", "0");
  Store("WallG", "50");
  Store("StopOnKey", "0");
  Store("StopOnMouseMove", "0");
  Store("StopOnMouseClick", "1");
  Open();
  dialog.OkBtnClick();

  std::vector<std::string> expected_keys;
  for (const TSettingKey& key : kSettingKeys) expected_keys.push_back(key.name);
  EXPECT_EQ(WrittenKeys(), expected_keys);
  EXPECT_EQ(FileValues(), (std::vector<std::string>{"1", "3", "40", "100", "20", "30", "30", "800",
                                                    "0", "50", "0", "0", "1"}));
  EXPECT_EQ(view.close_calls, 1);
}

TEST_F(BugsPramSetTest, OkSavesWhatTheUserSet) {
  Open();
  view.UserSelectsItem(1);
  view.UserSetsPosition(TScrollBarId::SpeedSB, 15);
  view.UserSetsPosition(TScrollBarId::BugPtnSizeSB, 5);
  view.UserSetsPosition(TScrollBarId::BugPtnExCycSB, 0);
  view.UserSetsPosition(TScrollBarId::MaxBugsSB, 20);
  view.UserSetsPosition(TScrollBarId::BugSizeSB, 30);
  view.UserSetsPosition(TScrollBarId::ImageListLenSB, 1);
  view.UserSetsPosition(TScrollBarId::SunGSB, 800);
  view.UserSetsPosition(TScrollBarId::BugGSB, 400);
  view.UserSetsPosition(TScrollBarId::WallGSB, 50);
  view.UserChecks(TCheckBoxId::StopOnKeyCbx, false);
  view.UserChecks(TCheckBoxId::StopOnMouseClickCbx, false);
  dialog.OkBtnClick();
  EXPECT_EQ(FileValues(), (std::vector<std::string>{"1", "0", "5", "0", "20", "30", "1", "800",
                                                    "400", "50", "0", "1", "0"}));
  EXPECT_EQ(view.close_calls, 1);
}

TEST_F(BugsPramSetTest, NoStopConditionChecksTheKeyBoxAndSavesNothingUntilTheSecondOk) {
  Store("StopOnKey", "0");
  Store("StopOnMouseMove", "0");
  Store("StopOnMouseClick", "0");
  Open();

  dialog.OkBtnClick();
  EXPECT_EQ(view.log, std::vector<std::string>{"SetChecked StopOnKeyCbx 1"});
  EXPECT_EQ(profile.WriteCalls(), 0);
  EXPECT_EQ(view.close_calls, 0);

  dialog.OkBtnClick();
  EXPECT_EQ(profile.WriteCalls(), 13);
  EXPECT_EQ(profile.Get(kIni, "Zarmok", "StopOnKey"), "1");
  EXPECT_EQ(profile.Get(kIni, "Zarmok", "StopOnMouseMove"), "0");
  EXPECT_EQ(profile.Get(kIni, "Zarmok", "StopOnMouseClick"), "0");
  EXPECT_EQ(view.close_calls, 1);
}

TEST_F(BugsPramSetTest, UncheckingAllStopBoxesThenCancelLeavesTheFileAsItWas) {
  Store("Speed", "20");
  Open();
  for (const TCheckBoxLayout& box : kCheckBoxes) view.UserChecks(box.id, false);
  dialog.OkBtnClick();
  EXPECT_TRUE(view.Checked(TCheckBoxId::StopOnKeyCbx));
  dialog.CancelBtnClick();
  EXPECT_EQ(profile.WriteCalls(), 0);
  EXPECT_EQ(FileValues(), (std::vector<std::string>{"-", "20", "-", "-", "-", "-", "-", "-", "-",
                                                    "-", "-", "-", "-"}));
  EXPECT_EQ(view.close_calls, 1);
}

TEST_F(BugsPramSetTest, OneCheckedStopBoxIsEnoughToSave) {
  for (const TCheckBoxLayout& only : kCheckBoxes) {
    TMemoryProfile file;
    TFakeBugsPramSetView controls;
    TBugsPramSet set(controls, file, kIni);
    set.FormCreate();
    for (const TCheckBoxLayout& box : kCheckBoxes) controls.UserChecks(box.id, box.id == only.id);
    set.OkBtnClick();
    EXPECT_EQ(file.WriteCalls(), 13) << only.name;
    EXPECT_EQ(file.Get(kIni, "Zarmok", "StopOnKey"),
              only.id == TCheckBoxId::StopOnKeyCbx ? "1" : "0");
    EXPECT_EQ(controls.close_calls, 1) << only.name;
  }
}

TEST_F(BugsPramSetTest, RefusedWriteKeepsTheDialogOpenAndReachesTheApplicationsHandler) {
  Store("Speed", "9");
  Store("BugPtnSize", "30");
  Open();
  view.UserSetsPosition(TScrollBarId::SpeedSB, 2);        // Speed 13
  view.UserSetsPosition(TScrollBarId::BugPtnSizeSB, 20);  // refused
  profile.RefuseWrite(3);

  EXPECT_THROW(dialog.OkBtnClick(), EZarmokError);
  EXPECT_EQ(view.close_calls, 0);
  // The keys before the refused one hold their new values, it and the later ones their old.
  EXPECT_EQ(profile.Get(kIni, "Zarmok", "BugsType"), "0");
  EXPECT_EQ(profile.Get(kIni, "Zarmok", "Speed"), "13");
  EXPECT_EQ(profile.Get(kIni, "Zarmok", "BugPtnSize"), "30");
  EXPECT_EQ(profile.WriteCalls(), 3);

  TRecordingErrorBox box;
  profile.ClearLog();
  profile.RefuseWrite(1);
  RunEventHandler([&] { dialog.OkBtnClick(); }, box, TLanguage::Japanese);
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].first, "Zarmok");
  EXPECT_EQ(box.shown[0].second, kIni + " に書き込めません.");
  EXPECT_EQ(view.close_calls, 0);

  // The user presses OK again once the file can be written.
  profile.AcceptWrites();
  RunEventHandler([&] { dialog.OkBtnClick(); }, box, TLanguage::Japanese);
  EXPECT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(profile.Get(kIni, "Zarmok", "BugPtnSize"), "20");
  EXPECT_EQ(view.close_calls, 1);
}

TEST_F(BugsPramSetTest, CancelAndAboutWriteNothing) {
  Open();
  dialog.AboutBtnClick();
  EXPECT_EQ(view.about_calls, 1);
  EXPECT_EQ(view.close_calls, 0);
  dialog.CancelBtnClick();
  EXPECT_EQ(view.close_calls, 1);
  EXPECT_EQ(profile.WriteCalls(), 0);
  EXPECT_EQ(view.log, (std::vector<std::string>{"ShowAboutBoxModal", "Close"}));
}

TEST(RunEventHandlerTest, PassesQuietHandlersThroughAndReportsEachError) {
  TRecordingErrorBox box;
  int runs = 0;
  RunEventHandler([&] { ++runs; }, box, TLanguage::English);
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(box.shown.empty());
  // Worded in the run's language when reported.
  const EZarmokError refused(TWording(TTextId::CannotWrite, {"C:\\a.ini"}));
  RunEventHandler([&] { throw refused; }, box, TLanguage::English);
  RunEventHandler([] { throw std::runtime_error("x"); }, box, TLanguage::English);
  ASSERT_EQ(box.shown.size(), 2u);
  EXPECT_EQ(box.shown[0].second, "Cannot write to C:\\a.ini.");
  EXPECT_EQ(box.shown[1], (std::pair<std::string, std::string>{"Zarmok", "x."}));
}

// ---- The control table ----

bool Overlap(const TRect& a, const TRect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

bool Inside(const TRect& r, int32_t width, int32_t height) {
  return r.left >= 0 && r.top >= 0 && r.left + r.width <= width && r.top + r.height <= height;
}

TEST(BugsPramSetTableTest, ChildrenFollowTheirTabOrderAndDoNotOverlap) {
  std::vector<TRect> rects;
  std::vector<std::string> names;
  for (int tab = 0; tab < kTabStopCount; ++tab) {
    const TTabStop& stop = kTabOrder[tab];
    switch (stop.kind) {
      case TChildKind::ScrollBarGroup:
        EXPECT_EQ(kScrollBars[stop.scroll_bar].tab_order, tab);
        rects.push_back(kScrollBars[stop.scroll_bar].group);
        names.push_back(kScrollBars[stop.scroll_bar].group_name);
        break;
      case TChildKind::StopGroup:
        EXPECT_EQ(kStopGroupBox.tab_order, tab);
        rects.push_back(kStopGroupBox.rect);
        names.push_back(kStopGroupBox.name);
        break;
      case TChildKind::Button:
        EXPECT_EQ(stop.button->tab_order, tab);
        rects.push_back(stop.button->rect);
        names.push_back(stop.button->name);
        break;
      case TChildKind::RadioGroup:
        EXPECT_EQ(kBugsTypeRG.tab_order, tab);
        rects.push_back(kBugsTypeRG.rect);
        names.push_back(kBugsTypeRG.name);
        break;
    }
  }
  EXPECT_EQ(names, (std::vector<std::string>{"GroupBox1", "GroupBox2", "GroupBox3", "GroupBox4",
                                             "GroupBox5", "GroupBox6", "GroupBox7", "OkBtn",
                                             "CancelBtn", "GroupBox8", "GroupBox9", "GroupBox10",
                                             "BugsTypeRG", "AboutBtn"}));
  for (size_t i = 0; i < rects.size(); ++i) {
    EXPECT_TRUE(Inside(rects[i], kBugsPramSetClientWidth, kBugsPramSetClientHeight)) << names[i];
    for (size_t j = i + 1; j < rects.size(); ++j) {
      EXPECT_FALSE(Overlap(rects[i], rects[j])) << names[i] << " / " << names[j];
    }
  }
}

// The walk both front ends make their controls by: every child once, in tab order, each
// given its own entry of the table.
TEST(BugsPramSetTableTest, LayOutDialogAsksForEachChildOnceInTabOrder) {
  TRecordingLayoutBuilder builder;
  LayOutDialog(builder);
  std::vector<std::string> names;
  for (const auto& call : builder.calls) names.push_back(call.name);
  EXPECT_EQ(names, (std::vector<std::string>{"GroupBox1", "GroupBox2", "GroupBox3", "GroupBox4",
                                             "GroupBox5", "GroupBox6", "GroupBox7", "OkBtn",
                                             "CancelBtn", "GroupBox8", "GroupBox9", "GroupBox10",
                                             "BugsTypeRG", "AboutBtn"}));
  ASSERT_EQ(builder.calls.size(), static_cast<size_t>(kTabStopCount));
  std::vector<const void*> expected;
  for (int bar = 0; bar < 6; ++bar) expected.push_back(&kScrollBars[bar]);
  expected.insert(expected.end(), {&kStopGroupBox, &kOkBtn, &kCancelBtn});
  for (int bar = 6; bar < kScrollBarCount; ++bar) expected.push_back(&kScrollBars[bar]);
  expected.insert(expected.end(), {&kBugsTypeRG, &kAboutBtn});
  for (int tab = 0; tab < kTabStopCount; ++tab) {
    EXPECT_EQ(builder.calls[tab].entry, expected[tab]) << "tab " << tab;
  }
}

TEST(BugsPramSetTableTest, RadioItemsShareTheFrameInColumnsBelowItsCaption) {
  const TRect& frame = kBugsTypeRG.rect;
  const TRect a = RadioItemRect(kBugsTypeRG, 0);
  const TRect b = RadioItemRect(kBugsTypeRG, 1);
  EXPECT_EQ(a.top, b.top);
  EXPECT_EQ(a.width, b.width);
  EXPECT_EQ(a.left + a.width, b.left);
  EXPECT_FALSE(Overlap(a, b));
  // Inside the frame's edges, and clear of its caption line at the top.
  for (const TRect& item : {a, b}) {
    EXPECT_GT(item.left, frame.left);
    EXPECT_GE(item.top, frame.top + 12);
    EXPECT_LT(item.left + item.width, frame.left + frame.width);
    EXPECT_LT(item.top + item.height, frame.top + frame.height);
  }
  // A third item of a two-column group starts the next row under the first.
  const TRect c = RadioItemRect(kBugsTypeRG, 2);
  EXPECT_EQ(c.left, a.left);
  EXPECT_EQ(c.top, a.top + a.height);
}

TEST(BugsPramSetTableTest, EveryBarSitsInItsGroupBetweenItsLabelsAndHoldsItsDefault) {
  const TSaverSettings defaults;
  std::set<std::string> names;
  for (int i = 0; i < kScrollBarCount; ++i) {
    const TScrollBarLayout& bar = kScrollBars[i];
    EXPECT_EQ(static_cast<int>(bar.id), i);
    EXPECT_EQ(&ScrollBarLayout(bar.id), &bar);
    names.insert(bar.name);
    EXPECT_TRUE(Inside(bar.bar, bar.group.width, bar.group.height)) << bar.name;
    EXPECT_LT(bar.left_label.left, bar.bar.left) << bar.name;
    EXPECT_GT(bar.right_label.left, bar.bar.left + bar.bar.width) << bar.name;
    EXPECT_LT(bar.min, bar.max);
    const int32_t position = PositionForSetting(bar, defaults.*bar.setting);
    EXPECT_EQ(SettingForPosition(bar, position), defaults.*bar.setting) << bar.name;
  }
  EXPECT_EQ(names.size(), 9u);
  for (const TCheckBoxLayout& box : kCheckBoxes) {
    EXPECT_TRUE(Inside(box.rect, kStopGroupBox.rect.width, kStopGroupBox.rect.height)) << box.name;
  }
  EXPECT_TRUE(kOkBtn.is_default && !kOkBtn.is_cancel);
  EXPECT_TRUE(kCancelBtn.is_cancel && !kCancelBtn.is_default);
}

TEST(BugsPramSetTableTest, PositionsAndSettingsMapBothWaysAcrossEachRange) {
  for (const TScrollBarLayout& bar : kScrollBars) {
    for (int32_t p = bar.min; p <= bar.max; ++p) {
      EXPECT_EQ(PositionForSetting(bar, SettingForPosition(bar, p)), p) << bar.name;
    }
    EXPECT_EQ(PositionForSetting(bar, INT32_MIN), bar.reversed ? bar.max : bar.min);
    EXPECT_EQ(PositionForSetting(bar, INT32_MAX), bar.reversed ? bar.min : bar.max);
  }
  EXPECT_EQ(ItemIndexForBugsType(INT32_MIN), -1);
  EXPECT_EQ(ItemIndexForBugsType(INT32_MAX), 1);
  EXPECT_EQ(ItemIndexForBugsType(0), 0);
}

TEST(ChooseFontFaceTest, PrefersTheFaceThenItsStandInsInOrder) {
  const char* const stand_ins[] = {"IPAPGothic", "IPAGothic", nullptr};
  const TFontRequest font = {"ＭＳ Ｐゴシック", 12, false, false, stand_ins};
  struct TCase {
    std::set<std::string> installed;
    std::string chosen;
  };
  const TCase cases[] = {
      {{"ＭＳ Ｐゴシック", "IPAPGothic"}, "ＭＳ Ｐゴシック"},
      {{"IPAPGothic", "IPAGothic"}, "IPAPGothic"},
      {{"IPAGothic"}, "IPAGothic"},
      {{}, "ＭＳ Ｐゴシック"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(ChooseFontFace(font, [&](const char* face) { return c.installed.count(face) > 0; }),
              c.chosen);
  }
  const TFontRequest alone = {"Times New Roman", 64, true, true, nullptr};
  EXPECT_STREQ(ChooseFontFace(alone, [](const char*) { return false; }), "Times New Roman");
}

}  // namespace
}  // namespace zarmok
