#include "errors.h"

#include <new>

#include "texts.h"

namespace zarmok {

std::string FillPattern(const std::string& pattern, const std::string& argument) {
  return FillPlaceholders(pattern, {argument});
}

std::string ErrorLine(const std::string& title, const std::string& message) {
  return title + ": " + message;
}

std::string ErrorMessage(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) return kOutOfMemoryMessage;
  return error.what();
}

std::string ApplicationErrorText(const std::exception& error) {
  return ErrorMessage(error) + ".";
}

void RunEventHandler(const std::function<void()>& handler, IErrorBox& error_box) {
  try {
    handler();
  } catch (const std::exception& error) {
    error_box.ShowError(kApplicationTitle, ApplicationErrorText(error));
  } catch (...) {
    // Nothing of ours throws anything else; a foreign library's oddity still must not end
    // the program from inside a handler.
    error_box.ShowError(kApplicationTitle, "?.");
  }
}

}  // namespace zarmok
