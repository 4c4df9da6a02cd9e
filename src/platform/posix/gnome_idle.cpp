#include "gnome_idle.h"

#include <poll.h>
#include <systemd/sd-bus.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstring>
#include <string>

#include "errors.h"
#include "pacing.h"

namespace zarmok::posix {
namespace {

struct TPeer {
  const char* name;
  const char* path;
  const char* interface;
};

constexpr TPeer kIdleMonitor{"org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core",
                             "org.gnome.Mutter.IdleMonitor"};
constexpr TPeer kSessionManager{"org.gnome.SessionManager", "/org/gnome/SessionManager",
                                "org.gnome.SessionManager"};
constexpr TPeer kBus{"org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus"};

// The session manager's inhibitor flag for "the session is not to be marked idle": the one a
// playing video's inhibitor sets, and the one that holds GNOME's own blank screen off.
constexpr uint32_t kInhibitIdle = 8;

// One method call and its answer. No service is started for it: a session whose GNOME parts
// are not running is not given them by a screen saver.
class TCall {
 public:
  TCall(sd_bus* bus, const TPeer& peer, const char* method, const char* types = nullptr, ...) {
    sd_bus_message* request = nullptr;
    code_ =
        sd_bus_message_new_method_call(bus, &request, peer.name, peer.path, peer.interface, method);
    if (code_ >= 0 && types != nullptr) {
      va_list arguments;
      va_start(arguments, types);
      code_ = sd_bus_message_appendv(request, types, arguments);
      va_end(arguments);
    }
    if (code_ >= 0) {
      sd_bus_message_set_auto_start(request, 0);
      code_ = sd_bus_call(bus, request, 0, &error_, &reply_);
    }
    sd_bus_message_unref(request);
  }
  ~TCall() {
    sd_bus_message_unref(reply_);
    sd_bus_error_free(&error_);
  }
  TCall(const TCall&) = delete;
  TCall& operator=(const TCall&) = delete;

  // Reads the answer: false when the call failed or the answer is not `value`'s type.
  template <typename TValue>
  bool Read(const char* type, TValue& value) {
    if (reply_ == nullptr) return false;
    code_ = sd_bus_message_read(reply_, type, &value);
    return code_ > 0;
  }
  // Whether the callee is not on the bus.
  bool Absent() const {
    return sd_bus_error_has_names(&error_, SD_BUS_ERROR_SERVICE_UNKNOWN,
                                  SD_BUS_ERROR_NAME_HAS_NO_OWNER);
  }
  std::string Error() const {
    if (sd_bus_error_is_set(&error_)) return std::string(error_.name) + ": " + error_.message;
    return std::string("sd-bus: ") + std::strerror(code_ < 0 ? -code_ : EBADMSG);
  }

 private:
  sd_bus_message* reply_ = nullptr;
  sd_bus_error error_ = SD_BUS_ERROR_NULL;
  int code_ = 0;
};

int64_t NowMs() {
  return MonotonicNanoseconds() / 1000000;
}

int WatchFired(sd_bus_message* message, void* data, sd_bus_error*) {
  auto& news = *static_cast<TGnomeIdle::TNews*>(data);
  uint32_t watch = 0;
  if (sd_bus_message_read(message, "u", &watch) < 0 || watch == 0) return 0;
  if (watch == news.idle_watch) {
    news.idle_fired = true;
    news.any = true;
  } else if (watch == news.active_watch) {
    news.active_watch = 0;
    news.any = true;
  }
  return 0;
}

int InhibitorsChanged(sd_bus_message*, void* data, sd_bus_error*) {
  static_cast<TGnomeIdle::TNews*>(data)->any = true;
  return 0;
}

}  // namespace

std::unique_ptr<TGnomeIdle> TGnomeIdle::Open(TEndSignals& end_signals) {
  sd_bus* bus = nullptr;
  if (sd_bus_open_user(&bus) < 0) return nullptr;
  int has_owner = 0;
  if (!TCall(bus, kBus, "NameHasOwner", "s", kIdleMonitor.name).Read("b", has_owner) ||
      has_owner == 0) {
    sd_bus_flush_close_unref(bus);
    return nullptr;
  }
  return std::unique_ptr<TGnomeIdle>(new TGnomeIdle(bus, end_signals));
}

TGnomeIdle::TGnomeIdle(sd_bus* bus, TEndSignals& end_signals)
    : bus_(bus), end_signals_(end_signals) {
  // The monitor sends its WatchFired to the watch's owner alone; the session manager tells
  // everyone of its inhibitors.
  sd_bus_match_signal(bus_, &watch_fired_slot_, nullptr, kIdleMonitor.path, kIdleMonitor.interface,
                      "WatchFired", WatchFired, &news_);
  sd_bus_match_signal(bus_, &inhibitor_added_slot_, nullptr, kSessionManager.path,
                      kSessionManager.interface, "InhibitorAdded", InhibitorsChanged, &news_);
  sd_bus_match_signal(bus_, &inhibitor_removed_slot_, nullptr, kSessionManager.path,
                      kSessionManager.interface, "InhibitorRemoved", InhibitorsChanged, &news_);
}

TGnomeIdle::~TGnomeIdle() {
  RemoveWatch(news_.idle_watch);
  RemoveWatch(news_.active_watch);
  sd_bus_slot_unref(watch_fired_slot_);
  sd_bus_slot_unref(inhibitor_added_slot_);
  sd_bus_slot_unref(inhibitor_removed_slot_);
  sd_bus_flush_close_unref(bus_);
}

uint32_t TGnomeIdle::AddWatch(const char* method, int64_t interval_ms) {
  TCall call = interval_ms > 0
                   ? TCall(bus_, kIdleMonitor, method, "t", static_cast<uint64_t>(interval_ms))
                   : TCall(bus_, kIdleMonitor, method);
  uint32_t watch = 0;
  if (!call.Read("u", watch)) throw EZarmokError(TTextId::GnomeNoIdleTime, call.Error());
  return watch;
}

void TGnomeIdle::RemoveWatch(uint32_t& watch) {
  if (watch == 0) return;
  // A watch the monitor has already forgotten is as good as removed.
  TCall(bus_, kIdleMonitor, "RemoveWatch", "u", watch);
  watch = 0;
}

void TGnomeIdle::Begin(int64_t wanted_ms) {
  end_signals_.Catch();
  RemoveWatch(news_.idle_watch);
  RemoveWatch(news_.active_watch);
  news_ = TNews{};
  // The monitor takes no idle watch of 0 ms.
  news_.idle_watch = AddWatch("AddIdleWatch", std::max<int64_t>(wanted_ms, 1));
  news_.active_watch = AddWatch("AddUserActiveWatch", 0);
}

TIdleReading TGnomeIdle::Read() {
  TIdleReading reading;
  TCall idle(bus_, kIdleMonitor, "GetIdletime");
  uint64_t idle_ms = 0;
  if (!idle.Read("t", idle_ms)) {
    // The session ends: GNOME Shell leaves its bus, or the bus itself goes.
    if (sd_bus_is_open(bus_) <= 0 || idle.Absent()) {
      ended_ = true;
      reading.Inhibited = true;
      return reading;
    }
    throw EZarmokError(TTextId::GnomeNoIdleTime, idle.Error());
  }
  reading.IdleMs = static_cast<int64_t>(std::min<uint64_t>(idle_ms, INT64_MAX));
  // Without a session manager (a shell started on its own), nothing is inhibited.
  int inhibited = 0;
  reading.Inhibited =
      TCall(bus_, kSessionManager, "IsInhibited", "u", kInhibitIdle).Read("b", inhibited) &&
      inhibited != 0;
  return reading;
}

bool TGnomeIdle::Wait(int64_t milliseconds) {
  if (ended_) return false;
  const int64_t deadline = NowMs() + std::max<int64_t>(milliseconds, 0);
  for (;;) {
    // What arrived while a call waited for its answer is queued already, not on the socket.
    int processed = 0;
    while ((processed = sd_bus_process(bus_, nullptr)) > 0) {
    }
    if (processed < 0) return false;
    if (news_.any) {
      // Idle now, so the next input is news: the monitor is asked to tell of it again.
      if (news_.idle_fired && news_.active_watch == 0) {
        news_.active_watch = AddWatch("AddUserActiveWatch", 0);
      }
      news_.idle_fired = false;
      news_.any = false;
      return true;
    }
    int64_t timeout = deadline - NowMs();
    if (timeout <= 0) return true;
    uint64_t bus_due_us = 0;
    if (sd_bus_get_timeout(bus_, &bus_due_us) > 0 && bus_due_us != UINT64_MAX) {
      const int64_t bus_due = static_cast<int64_t>(bus_due_us / 1000) - NowMs();
      timeout = std::clamp<int64_t>(bus_due, 0, timeout);
    }
    std::array<pollfd, 2> watch{
        pollfd{sd_bus_get_fd(bus_), static_cast<short>(sd_bus_get_events(bus_)), 0},
        pollfd{end_signals_.Descriptor(), POLLIN, 0}};
    const int ready = poll(watch.data(), watch[1].fd >= 0 ? 2 : 1,
                           static_cast<int>(std::min<int64_t>(timeout, INT_MAX)));
    if (ready < 0 && errno != EINTR)
      throw EZarmokError(TTextId::GnomeNoIdleTime, std::string(std::strerror(errno)));
    if (ready > 0 && (watch[1].revents & POLLIN) != 0 && end_signals_.Taken()) return false;
  }
}

}  // namespace zarmok::posix
