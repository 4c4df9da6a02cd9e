#include <gtest/gtest.h>

#include "x11_monitors.h"

namespace zarmok::x11 {
namespace {

TMonitor Monitor(uint64_t id, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  return TMonitor{id, TWindowRect{left, top, right, bottom}, false, 0};
}

std::vector<uint64_t> MirrorsOf(std::vector<TMonitor> monitors) {
  MarkMirrors(monitors);
  std::vector<uint64_t> mirrors;
  for (const TMonitor& monitor : monitors) mirrors.push_back(monitor.Mirrors);
  return mirrors;
}

// A clone shows the earlier of two equal monitors' window, a monitor inside another shows that
// one's, and monitors that only overlap or lie apart each need their own.
TEST(X11Monitors, MarksTheMonitorsAnotherOnesWindowShows) {
  EXPECT_EQ(MirrorsOf({Monitor(7, 0, 0, 1920, 1080), Monitor(9, 0, 0, 1920, 1080)}),
            (std::vector<uint64_t>{0, 7}));
  EXPECT_EQ(MirrorsOf({Monitor(3, 100, 100, 900, 700), Monitor(4, 0, 0, 1920, 1080)}),
            (std::vector<uint64_t>{4, 0}));
  EXPECT_EQ(MirrorsOf({Monitor(1, 0, 0, 1024, 768), Monitor(2, 1024, 0, 1824, 600),
                       Monitor(5, 512, 0, 1536, 768)}),
            (std::vector<uint64_t>{0, 0, 0}));
}

}  // namespace
}  // namespace zarmok::x11
