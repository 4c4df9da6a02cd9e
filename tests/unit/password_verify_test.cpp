// VerifyPassword and ChangePassword through the scripted host: what is read, loaded, called and
// unloaded, the pointer around the host's dialog, and the lowest-byte verdict.
#include <gtest/gtest.h>

#include "fake/fake_host.h"
#include "host.h"

namespace zarmok {
namespace {

using testing::TFakePasswords;
using testing::TFakeSaverHost;

constexpr const char* kVerifyPath = "/host/lib/PASSWORD.CPL";

struct PasswordTest : ::testing::Test {
  PasswordTest() { host.cursor_count = -1; }  // as a full-screen saver holds it
  TFakeSaverHost host;
  TFakePasswords passwords{&host};
};

TEST_F(PasswordTest, NoPasswordInForceAllowsAtOnceWithoutTouchingAnything) {
  const TPasswordFlag flags[] = {{TPasswordFlagState::KeyMissing, 0},
                                 {TPasswordFlagState::KeyMissing, 7},
                                 {TPasswordFlagState::Value, 0}};
  passwords.Install(kVerifyPath);
  passwords.verdicts = {0};
  for (const auto& flag : flags) {
    passwords.flag = flag;
    EXPECT_TRUE(VerifyPassword(passwords, host, 0x1234));
  }
  EXPECT_EQ(passwords.flag_reads, 3);
  EXPECT_TRUE(passwords.load_attempts.empty());
  EXPECT_EQ(host.cursor_count, -1);
}

TEST_F(PasswordTest, VerdictCountsOnlyItsLowestByte) {
  struct TCase {
    uint32_t verdict;
    bool allowed;
  };
  const TCase cases[] = {{1, true},     {0, false},   {0x100, false},      {0xFFFFFF00u, false},
                         {0x1FF, true}, {0x80, true}, {0xFFFFFFFFu, true}, {0x00010000, false},
                         {0x02, true}};
  passwords.Install(kVerifyPath);
  passwords.flag = {TPasswordFlagState::Value, 1};
  for (const auto& c : cases) {
    passwords.verdicts = {c.verdict};
    EXPECT_EQ(VerifyPassword(passwords, host, 0x1234), c.allowed) << std::hex << c.verdict;
  }
}

TEST_F(PasswordTest, AnyNonZeroFlagAsksTheHostWithThePointerShown) {
  passwords.Install(kVerifyPath);
  for (const int32_t value : {1, -1, 2, INT32_MIN, INT32_MAX}) {
    passwords.flag = {TPasswordFlagState::Value, value};
    passwords.calls.clear();
    passwords.verdicts = {0};
    EXPECT_FALSE(VerifyPassword(passwords, host, 0xBEEF)) << value;
    ASSERT_EQ(passwords.calls.size(), 1u);
    EXPECT_EQ(passwords.calls[0].entry, "VerifyScreenSavePwd");
    EXPECT_EQ(passwords.calls[0].window, 0xBEEFu);
    EXPECT_EQ(passwords.calls[0].cursor_count_at_call, 0);  // visible during the dialog
    EXPECT_EQ(host.cursor_count, -1);                       // hidden again afterwards
    EXPECT_EQ(passwords.LoadedNow(), 0);                    // nothing stays loaded
  }
}

TEST_F(PasswordTest, UnreadableFlagLetsTheHostDecideAndNeverLocksOut) {
  passwords.flag = {TPasswordFlagState::Unreadable, 0};
  // Without the host's dialog the close goes on.
  EXPECT_TRUE(VerifyPassword(passwords, host, 1));
  // With it, its verdict counts, as for a password in force.
  passwords.Install(kVerifyPath);
  passwords.verdicts = {0, 1};
  EXPECT_FALSE(VerifyPassword(passwords, host, 1));
  EXPECT_TRUE(VerifyPassword(passwords, host, 1));
  EXPECT_EQ(host.cursor_count, -1);
}

TEST_F(PasswordTest, MissingLibraryOrEntryAllowsTheCloseAndStillShowsThePointer) {
  passwords.flag = {TPasswordFlagState::Value, 1};
  EXPECT_TRUE(VerifyPassword(passwords, host, 1));
  EXPECT_EQ(passwords.load_attempts, std::vector<std::string>{kVerifyPath});
  EXPECT_EQ(passwords.frees, 0);
  EXPECT_EQ(host.cursor_count, -1);

  passwords.Install(kVerifyPath, /*has_entry=*/false);
  passwords.verdicts = {0};
  EXPECT_TRUE(VerifyPassword(passwords, host, 1));
  EXPECT_TRUE(passwords.calls.empty());
  EXPECT_EQ(passwords.frees, 1);
  EXPECT_EQ(passwords.LoadedNow(), 0);
  EXPECT_EQ(host.cursor_count, -1);
}

TEST_F(PasswordTest, LibraryPathJoinsTheSystemDirectoryWithOneSeparator) {
  passwords.flag = {TPasswordFlagState::Value, 1};
  const struct {
    const char* directory;
    char separator;
    const char* path;
  } cases[] = {
      {"/host/lib", '/', "/host/lib/PASSWORD.CPL"},
      {"/host/lib/", '/', "/host/lib/PASSWORD.CPL"},
      {"", '/', "PASSWORD.CPL"},
      {"C:\\WINDOWS\\SYSTEM", '\\', "C:\\WINDOWS\\SYSTEM\\PASSWORD.CPL"},
      {"C:\\", '\\', "C:\\PASSWORD.CPL"},
  };
  for (const auto& c : cases) {
    passwords.directory = c.directory;
    passwords.separator = c.separator;
    passwords.load_attempts.clear();
    VerifyPassword(passwords, host, 1);
    EXPECT_EQ(passwords.load_attempts, std::vector<std::string>{c.path});
  }
}

TEST_F(PasswordTest, ChangePasswordPassesScrsaveTheOwnerAndTwoZeros) {
  passwords.Install("/host/lib/MPR.DLL");
  ChangePassword(passwords, 0xA11);
  ASSERT_EQ(passwords.calls.size(), 1u);
  EXPECT_EQ(passwords.calls[0].entry, "PwdChangePasswordA");
  EXPECT_EQ(passwords.calls[0].which, "SCRSAVE");
  EXPECT_EQ(passwords.calls[0].window, 0xA11u);
  EXPECT_EQ(passwords.calls[0].reserved1, 0u);
  EXPECT_EQ(passwords.calls[0].reserved2, 0u);
  EXPECT_EQ(passwords.frees, 1);
  EXPECT_EQ(passwords.LoadedNow(), 0);
  // The pointer and the password flag are none of its business.
  EXPECT_EQ(host.cursor_count, -1);
  EXPECT_EQ(passwords.flag_reads, 0);
}

TEST_F(PasswordTest, ChangePasswordDropsTheRequestWithoutLibraryOrEntry) {
  ChangePassword(passwords, 0xA11);
  EXPECT_EQ(passwords.load_attempts, std::vector<std::string>{"/host/lib/MPR.DLL"});
  EXPECT_EQ(passwords.frees, 0);

  passwords.Install("/host/lib/MPR.DLL", /*has_entry=*/false);
  ChangePassword(passwords, 0xA11);
  EXPECT_TRUE(passwords.calls.empty());
  EXPECT_EQ(passwords.frees, 1);
}

}  // namespace
}  // namespace zarmok
