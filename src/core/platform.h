// What the core asks of a host. Interfaces only: each back end (X11, Win32, the headless
// renderer, the tests' scripted host) supplies its own implementation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace zarmok {

// A pixel position: x to the right, y downward, in client coordinates.
struct TPoint {
  int32_t x;
  int32_t y;
};

// A colour as the drawing surface takes it: red + 256 * green + 65536 * blue.
using TColorValue = uint32_t;

// The window's drawing surface. Pen and brush are solid; the pen is one pixel wide.
class IDrawSurface {
 public:
  virtual ~IDrawSurface() = default;
  virtual void SetPenColor(TColorValue color) = 0;
  virtual void MoveTo(int32_t x, int32_t y) = 0;
  // Paints from the current position to (x, y), leaving out (x, y) itself, which becomes the
  // current position.
  virtual void LineTo(int32_t x, int32_t y) = 0;
  virtual void SetBrushColor(TColorValue color) = 0;
  // Fills the interiors of all `polygons` together under the alternate (even-odd) rule, then
  // outlines each polygon (closed back to its first point) with the pen. counts[i] points each.
  virtual void PolyPolygon(const TPoint* points, const int32_t* counts, int32_t polygons) = 0;
  // Paints [left, right) x [top, bottom) with the brush.
  virtual void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
};

// The private-profile (INI) service: section and key names match without regard to case.
class IPrivateProfile {
 public:
  virtual ~IPrivateProfile() = default;
  // The value text of `key` in `section` of `file`, as a caller with a buffer of
  // `buffer_size` characters (terminator included) receives it: at most buffer_size - 1
  // characters, cut at an embedded NUL. A missing file, section or key gives `default_text`.
  virtual std::string GetString(const std::string& file, const std::string& section,
                                const std::string& key, const std::string& default_text,
                                size_t buffer_size) = 0;
  // Replaces or adds the key, creating the section and the file as needed and leaving the rest
  // of the file as it was. False when the write was refused; the file is then unchanged.
  virtual bool WriteString(const std::string& file, const std::string& section,
                           const std::string& key, const std::string& value) = 0;
};

// Implemented once per platform back end.
IPrivateProfile& SystemProfile();
// The full path of the running program file ("" when the host cannot tell).
std::string ProgramFilePath();

}  // namespace zarmok

namespace zarmok {

// The saver window as the platform made it.
class IFormWindow {
 public:
  virtual ~IFormWindow() = default;
  // The client area's size in pixels, asked at each use.
  virtual int32_t ClientWidth() = 0;
  virtual int32_t ClientHeight() = 0;
  // Asks for the maximised state; it takes effect when the loop first shows the window.
  virtual void RequestMaximized() = 0;
  virtual IDrawSurface& Canvas() = 0;
  // The window's handle as the host's services know it; 0 for a window no host can see.
  virtual uintptr_t Handle() { return 0; }
};

// Host services that the saver window's creation and destruction use.
class ISaverHost {
 public:
  virtual ~ISaverHost() = default;
  // The host's screen-saver-running flag.
  virtual void SetScreenSaverRunning(bool running) = 0;
  // Raises (show) or lowers the pointer's display count by one; visible while not negative.
  virtual void ShowCursor(bool show) = 0;
  // Makes `handler` the application's one idle handler, replacing any earlier one. The loop
  // calls it whenever no message is waiting; it sets done to false to be called again at once.
  virtual void SetIdleHandler(std::function<void(bool& done)> handler) = 0;
};

}  // namespace zarmok

namespace zarmok {

// How a read of the host's password flag went.
enum class TPasswordFlagState {
  KeyMissing,  // the key cannot be opened (missing, or access refused)
  Value,       // the value was read
  Unreadable,  // the key is there but the value is missing, too long or of another type
};

struct TPasswordFlag {
  TPasswordFlagState State = TPasswordFlagState::KeyMissing;
  int32_t Value = 0;
};

// The host's password store and the libraries that hold its password dialogs. Each library is
// loaded for one call and unloaded again.
class IPasswordHost {
 public:
  virtual ~IPasswordHost() = default;
  // Read afresh at every call; nothing is kept open.
  virtual TPasswordFlag ReadPasswordFlag() = 0;
  // The folder of the host's libraries as the platform reports it; "" when it cannot be read.
  virtual std::string SystemDirectory() = 0;
  // The separator that joins a folder and a file name on this host.
  virtual char PathSeparator() const = 0;
  // A handle of the loaded library, or null when it cannot be loaded.
  virtual void* LoadHostLibrary(const std::string& path) = 0;
  // The entry's address, or null when the library has no such entry.
  virtual void* FindHostEntry(void* library, const char* name) = 0;
  virtual void FreeHostLibrary(void* library) = 0;
  // Calls the verification entry with the saver window's handle; its raw result.
  virtual uint32_t CallVerifyScreenSavePwd(void* entry, uintptr_t window) = 0;
  // Calls the change entry: which password, the owner window, and two zeros.
  virtual void CallPwdChangePasswordA(void* entry, const char* which, uintptr_t owner,
                                      uint32_t reserved1, uint32_t reserved2) = 0;
};

class TDesktopWindow;

// A window rectangle in screen coordinates.
struct TWindowRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// What start-up asks of the application layer and the desktop.
class IStartUpHost {
 public:
  virtual ~IStartUpHost() = default;
  // True when a top-level saver window (class "TDesktopWindow") exists anywhere on the
  // desktop. Child windows (a preview) and other classes (the settings dialog) never count.
  virtual bool FindTopLevelSaver() = 0;
  virtual void InitializeApplication() = 0;
  virtual void HideApplicationWindow() = 0;
  // The program's hidden application window, owner of the password-change dialog.
  virtual uintptr_t ApplicationWindow() = 0;
  // Shows a window given by handle; failures pass without notice.
  virtual void ShowWindow(uint32_t handle) = 0;
  // The window's outer rectangle; on failure `rect` keeps what it held.
  virtual void GetWindowRect(uint32_t handle, TWindowRect& rect) = 0;
  // Runs the settings dialog as the main window until it closes; its exit code.
  virtual int RunSettingsDialog() = 0;
  virtual IPasswordHost& Passwords() = 0;
  // Makes the saver window the main window: its platform window first (client 427 x 273, a
  // child of `preview_parent` when that is not 0), then its creation handler. Throws
  // EZarmokError when the platform window cannot be made.
  virtual TDesktopWindow& CreateSaverWindow(uint32_t preview_parent) = 0;
  virtual void PlaceSaverWindow(int32_t left, int32_t top, int32_t width, int32_t height) = 0;
  // Shows the main window and runs the loop until its close is allowed.
  virtual void RunMessageLoop() = 0;
  // Destroys the saver window if it exists (its destruction handler runs once).
  virtual void DestroySaverWindow() = 0;
  // The platform's report of an error that escaped start-up or an idle step.
  virtual void ReportUnhandledError(const std::string& title, const std::string& message) = 0;
};

}  // namespace zarmok
