// GNOME's count of the user's idleness, for a Wayland session whose compositor tells clients
// none: Mutter's idle monitor on the user's session bus, and GNOME's session manager for what
// holds GNOME's own blank screen off. A desktop that wants it opens it where the compositor
// offers no idle protocol; where the session bus has no GNOME idle monitor, there is none.
#pragma once

#include <cstdint>
#include <memory>

#include "platform.h"
#include "posix/end_signals.h"

struct sd_bus;
struct sd_bus_slot;

namespace zarmok::posix {

class TGnomeIdle final : public IIdleSource {
 public:
  // The idle count of the session the program runs in; null where its session bus cannot be
  // reached or no GNOME idle monitor is on it. The watch's end signals are `end_signals`,
  // caught from Begin on.
  static std::unique_ptr<TGnomeIdle> Open(TEndSignals& end_signals);
  ~TGnomeIdle() override;
  TGnomeIdle(const TGnomeIdle&) = delete;
  TGnomeIdle& operator=(const TGnomeIdle&) = delete;

  // Asks the monitor to say when the user has been idle for `wanted_ms` and when the user comes
  // back, replacing what an earlier call asked.
  void Begin(int64_t wanted_ms) override;
  // The monitor's idle time; Inhibited while an inhibitor holds the session's idleness off, as
  // GNOME's session manager counts them (where it runs). BlankDueMs stays 0: GNOME's own blank
  // screen is held off through those inhibitors alone. A session that ends (GNOME Shell left
  // the bus, or the bus went) reads as held off, and the next wait ends the watch. Throws
  // EZarmokError when the monitor does not answer otherwise.
  TIdleReading Read() override;
  // Ends early when the monitor says the user became idle or came back, or an inhibitor came or
  // went; false on an end signal, or once the session has ended.
  bool Wait(int64_t milliseconds) override;

  // What the monitor and the session manager said since the last wait, as their signals come.
  struct TNews {
    uint32_t idle_watch = 0;
    // 0 once it fired: the monitor forgets a user-active watch when it fires.
    uint32_t active_watch = 0;
    bool idle_fired = false;
    bool any = false;
  };

 private:
  TGnomeIdle(sd_bus* bus, TEndSignals& end_signals);
  // Asks for one watch of the monitor (AddIdleWatch with its interval, AddUserActiveWatch); its
  // id.
  uint32_t AddWatch(const char* method, int64_t interval_ms);
  void RemoveWatch(uint32_t& watch);

  sd_bus* bus_;
  TEndSignals& end_signals_;
  sd_bus_slot* watch_fired_slot_ = nullptr;
  sd_bus_slot* inhibitor_added_slot_ = nullptr;
  sd_bus_slot* inhibitor_removed_slot_ = nullptr;
  TNews news_;
  bool ended_ = false;
};

}  // namespace zarmok::posix
