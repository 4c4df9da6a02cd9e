// LoadSettings and SaveSettings through the in-memory profile: defaults, key-by-key fallback,
// the order of reads and writes, and a refused write.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errors.h"
#include "fake/memory_profile.h"
#include "settings.h"
#include "settings_file_support.h"

namespace zarmok {
namespace {

using testing::TMemoryProfile;
using testing::UnusualSettings;

const std::string kIni = "/opt/zarmok/zarmok.scr.ini";

// The keys as the settings file holds them, in the order they are read and written.
std::vector<std::string> TableOrder() {
  return {"BugsType",        "Speed", "BugPtnSize", "BugPtnExCyc", "MaxBugs",   "BugSize",
          "ImageListLen",    "SunG",  "BugG",       "WallG",       "StopOnKey", "StopOnMouseMove",
          "StopOnMouseClick"};
}

TEST(LoadSettings, NoFileGivesEveryDefault) {
  TMemoryProfile profile;
  const TSaverSettings s = LoadSettings(profile, kIni);
  EXPECT_EQ(s, TSaverSettings{});
  EXPECT_EQ(s.MaxBugs, 3);
  EXPECT_EQ(s.BugSize, 12);
  EXPECT_EQ(s.BugPtnSize, 12);
  EXPECT_EQ(s.ImageListLen, 6);
  EXPECT_EQ(s.BugPtnExCyc, 2);
  EXPECT_EQ(s.Speed, 10);
  EXPECT_EQ(s.SunG, 1);
  EXPECT_EQ(s.BugG, 1);
  EXPECT_EQ(s.WallG, 1);
  EXPECT_EQ(s.BugsType, 0);
  EXPECT_TRUE(s.StopOnKey && s.StopOnMouseMove && s.StopOnMouseClick);
}

TEST(LoadSettings, ReadsEveryKeyOnceInTableOrderFromTheSection) {
  TMemoryProfile profile;
  LoadSettings(profile, kIni);
  std::vector<std::string> read;
  for (const auto& access : profile.Reads()) {
    EXPECT_EQ(access.file, kIni);
    EXPECT_EQ(access.section, "Zarmok");
    read.push_back(access.key);
  }
  EXPECT_EQ(read, TableOrder());
}

TEST(LoadSettings, OnlyMaxBugsGivesSevenBugsAndOtherDefaults) {
  TMemoryProfile profile;
  profile.Set(kIni, "zarmok", "maxbugs", "7");
  TSaverSettings expected;
  expected.MaxBugs = 7;
  EXPECT_EQ(LoadSettings(profile, kIni), expected);
}

TEST(SaveSettings, WritesEachKeyOnceInTableOrderAsDecimalText) {
  TMemoryProfile profile;
  SaveSettings(profile, kIni, UnusualSettings());
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"BugsType", "1"},        {"Speed", "-5"},    {"BugPtnSize", "40"},
      {"BugPtnExCyc", "0"},     {"MaxBugs", "20"},  {"BugSize", "-2147483648"},
      {"ImageListLen", "30"},   {"SunG", "800"},    {"BugG", "10"},
      {"WallG", "2147483647"},  {"StopOnKey", "0"}, {"StopOnMouseMove", "1"},
      {"StopOnMouseClick", "0"}};
  std::vector<std::pair<std::string, std::string>> written;
  for (const auto& access : profile.Writes()) {
    EXPECT_EQ(access.file, kIni);
    EXPECT_EQ(access.section, "Zarmok");
    written.emplace_back(access.key, access.value);
  }
  EXPECT_EQ(written, expected);
  EXPECT_EQ(profile.KeysOf(kIni, "Zarmok"), TableOrder());
  EXPECT_EQ(LoadSettings(profile, kIni), UnusualSettings());
}

// A refused write stops the save at its key: the keys before it hold their new values, that
// key and the ones after it keep their old values.
TEST(SaveSettings, RefusedWriteStopsAtThatKeyAndRaises) {
  for (int refused = 1; refused <= kSettingKeyCount; ++refused) {
    TMemoryProfile profile;
    profile.Set(kIni, "Zarmok", "MaxBugs", "7");
    profile.Set(kIni, "Zarmok", "StopOnKey", "1");
    profile.RefuseWrite(refused);
    try {
      SaveSettings(profile, kIni, UnusualSettings());
      ADD_FAILURE() << "write " << refused << " was refused but the save went on";
    } catch (const EZarmokError& error) {
      EXPECT_EQ(std::string(error.what()), kIni + " に書き込めません");
    }
    EXPECT_EQ(profile.WriteCalls(), refused);
    TSaverSettings expected;
    expected.MaxBugs = 7;
    for (int k = 0; k < refused - 1; ++k) {
      const TSettingKey& key = kSettingKeys[k];
      if (key.is_flag) {
        expected.*key.flag = UnusualSettings().*key.flag;
      } else {
        expected.*key.integer = UnusualSettings().*key.integer;
      }
    }
    EXPECT_EQ(LoadSettings(profile, kIni), expected) << "refused write " << refused;
  }
}

TEST(SaveSettings, RefusedFirstWriteLeavesNoFile) {
  TMemoryProfile profile;
  profile.RefuseWrite(1);
  EXPECT_THROW(SaveSettings(profile, kIni, TSaverSettings{}), EZarmokError);
  EXPECT_FALSE(profile.HasFile(kIni));
}

// A profile service that left the file alone says why, and the save names the file, the cause
// and the way out instead of a refusal to write.
TEST(SaveSettings, AFileLeftAloneIsNamedWithItsCause) {
  struct TLeavingProfile : TMemoryProfile {
    TProfileWrite answer;
    TProfileWrite WriteStrings(const std::string&, const std::string&,
                               const std::vector<TProfileEntry>&) override {
      return answer;
    }
  } profile;
  const std::string way_out = "。\nこのファイルを別の場所へ移すと、既定の設定から始められます";
  for (const auto& [answer, cause] :
       {std::pair{TProfileWrite::NotProfile, " は設定ファイルではないため、そのままにしました"},
        std::pair{TProfileWrite::TooLarge,
                  " は設定ファイルとしては大きすぎるため、そのままにしました"}}) {
    profile.answer = answer;
    try {
      SaveSettings(profile, kIni, {});
      ADD_FAILURE() << cause;
    } catch (const EZarmokError& error) {
      EXPECT_EQ(error.what(), kIni + cause + way_out);
    }
  }
}

TEST(HoldToSafeLimits, HoldsOnlyTheArraySizesAndBugSize) {
  struct TCase {
    int32_t TSaverSettings::*field;
    int32_t stored;
    int32_t used;
  };
  const TCase cases[] = {
      {&TSaverSettings::MaxBugs, 25, 20},
      {&TSaverSettings::MaxBugs, 20, 20},
      {&TSaverSettings::MaxBugs, 0, 0},
      {&TSaverSettings::MaxBugs, -1, 0},
      {&TSaverSettings::MaxBugs, INT32_MAX, 20},
      {&TSaverSettings::MaxBugs, INT32_MIN, 0},
      {&TSaverSettings::BugPtnSize, 41, 40},
      {&TSaverSettings::BugPtnSize, 40, 40},
      {&TSaverSettings::BugPtnSize, -3, 0},
      {&TSaverSettings::BugPtnSize, INT32_MIN, 0},
      {&TSaverSettings::ImageListLen, 0, 1},
      {&TSaverSettings::ImageListLen, 1, 1},
      {&TSaverSettings::ImageListLen, 30, 30},
      {&TSaverSettings::ImageListLen, 31, 30},
      {&TSaverSettings::ImageListLen, INT32_MIN, 1},
      {&TSaverSettings::ImageListLen, INT32_MAX, 30},
      {&TSaverSettings::BugSize, 1000001, 1000000},
      {&TSaverSettings::BugSize, INT32_MAX, 1000000},
      {&TSaverSettings::BugSize, INT32_MIN, -1000000},
      {&TSaverSettings::BugSize, -1000000, -1000000},
      {&TSaverSettings::Speed, 20, 20},
      {&TSaverSettings::Speed, INT32_MIN, INT32_MIN},
      {&TSaverSettings::BugsType, 5, 5},
      {&TSaverSettings::BugPtnExCyc, INT32_MAX, INT32_MAX},
      {&TSaverSettings::SunG, INT32_MAX, INT32_MAX},
      {&TSaverSettings::BugG, INT32_MIN, INT32_MIN},
      {&TSaverSettings::WallG, -1, -1},
  };
  for (const TCase& c : cases) {
    TSaverSettings stored;
    stored.*c.field = c.stored;
    stored.StopOnMouseMove = false;
    TSaverSettings expected = stored;
    expected.*c.field = c.used;
    EXPECT_EQ(HoldToSafeLimits(stored), expected) << c.stored;
  }
  EXPECT_EQ(HoldToSafeLimits(TSaverSettings{}), TSaverSettings{});
}

}  // namespace
}  // namespace zarmok
