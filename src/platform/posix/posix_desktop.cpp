#include "posix/posix_desktop.h"

#include <cstdio>

#include "posix/user_config.h"

namespace zarmok::posix {

std::string TPosixDesktop::SettingsFile() {
  return UserSettingsFilePath();
}

void TPosixDesktop::WriteDiagnostic(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

}  // namespace zarmok::posix
