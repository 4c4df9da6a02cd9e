// The host's password services on Linux: a per-user host settings file holds the password
// flag, and a host library directory holds the libraries with the password dialogs.
#pragma once

#include <cstdint>
#include <string>

#include "platform.h"

namespace zarmok::posix {

inline constexpr const char* kHostSettingsSection = "Control Panel\\desktop";
inline constexpr const char* kHostPasswordKey = "ScreenSaveUsePassword";
inline constexpr const char* kDefaultHostLibraryDir = "/usr/lib/zarmok/host";

// host.ini in the user's configuration folder (UserConfigFile); "" when there is none.
std::string HostSettingsFilePath();

// $ZARMOK_HOST_LIBDIR when it is set (an empty value is a folder that cannot be read), else
// /usr/lib/zarmok/host.
std::string HostLibraryDirectory();

// Reads the flag from a host settings file: a missing or unreadable file, or a file without
// the section, is a key that cannot be opened; a section without the value, or a value that
// is not an integer (decimal, or "$"/"0x" hexadecimal, 32 bits), is unreadable.
TPasswordFlag ReadPasswordFlagFrom(const std::string& path);

// The host's password services of this machine. Nothing is kept between calls.
class TPosixPasswords final : public IPasswordHost {
 public:
  // From HostSettingsFilePath(), read afresh.
  TPasswordFlag ReadPasswordFlag() override;
  std::string SystemDirectory() override { return HostLibraryDirectory(); }
  char PathSeparator() const override { return '/'; }
  void* LoadHostLibrary(const std::string& path) override;
  void* FindHostEntry(void* library, const char* name) override;
  void FreeHostLibrary(void* library) override;
  uint32_t CallVerifyScreenSavePwd(void* entry, TWindowHandle window) override;
  void CallPwdChangePasswordA(void* entry, const char* which, TWindowHandle owner,
                              uint32_t reserved1, uint32_t reserved2) override;
};

}  // namespace zarmok::posix
