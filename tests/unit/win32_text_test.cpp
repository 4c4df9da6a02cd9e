// Texts and paths between the core's UTF-8 and the Windows API: Japanese survives the round
// trip whatever the ANSI code page, and the settings file of a folder outside that code page is
// the one the profile service reads and writes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "win32/win32_profile.h"
#include "win32/win32_program_path.h"
#include "win32/win32_text.h"

namespace zarmok {
namespace {

using win32::ProgramFilePath;
using win32::TWin32Profile;
using win32::Utf8Text;
using win32::WideText;

TEST(Win32Text, JapaneseAndEmptyTextsSurviveTheRoundTrip) {
  const std::string texts[] = {"",
                               "Zarmok",
                               "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ",
                               "'%s' のﾃﾞｰﾀ型が不正です",
                               "ＭＳ Ｐゴシック",
                               "C:\\ザルモク\\zarmok.scr.ini"};
  for (const std::string& text : texts) EXPECT_EQ(Utf8Text(WideText(text)), text);
  EXPECT_EQ(WideText("ｴﾗｰ"), std::wstring(L"\xFF74\xFF97\xFF70"));
  EXPECT_EQ(WideText("").size(), 0u);
}

TEST(Win32Text, AFolderOutsideTheAnsiCodePageKeepsItsSettingsFile) {
  wchar_t temp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring folder =
      std::wstring(temp) + L"zarmok \x8A2D\x5B9A\x30B6 " + std::to_wstring(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring file = folder + L"\\zarmok.scr.ini";
  const std::string path = Utf8Text(file);

  TWin32Profile profile;
  EXPECT_TRUE(profile.WriteString(path, "Zarmok", "MaxBugs", "7"));
  EXPECT_EQ(profile.GetString(path, "Zarmok", "MaxBugs", "3", 64), "7");
  // The file is the one of that name, not one whose name went through the code page.
  EXPECT_NE(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES);

  DeleteFileW(file.c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST(Win32Text, TheProgramPathIsTheLongOne) {
  const std::string path = ProgramFilePath();
  ASSERT_FALSE(path.empty());
  const std::wstring wide = WideText(path);
  wchar_t long_path[1024] = {};
  ASSERT_GT(GetLongPathNameW(wide.c_str(), long_path, 1024), 0u);
  EXPECT_EQ(wide, std::wstring(long_path));
  EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace zarmok
