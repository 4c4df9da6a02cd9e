// The pace of the real saver session in real time: steps per second at a few StepsPerSecond
// settings, on the headless platform whose waits end exactly at their deadline and on one whose
// waits end only at the next 15.625 ms tick (a host timer at its default resolution).
//   zarmok_pace [seconds per run, default 10]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "fake/memory_profile.h"
#include "headless_platform.h"
#include "session.h"

namespace {

using namespace zarmok;

double StepsPerSecond(int32_t rate, int64_t tick_ns, double seconds) {
  testing::TMemoryProfile profile;
  profile.Set("pace.ini", kSettingsSection, "StepsPerSecond", std::to_string(rate));
  tools::THeadlessPlatform platform(profile, "pace.ini", {TWindowRect{0, 0, 1920, 1080}});
  platform.UseRealClock(tick_ns);
  TSaverSession session(platform, {"/s"}, 1);
  const auto start = std::chrono::steady_clock::now();
  const auto end = start + std::chrono::duration<double>(seconds);
  int64_t taken = 0;
  session.ObserveSteps([&](int64_t steps) {
    taken = steps;
    return std::chrono::steady_clock::now() < end;
  });
  session.Create(0);
  session.Run();
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return static_cast<double>(taken) / elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
  std::printf("%-14s %10s %10s %10s\n", "timer", "60", "100", "200");
  for (const int64_t tick : {int64_t{0}, int64_t{15625000}}) {
    std::printf("%-14s", tick == 0 ? "exact" : "15.625 ms tick");
    for (const int32_t rate : {60, 100, 200}) {
      std::printf(" %10.1f", StepsPerSecond(rate, tick, seconds));
      std::fflush(stdout);
    }
    std::printf("\n");
  }
  return 0;
}
