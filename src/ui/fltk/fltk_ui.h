// The FLTK front end: the settings dialog and the program's message boxes on Linux.
#pragma once

#include <cstdint>
#include <string>

#include "platform.h"

namespace zarmok::ui {

// Runs the settings dialog as the program's main window until it closes. Returns the exit code.
// `owner` is the window of the host that asked for the settings ("/c:<handle>"), 0 for none:
// the dialog is made transient for it so that it stays above it. An owner that names no
// window is ignored.
int RunSettingsDialog(IPrivateProfile& profile, const std::string& ini_path, uintptr_t owner);

// A modal message box with an error icon and one OK button; returns when it is dismissed.
// Without a display it does nothing (callers also write the text to stderr).
void ShowErrorBox(const std::string& title, const std::string& message);

}  // namespace zarmok::ui
