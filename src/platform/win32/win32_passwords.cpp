#include "win32_passwords.h"

#include <windows.h>

namespace zarmok::win32 {
namespace {

using TVerifyScreenSavePwd = BOOL(WINAPI*)(HWND);
using TPwdChangePasswordA = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);

}  // namespace

TPasswordFlag TWin32Passwords::ReadPasswordFlag() {
  HKEY key = nullptr;
  // Read access is all the saver needs: a user who may read the flag but not write the key
  // must not see the password lifted as if the key were missing.
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\desktop", 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return {TPasswordFlagState::KeyMissing, 0};
  }
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  const LONG result = RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, &type,
                                       reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) {
    return {TPasswordFlagState::Unreadable, 0};
  }
  return {TPasswordFlagState::Value, static_cast<int32_t>(value)};
}

std::string TWin32Passwords::SystemDirectory() {
  char buffer[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
  if (length == 0) return {};
  if (length < MAX_PATH) return std::string(buffer, length);
  // A longer folder gets a buffer of its size: a bare file name would let the library search
  // find a PASSWORD.CPL beside the program.
  std::string longer(length, '\0');
  const UINT written = GetSystemDirectoryA(longer.data(), length);
  if (written == 0 || written >= length) return {};
  longer.resize(written);
  return longer;
}

void* TWin32Passwords::LoadHostLibrary(const std::string& path) {
  return reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
}

void* TWin32Passwords::FindHostEntry(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void TWin32Passwords::FreeHostLibrary(void* library) {
  FreeLibrary(static_cast<HMODULE>(library));
}

uint32_t TWin32Passwords::CallVerifyScreenSavePwd(void* entry, TWindowHandle window) {
  const auto verify = reinterpret_cast<TVerifyScreenSavePwd>(entry);
  return static_cast<uint32_t>(verify(reinterpret_cast<HWND>(window)));
}

void TWin32Passwords::CallPwdChangePasswordA(void* entry, const char* which, TWindowHandle owner,
                                             uint32_t reserved1, uint32_t reserved2) {
  const auto change = reinterpret_cast<TPwdChangePasswordA>(entry);
  change(which, reinterpret_cast<HWND>(owner), reserved1, reserved2);
}

}  // namespace zarmok::win32
