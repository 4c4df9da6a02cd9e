// The private-profile service of the Linux build for any named file. Reading follows the INI
// conventions of ini_text.h: names match without regard to case, blanks around values are
// trimmed, CR LF line ends and a UTF-8 BOM are accepted. Writing never re-serialises the user's
// file: it edits the lines that hold the keys (or adds them), keeps every other byte, and
// replaces the file atomically. A file over 16 MB, or one that holds what no INI text holds, is
// never rewritten, and a write of several keys says why. The service holds nothing between
// calls; a program makes one and passes it on.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform.h"

namespace zarmok::posix {

// A profile that reads and writes a section's keys in one pass: one key is a batch of one.
class TBatchProfile : public IPrivateProfile {
 public:
  std::string GetString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& default_text, size_t buffer_size) final;
  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) final;
};

class TPosixProfile final : public TBatchProfile {
 public:
  std::vector<std::string> GetStrings(const std::string& file, const std::string& section,
                                      const std::vector<std::string>& keys,
                                      const std::string& default_text, size_t buffer_size) override;
  // A new file gets the mode 0666 leaves under the umask, as any program's new file does.
  TProfileWrite WriteStrings(const std::string& file, const std::string& section,
                             const std::vector<TProfileEntry>& entries) override;
};

}  // namespace zarmok::posix
