#include "wl_input.h"

#include <linux/input-event-codes.h>
#include <unistd.h>
#include <wayland-cursor.h>

#include <algorithm>
#include <utility>

namespace zarmok::wl {

struct TWaylandInput::TDevices {
  TWaylandInput* owner = nullptr;
  uint32_t seat_name = 0;
  wl_keyboard* keyboard = nullptr;
  wl_pointer* pointer = nullptr;
  wl_surface* keyboard_focus = nullptr;
  wl_surface* pointer_focus = nullptr;
  uint32_t enter_serial = 0;
  double x = 0;
  double y = 0;

  void Note(TSaverEventKind kind, wl_surface* surface) { owner->Deliver(kind, surface, x, y); }
  void Left(wl_surface* surface) { owner->NoteKeyboardLeft(surface); }
};

namespace {

TWaylandInput::TDevices& DevicesOf(void* data) {
  return *static_cast<TWaylandInput::TDevices*>(data);
}

void Keymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) {
  // Every key goes to the session alike: which one it was is not needed.
  close(fd);
}

void KeyboardEnter(void* data, wl_keyboard*, uint32_t, wl_surface* surface, wl_array*) {
  DevicesOf(data).keyboard_focus = surface;
}

void KeyboardLeave(void* data, wl_keyboard*, uint32_t, wl_surface* surface) {
  TWaylandInput::TDevices& devices = DevicesOf(data);
  devices.keyboard_focus = nullptr;
  devices.Left(surface);
}

void Key(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state) {
  if (state != WL_KEYBOARD_KEY_STATE_PRESSED) return;
  DevicesOf(data).Note(TSaverEventKind::KeyDown, DevicesOf(data).keyboard_focus);
}

void Modifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void RepeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}

void PointerLeave(void* data, wl_pointer*, uint32_t, wl_surface*) {
  DevicesOf(data).pointer_focus = nullptr;
}

void PointerMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
  TWaylandInput::TDevices& devices = DevicesOf(data);
  devices.x = wl_fixed_to_double(x);
  devices.y = wl_fixed_to_double(y);
  devices.Note(TSaverEventKind::MouseMove, devices.pointer_focus);
}

void Button(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state) {
  if (button != BTN_LEFT || state != WL_POINTER_BUTTON_STATE_PRESSED) return;
  DevicesOf(data).Note(TSaverEventKind::PrimaryClick, DevicesOf(data).pointer_focus);
}

void Axis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void Frame(void*, wl_pointer*) {}
void AxisSource(void*, wl_pointer*, uint32_t) {}
void AxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void AxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
void AxisValue120(void*, wl_pointer*, uint32_t, int32_t) {}

// Releases a device object the way its version allows.
template <typename T>
void Let(T* device, void (*release)(T*), void (*destroy)(T*), uint32_t release_since) {
  if (device == nullptr) return;
  if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(device)) >= release_since) {
    release(device);
  } else {
    destroy(device);
  }
}

}  // namespace

const wl_keyboard_listener TWaylandInput::kKeyboardListener{Keymap, KeyboardEnter, KeyboardLeave,
                                                            Key,    Modifiers,     RepeatInfo};

const wl_pointer_listener TWaylandInput::kPointerListener{
    [](void* data, wl_pointer*, uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
      TWaylandInput::TDevices& devices = DevicesOf(data);
      devices.pointer_focus = surface;
      devices.enter_serial = serial;
      devices.x = wl_fixed_to_double(x);
      devices.y = wl_fixed_to_double(y);
      devices.owner->ShowPointer(devices);
      // Where the pointer is first seen on the saver is where it already was.
      devices.Note(TSaverEventKind::MouseMove, surface);
    },
    PointerLeave,
    PointerMotion,
    Button,
    Axis,
    Frame,
    AxisSource,
    AxisStop,
    AxisDiscrete,
    AxisValue120};

TWaylandInput::TWaylandInput(TWaylandConnection& connection, const ISurfaceWindows& windows)
    : connection_(connection), windows_(windows) {
  Follow();
}

TWaylandInput::~TWaylandInput() {
  for (const auto& devices : devices_) Release(*devices);
  if (arrow_ != nullptr) wl_surface_destroy(arrow_);
  if (theme_ != nullptr) wl_cursor_theme_destroy(theme_);
}

void TWaylandInput::Release(TDevices& devices) {
  Let(devices.keyboard, wl_keyboard_release, wl_keyboard_destroy,
      WL_KEYBOARD_RELEASE_SINCE_VERSION);
  Let(devices.pointer, wl_pointer_release, wl_pointer_destroy, WL_POINTER_RELEASE_SINCE_VERSION);
  devices.keyboard = nullptr;
  devices.pointer = nullptr;
  devices.keyboard_focus = nullptr;
  devices.pointer_focus = nullptr;
}

void TWaylandInput::Follow() {
  const auto& seats = connection_.Seats();
  // Seats that are gone take their devices with them.
  for (size_t i = devices_.size(); i-- > 0;) {
    const uint32_t name = devices_[i]->seat_name;
    if (std::none_of(seats.begin(), seats.end(),
                     [name](const auto& s) { return s->name == name; })) {
      Release(*devices_[i]);
      devices_.erase(devices_.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  for (const auto& seat : seats) {
    auto found = std::find_if(devices_.begin(), devices_.end(),
                              [&](const auto& d) { return d->seat_name == seat->name; });
    if (found == devices_.end()) {
      devices_.push_back(std::make_unique<TDevices>());
      devices_.back()->owner = this;
      devices_.back()->seat_name = seat->name;
      found = devices_.end() - 1;
    }
    TDevices& devices = **found;
    const bool keyboard = (seat->capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    const bool pointer = (seat->capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (keyboard && devices.keyboard == nullptr) {
      devices.keyboard = wl_seat_get_keyboard(seat->seat);
      wl_keyboard_add_listener(devices.keyboard, &kKeyboardListener, &devices);
    } else if (!keyboard && devices.keyboard != nullptr) {
      Let(devices.keyboard, wl_keyboard_release, wl_keyboard_destroy,
          WL_KEYBOARD_RELEASE_SINCE_VERSION);
      devices.keyboard = nullptr;
      devices.keyboard_focus = nullptr;
    }
    if (pointer && devices.pointer == nullptr) {
      devices.pointer = wl_seat_get_pointer(seat->seat);
      wl_pointer_add_listener(devices.pointer, &kPointerListener, &devices);
    } else if (!pointer && devices.pointer != nullptr) {
      Let(devices.pointer, wl_pointer_release, wl_pointer_destroy,
          WL_POINTER_RELEASE_SINCE_VERSION);
      devices.pointer = nullptr;
      devices.pointer_focus = nullptr;
    }
  }
}

bool TWaylandInput::LoadArrow() {
  if (arrow_ != nullptr) return true;
  // The library's own arrow stands in where no theme is installed.
  if (theme_ == nullptr) theme_ = wl_cursor_theme_load(nullptr, 24, connection_.Shm());
  if (theme_ == nullptr) return false;
  wl_cursor* cursor = wl_cursor_theme_get_cursor(theme_, "left_ptr");
  if (cursor == nullptr) cursor = wl_cursor_theme_get_cursor(theme_, "default");
  if (cursor == nullptr || cursor->image_count == 0) return false;
  wl_cursor_image* image = cursor->images[0];
  wl_buffer* buffer = wl_cursor_image_get_buffer(image);
  if (buffer == nullptr) return false;
  arrow_ = wl_compositor_create_surface(connection_.Compositor());
  wl_surface_attach(arrow_, buffer, 0, 0);
  wl_surface_damage(arrow_, 0, 0, static_cast<int32_t>(image->width),
                    static_cast<int32_t>(image->height));
  wl_surface_commit(arrow_);
  arrow_x_ = static_cast<int32_t>(image->hotspot_x);
  arrow_y_ = static_cast<int32_t>(image->hotspot_y);
  return true;
}

void TWaylandInput::ShowPointer(TDevices& devices) {
  if (devices.pointer == nullptr || devices.pointer_focus == nullptr) return;
  if (pointer_visible_ && LoadArrow()) {
    wl_pointer_set_cursor(devices.pointer, devices.enter_serial, arrow_, arrow_x_, arrow_y_);
  } else if (!pointer_visible_) {
    wl_pointer_set_cursor(devices.pointer, devices.enter_serial, nullptr, 0, 0);
  }
}

void TWaylandInput::SetPointerVisible(bool visible) {
  pointer_visible_ = visible;
  arrow_owed_ = visible;
  if (!visible) {
    for (const auto& devices : devices_) ShowPointer(*devices);
  }
}

void TWaylandInput::ShowOwedArrow() {
  if (!std::exchange(arrow_owed_, false)) return;
  for (const auto& devices : devices_) ShowPointer(*devices);
}

void TWaylandInput::Deliver(TSaverEventKind kind, wl_surface* surface, double x, double y) {
  if (events_ == nullptr) return;
  const IPlatformWindow* window = windows_.WindowOf(surface);
  TSaverEvent event{kind};
  event.Window = window;
  if (kind == TSaverEventKind::MouseMove) {
    // A place on no window of the saver's tells nothing of where the pointer is.
    if (window == nullptr) return;
    event.Position = windows_.ScreenAt(*window, x, y);
  }
  events_->Deliver(event);
}

void TWaylandInput::NoteKeyboardLeft(wl_surface* surface) {
  // A surface already destroyed comes as null, and is no window of the saver's any more.
  if (windows_.WindowOf(surface) != nullptr) keyboard_left_ = true;
}

bool TWaylandInput::KeyboardOnWindow() const {
  return std::any_of(devices_.begin(), devices_.end(), [this](const auto& devices) {
    return windows_.WindowOf(devices->keyboard_focus) != nullptr;
  });
}

std::optional<TPoint> TWaylandInput::PointerPosition() const {
  for (const auto& devices : devices_) {
    const IPlatformWindow* window = windows_.WindowOf(devices->pointer_focus);
    if (window != nullptr) return windows_.ScreenAt(*window, devices->x, devices->y);
  }
  return std::nullopt;
}

void TWaylandInput::Forget(wl_surface* surface) {
  for (const auto& devices : devices_) {
    if (devices->keyboard_focus == surface) devices->keyboard_focus = nullptr;
    if (devices->pointer_focus == surface) devices->pointer_focus = nullptr;
  }
}

}  // namespace zarmok::wl
