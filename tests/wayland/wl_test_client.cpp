// zarmok-wl-test-client: what the Wayland tests do as a user would, through the compositor.
//
//   pointer W H
//             a virtual pointer that lives until its input ends, so that it exists before the
//             saver starts: the saver binds it at once and no movement is lost to that race.
//             Reads lines: "move X Y" (pixels of the W x H layout), "click" (the primary
//             button); answers each with "ok" once the compositor has handled it.
//   window R G B
//             an ordinary window filled with one colour; prints "shown" once the compositor
//             has shown it, and stays until it is ended.
#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace {

struct TGlobals {
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  xdg_wm_base* wm_base = nullptr;
  zwlr_virtual_pointer_manager_v1* pointers = nullptr;
};

void Global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  TGlobals& g = *static_cast<TGlobals*>(data);
  const std::string which = interface;
  if (which == wl_compositor_interface.name) {
    g.compositor =
        static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
  } else if (which == wl_shm_interface.name) {
    g.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
  } else if (which == xdg_wm_base_interface.name) {
    g.wm_base =
        static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
  } else if (which == zwlr_virtual_pointer_manager_v1_interface.name) {
    g.pointers = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  }
}

void GlobalRemove(void*, wl_registry*, uint32_t) {}

uint32_t Millis() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

int RunPointer(wl_display* display, TGlobals& g, uint32_t width, uint32_t height) {
  if (g.pointers == nullptr) {
    std::fprintf(stderr, "no zwlr_virtual_pointer_manager_v1\n");
    return 1;
  }
  zwlr_virtual_pointer_v1* pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.pointers, nullptr);
  wl_display_roundtrip(display);
  std::cout << "ready" << std::endl;
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "move") {
      // A place on the layout as a fraction of its extent.
      uint32_t x = 0;
      uint32_t y = 0;
      words >> x >> y;
      zwlr_virtual_pointer_v1_motion_absolute(pointer, Millis(), x, y, width, height);
      zwlr_virtual_pointer_v1_frame(pointer);
    } else if (command == "click") {
      zwlr_virtual_pointer_v1_button(pointer, Millis(), BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
      zwlr_virtual_pointer_v1_frame(pointer);
      zwlr_virtual_pointer_v1_button(pointer, Millis(), BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
      zwlr_virtual_pointer_v1_frame(pointer);
    } else {
      std::cout << "unknown" << std::endl;
      continue;
    }
    wl_display_roundtrip(display);
    std::cout << "ok" << std::endl;
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_roundtrip(display);
  return 0;
}

struct TWindow {
  TGlobals* g = nullptr;
  wl_surface* surface = nullptr;
  uint32_t color = 0;
  bool shown = false;
};

void Draw(TWindow& w, int32_t width, int32_t height) {
  const size_t bytes = static_cast<size_t>(width) * height * 4;
  const int fd = memfd_create("zarmok-test-window", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, static_cast<off_t>(bytes)) != 0) std::exit(1);
  auto* pixels =
      static_cast<uint32_t*>(mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
  for (size_t i = 0; i < bytes / 4; ++i) pixels[i] = w.color;
  wl_shm_pool* pool = wl_shm_create_pool(w.g->shm, fd, static_cast<int32_t>(bytes));
  wl_buffer* buffer =
      wl_shm_pool_create_buffer(pool, 0, width, height, width * 4, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  wl_surface_attach(w.surface, buffer, 0, 0);
  wl_surface_damage_buffer(w.surface, 0, 0, width, height);
  static constexpr wl_callback_listener kFrame{[](void* data, wl_callback* callback, uint32_t) {
    wl_callback_destroy(callback);
    TWindow& window = *static_cast<TWindow*>(data);
    if (!window.shown) std::cout << "shown" << std::endl;
    window.shown = true;
  }};
  wl_callback_add_listener(wl_surface_frame(w.surface), &kFrame, &w);
}

int RunWindow(wl_display* display, TGlobals& g, uint32_t color) {
  if (g.wm_base == nullptr) return 1;
  static constexpr xdg_wm_base_listener kBase{
      [](void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }};
  xdg_wm_base_add_listener(g.wm_base, &kBase, nullptr);
  TWindow w{&g, wl_compositor_create_surface(g.compositor), color};
  xdg_surface* surface = xdg_wm_base_get_xdg_surface(g.wm_base, w.surface);
  xdg_toplevel* toplevel = xdg_surface_get_toplevel(surface);
  xdg_toplevel_set_title(toplevel, "zarmok test window");
  static int32_t width = 0;
  static int32_t height = 0;
  static constexpr xdg_toplevel_listener kToplevel{
      [](void*, xdg_toplevel*, int32_t w, int32_t h, wl_array*) {
        width = w;
        height = h;
      },
      [](void*, xdg_toplevel*) { std::exit(0); }, nullptr, nullptr};
  xdg_toplevel_add_listener(toplevel, &kToplevel, nullptr);
  static constexpr xdg_surface_listener kSurface{[](void* data, xdg_surface* s, uint32_t serial) {
    xdg_surface_ack_configure(s, serial);
    TWindow& window = *static_cast<TWindow*>(data);
    Draw(window, width > 0 ? width : 320, height > 0 ? height : 240);
    wl_surface_commit(window.surface);
  }};
  xdg_surface_add_listener(surface, &kSurface, &w);
  wl_surface_commit(w.surface);
  while (wl_display_dispatch(display) >= 0) {
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "no Wayland display\n");
    return 1;
  }
  TGlobals g;
  static constexpr wl_registry_listener kRegistry{Global, GlobalRemove};
  wl_registry_add_listener(wl_display_get_registry(display), &kRegistry, &g);
  wl_display_roundtrip(display);
  if (mode == "pointer" && argc == 4) {
    return RunPointer(display, g, static_cast<uint32_t>(std::atoi(argv[2])),
                      static_cast<uint32_t>(std::atoi(argv[3])));
  }
  if (mode == "window" && argc == 5) {
    const uint32_t color = (static_cast<uint32_t>(std::atoi(argv[2])) << 16) |
                           (static_cast<uint32_t>(std::atoi(argv[3])) << 8) |
                           static_cast<uint32_t>(std::atoi(argv[4]));
    return RunWindow(display, g, color);
  }
  std::fprintf(stderr, "usage: %s pointer W H | window R G B\n", argv[0]);
  return 2;
}
