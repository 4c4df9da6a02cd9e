#include "x11_desktop.h"

#include <cstdio>

#include "errors.h"
#include "host.h"
#include "posix/program_path.h"
#include "posix/user_config.h"

namespace zarmok::x11 {

TX11Desktop::TX11Desktop(TX11Connection& connection, TServices services)
    : connection_(connection),
      services_(std::move(services)),
      platform_(connection, end_signals_, services_.error_box),
      idle_watch_(connection, end_signals_) {}

Display* TX11Desktop::DisplayOrNull() {
  try {
    return connection_.Open();
  } catch (const EZarmokError&) {
    return nullptr;
  }
}

bool TX11Desktop::FindTopLevelSaver() {
  // A display that cannot be reached holds no saver; the saver modes report it when they
  // need the display themselves.
  return DisplayOrNull() != nullptr && x11::FindTopLevelSaver(connection_);
}

void TX11Desktop::ShowWindow(TWindowHandle handle) {
  Display* display = DisplayOrNull();
  if (display == nullptr) return;
  TErrorTrap trap(connection_);
  XMapWindow(display, handle);
}

void TX11Desktop::GetWindowRect(TWindowHandle handle, TWindowRect& rect) {
  Display* display = DisplayOrNull();
  if (display == nullptr) return;
  TErrorTrap trap(connection_);
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, handle, &attributes) == 0 || trap.Failed()) return;
  int x = 0;
  int y = 0;
  Window child = None;
  XTranslateCoordinates(display, handle, attributes.root, -attributes.border_width,
                        -attributes.border_width, &x, &y, &child);
  if (trap.Failed()) return;
  const int outer_width = attributes.width + 2 * attributes.border_width;
  const int outer_height = attributes.height + 2 * attributes.border_width;
  rect = TWindowRect{x, y, x + outer_width, y + outer_height};
}

bool TX11Desktop::WindowExists(TWindowHandle handle) {
  return DisplayOrNull() != nullptr && x11::WindowExists(connection_, handle);
}

int TX11Desktop::RunSettingsDialog(const std::string& ini_path, TWindowHandle owner) {
  // Without a display the dialog's window cannot be made, the same failure as the saver's.
  try {
    connection_.Open();
  } catch (const EZarmokError& error) {
    throw EZarmokError(kWindowCreateMessage, error.what());
  }
  return services_.settings_dialog(ini_path, owner);
}

std::string TX11Desktop::ProgramPath() {
  return ProgramFilePath();
}

std::string TX11Desktop::SettingsFile() {
  return UserSettingsFilePath();
}

void TX11Desktop::WriteDiagnostic(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

}  // namespace zarmok::x11
