// zarmok-gnome-idle-probe MS: the idle watch over GNOME's idle count, as --idle runs it, with a
// line "idle N" (GNOME's idle time then) where the saver would start; exits 0 on SIGTERM, 1
// where the session has no GNOME idle monitor.
#include <cstdio>
#include <cstdlib>

#include "errors.h"
#include "idle_watch.h"
#include "posix/gnome_idle.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  zarmok::posix::TEndSignals end_signals;
  const auto source = zarmok::posix::TGnomeIdle::Open(end_signals);
  if (source == nullptr) {
    std::fprintf(stderr, "no GNOME idle monitor on the session bus\n");
    return 1;
  }
  zarmok::TIdleWatch watch(*source, std::atoll(argv[1]));
  try {
    while (watch.WaitForIdle()) {
      std::printf("idle %lld\n", static_cast<long long>(source->Read().IdleMs));
      std::fflush(stdout);
    }
  } catch (const zarmok::EZarmokError& error) {
    std::fprintf(stderr, "%s (%s)\n", error.what(),
                 error.Detail().In(zarmok::TLanguage::English).c_str());
    return 1;
  }
  return 0;
}
