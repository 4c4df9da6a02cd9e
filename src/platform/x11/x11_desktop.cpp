#include "x11_desktop.h"

#include "errors.h"
#include "host.h"
#include "x11_running.h"

namespace zarmok::x11 {

TX11Desktop::TX11Desktop(TX11Connection& connection, TServices services,
                         TSettingsDialog settings_dialog)
    : TPosixDesktop(std::move(services)),
      connection_(connection),
      settings_dialog_(std::move(settings_dialog)),
      platform_(
          connection, EndSignals(),
          [this](const std::string& title, const std::string& text) { ShowErrorBox(title, text); }),
      idle_(connection, EndSignals()) {}

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
  // X resource ids have 29 bits: a wider handle names no window, and Xlib would send only its
  // low 32 bits, which may be another window's id.
  constexpr TWindowHandle kLargestId = 0x1FFFFFFF;
  if (handle == 0 || handle > kLargestId) return false;
  Display* display = DisplayOrNull();
  if (display == nullptr) return false;
  TErrorTrap trap(connection_);
  XWindowAttributes attributes{};
  return XGetWindowAttributes(display, handle, &attributes) != 0 && !trap.Failed();
}

int TX11Desktop::RunSettingsDialog(const std::string& ini_path, TWindowHandle owner) {
  // Without a display the dialog's window cannot be made, the same failure as the saver's.
  try {
    connection_.Open();
  } catch (const EZarmokError& error) {
    throw EZarmokError(TTextId::WindowCreateFailed, error.Message());
  }
  const int code = settings_dialog_(ini_path, owner);
  connection_.RaiseLoss();
  return code;
}

void TX11Desktop::ReportUnhandledError(const std::string& title, const std::string& message) {
  if (connection_.Lost()) return;
  TPosixDesktop::ReportUnhandledError(title, message);
}

}  // namespace zarmok::x11
