// The Win32 front end: the settings dialog, its about box and the dialog's error box, made of
// the system's native controls.
#pragma once

#include <string>

#include "platform.h"

namespace zarmok {

// Runs the settings dialog on the settings file `ini_path` until it closes, modal to `owner`
// when that names a window (the host's window of "/c:<handle>"; 0 for none). Returns the exit
// code. Throws EZarmokError(kWindowCreateMessage) when the dialog's window cannot be made.
int RunSettingsDialogWin32(IPrivateProfile& profile, const std::string& ini_path,
                           TWindowHandle owner);

// A modal message box with the error icon and one OK button, owned by `owner` (0 for none).
// Title and text are UTF-8 and show as written on any code page.
void ShowErrorBoxWin32(TWindowHandle owner, const std::string& title, const std::string& text);

}  // namespace zarmok
