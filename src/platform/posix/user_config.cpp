#include "user_config.h"

#include <cstdlib>

namespace zarmok::posix {
namespace {

// The variable's value when it is an absolute path, else "".
std::string AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] == '/' ? std::string(value) : std::string();
}

}  // namespace

std::string UserConfigFolder() {
  const std::string config = AbsoluteFromEnvironment("XDG_CONFIG_HOME");
  if (!config.empty()) return config;
  const std::string home = AbsoluteFromEnvironment("HOME");
  if (home.empty()) return {};
  return home + (home.back() == '/' ? ".config" : "/.config");
}

std::string UserConfigFile(const std::string& name) {
  std::string folder = UserConfigFolder();
  if (folder.empty()) return {};
  if (folder.back() != '/') folder += '/';
  return folder + "zarmok/" + name;
}

std::string UserSettingsFilePath() {
  const std::string file = UserConfigFile("zarmok.ini");
  return file.empty() ? std::string(kUnplacedSettingsFile) : file;
}

}  // namespace zarmok::posix
