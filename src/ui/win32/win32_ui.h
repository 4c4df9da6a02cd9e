// The Win32 front end: the settings dialog and its about box, made of the system's native
// controls.
#pragma once

#include <string>

#include "platform.h"
#include "texts.h"

namespace zarmok {

// Runs the settings dialog, its texts in `language`, on the settings file `ini_path` until it
// closes, modal to `owner` when that names a window (the host's window of "/c:<handle>"; 0 for
// none). Returns the exit code. Throws EZarmokError(TTextId::WindowCreateFailed) when the dialog's
// window cannot be made.
int RunSettingsDialogWin32(IPrivateProfile& profile, const std::string& ini_path,
                           TWindowHandle owner, TLanguage language);

}  // namespace zarmok
