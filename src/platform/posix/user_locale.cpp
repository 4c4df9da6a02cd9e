#include "user_locale.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zarmok::posix {

namespace {

std::string_view Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string_view(value) : std::string_view();
}

// The codeset of the user's character classification, "" where the locale is unknown here.
std::string UserCodeset() {
  locale_t user = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
  if (user == static_cast<locale_t>(nullptr)) return "";
  std::string codeset = nl_langinfo_l(CODESET, user);
  freelocale(user);
  return codeset;
}

}  // namespace

TLanguage UserLanguage() {
  return LanguageFromLocale(Variable("LC_ALL"), Variable("LC_MESSAGES"), Variable("LANG"),
                            Variable("LANGUAGE"));
}

std::string InUserEncoding(std::string_view utf8) {
  const std::string codeset = UserCodeset();
  if (codeset.empty() || codeset == "UTF-8" || codeset == "ANSI_X3.4-1968") {
    return std::string(utf8);
  }
  iconv_t conversion = iconv_open((codeset + "//TRANSLIT").c_str(), "UTF-8");
  if (conversion == reinterpret_cast<iconv_t>(-1)) return std::string(utf8);
  std::string converted;
  std::string input(utf8);
  char* in = input.data();
  std::size_t in_left = input.size();
  char buffer[256];
  while (in_left > 0) {
    char* out = buffer;
    std::size_t out_left = sizeof buffer;
    const std::size_t result = iconv(conversion, &in, &in_left, &out, &out_left);
    converted.append(buffer, static_cast<std::size_t>(out - buffer));
    if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    // A byte that is no UTF-8, or a character with no spelling at all in the encoding.
    converted.push_back('?');
    do {
      ++in;
      --in_left;
    } while (in_left > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80);
  }
  iconv_close(conversion);
  return converted;
}

void WriteUserLine(std::FILE* stream, std::string_view utf8) {
  const std::string text = InUserEncoding(utf8);
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

}  // namespace zarmok::posix
