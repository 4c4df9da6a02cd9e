// LoadSettings and SaveSettings through the in-memory profile: defaults, key-by-key fallback,
// the order of reads and writes, and a refused write.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errors.h"
#include "fake/memory_profile.h"
#include "settings.h"

namespace zarmok {
namespace {

using testing::TMemoryProfile;

const std::string kIni = "/opt/zarmok/zarmok.scr.ini";

std::vector<std::string> TableOrder() {
  std::vector<std::string> names;
  for (const TSettingKey& key : kSettingKeys) names.push_back(key.name);
  return names;
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

}  // namespace
}  // namespace zarmok
