// Errors of the layers the program calls surface as exceptions carrying the message that the
// user sees (UTF-8).
#pragma once

#include <stdexcept>
#include <string>

namespace zarmok {

class EZarmokError : public std::runtime_error {
 public:
  explicit EZarmokError(const std::string& message) : std::runtime_error(message) {}
};

// Replaces the first "%s" of `pattern` with `argument`.
std::string FormatMessage(const std::string& pattern, const std::string& argument);

}  // namespace zarmok
