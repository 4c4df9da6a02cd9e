// The program's connection to a Wayland compositor: the globals it offers, what it says of its
// outputs and seats, and the reading of its events. Only the compositor's news is kept here;
// what the saver makes of it is the saver platform's.
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "errors.h"

struct zwlr_layer_shell_v1;
struct xdg_wm_base;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;
struct wp_viewporter;
struct ext_idle_notifier_v1;
struct org_kde_kwin_idle;

namespace zarmok::wl {

class TWaylandConnection;

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
  TWaylandConnection* connection = nullptr;
};

// A wl_seat global and the input devices it offers now.
struct TSeat {
  uint32_t name = 0;
  wl_seat* seat = nullptr;
  uint32_t capabilities = 0;
  TWaylandConnection* connection = nullptr;
};

class TWaylandConnection {
 public:
  TWaylandConnection() = default;
  ~TWaylandConnection();
  TWaylandConnection(const TWaylandConnection&) = delete;
  TWaylandConnection& operator=(const TWaylandConnection&) = delete;

  // Connects to the compositor at the first call and learns its globals and outputs: "" when
  // it can serve a saver, else why not, in one line.
  const TWording& Unusable();
  bool IsOpen() const { return display_ != nullptr; }
  // The open connection to a compositor that can serve a saver; else the window-creation
  // error, with why not as its detail.
  TWaylandConnection& Require();
  wl_display* Display() const { return display_; }
  // Where the compositor listens: the socket the connection reached, or, before or without a
  // connection, the one the environment names.
  std::string SocketPath() const;

  wl_compositor* Compositor() const { return compositor_; }
  wl_shm* Shm() const { return shm_; }
  zwlr_layer_shell_v1* LayerShell() const { return layer_shell_; }
  uint32_t LayerShellVersion() const { return layer_shell_version_; }
  // The shell of ordinary windows, which every compositor offers: the saver's windows are its
  // full-screen toplevels where there is no layer shell.
  xdg_wm_base* WmBase() const { return wm_base_; }
  wp_viewporter* Viewporter() const { return viewporter_; }
  ext_idle_notifier_v1* IdleNotifier() const { return idle_notifier_; }
  org_kde_kwin_idle* KdeIdle() const { return kde_idle_; }

  // The outputs whose description is complete, in the order the compositor announced them.
  std::vector<const TOutput*> Outputs() const;
  const TOutput* OutputNamed(uint32_t name) const;
  const std::vector<std::unique_ptr<TSeat>>& Seats() const { return seats_; }

  // Whether outputs came, went or changed since the last call (and forgets it).
  bool TakeOutputsChanged();
  // Whether a seat came, went or changed its devices since the last call (and forgets it).
  bool TakeSeatsChanged();
  // Whether either has news not yet taken.
  bool News() const { return outputs_changed_ || seats_changed_; }
  void NoteOutputsChanged() { outputs_changed_ = true; }
  void NoteSeatsChanged() { seats_changed_ = true; }

  // Handles every event that has arrived, without waiting for more, and sends what is waiting.
  // Throws EZarmokError when the connection failed.
  void Read();
  // Sends what is waiting and waits up to `timeout_ms` (-1: without limit) for the compositor
  // or for `other_fd` (-1: none), reading nothing. Events already read and not yet handled
  // count as the compositor's at once.
  struct TReady {
    bool compositor = false;
    bool other = false;
  };
  TReady Wait(int32_t timeout_ms, int other_fd);
  // Waits until the compositor has handled every request sent so far, handling its events.
  void Roundtrip();
  // Throws EZarmokError when the connection has failed (a protocol error or a lost compositor).
  void RaiseError();

 private:
  TWording Connect();
  static void Global(void* data, wl_registry* registry, uint32_t name, const char* interface,
                     uint32_t version);
  static void GlobalRemove(void* data, wl_registry* registry, uint32_t name);
  void AddOutput(uint32_t name, uint32_t version);
  void AddSeat(uint32_t name, uint32_t version);
  void WatchLogical(TOutput& output);

  bool checked_ = false;
  TWording unusable_;
  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_compositor* compositor_ = nullptr;
  wl_shm* shm_ = nullptr;
  zwlr_layer_shell_v1* layer_shell_ = nullptr;
  uint32_t layer_shell_version_ = 0;
  xdg_wm_base* wm_base_ = nullptr;
  zxdg_output_manager_v1* xdg_outputs_ = nullptr;
  wp_viewporter* viewporter_ = nullptr;
  ext_idle_notifier_v1* idle_notifier_ = nullptr;
  org_kde_kwin_idle* kde_idle_ = nullptr;
  std::vector<std::unique_ptr<TOutput>> outputs_;
  std::vector<std::unique_ptr<TSeat>> seats_;
  bool outputs_changed_ = false;
  bool seats_changed_ = false;
};

}  // namespace zarmok::wl
