#include "win32_desktop.h"

#include "errors.h"
#include "win32_dpi.h"
#include "win32_program_path.h"
#include "win32_running.h"
#include "win32_settings_place.h"
#include "win32_text.h"

namespace zarmok::win32 {
namespace {

HWND AsWindow(TWindowHandle handle) {
  return reinterpret_cast<HWND>(handle);
}

// The application window exists before start-up's first step, hidden, and owns every other
// window of the program: none of them gets a button of its own on the task bar.
HWND MakeApplicationWindow(HINSTANCE instance) {
  WNDCLASSEXW application{};
  application.cbSize = sizeof application;
  application.lpfnWndProc = DefWindowProcW;
  application.hInstance = instance;
  application.lpszClassName = kApplicationClassName;
  RegisterClassExW(&application);
  return CreateWindowExW(0, kApplicationClassName,
                         WideText(Text(TTextId::ApplicationTitle, TLanguage::English)).c_str(),
                         WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}

}  // namespace

TWin32Desktop::TWin32Desktop(HINSTANCE instance, TServices services)
    : application_(MakeApplicationWindow(instance)),
      services_(std::move(services)),
      platform_(instance, application_) {}

TWin32Desktop::~TWin32Desktop() {
  if (application_ != nullptr) DestroyWindow(application_);
}

bool TWin32Desktop::FindTopLevelSaver() {
  return TopLevelSaverExists();
}

void TWin32Desktop::HideApplicationWindow() {
  if (application_ != nullptr) ::ShowWindow(application_, SW_HIDE);
}

TWindowHandle TWin32Desktop::ApplicationWindow() {
  return reinterpret_cast<TWindowHandle>(application_);
}

void TWin32Desktop::ShowWindow(TWindowHandle handle) {
  ::ShowWindow(AsWindow(handle), SW_SHOW);
}

void TWin32Desktop::GetWindowRect(TWindowHandle handle, TWindowRect& rect) {
  const TDpiAwarenessOf theirs(AsWindow(handle));
  RECT outer{};
  if (!::GetWindowRect(AsWindow(handle), &outer)) return;
  rect = TWindowRect{outer.left, outer.top, outer.right, outer.bottom};
}

bool TWin32Desktop::WindowExists(TWindowHandle handle) {
  return IsWindow(AsWindow(handle)) != FALSE;
}

std::string TWin32Desktop::SettingsFile() {
  return PlacedSettingsFile(ProgramFilePath());
}

void TWin32Desktop::ReportUnhandledError(const std::string& title, const std::string& message) {
  // The saver's windows are gone by now; the box belongs to the application, never to a host's
  // window that a preview lived in.
  ShowErrorBox(application_, title, message);
}

void TWin32Desktop::WriteDiagnostic(const std::string& line) {
  // A windowed program has an error stream only when its starter gave it one (a console,
  // Wine's terminal); elsewhere the line goes nowhere.
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
  std::string text;
  text.reserve(line.size() + 1);
  text.append(line);
  text.push_back('\n');
  DWORD written = 0;
  WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace zarmok::win32
