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
inline constexpr const char* kUnhandledErrorTitle = "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ";
inline constexpr const char* kNotAnIntegerMessage = "'%s' は整数ではありません";
inline constexpr const char* kNotSecondsMessage = "'%s' は秒数ではありません";
inline constexpr const char* kWallpaperArgument = "--wallpaper";
inline constexpr const char* kIdleArgument = "--idle";
inline constexpr const char* kWindowCreateMessage = "ｳｨﾝﾄﾞｳの作成でｴﾗｰが発生しました";
// The X11 desktop's reports.
inline constexpr const char* kXDisplayOpenMessage = "X ディスプレイ '%s' を開けません";
inline constexpr const char* kXDisplayOpenMessageEn = "Cannot open the X display '%s'";
inline constexpr const char* kXDisplayPrepareMessage = "X ディスプレイの準備ができません";
inline constexpr const char* kXDisplayPrepareMessageEn = "Cannot prepare the X display";
inline constexpr const char* kXConnectionLostMessage = "X サーバーとの接続が切れました";
inline constexpr const char* kXConnectionLostMessageEn = "The connection to the X server was lost";
inline constexpr const char* kXIdleTimeMessage =
    "X サーバーがアイドル時間を知らせません (MIT-SCREEN-SAVER)";
inline constexpr const char* kXIdleTimeMessageEn =
    "The X server does not tell its idle time (MIT-SCREEN-SAVER)";
inline constexpr const char* kXNoTrueColorMessage =
    "X ディスプレイに描画できる色の形式 (TrueColor) がありません";
inline constexpr const char* kXNoTrueColorMessageEn =
    "The X display offers no colour format the saver can draw in (TrueColor)";

// Why a Wayland desktop cannot serve a start, one line each on the error stream: the choice of
// the back end says them when the X display it falls back to cannot be had either, and they are
// the detail of the window-creation error where the Wayland back end is forced.
inline constexpr const char* kWaylandNoDisplayMessage =
    "Wayland: WAYLAND_DISPLAY が設定されていません";
inline constexpr const char* kWaylandNoDisplayMessageEn = "Wayland: WAYLAND_DISPLAY is not set";
inline constexpr const char* kWaylandNoRuntimeDirMessage =
    "Wayland: XDG_RUNTIME_DIR が設定されていないため、ソケット '%s' の場所が分かりません";
inline constexpr const char* kWaylandNoRuntimeDirMessageEn =
    "Wayland: XDG_RUNTIME_DIR is not set, so the socket '%s' cannot be found";
inline constexpr const char* kWaylandConnectMessage = "Wayland: コンポジター '%s' に接続できません";
inline constexpr const char* kWaylandConnectMessageEn =
    "Wayland: cannot connect to the compositor at '%s'";
// The compositor, and the protocols it lacks.
inline constexpr const char* kWaylandLacksMessage =
    "Wayland: コンポジター '%s' は %s を提供していません";
inline constexpr const char* kWaylandLacksMessageEn =
    "Wayland: the compositor at '%s' does not offer %s";
inline constexpr const char* kWaylandNoPaneMessage =
    "Wayland にはプレビューを描く枠がありません。プレビューには X ディスプレイ (XWayland, "
    "DISPLAY) が必要です";
inline constexpr const char* kWaylandNoPaneMessageEn =
    "Wayland has no preview pane to draw in: a preview needs an X display (XWayland, DISPLAY)";
inline constexpr const char* kWaylandNoDialogMessage =
    "設定ダイアログは X のウィンドウです。X ディスプレイ (XWayland, DISPLAY) が必要です";
inline constexpr const char* kWaylandNoDialogMessageEn =
    "The settings dialog is an X window: it needs an X display (XWayland, DISPLAY)";
inline constexpr const char* kWaylandProtocolErrorMessage = "Wayland プロトコルエラー: %s";
inline constexpr const char* kWaylandProtocolErrorMessageEn = "Wayland protocol error: %s";
inline constexpr const char* kWaylandConnectionLostMessage =
    "Wayland コンポジターとの接続が切れました";
inline constexpr const char* kWaylandConnectionLostMessageEn =
    "The connection to the Wayland compositor was lost";
// The running flag could not be raised: the saver runs, and a second one may start over it.
inline constexpr const char* kRunningFlagMessage =
    "実行中の印を立てられません (%s)。もう一つのセーバーが重ねて起動することがあります";
inline constexpr const char* kRunningFlagMessageEn =
    "The running flag cannot be raised (%s): a second saver may start over this one";

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
// Anything else throws EZarmokError("'<text>' は整数ではありません").
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
