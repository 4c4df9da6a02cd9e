// The FLTK front end: the settings dialog and the program's message boxes on Linux.
#pragma once

#include <cstdint>
#include <string>

#include "errors.h"
#include "platform.h"
#include "texts.h"
#include "x11_connection.h"

namespace zarmok::ui {

// The X11 class of the program's message boxes, by which scripts and window managers find them
// as they find the dialog (TBugsPramSet), the about box (TAboutBox) and the saver
// (TDesktopWindow).
inline constexpr const char* kErrorBoxClass = "TErrorBox";

// The front end on the program's X connection, set up at its first use: the dialog's fonts and
// FLTK's own options, once.
class TFltkUi final : public IErrorBox {
 public:
  // Every text in `language`.
  TFltkUi(x11::TX11Connection& connection, TLanguage language)
      : connection_(connection), language_(language) {}
  TFltkUi(const TFltkUi&) = delete;
  TFltkUi& operator=(const TFltkUi&) = delete;

  // Runs the settings dialog as the program's main window until it closes; the exit code.
  // `owner` is the window of the host that asked for the settings ("/c:<handle>"), 0 for none:
  // the dialog is made transient for it so that it stays above it.
  int RunSettingsDialog(IPrivateProfile& profile, const std::string& ini_path, uintptr_t owner);

  // A modal message box with an error icon and one OK button; returns when it is dismissed.
  // Without a display it does nothing (the program writes the text to stderr as well).
  void ShowError(const std::string& title, const std::string& text) override;

 private:
  // False when there is no display to open (FLTK itself would end the program then).
  bool Open();

  x11::TX11Connection& connection_;
  bool opened_ = false;
  TLanguage language_;
  // The display's, known once it is open.
  double scale_ = 1.0;
  // FLTK keeps the pointers it is given to the face names.
  std::string gothic_name_;
  std::string product_name_;
};

}  // namespace zarmok::ui
