// Where the Linux build keeps a user's own files: the user's configuration folder, as desktops
// name it. An installed program's folder is never writable by its users, so the settings file
// cannot live beside the program as it does on Windows.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform.h"
#include "posix/profile_posix.h"

namespace zarmok::posix {

// The name of the settings file when there is no configuration folder (HOME unset or not an
// absolute path): the place a user would look for it. It is not absolute, so the settings
// profile reads it as a missing file and refuses to write it, and the refusal's message names
// where the file belongs.
inline constexpr const char* kUnplacedSettingsFile = "~/.config/zarmok/zarmok.ini";

// ${XDG_CONFIG_HOME} when it is an absolute path, else ${HOME}/.config when HOME is an absolute
// path, else "": a relative folder would put the user's files wherever the program happened to
// be started.
std::string UserConfigFolder();

// <configuration folder>/zarmok/<name>, or "" when there is no configuration folder.
std::string UserConfigFile(const std::string& name);

// The settings file of the saver and the dialog: <configuration folder>/zarmok/zarmok.ini, or
// kUnplacedSettingsFile.
std::string UserSettingsFilePath();

// The private-profile service for the user's settings file. As TPosixProfile, and besides: a
// name that is not an absolute path names no file (reads give the default, writes are refused);
// a new file gets mode 0600; and a save that creates a file UserConfigFile names first makes
// what is missing of the configuration folder and its zarmok folder, each 0700, where the folder
// that holds the configuration folder exists. Nothing else is ever made, and reading makes nothing.
class TUserSettingsProfile final : public TBatchProfile {
 public:
  std::vector<std::string> GetStrings(const std::string& file, const std::string& section,
                                      const std::vector<std::string>& keys,
                                      const std::string& default_text, size_t buffer_size) override;
  TProfileWrite WriteStrings(const std::string& file, const std::string& section,
                             const std::vector<TProfileEntry>& entries) override;
};

}  // namespace zarmok::posix
