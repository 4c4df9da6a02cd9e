// The private-profile service of the Windows build: the system's own INI functions, in their
// W form, so the core's UTF-8 file names arrive intact whatever the ANSI code page and a program
// folder with characters outside it still finds its settings file. The service holds nothing
// between calls but the folder it may make; a program makes one and passes it on.
#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include "platform.h"

namespace zarmok::win32 {

class TWin32Profile final : public IPrivateProfile {
 public:
  // `made_folder`: the folder of the user's settings, made by the first write of a file in it
  // ("" for none). Every other missing folder refuses the write, as the system's functions do.
  explicit TWin32Profile(std::string made_folder = {}) : made_folder_(std::move(made_folder)) {}

  std::string GetString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& default_text, size_t buffer_size) override;
  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override;

 private:
  std::string made_folder_;
};

}  // namespace zarmok::win32
