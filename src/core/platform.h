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
