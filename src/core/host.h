// Start-up and the password hand-off: the mode chosen by the first argument, the preview
// handle, the close rule of the full-screen saver, VerifyPassword and ChangePassword.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform.h"

namespace zarmok {

inline constexpr const char* kSaverClassName = "TDesktopWindow";
inline constexpr const char* kWallpaperArgument = "--wallpaper";
inline constexpr const char* kIdleArgument = "--idle";

inline constexpr const char* kVerifyLibrary = "PASSWORD.CPL";
inline constexpr const char* kVerifyEntry = "VerifyScreenSavePwd";
inline constexpr const char* kChangeLibrary = "MPR.DLL";
inline constexpr const char* kChangeEntry = "PwdChangePasswordA";
inline constexpr const char* kChangeWhich = "SCRSAVE";

enum class TSaverMode { Settings, FullScreen, Preview, ChangePassword, Wallpaper, IdleWatch };

// The mode of a first argument ("" when there is none). Exact, case-sensitive comparison with
// "/c" "-c" "/s" "-s" "/p" "-p" "/a" in this order, anything else is full-screen; a first
// argument that starts with "/c:" or "-c:", or "/p:" or "-p:" (the requests of hosts that
// append the window's handle with a colon) also opens the settings dialog, or the preview.
TSaverMode ChooseMode(std::string_view first);

// The text of the preview pane's handle: what follows the colon of "/p:<handle>" or
// "-p:<handle>", else the second argument ("" when there is none).
std::string PreviewHandleText(const std::vector<std::string>& arguments);

// A window handle from its 32 bits, widened by sign extension as the system widens a handle
// passed through 32 bits.
TWindowHandle WidenHandle(uint32_t bits);

// The mode of a whole command line on a host: ChooseMode of the first argument, except that no
// argument at all opens the settings dialog where the host says so, and that "--wallpaper" and
// "--idle" mean the saver as the desktop's background and the idle watch where it offers them.
TSaverMode ChooseStartUpMode(const std::vector<std::string>& arguments,
                             bool no_argument_opens_settings, bool offers_wallpaper = false,
                             bool offers_idle_watch = false);

// The idle watch: waits for `seconds` of idleness, runs the full-screen saver as "/s" does
// (unless another saver runs), and waits again, until the host ends the program. Exit code 0.
int RunIdleWatch(int32_t seconds, IStartUpHost& host);

// The window that a settings request names as the dialog's owner: the handle after "/c:" or
// "-c:" read as a preview handle is and widened, 0 when there is none or it is not a handle.
TWindowHandle SettingsOwner(std::string_view first);

// The close rule: true when the close query must ask VerifyPassword, which is with no
// argument at all or a first argument of exactly "/s" or "-s".
bool CloseAsksPassword(const std::vector<std::string>& arguments);

// Reads a preview pane's handle: optional leading blanks, then a signed decimal in the 32-bit
// range or "$" and hexadecimal digits fitting 32 bits (the bit pattern of the handle).
// Anything else throws EZarmokError(TTextId::NotAnInteger).
uint32_t StrToPreviewHandle(const std::string& text);

// Folder + separator + file name; the separator only when the folder is not empty and does not
// already end with it.
std::string JoinLibraryPath(const std::string& folder, const std::string& file, char separator);

// Whether the saver may close: asks the host's password flag and, when a password is in force,
// the host's verification dialog, with the pointer shown around it. Only the lowest byte of
// the dialog's verdict counts. A flag value that cannot be read counts as a password in
// force, so the host's dialog decides (and a host without the dialog lets the close go on):
// the user is never locked out, and a damaged flag never lifts a password.
bool VerifyPassword(IPasswordHost& passwords, ISaverHost& host, TWindowHandle window);

// Hands the request to the host's password-change dialog, owned by `owner`. A missing library
// or entry drops the request without a word.
void ChangePassword(IPasswordHost& passwords, TWindowHandle owner);

// Start-up: the running-saver test, the mode, the preview steps, the saver's session. The exit
// code of a normal end. Errors propagate, after the saver window (if any) has been destroyed.
int RunStartUp(const std::vector<std::string>& arguments, IStartUpHost& host);

// RunStartUp with the platform's unhandled-error report: any error that escapes start-up or
// an idle step is reported with its message and ends the program with exit code 1.
int RunProgram(const std::vector<std::string>& arguments, IStartUpHost& host);

}  // namespace zarmok
