// The Linux host's password services: the flag in the per-user host settings file, the host
// library directory, and real loading and calling of scripted host libraries.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "fake/fake_host.h"
#include "host.h"
#include "posix/password_posix.h"
#include "posix_test_support.h"

namespace zarmok {
namespace {

using namespace posix;

using testing::TEnv;

namespace fs = std::filesystem;

struct PosixPasswordTest : ::testing::Test {
  PosixPasswordTest() {
    char pattern[] = "/tmp/zarmok-password-XXXXXX";
    dir = mkdtemp(pattern);
  }
  ~PosixPasswordTest() override { fs::remove_all(dir); }
  std::string Write(const std::string& text) {
    const std::string path = dir + "/host.ini";
    std::ofstream(path) << text;
    return path;
  }
  std::string dir;
};

TEST_F(PosixPasswordTest, FlagFromTheHostSettingsFile) {
  struct TCase {
    const char* text;
    TPasswordFlagState state;
    int32_t value;
  };
  const TCase cases[] = {
      {"[Control Panel\\desktop]\nScreenSaveUsePassword=1\n", TPasswordFlagState::Value, 1},
      {"[Control Panel\\desktop]\nScreenSaveUsePassword=0\n", TPasswordFlagState::Value, 0},
      {"[Control Panel\\desktop]\nScreenSaveUsePassword=-1\n", TPasswordFlagState::Value, -1},
      {"[control panel\\DESKTOP]\nscreensaveusepassword = 7\n", TPasswordFlagState::Value, 7},
      {"[Control Panel\\desktop]\r\nScreenSaveUsePassword=$FFFFFFFF\r\n", TPasswordFlagState::Value,
       -1},
      {"[Control Panel\\desktop]\nScreenSaveUsePassword=0x10\n", TPasswordFlagState::Value, 16},
      // No section: the key cannot be opened.
      {"", TPasswordFlagState::KeyMissing, 0},
      {"[Other]\nScreenSaveUsePassword=1\n", TPasswordFlagState::KeyMissing, 0},
      {"ScreenSaveUsePassword=1\n", TPasswordFlagState::KeyMissing, 0},
      // Section without a readable value.
      {"[Control Panel\\desktop]\n", TPasswordFlagState::Unreadable, 0},
      {"[Control Panel\\desktop]\nScreenSaveUsePassword=\n", TPasswordFlagState::Unreadable, 0},
      {"[Control Panel\\desktop]\nScreenSaveUsePassword=yes\n", TPasswordFlagState::Unreadable, 0},
      {"[Control Panel\\desktop]\nScreenSaveUsePassword=4294967296\n",
       TPasswordFlagState::Unreadable, 0},
      {"[Control Panel\\desktop]\nScreenSaveUsePassword=1 1\n", TPasswordFlagState::Unreadable, 0},
  };
  for (const auto& c : cases) {
    const TPasswordFlag flag = ReadPasswordFlagFrom(Write(c.text));
    EXPECT_EQ(flag.State, c.state) << c.text;
    EXPECT_EQ(flag.Value, c.value) << c.text;
  }
  EXPECT_EQ(ReadPasswordFlagFrom(dir + "/missing.ini").State, TPasswordFlagState::KeyMissing);
  EXPECT_EQ(ReadPasswordFlagFrom(dir).State, TPasswordFlagState::KeyMissing);  // a folder
  // A FIFO in the file's place must not block the close query.
  const std::string fifo = dir + "/fifo.ini";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadPasswordFlagFrom(fifo).State, TPasswordFlagState::KeyMissing);
  EXPECT_EQ(ReadPasswordFlagFrom("").State, TPasswordFlagState::KeyMissing);
}

TEST_F(PosixPasswordTest, HostSettingsFilePathFollowsXdgThenHome) {
  {
    TEnv xdg("XDG_CONFIG_HOME", "/cfg");
    TEnv home("HOME", "/home/u");
    EXPECT_EQ(HostSettingsFilePath(), "/cfg/zarmok/host.ini");
  }
  for (const char* ignored : {"", "relative/cfg"}) {
    TEnv xdg("XDG_CONFIG_HOME", ignored);
    TEnv home("HOME", "/home/u");
    EXPECT_EQ(HostSettingsFilePath(), "/home/u/.config/zarmok/host.ini") << ignored;
  }
  TEnv xdg("XDG_CONFIG_HOME", nullptr);
  TEnv home("HOME", nullptr);
  EXPECT_EQ(HostSettingsFilePath(), "");
  EXPECT_EQ(posix::TPosixPasswords().ReadPasswordFlag().State, TPasswordFlagState::KeyMissing);
}

TEST_F(PosixPasswordTest, HostLibraryDirectoryFromTheEnvironment) {
  {
    TEnv libdir("ZARMOK_HOST_LIBDIR", nullptr);
    EXPECT_EQ(HostLibraryDirectory(), "/usr/lib/zarmok/host");
  }
  TEnv libdir("ZARMOK_HOST_LIBDIR", "/opt/host/");
  posix::TPosixPasswords passwords;
  EXPECT_EQ(passwords.SystemDirectory(), "/opt/host/");
  EXPECT_EQ(passwords.PathSeparator(), '/');
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST_F(PosixPasswordTest, RealHostLibrariesAreLoadedCalledAndUnloaded) {
  const std::string log = dir + "/calls.log";
  const std::string settings = Write("[Control Panel\\desktop]\nScreenSaveUsePassword=1\n");
  TEnv libdir("ZARMOK_HOST_LIBDIR", ZARMOK_TEST_HOSTLIB_DIR "/");  // trailing separator
  TEnv logged("ZARMOK_TEST_HOSTLIB_LOG", log.c_str());
  TEnv xdg("XDG_CONFIG_HOME", nullptr);
  fs::create_directories(dir + "/.config/zarmok");
  fs::rename(settings, dir + "/.config/zarmok/host.ini");
  TEnv home("HOME", dir.c_str());

  posix::TPosixPasswords passwords;
  testing::TFakeSaverHost host;
  host.cursor_count = -1;
  struct TCase {
    const char* verdict;
    bool allowed;
  };
  for (const TCase c :
       {TCase{"1", true}, TCase{"0", false}, TCase{"0x100", false}, TCase{"0xFFFFFF01", true}}) {
    TEnv verdict("ZARMOK_TEST_VERDICT", c.verdict);
    EXPECT_EQ(VerifyPassword(passwords, host, 0x2600007), c.allowed) << c.verdict;
    EXPECT_EQ(host.cursor_count, -1);
  }
  ChangePassword(passwords, 0);
  EXPECT_EQ(ReadAll(log),
            "VerifyScreenSavePwd 39845895 -> 0x1\n"
            "VerifyScreenSavePwd 39845895 -> 0x0\n"
            "VerifyScreenSavePwd 39845895 -> 0x100\n"
            "VerifyScreenSavePwd 39845895 -> 0xffffff01\n"
            "PwdChangePasswordA SCRSAVE 0 0 0\n");
}

TEST_F(PosixPasswordTest, MissingHostLibrariesLetTheCloseGoOn) {
  TEnv libdir("ZARMOK_HOST_LIBDIR", dir.c_str());  // no libraries here
  fs::create_directories(dir + "/zarmok");
  std::ofstream(dir + "/zarmok/host.ini") << "[Control Panel\\desktop]\nScreenSaveUsePassword=1\n";
  TEnv xdg("XDG_CONFIG_HOME", dir.c_str());
  posix::TPosixPasswords passwords;
  testing::TFakeSaverHost host;
  host.cursor_count = -1;
  EXPECT_TRUE(VerifyPassword(passwords, host, 1));
  EXPECT_EQ(host.cursor_count, -1);
  ChangePassword(passwords, 0);  // silently nothing
}

}  // namespace
}  // namespace zarmok
