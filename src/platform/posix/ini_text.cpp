#include "ini_text.h"

#include <algorithm>

namespace zarmok::posix {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool Blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool LineBreak(char c) {
  return c == '\r' || c == '\n';
}

bool CommentMark(char c) {
  return c == ';' || c == '#';
}

char Fold(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string_view ReadableIniText(std::string_view bytes) {
  return bytes.substr(0, std::min(bytes.find('\0'), bytes.size()));
}

bool IniNamesMatch(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return Fold(x) == Fold(y); });
}

TIniEntries::TIniEntries(std::string_view text)
    : text_(ReadableIniText(text)), at_(text_.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0) {}

bool TIniEntries::Next(TIniEntry& entry) {
  const size_t size = text_.size();
  const auto skip_to_line_break = [&] {
    while (at_ < size && !LineBreak(text_[at_])) ++at_;
  };
  const auto trimmed_end = [&](size_t begin, size_t end) {
    while (end > begin && Blank(text_[end - 1])) --end;
    return end;
  };
  const auto after_line_break = [&](size_t at) {
    if (at >= size) return at;
    return text_[at] == '\r' && at + 1 < size && text_[at + 1] == '\n' ? at + 2 : at + 1;
  };

  while (at_ < size) {
    while (at_ < size && Blank(text_[at_])) ++at_;
    if (at_ == size) break;
    if (CommentMark(text_[at_])) {
      skip_to_line_break();
      continue;
    }
    if (text_[at_] == '[') {
      // Blanks after the bracket, line breaks among them, come before the name: a header may
      // start on one line and name its section on the next.
      ++at_;
      while (at_ < size && Blank(text_[at_])) ++at_;
      const size_t name = at_;
      while (at_ < size && text_[at_] != ']' && !LineBreak(text_[at_])) ++at_;
      if (at_ == size || text_[at_] != ']') {
        // A header that never closes still ends the section before it: what follows, up to the
        // next header, stands in a section whose name holds a line break, which nobody can ask
        // for.
        section_ = text_.substr(name, at_ - name + 1);
        continue;
      }
      section_ = text_.substr(name, trimmed_end(name, at_) - name);
      ++at_;
      skip_to_line_break();
      entry = {section_, {}, {}, true, 0, at_, after_line_break(at_)};
      return true;
    }
    const size_t key = at_;
    while (at_ < size && text_[at_] != '=' && !LineBreak(text_[at_])) ++at_;
    if (at_ == size || text_[at_] != '=') continue;  // a key without a value counts for nothing
    if (at_ == key) {                                // nor does a value without a key
      skip_to_line_break();
      continue;
    }
    const size_t key_end = trimmed_end(key, at_);
    const size_t after_equals = ++at_;
    while (at_ < size && (text_[at_] == ' ' || text_[at_] == '\t')) ++at_;
    const size_t value = at_;
    skip_to_line_break();
    const size_t line_end = at_;
    at_ = after_line_break(line_end);
    entry = {section_,
             text_.substr(key, key_end - key),
             text_.substr(value, trimmed_end(value, line_end) - value),
             false,
             after_equals,
             line_end,
             at_};
    return true;
  }
  return false;
}

}  // namespace zarmok::posix
