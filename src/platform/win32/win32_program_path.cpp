#include "win32_program_path.h"

#include <windows.h>

#include "win32_text.h"

namespace zarmok::win32 {

std::string ProgramFilePath() {
  // A path longer than the classic limit still comes back whole.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  // Windows may start a saver by its 8.3 short name: the settings file is named after the
  // long one, the file the user's settings were saved beside.
  const DWORD needed = GetLongPathNameW(path.c_str(), nullptr, 0);
  if (needed > 0) {
    std::wstring long_path(needed, L'\0');
    const DWORD length = GetLongPathNameW(path.c_str(), long_path.data(), needed);
    if (length > 0 && length < needed) {
      long_path.resize(length);
      path = long_path;
    }
  }
  // UTF-8, as the core holds every text: the profile service hands it to the W functions, so a
  // folder outside the ANSI code page still finds its file.
  return Utf8Text(path);
}

}  // namespace zarmok::win32
