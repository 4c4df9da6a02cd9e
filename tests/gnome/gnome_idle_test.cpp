// GNOME's idle count against GNOME's services as python-dbusmock plays them on a private
// session bus (the test runs under dbus-run-session): Mutter's idle monitor with its watches,
// and the session manager with the inhibitor flags it holds. What the real shell shows (the idle
// time, the watch's news, an end signal) is the saver's test under GNOME Shell.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "errors.h"
#include "idle_watch.h"
#include "posix/gnome_idle.h"

extern char** environ;

namespace zarmok::posix {
namespace {

constexpr const char* kMonitorName = "org.gnome.Mutter.IdleMonitor";
constexpr const char* kMonitorPath = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr const char* kManagerName = "org.gnome.SessionManager";
constexpr const char* kManagerPath = "/org/gnome/SessionManager";
constexpr const char* kMock = "org.freedesktop.DBus.Mock";

class TBus {
 public:
  TBus() { EXPECT_GE(sd_bus_open_user(&bus_), 0); }
  ~TBus() { sd_bus_flush_close_unref(bus_); }
  sd_bus* get() const { return bus_; }

 private:
  sd_bus* bus_ = nullptr;
};

// One mocked service, from its start until the object goes.
class TMockService {
 public:
  TMockService(sd_bus* bus, const char* name, const char* path)
      : bus_(bus), name_(name), path_(path) {
    const char* argv[] = {"python3", "-m", "dbusmock", name, path, name, nullptr};
    // Not with the end signals that the watch holds back in this process.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    // Its log of every call goes nowhere; its errors stay on the test's stderr.
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    EXPECT_EQ(posix_spawn(&pid_, "/usr/bin/python3", &files, &attributes, const_cast<char**>(argv),
                          environ),
              0);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    for (int i = 0; i < 500 && !Present(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(Present()) << name << " did not come";
  }
  ~TMockService() { Stop(); }
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
    for (int i = 0; i < 500 && Present(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  bool Present() const {
    int owned = 0;
    sd_bus_message* reply = nullptr;
    if (sd_bus_call_method(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus", "NameHasOwner", nullptr, &reply, "s",
                           name_) >= 0) {
      sd_bus_message_read(reply, "b", &owned);
    }
    sd_bus_message_unref(reply);
    return owned != 0;
  }
  // A method of the service, played by python code over `self` and `args`.
  void AddMethod(const char* method, const char* in, const char* out, const char* code) {
    ASSERT_GE(sd_bus_call_method(bus_, name_, path_, kMock, "AddMethod", nullptr, nullptr, "sssss",
                                 "", method, in, out, code),
              0);
  }
  void SetNumber(const char* attribute, uint64_t value) {
    ASSERT_GE(sd_bus_call_method(bus_, name_, path_, name_, "SetNumber", nullptr, nullptr, "st",
                                 attribute, value),
              0);
  }
  // A signal of the service with one argument of `type` ("u" or "o").
 private:
  sd_bus* bus_;
  const char* name_;
  const char* path_;
  pid_t pid_ = 0;
};

// Mutter's idle monitor as the client sees it.
class TMonitorMock : public TMockService {
 public:
  explicit TMonitorMock(sd_bus* bus) : TMockService(bus, kMonitorName, kMonitorPath) {
    AddMethod("SetNumber", "st", "", "setattr(self, args[0], args[1])");
    AddMethod("GetIdletime", "", "t", "ret = getattr(self, 'idletime', 0)");
    const char* add =
        "self.last = getattr(self, 'last', 0) + 1\n"
        "self.watches = getattr(self, 'watches', {})\n"
        "self.watches[self.last] = args[0] if args else 0\n"
        "ret = self.last";
    AddMethod("AddIdleWatch", "t", "u", add);
    AddMethod("AddUserActiveWatch", "", "u", add);
    AddMethod("RemoveWatch", "u", "", "getattr(self, 'watches', {}).pop(args[0], None)");
  }
};

// The session manager, inhibited for the flags it is given.
class TManagerMock : public TMockService {
 public:
  explicit TManagerMock(sd_bus* bus) : TMockService(bus, kManagerName, kManagerPath) {
    AddMethod("SetNumber", "st", "", "setattr(self, args[0], args[1])");
    AddMethod("IsInhibited", "u", "b", "ret = (args[0] & getattr(self, 'flags', 0)) != 0");
  }
};

class GnomeIdle : public ::testing::Test {
 protected:
  TBus bus_;
  posix::TEndSignals end_signals_;
};

TEST_F(GnomeIdle, NoneWhereNoMonitorIsOnTheBus) {
  EXPECT_EQ(TGnomeIdle::Open(end_signals_), nullptr);
  TMonitorMock monitor(bus_.get());
  const auto source = TGnomeIdle::Open(end_signals_);
  ASSERT_NE(source, nullptr);
  monitor.Stop();
  EXPECT_THROW(source->Begin(1000), EZarmokError);
}

TEST_F(GnomeIdle, AShellThatLeavesTheBusEndsTheWatchAndOneThatFailsToAnswerIsAnError) {
  TMonitorMock monitor(bus_.get());
  const auto source = TGnomeIdle::Open(end_signals_);
  source->Begin(60000);
  EXPECT_TRUE(source->Wait(10));
  monitor.AddMethod("GetIdletime", "", "t",
                    "raise dbus.exceptions.DBusException('no', name='org.gnome.Broken')");
  EXPECT_THROW(source->Read(), EZarmokError);
  monitor.Stop();
  EXPECT_TRUE(TIdleWatch::HeldOff(source->Read()));
  EXPECT_FALSE(source->Wait(60000));
}

TEST_F(GnomeIdle, ReadsTheMonitorsIdleTimeAndOnlyTheIdleInhibitorOfTheSessionManager) {
  TMonitorMock monitor(bus_.get());
  const auto source = TGnomeIdle::Open(end_signals_);
  ASSERT_NE(source, nullptr);
  source->Begin(5000);
  monitor.SetNumber("idletime", 4321);
  EXPECT_EQ(source->Read().IdleMs, 4321);
  // A shell without a session manager: nothing holds it off.
  EXPECT_FALSE(source->Read().Inhibited);
  TManagerMock manager(bus_.get());
  EXPECT_FALSE(source->Read().Inhibited);
  manager.SetNumber("flags", 4);  // suspending inhibited, idleness not
  EXPECT_FALSE(source->Read().Inhibited);
  manager.SetNumber("flags", 8);  // a playing video
  const TIdleReading reading = source->Read();
  EXPECT_TRUE(reading.Inhibited);
  EXPECT_TRUE(TIdleWatch::HeldOff(reading));
  EXPECT_EQ(reading.BlankDueMs, 0);
}

}  // namespace
}  // namespace zarmok::posix
