// Errors of the layers the program calls surface as exceptions carrying what the user is to
// read: a text of the catalogue with its arguments, worded in the run's language when it is
// reported; and the one policy for an error that escapes an event handler.
#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform.h"
#include "texts.h"

namespace zarmok {

// What a message says: a text of the catalogue and its arguments, or a text from elsewhere (a
// system's own words for its error), which reads the same in every language.
class TWording {
 public:
  TWording() = default;
  TWording(TTextId id, std::vector<std::string> arguments = {})
      : id_(id), arguments_(std::move(arguments)) {}
  TWording(std::string text) : text_(std::move(text)) {}
  TWording(const char* text) : text_(text) {}

  std::string In(TLanguage language) const;
  bool Empty() const { return !id_ && text_.empty(); }

 private:
  std::optional<TTextId> id_;
  std::vector<std::string> arguments_;
  std::string text_;
};

class EZarmokError : public std::runtime_error {
 public:
  // `detail`: what lies behind the message, for the error stream (the user's box shows the
  // message alone). what() is the Japanese wording.
  EZarmokError(TWording message, TWording detail = {})
      : std::runtime_error(message.In(TLanguage::Japanese)),
        message_(std::move(message)),
        detail_(std::move(detail)) {}

  const TWording& Message() const { return message_; }
  const TWording& Detail() const { return detail_; }

 private:
  TWording message_;
  TWording detail_;
};

// The line an error leaves on the program's error stream: "<title>: <message>".
std::string ErrorLine(const std::string& title, const std::string& message);

// What an error says to the user in `language`: its own message; for running out of memory the
// program's words (the library's message is only the exception's name).
std::string ErrorMessage(const std::exception& error, TLanguage language);

// Runs one event handler as the message loop runs it: any error escaping it is shown in an
// error box titled with the application's title, its message followed by ".", and the program
// goes on.
void RunEventHandler(const std::function<void()>& handler, IErrorBox& error_box,
                     TLanguage language);

}  // namespace zarmok
