// The user's settings file on Linux: where it is, how its first save makes it private to the
// user, and the places it cannot be, where the saver keeps its defaults, the save is refused
// with the path in its message, and nothing is made or lost.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "errors.h"
#include "posix/password_posix.h"
#include "posix/user_config.h"
#include "posix_test_support.h"
#include "settings.h"
#include "settings_file_support.h"

namespace zarmok::testing {
namespace {

using namespace posix;

namespace fs = std::filesystem;

const std::string kRefused = " に書き込めません";

// The message of the save's error, or "saved" when it went through.
std::string SaveMessage(const std::string& ini) {
  posix::TUserSettingsProfile profile;
  try {
    SaveSettings(profile, ini, UnusualSettings());
  } catch (const EZarmokError& error) {
    return error.what();
  }
  return "saved";
}

TSaverSettings LoadedFrom(const std::string& ini) {
  posix::TUserSettingsProfile profile;
  return LoadSettings(profile, ini);
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

size_t EntriesBelow(const fs::path& folder) {
  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::recursive_directory_iterator(folder)) ++entries;
  return entries;
}

TEST(UserSettingsFile, FollowsAnAbsoluteXdgFolderThenAnAbsoluteHome) {
  {
    TEnv xdg("XDG_CONFIG_HOME", "/cfg");
    TEnv home("HOME", "/home/u");
    EXPECT_EQ(posix::UserSettingsFilePath(), "/cfg/zarmok/zarmok.ini");
  }
  for (const char* ignored : {"", "relative/cfg", "~/cfg"}) {
    TEnv xdg("XDG_CONFIG_HOME", ignored);
    TEnv home("HOME", "/home/u");
    EXPECT_EQ(posix::UserSettingsFilePath(), "/home/u/.config/zarmok/zarmok.ini") << ignored;
  }
  {
    TEnv xdg("XDG_CONFIG_HOME", nullptr);
    TEnv home("HOME", "/");
    EXPECT_EQ(posix::UserSettingsFilePath(), "/.config/zarmok/zarmok.ini");
  }
  // No home, or one that would be looked for wherever the program was started: no folder, for
  // the host settings as for the saver's.
  for (const char* home_value : {static_cast<const char*>(nullptr), "", "home/u", "."}) {
    TEnv xdg("XDG_CONFIG_HOME", "cfg");
    TEnv home("HOME", home_value);
    const std::string shown = home_value == nullptr ? "(unset)" : home_value;
    EXPECT_EQ(posix::UserSettingsFilePath(), posix::kUnplacedSettingsFile) << shown;
    EXPECT_EQ(HostSettingsFilePath(), "") << shown;
  }
}

// A new user's home has no configuration folder yet: the first save makes what is missing of it
// and of its zarmok folder, and reading before it makes nothing.
TEST(UserSettingsFile, FirstSaveMakesTheFoldersAndFileTheUsersAlone) {
  struct TCase {
    const char* name;
    const char* xdg;  // below the home; null for HOME's own .config
    bool config_there;
  };
  for (const TCase& c :
       {TCase{"configuration folder there", nullptr, true}, TCase{"new home", nullptr, false},
        TCase{"XDG folder missing", "cfg/", false}}) {
    const TScratchFolder scratch;
    const std::string config = scratch.File(c.xdg != nullptr ? "cfg" : ".config");
    if (c.config_there) fs::create_directory(config);
    const std::string xdg = c.xdg != nullptr ? scratch.File(c.xdg) : std::string();
    TEnv xdg_variable("XDG_CONFIG_HOME", c.xdg != nullptr ? xdg.c_str() : nullptr);
    TEnv home("HOME", scratch.Path().c_str());
    const std::string ini = posix::UserSettingsFilePath();
    ASSERT_EQ(ini, config + "/zarmok/zarmok.ini") << c.name;

    EXPECT_EQ(LoadedFrom(ini), TSaverSettings{}) << c.name;
    EXPECT_EQ(EntriesBelow(scratch.Path()), c.config_there ? 1u : 0u) << c.name;
    EXPECT_EQ(SaveMessage(ini), "saved") << c.name;
    if (!c.config_there) {
      EXPECT_EQ(ModeOf(config), 0700u) << c.name;
    }
    EXPECT_EQ(ModeOf(config + "/zarmok"), 0700u) << c.name;
    EXPECT_EQ(ModeOf(ini), 0600u) << c.name;
    EXPECT_EQ(EntriesBelow(scratch.Path()), 3u) << c.name;       // the two folders and the file
    EXPECT_EQ(TextLines(ReadBytes(ini)).size(), 14u) << c.name;  // the section and 13 keys
    EXPECT_EQ(LoadedFrom(ini), UnusualSettings()) << c.name;
  }

  // A file the user made more open keeps its mode when saved again.
  const TScratchFolder scratch;
  TEnv xdg("XDG_CONFIG_HOME", scratch.Path().c_str());
  const std::string ini = posix::UserSettingsFilePath();
  ASSERT_EQ(SaveMessage(ini), "saved");
  ASSERT_EQ(chmod(ini.c_str(), 0644), 0);
  EXPECT_EQ(SaveMessage(ini), "saved");
  EXPECT_EQ(ModeOf(ini), 0644u);
}

// The home, or the folder XDG_CONFIG_HOME is to be made in, is never made: where it is missing
// the home is not one the user has (a service account, an unmounted or mistyped folder).
TEST(UserSettingsFile, NothingIsMadeWhereTheConfigurationFolderHasNoParent) {
  const TScratchFolder scratch;
  for (const char* variable : {"HOME", "XDG_CONFIG_HOME"}) {
    const std::string home = scratch.File("home");
    const std::string config = scratch.File("missing/cfg");
    TEnv xdg("XDG_CONFIG_HOME", variable[0] == 'X' ? config.c_str() : nullptr);
    TEnv home_variable("HOME", home.c_str());
    const std::string ini = posix::UserSettingsFilePath();
    EXPECT_EQ(SaveMessage(ini), ini + kRefused) << variable;
    EXPECT_EQ(EntriesBelow(scratch.Path()), 0u) << variable;
  }
}

// A user who may not write the home (a home left to root, a read-only one) is refused, and the
// home stays as it was.
TEST(UserSettingsFile, HomeTheUserMayNotWriteGetsNoFolders) {
  TReachableFolder root("/tmp/zarmok-user-XXXXXX");
  ASSERT_TRUE(root.Made());
  const std::string home = root.File("home");
  ASSERT_EQ(mkdir(home.c_str(), 0555), 0);
  // The home is not handed to the ordinary user: as root's, or as the user's own but read-only,
  // it refuses the user's new folder either way.
  const std::optional<bool> refused = AsOrdinaryUser({}, [&] {
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    const std::string ini = posix::UserSettingsFilePath();
    return SaveMessage(ini) == ini + kRefused;
  });
  ASSERT_TRUE(refused.has_value());
  EXPECT_TRUE(*refused);
  EXPECT_EQ(EntriesBelow(home), 0u);
}

// Something other than a folder where the configuration folder or its zarmok folder should be:
// the saver keeps its defaults, the save is refused, and the thing in the way is kept.
TEST(UserSettingsFile, FileInTheWayGivesTheDefaultsAndIsKept) {
  for (const char* in_the_way : {".config", ".config/zarmok"}) {
    const TScratchFolder scratch;
    TEnv xdg("XDG_CONFIG_HOME", nullptr);
    TEnv home("HOME", scratch.Path().c_str());
    const std::string body = "[Zarmok]\nMaxBugs=7\n";
    if (std::string(in_the_way) != ".config") fs::create_directory(scratch.Path() / ".config");
    WriteBytes(scratch.File(in_the_way), body);
    const size_t entries = EntriesBelow(scratch.Path());
    const std::string ini = posix::UserSettingsFilePath();

    EXPECT_EQ(LoadedFrom(ini), TSaverSettings{}) << in_the_way;
    EXPECT_EQ(SaveMessage(ini), ini + kRefused) << in_the_way;
    EXPECT_EQ(ReadBytes(scratch.File(in_the_way)), body) << in_the_way;
    EXPECT_EQ(EntriesBelow(scratch.Path()), entries) << in_the_way;
  }
}

// A settings folder linked to one the user may not write (another user's, a system folder): the
// settings there are read, and the save is refused without touching them.
TEST(UserSettingsFile, LinkToAFolderTheUserMayNotWriteIsReadButNotWritten) {
  for (const bool with_file : {true, false}) {
    TReachableFolder root("/tmp/zarmok-user-XXXXXX");
    ASSERT_TRUE(root.Made());
    const std::string config = root.File("home/.config");
    const std::string locked = root.File("locked");
    fs::create_directories(config);
    fs::create_directory(locked);
    const std::string body = "[Zarmok]\nMaxBugs=7\n";
    if (with_file) {
      WriteBytes(locked + "/zarmok.ini", body);
      ASSERT_EQ(chmod((locked + "/zarmok.ini").c_str(), 0444), 0);
    }
    // Read-only even for its owner, whoever runs the test; the ordinary user below does not
    // own it when root runs the test.
    ASSERT_EQ(chmod(locked.c_str(), 0555), 0);
    fs::create_directory_symlink(locked, config + "/zarmok");

    const std::optional<bool> refused =
        AsOrdinaryUser({root.File("home"), config, config + "/zarmok"}, [&] {
          setenv("HOME", root.File("home").c_str(), 1);
          unsetenv("XDG_CONFIG_HOME");
          const std::string ini = posix::UserSettingsFilePath();
          const int32_t bugs = LoadedFrom(ini).MaxBugs;
          return bugs == (with_file ? 7 : 3) && SaveMessage(ini) == ini + kRefused;
        });
    ASSERT_TRUE(refused.has_value()) << with_file;
    EXPECT_TRUE(*refused) << with_file;
    if (with_file) {
      EXPECT_EQ(ReadBytes(locked + "/zarmok.ini"), body);
    }
    EXPECT_EQ(EntriesBelow(locked), with_file ? 1u : 0u) << with_file;
  }
}

// Without a home the file has no place: a file of that name below the folder the program was
// started in is not read, and nothing is written or made there, not even in a folder that a
// relative HOME names.
TEST(UserSettingsFile, NoHomeGivesTheDefaultsAndARefusalNamingTheFile) {
  const TScratchFolder scratch;
  const std::string stray = scratch.File("~/.config/zarmok/zarmok.ini");
  fs::create_directories(fs::path(stray).parent_path());
  WriteBytes(stray, "[Zarmok]\nMaxBugs=7\n");
  fs::create_directory(scratch.Path() / "home");
  const fs::path started_in = fs::current_path();
  fs::current_path(scratch.Path());
  for (const char* home_value : {static_cast<const char*>(nullptr), "home"}) {
    TEnv xdg("XDG_CONFIG_HOME", nullptr);
    TEnv home("HOME", home_value);
    const std::string ini = posix::UserSettingsFilePath();
    EXPECT_EQ(LoadedFrom(ini), TSaverSettings{});
    EXPECT_EQ(SaveMessage(ini), std::string("~/.config/zarmok/zarmok.ini") + kRefused);
  }
  fs::current_path(started_in);
  EXPECT_EQ(ReadBytes(stray), "[Zarmok]\nMaxBugs=7\n");
  EXPECT_EQ(EntriesBelow(scratch.Path()), 5u);  // ~, .config, zarmok, zarmok.ini, home
}

}  // namespace
}  // namespace zarmok::testing
