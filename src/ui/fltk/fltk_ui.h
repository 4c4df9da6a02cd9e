// The FLTK front end: the settings dialog and the program's message boxes on Linux.
#pragma once

#include <cstdint>
#include <string>

#include "errors.h"
#include "platform.h"
#include "x11_connection.h"

namespace zarmok::ui {

// The front end on the program's X connection, set up at its first use: the dialog's fonts and
// FLTK's own options, once.
class TFltkUi final : public IErrorBox {
 public:
  explicit TFltkUi(x11::TX11Connection& connection) : connection_(connection) {}
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
  // FLTK keeps the pointers it is given to the face names.
  std::string gothic_name_;
  std::string product_name_;
};

}  // namespace zarmok::ui
