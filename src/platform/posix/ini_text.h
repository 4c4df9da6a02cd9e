// INI text as the Linux build reads it, one entry at a time and without copying: the usual
// conventions (names match without regard to case, blanks around names and values are trimmed,
// lines starting with ';' or '#' are comments, CR LF and lone CR end lines as LF does, a UTF-8
// BOM is skipped, the last of two equal keys counts), and a NUL ends the text. A settings file
// may be any size up to what the service takes, so nothing here builds a table of the file:
// each reader keeps what it asks for.
#pragma once

#include <cstddef>
#include <string_view>

namespace zarmok::posix {

// One entry: a section's header (key empty), or a key with its value in the section named by
// the header before it ("" before any header). The views point into the text.
struct TIniEntry {
  std::string_view section;
  std::string_view key;
  std::string_view value;
  bool header = false;
  // Where the text after a key's "=" starts, and where the entry's line ends (before its line
  // break); what follows the line break starts at `next`.
  size_t after_equals = 0;
  size_t line_end = 0;
  size_t next = 0;
};

class TIniEntries {
 public:
  explicit TIniEntries(std::string_view text);
  // The next entry, false at the end of the text.
  bool Next(TIniEntry& entry);

 private:
  std::string_view text_;
  size_t at_;
  std::string_view section_;
};

// Names as the reader matches them: equal but for the case of ASCII letters.
bool IniNamesMatch(std::string_view a, std::string_view b);

// The text of a file up to its first NUL, which ends what a reader reads.
std::string_view ReadableIniText(std::string_view bytes);

}  // namespace zarmok::posix
