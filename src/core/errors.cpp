#include "errors.h"

#include <new>

namespace zarmok {

std::string TWording::In(TLanguage language) const {
  return id_ ? WordText(*id_, language, arguments_) : text_;
}

std::string ErrorLine(const std::string& title, const std::string& message) {
  return title + ": " + message;
}

std::string ErrorMessage(const std::exception& error, TLanguage language) {
  if (const auto* ours = dynamic_cast<const EZarmokError*>(&error)) {
    return ours->Message().In(language);
  }
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) {
    return Text(TTextId::OutOfMemory, language);
  }
  return error.what();
}

void RunEventHandler(const std::function<void()>& handler, IErrorBox& error_box,
                     TLanguage language) {
  const char* title = Text(TTextId::ApplicationTitle, language);
  try {
    handler();
  } catch (const std::exception& error) {
    error_box.ShowError(title, ErrorMessage(error, language) + ".");
  } catch (...) {
    // Nothing of ours throws anything else; a foreign library's oddity still must not end
    // the program from inside a handler.
    error_box.ShowError(title, "?.");
  }
}

}  // namespace zarmok
