// The host's password services on Windows: the flag in the current user's registry and the
// system's PASSWORD.CPL and MPR.DLL, each loaded for one call. What is asked and what the
// answers mean is the core's (VerifyPassword, ChangePassword); this only makes the calls.
// Nothing is kept between calls; a program makes one and passes it on.
#pragma once

#include <cstdint>
#include <string>

#include "platform.h"

namespace zarmok::win32 {

class TWin32Passwords final : public IPasswordHost {
 public:
  TPasswordFlag ReadPasswordFlag() override;
  std::string SystemDirectory() override;
  char PathSeparator() const override { return '\\'; }
  void* LoadHostLibrary(const std::string& path) override;
  void* FindHostEntry(void* library, const char* name) override;
  void FreeHostLibrary(void* library) override;
  uint32_t CallVerifyScreenSavePwd(void* entry, TWindowHandle window) override;
  void CallPwdChangePasswordA(void* entry, const char* which, TWindowHandle owner,
                              uint32_t reserved1, uint32_t reserved2) override;
};

}  // namespace zarmok::win32
