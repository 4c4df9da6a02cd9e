// The seats' keyboards and pointers as the saver takes them: what the user did, translated into
// the session's events as the compositor reports it, and the pointer's picture over the saver's
// surfaces.
//
// A seat's devices come and go while the program runs (a keyboard plugged in, a virtual
// keyboard made for one key and gone again): whatever the seat offers now is taken, whenever it
// appears, so that a key reaches the saver however and whenever the keyboard came.
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform.h"
#include "wl_connection.h"

struct wl_cursor_theme;

namespace zarmok::wl {

// The saver's windows as the input finds them under its surfaces.
class ISurfaceWindows {
 public:
  virtual ~ISurfaceWindows() = default;
  // The window whose surface this is, or null.
  virtual const IPlatformWindow* WindowOf(wl_surface* surface) const = 0;
  // A place on the window's surface, in the surface's units, in the screen's pixels.
  virtual TPoint ScreenAt(const IPlatformWindow& window, double x, double y) const = 0;
};

class TWaylandInput {
 public:
  TWaylandInput(TWaylandConnection& connection, const ISurfaceWindows& windows);
  ~TWaylandInput();
  TWaylandInput(const TWaylandInput&) = delete;
  TWaylandInput& operator=(const TWaylandInput&) = delete;

  // What the program holds of one seat.
  struct TDevices;

  // Where what the user does goes from now on; null: nowhere, it is forgotten.
  void Listen(ISaverEvents* events) { events_ = events; }
  // Takes every keyboard and pointer the seats offer now, and lets go of those they no longer
  // offer.
  void Follow();
  // The pointer's picture over the program's surfaces: the theme's arrow, or none. The arrow
  // costs the loading of the cursor theme, tens of milliseconds: it comes with ShowOwedArrow,
  // so that a run that ends does not wait for an arrow over surfaces about to go.
  void SetPointerVisible(bool visible);
  void ShowOwedArrow();
  // Where a pointer over one of the saver's windows is; nothing when none is.
  std::optional<TPoint> PointerPosition() const;
  // The surface is about to go: no focus refers to it any longer.
  void Forget(wl_surface* surface);
  // Whether a keyboard left a window of the saver's since the last call (and forgets it).
  bool TakeKeyboardLeft() { return std::exchange(keyboard_left_, false); }
  // Whether a keyboard is on a window of the saver's now.
  bool KeyboardOnWindow() const;

 private:
  void Deliver(TSaverEventKind kind, wl_surface* surface, double x, double y);
  void NoteKeyboardLeft(wl_surface* surface);
  void Release(TDevices& devices);
  void ShowPointer(TDevices& devices);
  bool LoadArrow();
  static const wl_keyboard_listener kKeyboardListener;
  static const wl_pointer_listener kPointerListener;

  TWaylandConnection& connection_;
  const ISurfaceWindows& windows_;
  ISaverEvents* events_ = nullptr;
  std::vector<std::unique_ptr<TDevices>> devices_;
  bool keyboard_left_ = false;
  bool pointer_visible_ = true;
  bool arrow_owed_ = false;
  wl_cursor_theme* theme_ = nullptr;
  wl_surface* arrow_ = nullptr;
  int32_t arrow_x_ = 0;
  int32_t arrow_y_ = 0;
};

}  // namespace zarmok::wl
