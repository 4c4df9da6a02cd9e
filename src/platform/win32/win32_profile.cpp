#include "win32_profile.h"

#include <windows.h>

#include <vector>

#include "win32_text.h"

namespace zarmok::win32 {

std::string TWin32Profile::GetString(const std::string& file, const std::string& section,
                                     const std::string& key, const std::string& default_text,
                                     size_t buffer_size) {
  if (buffer_size == 0) return {};
  // The functions count in DWORDs; a buffer beyond that is never needed for one value.
  const DWORD size = buffer_size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(buffer_size);
  std::vector<wchar_t> buffer(size, L'\0');
  const DWORD length = GetPrivateProfileStringW(WideText(section).c_str(), WideText(key).c_str(),
                                                WideText(default_text).c_str(), buffer.data(), size,
                                                WideText(file).c_str());
  // The copy ends at the first NUL, as a caller's buffer does.
  std::wstring text(buffer.data(), length < size ? length : size - 1);
  text.resize(text.find(L'\0') == std::wstring::npos ? text.size() : text.find(L'\0'));
  return Utf8Text(text);
}

bool TWin32Profile::WriteString(const std::string& file, const std::string& section,
                                const std::string& key, const std::string& value) {
  // Only the last folder, and only that one: %APPDATA% itself is the system's to make.
  const size_t separator = file.find_last_of("\\/");
  if (!made_folder_.empty() && separator == made_folder_.size() &&
      file.compare(0, separator, made_folder_) == 0) {
    CreateDirectoryW(WideText(made_folder_).c_str(), nullptr);
  }
  return WritePrivateProfileStringW(WideText(section).c_str(), WideText(key).c_str(),
                                    WideText(value).c_str(), WideText(file).c_str()) != FALSE;
}

}  // namespace zarmok::win32
