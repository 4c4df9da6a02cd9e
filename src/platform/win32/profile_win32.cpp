// The private-profile service of the Windows build: the system's own INI functions.
#include <windows.h>

#include <string>
#include <vector>

#include "platform.h"

namespace zarmok {
namespace {

class TWin32Profile : public IPrivateProfile {
 public:
  std::string GetString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& default_text, size_t buffer_size) override {
    if (buffer_size == 0) return {};
    // The functions count in DWORDs; a buffer beyond that is never needed for one value.
    const DWORD size = buffer_size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(buffer_size);
    std::vector<char> buffer(size, '\0');
    const DWORD length = GetPrivateProfileStringA(
        section.c_str(), key.c_str(), default_text.c_str(), buffer.data(), size, file.c_str());
    // The copy ends at the first NUL, as a caller's buffer does.
    std::string text(buffer.data(), length < size ? length : size - 1);
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return text;
  }

  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
           FALSE;
  }
};

}  // namespace

IPrivateProfile& SystemProfile() {
  static TWin32Profile profile;
  return profile;
}

}  // namespace zarmok
