// The seats' keyboards and pointers as the saver takes them: what the user did, noted in the
// order the compositor reported it, and the pointer's picture over the saver's surfaces.
//
// A seat's devices come and go while the program runs (a keyboard plugged in, a virtual
// keyboard made for one key and gone again): whatever the seat offers now is taken, whenever it
// appears, so that a key ends the saver however and whenever the keyboard came.
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform.h"
#include "wl_connection.h"

struct wl_cursor_theme;

namespace zarmok::wl {

// One thing the user did: a key or the primary button went down, or the pointer was seen.
struct TInputNote {
  TSaverEventKind kind = TSaverEventKind::KeyDown;
  // The surface with the keyboard's focus or under the pointer; null when there is none.
  wl_surface* surface = nullptr;
  // The pointer's place on that surface, in the surface's units.
  double x = 0;
  double y = 0;
};

class TWaylandInput {
 public:
  explicit TWaylandInput(TWaylandConnection& connection);
  ~TWaylandInput();
  TWaylandInput(const TWaylandInput&) = delete;
  TWaylandInput& operator=(const TWaylandInput&) = delete;

  // What the program holds of one seat.
  struct TDevices;

  // Takes every keyboard and pointer the seats offer now, and lets go of those they no longer
  // offer.
  void Follow();
  // What the user did since the notes were last taken, oldest first.
  std::vector<TInputNote>& Notes() { return notes_; }
  // The pointer's picture over the program's surfaces: the theme's arrow, or none.
  void SetPointerVisible(bool visible);
  // Where a pointer over one of the program's surfaces is; false when none is.
  bool PointerAt(wl_surface*& surface, double& x, double& y) const;
  // The surface is about to go: no focus and no note refers to it any longer.
  void Forget(wl_surface* surface);

 private:
  void Release(TDevices& devices);
  void ShowPointer(TDevices& devices);
  bool LoadArrow();
  static const wl_keyboard_listener kKeyboardListener;
  static const wl_pointer_listener kPointerListener;

  TWaylandConnection& connection_;
  std::vector<std::unique_ptr<TDevices>> devices_;
  std::vector<TInputNote> notes_;
  bool pointer_visible_ = true;
  wl_cursor_theme* theme_ = nullptr;
  wl_surface* arrow_ = nullptr;
  int32_t arrow_x_ = 0;
  int32_t arrow_y_ = 0;
};

}  // namespace zarmok::wl
