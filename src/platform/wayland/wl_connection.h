// The program's connection to a Wayland compositor: the globals it offers, its outputs as the
// saver's monitors, its seats, and the reading of its events. Only the compositor's news is kept
// here; what the saver makes of it is the saver platform's.
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform.h"

struct zwlr_layer_shell_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;
struct ext_idle_notifier_v1;
struct org_kde_kwin_idle;

namespace zarmok::wl {

// One wl_output global and what the compositor said of it.
struct TOutput {
  uint32_t name = 0;  // the global's name: the monitor's id
  wl_output* output = nullptr;
  zxdg_output_v1* xdg = nullptr;
  int32_t scale = 1;
  int32_t transform = WL_OUTPUT_TRANSFORM_NORMAL;
  int32_t mode_width = 0;
  int32_t mode_height = 0;
  int32_t x = 0;  // the position in the desktop's layout, as wl_output.geometry gives it
  int32_t y = 0;
  // The layout's own position and size, where xdg-output tells them.
  bool has_logical = false;
  int32_t logical_x = 0;
  int32_t logical_y = 0;
  int32_t logical_width = 0;
  int32_t logical_height = 0;
  bool done = false;  // its description is complete
  std::string connector;
  bool* changed = nullptr;  // the connection's news of a change

  // The output in its own pixels, placed at its position in the layout: the saver draws at the
  // output's full resolution, whatever the desktop's scale.
  TWindowRect PixelArea() const;
};

// A wl_seat global and the input devices it offers now.
struct TSeat {
  uint32_t name = 0;
  wl_seat* seat = nullptr;
  uint32_t capabilities = 0;
  bool* changed = nullptr;  // the connection's news of a change
};

class TWaylandConnection {
 public:
  TWaylandConnection() = default;
  ~TWaylandConnection();
  TWaylandConnection(const TWaylandConnection&) = delete;
  TWaylandConnection& operator=(const TWaylandConnection&) = delete;

  // Connects to the compositor $WAYLAND_DISPLAY names and learns its globals and outputs; false
  // when no compositor answers. Once connected, later calls only say so.
  bool Open();
  bool IsOpen() const { return display_ != nullptr; }
  // The open connection to a compositor with the layer shell; else the window-creation error,
  // its detail saying what is missing.
  TWaylandConnection& Require();
  wl_display* Display() const { return display_; }
  // The socket's name: $WAYLAND_DISPLAY, "wayland-0" when it is unset or empty, as the client
  // library takes it.
  static std::string SocketNameFromEnvironment();
  const std::string& SocketName() const { return socket_name_; }

  wl_compositor* Compositor() const { return compositor_; }
  wl_shm* Shm() const { return shm_; }
  zwlr_layer_shell_v1* LayerShell() const { return layer_shell_; }
  uint32_t LayerShellVersion() const { return layer_shell_version_; }
  ext_idle_notifier_v1* IdleNotifier() const { return idle_notifier_; }
  org_kde_kwin_idle* KdeIdle() const { return kde_idle_; }

  // The outputs whose description is complete, in the order the compositor announced them.
  std::vector<const TOutput*> Outputs() const;
  const TOutput* OutputNamed(uint32_t name) const;
  // The outputs as the saver's monitors, each in its own pixels (TOutput::PixelArea); the
  // window-creation error when there is none.
  std::vector<TMonitor> Monitors() const;
  const std::vector<std::unique_ptr<TSeat>>& Seats() const { return seats_; }

  // Whether outputs came, went or changed since the last call (and forgets it).
  bool TakeOutputsChanged();
  // Whether a seat came, went or changed its devices since the last call (and forgets it).
  bool TakeSeatsChanged();

  // Sends what is waiting, waits up to `timeout_ms` (0: not at all, -1: without limit) for the
  // compositor or for `other_fd` (-1: none), and handles what arrived. True when `other_fd`
  // became readable. Throws EZarmokError when the connection failed.
  bool Pump(int32_t timeout_ms, int other_fd = -1);
  // Waits until the compositor has handled every request sent so far, handling its events.
  void Roundtrip();
  // Throws EZarmokError when the connection has failed (a protocol error or a lost compositor).
  void RaiseError();

 private:
  static void Global(void* data, wl_registry* registry, uint32_t name, const char* interface,
                     uint32_t version);
  static void GlobalRemove(void* data, wl_registry* registry, uint32_t name);
  void AddOutput(uint32_t name, uint32_t version);
  void WatchLogical(TOutput& output);

  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  std::string socket_name_;
  wl_compositor* compositor_ = nullptr;
  wl_shm* shm_ = nullptr;
  zwlr_layer_shell_v1* layer_shell_ = nullptr;
  uint32_t layer_shell_version_ = 0;
  zxdg_output_manager_v1* xdg_outputs_ = nullptr;
  ext_idle_notifier_v1* idle_notifier_ = nullptr;
  org_kde_kwin_idle* kde_idle_ = nullptr;
  std::vector<std::unique_ptr<TOutput>> outputs_;
  std::vector<std::unique_ptr<TSeat>> seats_;
  bool outputs_changed_ = false;
  bool seats_changed_ = false;
};

}  // namespace zarmok::wl
