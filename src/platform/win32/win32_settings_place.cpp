#include "win32_settings_place.h"

#include <shlobj.h>
#include <windows.h>

#include "settings.h"
#include "win32_text.h"

namespace zarmok::win32 {
namespace {

// The folder part of a path, without its last separator ("" when there is none).
std::wstring FolderOf(const std::wstring& path) {
  const size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

}  // namespace

std::string UserSettingsFolder() {
  wchar_t folder[MAX_PATH] = {};
  if (SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK ||
      folder[0] == L'\0') {
    return {};
  }
  return Utf8Text(folder) + "\\Zarmok";
}

bool FolderWritable(const std::string& folder) {
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  // A name no one else uses, gone again when the handle closes.
  const std::wstring trial = WideText(folder) + L"\\~zarmok-" +
                             std::to_wstring(GetCurrentProcessId()) + L"-" +
                             std::to_wstring(now.QuadPart) + L".tmp";
  HANDLE file = CreateFileW(
      trial.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

std::string PlacedSettingsFile(const std::string& program_path) {
  const std::string beside = SettingsFilePath(program_path);
  if (GetFileAttributesW(WideText(beside).c_str()) != INVALID_FILE_ATTRIBUTES) return beside;
  const std::wstring program = WideText(program_path);
  const std::wstring folder = FolderOf(program);
  if (folder.empty() || FolderWritable(Utf8Text(folder))) return beside;
  const std::string user_folder = UserSettingsFolder();
  // With no folder of the user's, the file beside the program is still where the user's
  // settings belong; a save there is refused and says so.
  if (user_folder.empty()) return beside;
  return SettingsFilePath(user_folder + "\\" + Utf8Text(program.substr(folder.size() + 1)));
}

}  // namespace zarmok::win32
