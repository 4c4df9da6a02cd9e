// The user's locale as a POSIX program meets it: the language its texts speak, and the encoding
// its terminal reads. The program itself keeps the C locale it starts in, so that its settings
// file and its numbers never depend on the user's.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "texts.h"

namespace zarmok::posix {

// The language of this run, from LC_ALL, LC_MESSAGES, LANG and LANGUAGE as the user set them.
TLanguage UserLanguage();

// The core's UTF-8 in the character encoding of the user's locale (LC_ALL, else LC_CTYPE, else
// LANG): an eucJP terminal gets eucJP. Unchanged in a UTF-8 locale, and in C and POSIX, whose
// bytes beyond ASCII are the user's own (a file name's, say). A character the encoding lacks
// becomes its nearest spelling there, or "?".
std::string InUserEncoding(std::string_view utf8);

// Writes `utf8` and a line end to `stream` in the user's encoding, and flushes it.
void WriteUserLine(std::FILE* stream, std::string_view utf8);

}  // namespace zarmok::posix
