// The settings store over the build's real private-profile service. The same cases run on the
// Linux build and, cross-built, under Wine against the system's own INI functions.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "errors.h"
#include "settings.h"
#include "settings_file_support.h"
#ifdef _WIN32
#include "win32/win32_profile.h"
#else
#include "posix/profile_posix.h"
#endif

namespace zarmok::testing {

TScratchFolder::TScratchFolder() {
  static std::atomic<int> serial{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = std::filesystem::temp_directory_path() /
          ("zarmok-test-" + std::to_string(stamp) + "-" + std::to_string(serial++));
  std::filesystem::create_directories(path_);
}

TScratchFolder::~TScratchFolder() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::string> TextLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::istringstream in(bytes);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

namespace {

// Runs the cases over the build's real service: the system's own INI functions on Windows, the
// Linux service made for the test on Linux.
class SettingsFile : public ::testing::Test {
 protected:
#ifdef _WIN32
  win32::TWin32Profile win32_profile;
  IPrivateProfile& profile = win32_profile;
#else
  posix::TPosixProfile posix_profile;
  IPrivateProfile& profile = posix_profile;
#endif
};

TEST_F(SettingsFile, MissingFileGivesDefaults) {
  TScratchFolder folder;
  EXPECT_EQ(LoadSettings(profile, folder.File("none.ini")), TSaverSettings{});
}

TEST_F(SettingsFile, OnlyMaxBugsSevenGivesSevenAndDefaults) {
  TScratchFolder folder;
  const std::string ini = folder.File("zarmok.scr.ini");
  WriteBytes(ini, "[zarmok]\r\nmaxbugs = 7\r\n");
  TSaverSettings expected;
  expected.MaxBugs = 7;
  EXPECT_EQ(LoadSettings(profile, ini), expected);
}

TEST_F(SettingsFile, SaveThenLoadGivesTheSameSettings) {
  TScratchFolder folder;
  const std::string ini = folder.File("zarmok.scr.ini");
  for (const TSaverSettings& s : {UnusualSettings(), TSaverSettings{}}) {
    SaveSettings(profile, ini, s);
    EXPECT_EQ(LoadSettings(profile, ini), s);
  }
}

TEST_F(SettingsFile, FileFromScratchHoldsTheSectionAndThirteenKeysInOrder) {
  TScratchFolder folder;
  const std::string ini = folder.File("zarmok.scr.ini");
  SaveSettings(profile, ini, UnusualSettings());
  const std::vector<std::string> expected = {"[Zarmok]",
                                             "BugsType=1",
                                             "Speed=-5",
                                             "BugPtnSize=40",
                                             "BugPtnExCyc=0",
                                             "MaxBugs=20",
                                             "BugSize=-2147483648",
                                             "ImageListLen=30",
                                             "SunG=800",
                                             "BugG=10",
                                             "WallG=2147483647",
                                             "StopOnKey=0",
                                             "StopOnMouseMove=1",
                                             "StopOnMouseClick=0"};
  EXPECT_EQ(TextLines(ReadBytes(ini)), expected);
}

TEST_F(SettingsFile, SaveKeepsOtherSectionsKeysAndComments) {
  TScratchFolder folder;
  const std::string ini = folder.File("zarmok.scr.ini");
  WriteBytes(ini,
             "; kept at the top\r\n[Other]\r\nA=1\r\n[Zarmok]\r\n; kept inside\r\nMaxBugs=7\r\n"
             "Extra=x\r\n[Last]\r\nB=2\r\n");
  SaveSettings(profile, ini, TSaverSettings{});
  const std::vector<std::string> lines = TextLines(ReadBytes(ini));
  for (const char* kept : {"; kept at the top", "[Other]", "A=1", "; kept inside", "Extra=x",
                           "[Last]", "B=2", "MaxBugs=3"}) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), kept), lines.end()) << kept;
  }
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "[Zarmok]"), 1);
  EXPECT_EQ(profile.GetString(ini, "Other", "A", "", kValueBufferSize), "1");
  EXPECT_EQ(profile.GetString(ini, "Last", "B", "", kValueBufferSize), "2");
  EXPECT_EQ(LoadSettings(profile, ini), TSaverSettings{});
}

TEST_F(SettingsFile, RefusedSaveRaisesTheErrorAndLeavesTheFileAlone) {
  TScratchFolder folder;
  const std::string body = "[Zarmok]\r\nMaxBugs=7\r\n";
  auto unwritable = MakeUnwritableIni(folder, body);
  const std::string ini = unwritable->Path();
  try {
    SaveSettings(profile, ini, UnusualSettings());
    ADD_FAILURE() << "the save did not raise";
  } catch (const EZarmokError& error) {
    EXPECT_EQ(std::string(error.what()), ini + " に書き込めません");
  }
  unwritable.reset();
  EXPECT_EQ(ReadBytes(ini), body);
  TSaverSettings expected;
  expected.MaxBugs = 7;
  EXPECT_EQ(LoadSettings(profile, ini), expected);
}

}  // namespace
}  // namespace zarmok::testing
