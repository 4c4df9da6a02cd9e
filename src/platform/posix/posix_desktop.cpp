#include "posix/posix_desktop.h"

#include "posix/user_config.h"
#include "posix/user_locale.h"

namespace zarmok::posix {

std::string TPosixDesktop::SettingsFile() {
  return UserSettingsFilePath();
}

void TPosixDesktop::WriteDiagnostic(const std::string& line) {
  WriteUserLine(stderr, line);
}

}  // namespace zarmok::posix
