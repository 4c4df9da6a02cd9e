// What the core asks of a host. Interfaces only: each back end (X11, Win32, the headless
// renderer, the tests' scripted host) supplies its own implementation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "texts.h"

namespace zarmok {

// A pixel position: x to the right, y downward, in client coordinates.
struct TPoint {
  int32_t x;
  int32_t y;
  bool operator==(const TPoint&) const = default;
};

// A window as the host's services name it. A preview pane's handle arrives as 32 bits (see
// StrToPreviewHandle) and keeps that meaning when widened to this type.
using TWindowHandle = uintptr_t;

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

// One key's value text, for a write of several keys.
struct TProfileEntry {
  std::string key;
  std::string value;
};

// How a write of several keys went.
enum class TProfileWrite {
  Written,
  // Refused as any write may be: rights, a missing folder, a full disk.
  Refused,
  // The file is not one the service can read as a profile (binary data, text it cannot edit
  // safely); it was left as it was.
  NotProfile,
  // The file is far too large to be a profile; it was left as it was.
  TooLarge,
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
  // The values of `keys`, each as GetString gives it. A service that can reads the file once for
  // all of them; by default each is one GetString.
  virtual std::vector<std::string> GetStrings(const std::string& file, const std::string& section,
                                              const std::vector<std::string>& keys,
                                              const std::string& default_text, size_t buffer_size);
  // Writes the entries in their order as WriteString would. A service that can writes them in
  // one update of the file, which then holds all of them or is as it was, and tells why it
  // refused; by default each is one WriteString, and a refusal stops the writes there, leaving
  // the keys before it written.
  virtual TProfileWrite WriteStrings(const std::string& file, const std::string& section,
                                     const std::vector<TProfileEntry>& entries);
};

}  // namespace zarmok

namespace zarmok {

// A rectangle [left, right) x [top, bottom) in screen coordinates (or, for a window inside a
// pane, in the pane's).
struct TWindowRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool operator==(const TWindowRect&) const = default;
};

// One monitor of the desktop as the platform reports it: a full-screen run gives each monitor
// it keeps its own saver window (the session orders them and drops duplicates).
struct TMonitor {
  // The platform's name for it, the same for as long as the monitor exists.
  uint64_t Id = 0;
  // Its pixels: where a window covering it lies and how large its picture is.
  TWindowRect Area;
  // The monitor the desktop calls its main one.
  bool Primary = false;
  // The monitor whose window already shows on this one (its Id), 0 when it needs its own: a
  // clone, or a monitor that shows a part of a larger one's picture.
  uint64_t Mirrors = 0;
  bool operator==(const TMonitor&) const = default;
};

// The saver window as the saver window's own handlers see it.
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
  virtual TWindowHandle Handle() { return 0; }
};

// What the saver window asks of the run it belongs to.
class ISaverHost {
 public:
  virtual ~ISaverHost() = default;
  // The host's screen-saver-running flag.
  virtual void SetScreenSaverRunning(bool running) = 0;
  // Raises (show) or lowers the pointer's display count by one; visible while not negative.
  virtual void ShowCursor(bool show) = 0;
  // Makes `handler` the window's idle handler, replacing any earlier one. The loop calls it
  // whenever no message is waiting; it sets done to false to be called again at once.
  virtual void SetIdleHandler(std::function<void(bool& done)> handler) = 0;
  // A dialog of the host's (the password check) takes the user's input until it ends, and
  // then gives it back to the saver.
  virtual void HostDialogBegins() {}
  virtual void HostDialogEnds() {}
};

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
  virtual uint32_t CallVerifyScreenSavePwd(void* entry, TWindowHandle window) = 0;
  // Calls the change entry: which password, the owner window, and two zeros.
  virtual void CallPwdChangePasswordA(void* entry, const char* which, TWindowHandle owner,
                                      uint32_t reserved1, uint32_t reserved2) = 0;
};

class TRasterCanvas;
struct TDirtyRect;

// A saver window as the platform made it: a place on the screen that shows the pictures it is
// given. The picture itself, what changed in it and what is owed to the window are the
// session's. Destroying the object destroys the platform window if it still exists.
class IPlatformWindow {
 public:
  virtual ~IPlatformWindow() = default;
  virtual TWindowHandle Handle() = 0;
  // Moves and sizes the window: the screen's pixels for a top-level window, the pane's for a
  // window inside one. The size it takes comes back as a Resized event.
  virtual void Place(const TWindowRect& area) = 0;
  // Shows the window as the loop starts, above every ordinary window unless it is in a pane or
  // on the desktop's background.
  virtual void Show() = 0;
  // Brings `count` rectangles of `picture` to the screen. The picture is the window's own for
  // the window's whole life, the same object at every call, so a platform that shows it later
  // (when the compositor asks for the next frame) may read it then.
  virtual void Blit(const TRasterCanvas& picture, const TDirtyRect* rects, int count) = 0;
  // Goes above the windows that cover it.
  virtual void Raise() {}
  // A surface that every drawing of the window goes to as well, or null: a second picture drawn
  // by other means, kept in step to compare the two.
  virtual IDrawSurface* AlsoDrawsOn() { return nullptr; }
};

// One input or window event, as a host translates its own messages for the saver's session.
enum class TSaverEventKind {
  KeyDown,          // a key went down; Code is kSystemKey for one held with the system's modifier
  PrimaryClick,     // the primary mouse button went down
  MouseMove,        // the pointer was seen at Position (whether it moved is the session's call)
  CloseRequest,     // the system or the user asks the window to close
  Paint,            // the window's picture was lost and must be shown again
  Resized,          // the window's picture is now Width x Height pixels
  WindowGone,       // the system took the window away (its pane destroyed, its output gone)
  EndRequest,       // the host ends the program (a signal on Linux): no close query
  SysCommand,       // a system command, with its code
  MonitorsChanged,  // monitors came, went or changed their size
  Deactivated,      // another program took the keyboard and the foreground from the saver
  Covered,          // another window came over the saver's window
};

// The Code of a KeyDown held with the system's modifier (Alt): after the session, the system
// may have its own use for it.
inline constexpr uint32_t kSystemKey = 1;

struct TSaverEvent {
  TSaverEventKind Kind;
  uint32_t Code = 0;      // the system command's code; kSystemKey
  TPoint Position{0, 0};  // where the pointer is, in screen coordinates (MouseMove)
  // The window the event happened to; null for the run as a whole.
  const IPlatformWindow* Window = nullptr;
  int32_t Width = 0;  // Resized
  int32_t Height = 0;
};

// Where a platform delivers the events it translated. It may deliver at any moment, from inside
// any of its calls: what an event asks for is done at the loop's next turn, never inside the
// platform's own code.
class ISaverEvents {
 public:
  virtual ~ISaverEvents() = default;
  // Whether the loop still runs: events after the end need not be delivered.
  virtual bool Running() const = 0;
  // The answer a system command or a key held with the system's modifier is owed at once: true
  // when the saver takes it, false when it goes to the system's own handling. Other events
  // answer true.
  virtual bool Deliver(const TSaverEvent& event) = 0;
};

// A modal box with an error icon and one OK button.
class IErrorBox {
 public:
  virtual ~IErrorBox() = default;
  virtual void ShowError(const std::string& title, const std::string& text) = 0;
};

// The platform side of a saver run: its windows, its messages and the host's flags. The
// session holds every rule; this only makes, shows and feeds the windows and answers what it
// is asked.
class ISaverPlatform {
 public:
  virtual ~ISaverPlatform() = default;
  // Where events go from now on; null: nobody listens any more. A platform that catches the
  // desktop's end signals for the run catches them from the first call on.
  virtual void Listen(ISaverEvents* events) = 0;
  // The desktop's monitors as the system reports them now, in its own order; none at all while
  // every monitor is gone.
  virtual std::vector<TMonitor> Monitors() = 0;
  // Makes a saver window of the `birth` area (in a preview, the pane's coordinates): a
  // top-level window of the class "TDesktopWindow", or a child of `preview_parent` when that is
  // not 0. Throws EZarmokError(TTextId::WindowCreateFailed) when the window cannot be made.
  virtual std::unique_ptr<IPlatformWindow> CreateSaverWindow(TWindowHandle preview_parent,
                                                             const TWindowRect& birth) = 0;
  // Makes a window of the desktop's background, below every other window. Throws
  // EZarmokError(TTextId::WindowCreateFailed) where the platform has none.
  virtual std::unique_ptr<IPlatformWindow> CreateWallpaperWindow(const TWindowRect& birth);

  virtual void SetScreenSaverRunning(bool running) = 0;
  virtual void SetPointerVisible(bool visible) = 0;
  // Gives the keyboard to `window`, the run's first: true when it has it now. A platform on
  // which the keys reach the saver's windows by themselves answers true.
  virtual bool TakeKeyboard(IPlatformWindow& window) = 0;
  // While lent, a dialog of the host's or an error box has the keyboard and the pointer that a
  // full-screen saver otherwise holds, and may stand above the saver's windows.
  virtual void LendInput(bool lent) = 0;
  // Forgets the input messages that have arrived and not yet been delivered.
  virtual void DropQueuedInput() = 0;
  // Where the pointer is now, in screen coordinates; nothing when the platform cannot tell.
  virtual std::optional<TPoint> PointerPosition() = 0;

  // Reads every message that has arrived, the end signals included, and delivers what it
  // means.
  virtual void HandlePendingMessages() = 0;
  // Waits until something arrives (input, a message of the system's, an end signal) or
  // `milliseconds` have passed: true when something may have arrived, false when the time ran
  // out with nothing.
  virtual bool WaitForInput(int32_t milliseconds) = 0;
  // Throws the host's error for a request of the program that failed. With `settle`, first
  // waits for the answers to the requests made since the last call, so that their errors are
  // the caller's (a handler's own requests); without, takes only what has arrived.
  virtual void RaiseRequestErrors(bool settle) { (void)settle; }
  // The monotonic clock of the loop, in nanoseconds.
  virtual int64_t Now() = 0;
  // The box for an error, owned by `owner` (the run's first window in front of which it shows)
  // or by the program when null.
  virtual void ShowError(const std::string& title, const std::string& text,
                         IPlatformWindow* owner) = 0;
};

// What the desktop tells of the user's idleness at one moment.
struct TIdleReading {
  // Since the user's last input (or the last reset of the desktop's own count, as a video
  // player's heartbeat makes one).
  int64_t IdleMs = 0;
  // Something holds the desktop's idleness off (a playing video's inhibitor), as the desktop
  // says.
  bool Inhibited = false;
  // The desktop's own blanking: after how long it is due (0: never), and whether it is on.
  // Due and yet off means a client has suspended it, which other clients see no other way.
  int64_t BlankDueMs = 0;
  bool BlankOn = false;
};

// The desktop's count of the user's idleness, for the idle watch.
class IIdleSource {
 public:
  virtual ~IIdleSource() = default;
  // The watch looks for `wanted_ms` of idleness from now on. Throws EZarmokError when the
  // desktop cannot tell.
  virtual void Begin(int64_t wanted_ms) = 0;
  virtual TIdleReading Read() = 0;
  // Waits up to `milliseconds`, or less when the desktop has news; false when an end signal
  // came, which ends the watch.
  virtual bool Wait(int64_t milliseconds) = 0;
};

// What start-up asks of the application layer and the desktop.
class IStartUpHost {
 public:
  virtual ~IStartUpHost() = default;
  // True when a top-level saver window (class "TDesktopWindow") exists anywhere on the
  // desktop. Child windows (a preview) and other classes (the settings dialog) never count.
  virtual bool FindTopLevelSaver() = 0;
  // Whether a start without any argument opens the settings dialog rather than the full-screen
  // saver: a desktop whose "Configure" starts a saver with no argument at all needs it.
  virtual bool NoArgumentOpensSettings() const { return false; }
  virtual void HideApplicationWindow() = 0;
  // The program's hidden application window, owner of the password-change dialog.
  virtual TWindowHandle ApplicationWindow() = 0;
  // Shows a window given by handle; failures pass without notice.
  virtual void ShowWindow(TWindowHandle handle) = 0;
  // The window's outer rectangle; on failure `rect` keeps what it held.
  virtual void GetWindowRect(TWindowHandle handle, TWindowRect& rect) = 0;
  // Whether a handle names a window that exists now.
  virtual bool WindowExists(TWindowHandle handle) = 0;
  // Runs the settings dialog on the settings file `ini_path` as the main window until it
  // closes, modal to `owner` when that is not 0 (a window that exists); its exit code. Throws
  // EZarmokError(TTextId::WindowCreateFailed) when the dialog's window cannot be made.
  virtual int RunSettingsDialog(const std::string& ini_path, TWindowHandle owner) = 0;
  virtual IPasswordHost& Passwords() = 0;
  virtual IPrivateProfile& Profile() = 0;
  // The language the run speaks, chosen once from the system the way its users set it.
  virtual TLanguage Language() const = 0;
  // The settings file of the saver and the dialog: the program file's path with ".ini"
  // appended (the file beside the program) where its users may write there, else a file of the
  // user's own.
  virtual std::string SettingsFile() = 0;
  virtual ISaverPlatform& SaverPlatform() = 0;
  // Shows the report of an error that escaped start-up or an idle step (its line has already
  // gone to WriteDiagnostic).
  virtual void ReportUnhandledError(const std::string& title, const std::string& message) = 0;
  // A line on the program's error stream, where it has one.
  virtual void WriteDiagnostic(const std::string& line) { (void)line; }
  // Whether the run's measurements are wanted on the error stream when it ends.
  virtual bool LoopStatsWanted() const { return false; }

  // Whether the desktop offers the saver as its background ("--wallpaper") and an idle watch of
  // its own ("--idle SECONDS"); where it does not, those are arguments like any other.
  virtual bool OffersWallpaper() const { return false; }
  // The desktop's count of idleness, or null where the host has no idle watch ("--idle" is then
  // an argument like any other). A desktop that has one but cannot count here throws why.
  virtual IIdleSource* IdleSource() { return nullptr; }
};

}  // namespace zarmok
