// The Windows private-profile service over the system's own INI functions.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "settings_file_support.h"
#include "win32/win32_profile.h"

namespace zarmok::testing {

namespace {

// Another program holding the file open without sharing it: the system's INI functions then
// cannot write it, whoever runs them.
class TLockedIni : public TUnwritableIni {
 public:
  TLockedIni(const TScratchFolder& folder, const std::string& body)
      : path_(folder.File("zarmok.scr.ini")) {
    WriteBytes(path_, body);
    handle_ = CreateFileA(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(handle_, INVALID_HANDLE_VALUE);
  }
  ~TLockedIni() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  const std::string& Path() const override { return path_; }

 private:
  std::string path_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace

std::unique_ptr<TUnwritableIni> MakeUnwritableIni(const TScratchFolder& folder,
                                                  const std::string& body) {
  return std::make_unique<TLockedIni>(folder, body);
}

namespace {

TEST(Win32Profile, ReadsThroughACallersBuffer) {
  TScratchFolder folder;
  const std::string ini = folder.File("zarmok.ini");
  WriteBytes(ini, "[Zarmok]\r\nMaxBugs=123456\r\n");
  struct TCase {
    const char* section;
    const char* key;
    size_t buffer;
    const char* expected;
  };
  const TCase cases[] = {
      {"zarmok", "MAXBUGS", 1024, "123456"}, {"Zarmok", "MaxBugs", 4, "123"},
      {"Zarmok", "MaxBugs", 1, ""},          {"Zarmok", "MaxBugs", 0, ""},
      {"Zarmok", "Speed", 1024, "default"},  {"Other", "MaxBugs", 1024, "default"},
      {"Zarmok", "Speed", 4, "def"},
  };
  win32::TWin32Profile profile;
  for (const TCase& c : cases) {
    EXPECT_EQ(profile.GetString(ini, c.section, c.key, "default", c.buffer), c.expected)
        << c.key << " " << c.buffer;
  }
}

TEST(Win32Profile, WriteToAFolderThatDoesNotExistIsRefused) {
  TScratchFolder folder;
  win32::TWin32Profile profile;
  EXPECT_FALSE(profile.WriteString(folder.File("no\\such\\zarmok.ini"), "Zarmok", "MaxBugs", "7"));
}

// The user's settings folder is made by the first write of a file in it, and by nothing else:
// not by a read, not for a file in another folder, and never with a missing folder above it.
TEST(Win32Profile, TheFirstWriteMakesTheUsersFolderOnly) {
  TScratchFolder folder;
  const std::string user = folder.File("Zarmok");
  win32::TWin32Profile profile(user);
  EXPECT_EQ(profile.GetString(user + "\\zarmok.scr.ini", "Zarmok", "MaxBugs", "none", 1024),
            "none");
  EXPECT_EQ(GetFileAttributesA(user.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(profile.WriteString(folder.File("other\\zarmok.scr.ini"), "Zarmok", "MaxBugs", "7"));
  EXPECT_EQ(GetFileAttributesA(folder.File("other").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(profile.WriteString(user + "\\zarmok.scr.ini", "Zarmok", "MaxBugs", "7"));
  EXPECT_EQ(profile.GetString(user + "\\zarmok.scr.ini", "Zarmok", "MaxBugs", "", 1024), "7");

  win32::TWin32Profile deeper(folder.File("missing\\Zarmok"));
  EXPECT_FALSE(
      deeper.WriteString(folder.File("missing\\Zarmok\\zarmok.scr.ini"), "Zarmok", "MaxBugs", "7"));
  EXPECT_EQ(GetFileAttributesA(folder.File("missing").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Win32Profile, LockedFileRefusesTheWrite) {
  TScratchFolder folder;
  auto locked = MakeUnwritableIni(folder, "[Zarmok]\r\nMaxBugs=3\r\n");
  win32::TWin32Profile profile;
  EXPECT_FALSE(profile.WriteString(locked->Path(), "Zarmok", "MaxBugs", "7"));
  const std::string ini = locked->Path();
  locked.reset();
  EXPECT_EQ(profile.GetString(ini, "Zarmok", "MaxBugs", "", 1024), "3");
  EXPECT_TRUE(profile.WriteString(ini, "Zarmok", "MaxBugs", "7"));
  EXPECT_EQ(profile.GetString(ini, "Zarmok", "MaxBugs", "", 1024), "7");
}

}  // namespace
}  // namespace zarmok::testing
