// The Windows private-profile service over the system's own INI functions.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform.h"
#include "settings_file_support.h"

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
  for (const TCase& c : cases) {
    EXPECT_EQ(SystemProfile().GetString(ini, c.section, c.key, "default", c.buffer), c.expected)
        << c.key << " " << c.buffer;
  }
}

TEST(Win32Profile, WriteToAFolderThatDoesNotExistIsRefused) {
  TScratchFolder folder;
  EXPECT_FALSE(
      SystemProfile().WriteString(folder.File("no\\such\\zarmok.ini"), "Zarmok", "MaxBugs", "7"));
}

TEST(Win32Profile, LockedFileRefusesTheWrite) {
  TScratchFolder folder;
  auto locked = MakeUnwritableIni(folder, "[Zarmok]\r\nMaxBugs=3\r\n");
  EXPECT_FALSE(SystemProfile().WriteString(locked->Path(), "Zarmok", "MaxBugs", "7"));
  const std::string ini = locked->Path();
  locked.reset();
  EXPECT_EQ(SystemProfile().GetString(ini, "Zarmok", "MaxBugs", "", 1024), "3");
  EXPECT_TRUE(SystemProfile().WriteString(ini, "Zarmok", "MaxBugs", "7"));
  EXPECT_EQ(SystemProfile().GetString(ini, "Zarmok", "MaxBugs", "", 1024), "7");
}

}  // namespace
}  // namespace zarmok::testing
