// zarmok-fullscreen-test-client: a plain Wayland client as the benches of desktops without the
// layer shell see one, a full-screen xdg_toplevel filled with one colour.
//
//   zarmok-fullscreen-test-client [--output N] [--redraw [--square N]] R G B
//
// --output N asks for the N-th output the compositor announced (from 0), else the compositor
// chooses. --redraw draws the whole window again at every frame the compositor offers, as an
// animation at the display's pace does, and prints "frames N" (the pictures drawn so far) once
// a second; --square N draws only an N x N square of it each time, at a new place. Prints
// "configured W H" for each size the compositor gives, "shown" once the first picture is on screen,
// "keyboard" when the keyboard comes to it, and, at the first key, "key CODE" and "frames N" (the
// pictures it drew), then exits 0.
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "xdg-shell-client-protocol.h"

namespace {

struct TClient;

struct TBuffer {
  TClient* client = nullptr;
  wl_buffer* buffer = nullptr;
  uint32_t* pixels = nullptr;
  bool busy = false;
};

struct TClient {
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  xdg_wm_base* wm_base = nullptr;
  wl_seat* seat = nullptr;
  wl_keyboard* keyboard = nullptr;
  wl_pointer* pointer = nullptr;
  std::vector<wl_output*> outputs;
  wl_surface* surface = nullptr;
  uint32_t color = 0;
  bool redraw = false;
  int32_t square = 0;
  int32_t width = 0;
  int32_t height = 0;
  TBuffer buffers[2];
  bool shown = false;
  bool frame_pending = false;
  long frames = 0;
  time_t second = 0;
};

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

void Draw(TClient& c);

void MakeBuffers(TClient& c) {
  const size_t bytes = static_cast<size_t>(c.width) * c.height * 4;
  for (TBuffer& b : c.buffers) {
    const int fd = memfd_create("zarmok-fullscreen-test", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(bytes)) != 0) std::exit(1);
    b.pixels =
        static_cast<uint32_t*>(mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
    wl_shm_pool* pool = wl_shm_create_pool(c.shm, fd, static_cast<int32_t>(bytes));
    b.buffer =
        wl_shm_pool_create_buffer(pool, 0, c.width, c.height, c.width * 4, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    b.client = &c;
    // A frame that came while both buffers were the compositor's is drawn once one comes back.
    static constexpr wl_buffer_listener kRelease{[](void* data, wl_buffer*) {
      TBuffer& buffer = *static_cast<TBuffer*>(data);
      buffer.busy = false;
      if (buffer.client->redraw) Draw(*buffer.client);
    }};
    wl_buffer_add_listener(b.buffer, &kRelease, &b);
  }
}

constexpr wl_callback_listener kFrame{[](void* data, wl_callback* callback, uint32_t) {
  wl_callback_destroy(callback);
  TClient& c = *static_cast<TClient*>(data);
  c.frame_pending = false;
  if (!c.shown) Say("shown");
  c.shown = true;
  if (c.redraw) Draw(c);
}};

// Every picture differs from the one before in each pixel's lowest bit, so that a redraw is a
// new picture to the compositor, and the colour stays the one asked for to the eye. With a
// square, each buffer is filled whole once and then only the square, somewhere else each time.
void Draw(TClient& c) {
  TBuffer* free_buffer = !c.buffers[0].busy ? &c.buffers[0] : &c.buffers[1];
  if (free_buffer->busy || c.frame_pending) return;
  const uint32_t pixel = c.color ^ static_cast<uint32_t>(c.frames & 1);
  const bool whole = c.square <= 0 || c.frames < 2;
  const int32_t side_x = whole ? c.width : std::min(c.square, c.width);
  const int32_t side_y = whole ? c.height : std::min(c.square, c.height);
  const int32_t left = whole ? 0 : static_cast<int32_t>(c.frames * 7 % (c.width - side_x + 1));
  const int32_t top = whole ? 0 : static_cast<int32_t>(c.frames * 5 % (c.height - side_y + 1));
  for (int32_t y = top; y < top + side_y; ++y) {
    std::fill_n(free_buffer->pixels + static_cast<size_t>(y) * c.width + left, side_x, pixel);
  }
  wl_surface_attach(c.surface, free_buffer->buffer, 0, 0);
  wl_surface_damage_buffer(c.surface, left, top, side_x, side_y);
  wl_callback_add_listener(wl_surface_frame(c.surface), &kFrame, &c);
  c.frame_pending = true;
  free_buffer->busy = true;
  ++c.frames;
  if (c.redraw) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (now.tv_sec != c.second) Say("frames " + std::to_string(c.frames));
    c.second = now.tv_sec;
  }
  wl_surface_commit(c.surface);
}

void Key(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
  if (state != WL_KEYBOARD_KEY_STATE_PRESSED) return;
  Say("key " + std::to_string(key));
  Say("frames " + std::to_string(static_cast<TClient*>(data)->frames));
  std::exit(0);
}

constexpr wl_keyboard_listener kKeyboard{
    [](void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) { close(fd); },
    [](void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) { Say("keyboard"); },
    [](void*, wl_keyboard*, uint32_t, wl_surface*) { Say("keyboard left"); },
    Key,
    [](void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {},
    [](void*, wl_keyboard*, int32_t, int32_t) {}};

// No pointer over the window, as over the saver's: a compositor that draws it into its outputs
// (weston's X11 back end) leaves it out of their pictures then.
constexpr wl_pointer_listener kPointer{
    [](void*, wl_pointer* pointer, uint32_t serial, wl_surface*, wl_fixed_t, wl_fixed_t) {
      wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    },
    [](void*, wl_pointer*, uint32_t, wl_surface*) {},
    [](void*, wl_pointer*, uint32_t, wl_fixed_t, wl_fixed_t) {},
    [](void*, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {},
    [](void*, wl_pointer*) {},
    [](void*, wl_pointer*, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, int32_t) {},
    nullptr};

// The seat of a compositor whose input is injected has no keyboard until the first injection.
constexpr wl_seat_listener kSeat{
    [](void* data, wl_seat* seat, uint32_t capabilities) {
      TClient& c = *static_cast<TClient*>(data);
      if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0 && c.keyboard == nullptr) {
        c.keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(c.keyboard, &kKeyboard, &c);
      }
      if ((capabilities & WL_SEAT_CAPABILITY_POINTER) != 0 && c.pointer == nullptr) {
        c.pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(c.pointer, &kPointer, &c);
      }
    },
    [](void*, wl_seat*, const char*) {}};

void Global(void* data, wl_registry* registry, uint32_t name, const char* interface,
            uint32_t version) {
  TClient& c = *static_cast<TClient*>(data);
  const std::string which = interface;
  if (which == wl_compositor_interface.name) {
    c.compositor =
        static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
  } else if (which == wl_shm_interface.name) {
    c.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
  } else if (which == xdg_wm_base_interface.name) {
    c.wm_base =
        static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
  } else if (which == wl_output_interface.name) {
    c.outputs.push_back(
        static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1)));
  } else if (which == wl_seat_interface.name && c.seat == nullptr) {
    c.seat = static_cast<wl_seat*>(
        wl_registry_bind(registry, name, &wl_seat_interface, version < 5 ? version : 5));
    wl_seat_add_listener(c.seat, &kSeat, &c);
  }
}

}  // namespace

int main(int argc, char** argv) {
  TClient c;
  int output = -1;
  std::vector<uint32_t> rgb;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--output" && i + 1 < argc) {
      output = std::atoi(argv[++i]);
    } else if (argument == "--redraw") {
      c.redraw = true;
    } else if (argument == "--square" && i + 1 < argc) {
      c.square = std::atoi(argv[++i]);
    } else {
      rgb.push_back(static_cast<uint32_t>(std::atoi(argv[i])) & 0xFF);
    }
  }
  wl_display* display = wl_display_connect(nullptr);
  if (rgb.size() != 3 || display == nullptr) {
    std::fprintf(stderr,
                 "usage: %s [--output N] [--redraw [--square N]] R G B (in a Wayland session)\n",
                 argv[0]);
    return 2;
  }
  c.color = rgb[0] << 16 | rgb[1] << 8 | rgb[2];
  static constexpr wl_registry_listener kRegistry{Global, [](void*, wl_registry*, uint32_t) {}};
  wl_registry_add_listener(wl_display_get_registry(display), &kRegistry, &c);
  wl_display_roundtrip(display);
  if (c.compositor == nullptr || c.shm == nullptr || c.wm_base == nullptr ||
      output >= static_cast<int>(c.outputs.size())) {
    std::fprintf(stderr, "the compositor lacks a global this client needs, or that output\n");
    return 1;
  }
  static constexpr xdg_wm_base_listener kBase{
      [](void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }};
  xdg_wm_base_add_listener(c.wm_base, &kBase, nullptr);
  c.surface = wl_compositor_create_surface(c.compositor);
  xdg_surface* surface = xdg_wm_base_get_xdg_surface(c.wm_base, c.surface);
  xdg_toplevel* toplevel = xdg_surface_get_toplevel(surface);
  static constexpr xdg_toplevel_listener kToplevel{
      [](void* data, xdg_toplevel*, int32_t w, int32_t h, wl_array*) {
        TClient& client = *static_cast<TClient*>(data);
        if (w <= 0 || h <= 0 || (w == client.width && h == client.height)) return;
        if (client.width != 0) std::exit(3);  // one size for the whole run, as a monitor has
        client.width = w;
        client.height = h;
        Say("configured " + std::to_string(w) + " " + std::to_string(h));
        MakeBuffers(client);
      },
      [](void*, xdg_toplevel*) { std::exit(0); }, nullptr, nullptr};
  xdg_toplevel_add_listener(toplevel, &kToplevel, &c);
  xdg_toplevel_set_fullscreen(toplevel,
                              output >= 0 ? c.outputs[static_cast<size_t>(output)] : nullptr);
  static constexpr xdg_surface_listener kSurface{[](void* data, xdg_surface* s, uint32_t serial) {
    xdg_surface_ack_configure(s, serial);
    TClient& client = *static_cast<TClient*>(data);
    if (client.width > 0 && client.frames == 0) Draw(client);
  }};
  xdg_surface_add_listener(surface, &kSurface, &c);
  wl_surface_commit(c.surface);
  while (wl_display_dispatch(display) >= 0) {
  }
  return 1;
}
