// The saver program on Linux: the program's services made here and handed to start-up, on the
// back end that can serve the request in this session: the Wayland one in a Wayland session,
// else X11 (an X server, or XWayland for the settings dialog and a preview).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "errors.h"
#include "fltk_ui.h"
#include "host.h"
#include "posix/password_posix.h"
#include "posix/user_config.h"
#include "posix/user_locale.h"
#include "x11_connection.h"
#include "x11_desktop.h"
#ifdef ZARMOK_WAYLAND
#include "wl_connection.h"
#include "wl_desktop.h"
#endif

namespace {

// ZARMOK_STATS set to anything but "" or "0...": the loop's measurements on stderr at the end.
bool LoopStatsWanted() {
  const char* wanted = std::getenv("ZARMOK_STATS");
  return wanted != nullptr && wanted[0] != '\0' && wanted[0] != '0';
}

std::string_view Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string_view(value) : std::string_view();
}

#ifdef ZARMOK_WAYLAND
// Whether the Wayland back end serves this start; else `why_not` says why not, when Wayland
// could have. ZARMOK_BACKEND=x11 or =wayland forces one. The settings dialog and a preview's
// pane are X windows: where the session has an X display (XWayland) they are X11's, forced or
// not. Otherwise Wayland serves every compositor it can reach: through the layer shell where
// there is one (sway, Hyprland, river, labwc, Wayfire, KDE Plasma, COSMIC), else with full-screen
// windows (GNOME, weston).
bool UseWayland(const std::vector<std::string>& arguments, zarmok::wl::TWaylandConnection& wayland,
                zarmok::TWording& why_not) {
  const std::string_view forced = Variable("ZARMOK_BACKEND");
  if (forced == "x11") return false;
  const zarmok::TSaverMode mode = zarmok::ChooseStartUpMode(arguments, false, true, true);
  const bool x_window = mode == zarmok::TSaverMode::Settings || mode == zarmok::TSaverMode::Preview;
  if (x_window && !Variable("DISPLAY").empty()) return false;
  if (forced == "wayland") return true;
  if (Variable("WAYLAND_DISPLAY").empty() && Variable("WAYLAND_SOCKET").empty()) {
    why_not = zarmok::TTextId::WaylandNoDisplay;
    return false;
  }
  why_not = wayland.Unusable();
  // Without an X display, the Wayland side says why a dialog or a pane cannot be had.
  return why_not.Empty() || x_window;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  // The run's one choice of language, made before anything can speak.
  const zarmok::TLanguage language = zarmok::posix::UserLanguage();
  // The desktop's own questions, answered before any back end is chosen or any window made.
  if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "--version")) {
    const auto text =
        arguments[0] == "--help" ? zarmok::TTextId::HelpText : zarmok::TTextId::VersionText;
    zarmok::posix::WriteUserLine(stdout, zarmok::Text(text, language));
    return 0;
  }
  zarmok::x11::TX11Connection connection;
  zarmok::ui::TFltkUi ui(connection, language);
  zarmok::posix::TUserSettingsProfile profile;
  zarmok::posix::TPosixPasswords passwords;
  const auto error_box = [&](const std::string& title, const std::string& text) {
    ui.ShowError(title, text);
  };
#ifdef ZARMOK_WAYLAND
  zarmok::wl::TWaylandConnection wayland;
  zarmok::TWording why_not_wayland;
  if (UseWayland(arguments, wayland, why_not_wayland)) {
    // Error boxes are FLTK's, on XWayland where the session has it; else the error stream's
    // line is the whole report.
    zarmok::wl::TWaylandDesktop desktop(
        wayland, {profile, passwords, error_box, language, LoopStatsWanted()});
    return zarmok::RunProgram(arguments, desktop);
  }
  // Where X11 cannot serve either, the report says why each back end could not.
  if (!why_not_wayland.Empty()) {
    try {
      connection.Open();
    } catch (const zarmok::EZarmokError&) {
      zarmok::posix::WriteUserLine(stderr, why_not_wayland.In(language));
    }
  }
#endif
  zarmok::x11::TX11Desktop desktop(connection,
                                   {profile, passwords, error_box, language, LoopStatsWanted()},
                                   [&](const std::string& ini_path, zarmok::TWindowHandle owner) {
                                     return ui.RunSettingsDialog(profile, ini_path, owner);
                                   });
  return zarmok::RunProgram(arguments, desktop);
}
