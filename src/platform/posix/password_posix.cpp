#include "password_posix.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string_view>

#include "ini_text.h"
#include "settings.h"
#include "user_config.h"

namespace zarmok::posix {

std::string HostSettingsFilePath() {
  return UserConfigFile("host.ini");
}

std::string HostLibraryDirectory() {
  const char* folder = std::getenv("ZARMOK_HOST_LIBDIR");
  return folder != nullptr ? std::string(folder) : std::string(kDefaultHostLibraryDir);
}

namespace {

// A host settings file is a few lines; anything far larger is not one.
constexpr off_t kLargestHostFile = 1024 * 1024;

// The bytes of a regular file, or nothing. A folder, a FIFO or a device in its place must
// not hang or exhaust the saver at the moment the user wants it to close.
std::optional<std::string> ReadRegularFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  std::optional<std::string> bytes;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kLargestHostFile) {
    std::string text(static_cast<size_t>(info.st_size), '\0');
    size_t got = 0;
    while (got < text.size()) {
      const ssize_t n = read(fd, text.data() + got, text.size() - got);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    text.resize(got);
    bytes = std::move(text);
  }
  close(fd);
  return bytes;
}

}  // namespace

TPasswordFlag ReadPasswordFlagFrom(const std::string& path) {
  if (path.empty()) return {TPasswordFlagState::KeyMissing, 0};
  const std::optional<std::string> bytes = ReadRegularFile(path);
  if (!bytes) return {TPasswordFlagState::KeyMissing, 0};
  bool section_found = false;
  std::optional<std::string_view> text;
  TIniEntries reader(*bytes);
  for (TIniEntry entry; reader.Next(entry);) {
    if (!IniNamesMatch(entry.section, kHostSettingsSection)) continue;
    section_found = true;
    if (!entry.header && IniNamesMatch(entry.key, kHostPasswordKey)) text = entry.value;
  }
  if (!section_found) return {TPasswordFlagState::KeyMissing, 0};
  if (!text) return {TPasswordFlagState::Unreadable, 0};
  // The settings parser gives its default for any text that is not an integer; a text that
  // reads the same under two different defaults is a real value.
  const int32_t value = ParseProfileInteger(*text, 0);
  if (value != ParseProfileInteger(*text, 1)) return {TPasswordFlagState::Unreadable, 0};
  return {TPasswordFlagState::Value, value};
}

namespace {

// Entry contracts of the host libraries: the window handles are X window ids.
using TVerifyScreenSavePwd = int32_t (*)(uintptr_t window);
using TPwdChangePasswordA = int32_t (*)(const char* which, uintptr_t owner, uint32_t reserved1,
                                        uint32_t reserved2);

}  // namespace

TPasswordFlag TPosixPasswords::ReadPasswordFlag() {
  return ReadPasswordFlagFrom(HostSettingsFilePath());
}

void* TPosixPasswords::LoadHostLibrary(const std::string& path) {
  return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* TPosixPasswords::FindHostEntry(void* library, const char* name) {
  return dlsym(library, name);
}

void TPosixPasswords::FreeHostLibrary(void* library) {
  dlclose(library);
}

uint32_t TPosixPasswords::CallVerifyScreenSavePwd(void* entry, TWindowHandle window) {
  return static_cast<uint32_t>(reinterpret_cast<TVerifyScreenSavePwd>(entry)(window));
}

void TPosixPasswords::CallPwdChangePasswordA(void* entry, const char* which, TWindowHandle owner,
                                             uint32_t reserved1, uint32_t reserved2) {
  reinterpret_cast<TPwdChangePasswordA>(entry)(which, owner, reserved1, reserved2);
}

}  // namespace zarmok::posix
