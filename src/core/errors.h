// Errors of the layers the program calls surface as exceptions carrying the message that the
// user sees (UTF-8), and the one policy for an error that escapes an event handler.
#pragma once

#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

#include "platform.h"

namespace zarmok {

// The application's title: the caption of the box for an error inside an event handler.
inline constexpr const char* kApplicationTitle = "Zarmok";
// What an error says when the program ran out of memory, in place of the exception's own name.
inline constexpr const char* kOutOfMemoryMessage = "メモリが足りません";
inline constexpr const char* kOutOfMemoryMessageEn = "There is not enough memory";

class EZarmokError : public std::runtime_error {
 public:
  explicit EZarmokError(const std::string& message) : std::runtime_error(message) {}
  // `detail`: what lies behind the message, for the error stream (the user's box shows the
  // message alone).
  EZarmokError(const std::string& message, std::string detail)
      : std::runtime_error(message), detail_(std::move(detail)) {}
  const std::string& Detail() const { return detail_; }

 private:
  std::string detail_;
};

// Replaces the first "%s" of `pattern` with `argument`.
std::string FillPattern(const std::string& pattern, const std::string& argument);

// The line an error leaves on the program's error stream: "<title>: <message>".
std::string ErrorLine(const std::string& title, const std::string& message);

// What an error says to the user: its own message, or for running out of memory
// kOutOfMemoryMessage (the library's message is only the exception's name).
std::string ErrorMessage(const std::exception& error);

// The text the handler shows for an error: its message with "." appended.
std::string ApplicationErrorText(const std::exception& error);

// Runs one event handler as the message loop runs it: any error escaping it is shown in an
// error box titled with the application's title, and the program goes on.
void RunEventHandler(const std::function<void()>& handler, IErrorBox& error_box);

}  // namespace zarmok
