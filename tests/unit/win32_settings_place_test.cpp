// Where the Windows build's settings file lives: beside the program where the program's folder
// can be written or the file is already there, else in the user's folder. A folder that cannot
// be written is only made under Wine by the host's file system
// (tests/wine/saver_settings_place.sh).
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "settings_file_support.h"
#include "win32/win32_settings_place.h"

namespace zarmok::testing {
namespace {

using win32::FolderWritable;
using win32::PlacedSettingsFile;
using win32::UserSettingsFolder;

TEST(Win32SettingsPlace, AWritableFolderKeepsTheFileBesideTheProgram) {
  TScratchFolder folder;
  EXPECT_EQ(PlacedSettingsFile(folder.File("zarmok.scr")), folder.File("zarmok.scr") + ".ini");
  // The trial leaves nothing behind.
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST(Win32SettingsPlace, TheTrialTellsWritableFoldersFromOthers) {
  TScratchFolder folder;
  EXPECT_TRUE(FolderWritable(folder.Path().string()));
  EXPECT_FALSE(FolderWritable(folder.File("missing")));
  // A file, not a folder.
  WriteBytes(folder.File("file"), "x");
  EXPECT_FALSE(FolderWritable(folder.File("file")));
  // A folder the program's folder cannot be, so the user's is named: the user's roaming
  // application data, the saver's own folder in it.
  const std::string user = UserSettingsFolder();
  ASSERT_FALSE(user.empty());
  EXPECT_TRUE(user.ends_with("\\Zarmok")) << user;
  EXPECT_EQ(PlacedSettingsFile(folder.File("missing\\zarmok.scr")), user + "\\zarmok.scr.ini");
}

}  // namespace
}  // namespace zarmok::testing
