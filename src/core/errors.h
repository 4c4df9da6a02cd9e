// Errors of the layers the program calls surface as exceptions carrying the message that the
// user sees (UTF-8), and the one policy for an error that escapes an event handler.
#pragma once

#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

namespace zarmok {

// The application's title: the caption of the box for an error inside an event handler.
inline constexpr const char* kApplicationTitle = "Zarmok";

class EZarmokError : public std::runtime_error {
 public:
  explicit EZarmokError(const std::string& message) : std::runtime_error(message) {}
};

// Replaces the first "%s" of `pattern` with `argument`.
std::string FillPattern(const std::string& pattern, const std::string& argument);

class IErrorBox {
 public:
  virtual ~IErrorBox() = default;
  // A modal box with an error icon and one OK button.
  virtual void ShowError(const std::string& title, const std::string& text) = 0;
};

// The text the handler shows for an error: its message with "." appended.
std::string ApplicationErrorText(const std::exception& error);

// Runs one event handler as the message loop runs it: any error escaping it is shown in an
// error box titled with the application's title, and the program goes on.
void RunEventHandler(const std::function<void()>& handler, IErrorBox& error_box);

}  // namespace zarmok
