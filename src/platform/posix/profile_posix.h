// The private-profile service of the Linux build for any named file. Reading goes through
// SimpleIni, so names match without regard to case, blanks around values are trimmed, CR LF line
// ends and a UTF-8 BOM are accepted. Writing never re-serialises the user's file: it edits the
// one line that holds the key (or adds one), keeps every other byte, and replaces the file
// atomically. The service holds nothing between calls; a program makes one and passes it on.
#pragma once

#include <cstddef>
#include <string>

#include "platform.h"

namespace zarmok {

class TPosixProfile final : public IPrivateProfile {
 public:
  std::string GetString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& default_text, size_t buffer_size) override;
  // A new file gets the mode 0666 leaves under the umask, as any program's new file does.
  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override;
};

}  // namespace zarmok
