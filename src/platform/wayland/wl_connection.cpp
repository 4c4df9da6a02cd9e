#include "wl_connection.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

#include "errors.h"
#include "ext-idle-notify-v1-client-protocol.h"
#include "host.h"
#include "idle-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace zarmok::wl {
namespace {

// Versions the saver is written for: a compositor offering less gets what it offers.
constexpr uint32_t kCompositorVersion = 4;
constexpr uint32_t kOutputVersion = 4;
constexpr uint32_t kSeatVersion = 5;
constexpr uint32_t kLayerShellVersion = 4;
constexpr uint32_t kXdgOutputVersion = 3;

template <typename T>
T* Bind(wl_registry* registry, uint32_t name, const wl_interface* interface, uint32_t offered,
        uint32_t wanted) {
  return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

TOutput& OutputOf(void* data) {
  return *static_cast<TOutput*>(data);
}

void OutputGeometry(void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t,
                    const char*, const char*, int32_t transform) {
  OutputOf(data).x = x;
  OutputOf(data).y = y;
  OutputOf(data).transform = transform;
}

void OutputMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
  if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
  OutputOf(data).mode_width = width;
  OutputOf(data).mode_height = height;
}

void OutputDone(void* data, wl_output*) {
  // Each done ends a consistent description: a new output, or a change of one.
  OutputOf(data).done = true;
  OutputOf(data).connection->NoteOutputsChanged();
}

void OutputScale(void* data, wl_output*, int32_t factor) {
  OutputOf(data).scale = std::max(factor, 1);
}

void OutputName(void*, wl_output*, const char*) {}
void OutputDescription(void*, wl_output*, const char*) {}

constexpr wl_output_listener kOutputListener{OutputGeometry, OutputMode, OutputDone,
                                             OutputScale,    OutputName, OutputDescription};

void XdgPosition(void* data, zxdg_output_v1*, int32_t x, int32_t y) {
  OutputOf(data).logical_x = x;
  OutputOf(data).logical_y = y;
}

void XdgSize(void* data, zxdg_output_v1*, int32_t width, int32_t height) {
  OutputOf(data).has_logical = true;
  OutputOf(data).logical_width = width;
  OutputOf(data).logical_height = height;
}

void XdgDone(void*, zxdg_output_v1*) {}
void XdgName(void*, zxdg_output_v1*, const char*) {}
void XdgDescription(void*, zxdg_output_v1*, const char*) {}

constexpr zxdg_output_v1_listener kXdgOutputListener{XdgPosition, XdgSize, XdgDone, XdgName,
                                                     XdgDescription};

void SeatCapabilities(void* data, wl_seat*, uint32_t capabilities) {
  auto& seat = *static_cast<TSeat*>(data);
  seat.capabilities = capabilities;
  seat.connection->NoteSeatsChanged();
}

void SeatName(void*, wl_seat*, const char*) {}

constexpr wl_seat_listener kSeatListener{SeatCapabilities, SeatName};

// A client that does not answer is taken for hung: GNOME offers to end it.
constexpr xdg_wm_base_listener kWmBaseListener{
    [](void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }};

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The socket $WAYLAND_DISPLAY names, as the client library finds it: "wayland-0" when it is
// unset, a name in $XDG_RUNTIME_DIR unless it is a path of its own.
std::string SocketNamed() {
  std::string name = EnvironmentValue("WAYLAND_DISPLAY");
  if (name.empty()) name = "wayland-0";
  if (name.front() == '/') return name;
  const std::string folder = EnvironmentValue("XDG_RUNTIME_DIR");
  return folder.empty() ? name : folder + "/" + name;
}

}  // namespace

TWaylandConnection::~TWaylandConnection() {
  if (display_ == nullptr) return;
  for (const auto& output : outputs_) {
    if (output->xdg != nullptr) zxdg_output_v1_destroy(output->xdg);
    wl_output_release(output->output);
  }
  for (const auto& seat : seats_) wl_seat_release(seat->seat);
  if (xdg_outputs_ != nullptr) zxdg_output_manager_v1_destroy(xdg_outputs_);
  if (viewporter_ != nullptr) wp_viewporter_destroy(viewporter_);
  if (idle_notifier_ != nullptr) ext_idle_notifier_v1_destroy(idle_notifier_);
  if (kde_idle_ != nullptr) org_kde_kwin_idle_destroy(kde_idle_);
  if (layer_shell_ != nullptr) zwlr_layer_shell_v1_destroy(layer_shell_);
  if (wm_base_ != nullptr) xdg_wm_base_destroy(wm_base_);
  if (shm_ != nullptr) wl_shm_destroy(shm_);
  if (compositor_ != nullptr) wl_compositor_destroy(compositor_);
  wl_registry_destroy(registry_);
  wl_display_disconnect(display_);
}

std::string TWaylandConnection::SocketPath() const {
  if (display_ != nullptr) {
    sockaddr_un address{};
    socklen_t length = sizeof address;
    if (getpeername(wl_display_get_fd(display_), reinterpret_cast<sockaddr*>(&address), &length) ==
            0 &&
        address.sun_family == AF_UNIX && length > offsetof(sockaddr_un, sun_path) + 1) {
      const size_t size = length - offsetof(sockaddr_un, sun_path);
      std::string path(address.sun_path, size);
      // A name of Linux's abstract namespace begins with a NUL, which ss(8) shows as "@".
      if (path.front() == '\0') {
        // Built by appending: the optimiser trips over the concatenation here.
        std::string shown = "@";
        shown.append(path, 1, std::string::npos);
        return shown;
      }
      return std::string(path.c_str());
    }
  }
  return SocketNamed();
}

TWording TWaylandConnection::Connect() {
  const std::string named = EnvironmentValue("WAYLAND_DISPLAY");
  const bool given = !EnvironmentValue("WAYLAND_SOCKET").empty();
  if (!given && (named.empty() || named.front() != '/') &&
      EnvironmentValue("XDG_RUNTIME_DIR").empty()) {
    return {TTextId::WaylandNoRuntimeDir, {named.empty() ? "wayland-0" : named}};
  }
  display_ = wl_display_connect(nullptr);
  if (display_ == nullptr) {
    const int error = errno;
    return {TTextId::WaylandNotConnected, {SocketPath(), std::strerror(error)}};
  }
  static constexpr wl_registry_listener kRegistryListener{Global, GlobalRemove};
  registry_ = wl_display_get_registry(display_);
  wl_registry_add_listener(registry_, &kRegistryListener, this);
  // The globals, then what the outputs and seats say of themselves.
  Roundtrip();
  Roundtrip();
  TakeOutputsChanged();
  TakeSeatsChanged();
  return {};
}

const TWording& TWaylandConnection::Unusable() {
  if (checked_) return unusable_;
  checked_ = true;
  unusable_ = Connect();
  if (!unusable_.Empty()) return unusable_;
  std::string lacks;
  // Either shell serves the full-screen saver; the ordinary one is the last resort.
  const void* shell = layer_shell_ != nullptr ? static_cast<const void*>(layer_shell_) : wm_base_;
  for (const auto& [global, name] :
       {std::pair<const void*, const char*>{compositor_, "wl_compositor"},
        {shm_, "wl_shm"},
        {shell, "xdg_wm_base"}}) {
    if (global != nullptr) continue;
    lacks += lacks.empty() ? name : std::string(", ") + name;
  }
  if (!lacks.empty()) unusable_ = TWording(TTextId::WaylandLacks, {SocketPath(), lacks});
  return unusable_;
}

TWaylandConnection& TWaylandConnection::Require() {
  if (!Unusable().Empty()) throw EZarmokError(TTextId::WindowCreateFailed, Unusable());
  return *this;
}

void TWaylandConnection::Global(void* data, wl_registry* registry, uint32_t name,
                                const char* interface, uint32_t version) {
  auto& self = *static_cast<TWaylandConnection*>(data);
  const std::string_view which = interface;
  if (which == wl_compositor_interface.name) {
    self.compositor_ =
        Bind<wl_compositor>(registry, name, &wl_compositor_interface, version, kCompositorVersion);
  } else if (which == wl_shm_interface.name) {
    self.shm_ = Bind<wl_shm>(registry, name, &wl_shm_interface, version, 1);
  } else if (which == zwlr_layer_shell_v1_interface.name) {
    self.layer_shell_version_ = std::min(version, kLayerShellVersion);
    self.layer_shell_ = Bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface,
                                                  version, kLayerShellVersion);
  } else if (which == xdg_wm_base_interface.name) {
    self.wm_base_ = Bind<xdg_wm_base>(registry, name, &xdg_wm_base_interface, version, 1);
    xdg_wm_base_add_listener(self.wm_base_, &kWmBaseListener, nullptr);
  } else if (which == zxdg_output_manager_v1_interface.name) {
    self.xdg_outputs_ = Bind<zxdg_output_manager_v1>(
        registry, name, &zxdg_output_manager_v1_interface, version, kXdgOutputVersion);
    for (const auto& output : self.outputs_) self.WatchLogical(*output);
  } else if (which == wp_viewporter_interface.name) {
    self.viewporter_ = Bind<wp_viewporter>(registry, name, &wp_viewporter_interface, version, 1);
  } else if (which == ext_idle_notifier_v1_interface.name) {
    self.idle_notifier_ =
        Bind<ext_idle_notifier_v1>(registry, name, &ext_idle_notifier_v1_interface, version, 1);
  } else if (which == org_kde_kwin_idle_interface.name) {
    self.kde_idle_ =
        Bind<org_kde_kwin_idle>(registry, name, &org_kde_kwin_idle_interface, version, 1);
  } else if (which == wl_output_interface.name) {
    self.AddOutput(name, version);
  } else if (which == wl_seat_interface.name) {
    self.AddSeat(name, version);
  }
}

void TWaylandConnection::AddOutput(uint32_t name, uint32_t version) {
  auto output = std::make_unique<TOutput>();
  output->name = name;
  output->connection = this;
  output->output = Bind<wl_output>(registry_, name, &wl_output_interface, version, kOutputVersion);
  wl_output_add_listener(output->output, &kOutputListener, output.get());
  WatchLogical(*output);
  outputs_.push_back(std::move(output));
}

void TWaylandConnection::AddSeat(uint32_t name, uint32_t version) {
  auto seat = std::make_unique<TSeat>();
  seat->name = name;
  seat->connection = this;
  seat->seat = Bind<wl_seat>(registry_, name, &wl_seat_interface, version, kSeatVersion);
  wl_seat_add_listener(seat->seat, &kSeatListener, seat.get());
  seats_.push_back(std::move(seat));
  seats_changed_ = true;
}

void TWaylandConnection::WatchLogical(TOutput& output) {
  if (xdg_outputs_ == nullptr || output.xdg != nullptr) return;
  output.xdg = zxdg_output_manager_v1_get_xdg_output(xdg_outputs_, output.output);
  zxdg_output_v1_add_listener(output.xdg, &kXdgOutputListener, &output);
}

void TWaylandConnection::GlobalRemove(void* data, wl_registry*, uint32_t name) {
  auto& self = *static_cast<TWaylandConnection*>(data);
  const auto output = std::find_if(self.outputs_.begin(), self.outputs_.end(),
                                   [name](const auto& o) { return o->name == name; });
  if (output != self.outputs_.end()) {
    if ((*output)->xdg != nullptr) zxdg_output_v1_destroy((*output)->xdg);
    wl_output_release((*output)->output);
    self.outputs_.erase(output);
    self.outputs_changed_ = true;
    return;
  }
  const auto seat = std::find_if(self.seats_.begin(), self.seats_.end(),
                                 [name](const auto& s) { return s->name == name; });
  if (seat != self.seats_.end()) {
    wl_seat_release((*seat)->seat);
    self.seats_.erase(seat);
    self.seats_changed_ = true;
  }
}

std::vector<const TOutput*> TWaylandConnection::Outputs() const {
  std::vector<const TOutput*> ready;
  for (const auto& output : outputs_) {
    if (output->done && output->mode_width > 0 && output->mode_height > 0) {
      ready.push_back(output.get());
    }
  }
  return ready;
}

const TOutput* TWaylandConnection::OutputNamed(uint32_t name) const {
  for (const auto& output : outputs_) {
    if (output->name == name && output->done) return output.get();
  }
  return nullptr;
}

bool TWaylandConnection::TakeOutputsChanged() {
  return std::exchange(outputs_changed_, false);
}

bool TWaylandConnection::TakeSeatsChanged() {
  return std::exchange(seats_changed_, false);
}

void TWaylandConnection::RaiseError() {
  if (display_ == nullptr) return;
  const int error = wl_display_get_error(display_);
  if (error == 0) return;
  const wl_interface* interface = nullptr;
  uint32_t id = 0;
  const uint32_t code = wl_display_get_protocol_error(display_, &interface, &id);
  if (error == EPROTO) {
    throw EZarmokError(TWording{TTextId::WaylandProtocolError,
                                {std::string(interface != nullptr ? interface->name : "?") + " #" +
                                 std::to_string(id) + ", code " + std::to_string(code)}});
  }
  throw EZarmokError(TTextId::WaylandConnectionLost, std::string(std::strerror(error)));
}

void TWaylandConnection::Read() {
  RaiseError();
  while (wl_display_prepare_read(display_) != 0) {
    if (wl_display_dispatch_pending(display_) < 0) RaiseError();
  }
  // The socket is read without waiting: nothing there is no error.
  if (wl_display_read_events(display_) < 0) RaiseError();
  if (wl_display_dispatch_pending(display_) < 0) RaiseError();
  wl_display_flush(display_);
}

TWaylandConnection::TReady TWaylandConnection::Wait(int32_t timeout_ms, int other_fd) {
  RaiseError();
  // Events read and not yet handled (a roundtrip reads the replies that came before its own)
  // are there already.
  if (wl_display_prepare_read(display_) != 0) return TReady{true, false};
  std::array<pollfd, 2> watch{pollfd{wl_display_get_fd(display_), POLLIN, 0},
                              pollfd{other_fd, POLLIN, 0}};
  if (wl_display_flush(display_) < 0 && errno == EAGAIN) watch[0].events |= POLLOUT;
  const int ready = poll(watch.data(), other_fd >= 0 ? 2 : 1, timeout_ms);
  wl_display_cancel_read(display_);
  if (ready <= 0) return TReady{};
  // A socket that took what was waiting to be sent has nothing for us yet.
  const bool compositor = (watch[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0;
  if ((watch[0].revents & POLLOUT) != 0) wl_display_flush(display_);
  return TReady{compositor, other_fd >= 0 && (watch[1].revents & POLLIN) != 0};
}

void TWaylandConnection::Roundtrip() {
  if (wl_display_roundtrip(display_) < 0) RaiseError();
}

}  // namespace zarmok::wl
