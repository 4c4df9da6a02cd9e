// The monitors of a Windows desktop as the system lists them.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "win32/win32_monitors.h"

namespace zarmok::win32 {
namespace {

MONITORINFOEXW Info(const wchar_t* device, RECT area, bool primary) {
  MONITORINFOEXW info{};
  info.cbSize = sizeof info;
  info.rcMonitor = area;
  info.dwFlags = primary ? MONITORINFOF_PRIMARY : 0;
  wcsncpy(info.szDevice, device, CCHDEVICENAME - 1);
  return info;
}

// A monitor left of and above the primary one has negative coordinates; the system's order is
// kept, the primary one flagged wherever it is listed, and a monitor keeps its Id when it moves.
TEST(Win32Monitors, EachAsTheSystemListsItUnderItsDevicesName) {
  const std::vector<TMonitor> monitors =
      MonitorsOf({Info(L"\\\\.\\DISPLAY2", RECT{-1280, -200, 0, 824}, false),
                  Info(L"\\\\.\\DISPLAY1", RECT{0, 0, 1920, 1080}, true),
                  Info(L"\\\\.\\DISPLAY3", RECT{1920, 0, 2720, 600}, false)});
  ASSERT_EQ(monitors.size(), 3u);
  EXPECT_EQ(monitors[0].Area, (TWindowRect{-1280, -200, 0, 824}));
  EXPECT_EQ(monitors[1].Area, (TWindowRect{0, 0, 1920, 1080}));
  EXPECT_EQ(monitors[2].Area, (TWindowRect{1920, 0, 2720, 600}));
  EXPECT_FALSE(monitors[0].Primary);
  EXPECT_TRUE(monitors[1].Primary);
  EXPECT_FALSE(monitors[2].Primary);
  EXPECT_NE(monitors[0].Id, monitors[1].Id);
  EXPECT_NE(monitors[1].Id, monitors[2].Id);
  EXPECT_NE(monitors[0].Id, monitors[2].Id);

  const std::vector<TMonitor> moved =
      MonitorsOf({Info(L"\\\\.\\DISPLAY1", RECT{0, 0, 1920, 1080}, true),
                  Info(L"\\\\.\\DISPLAY2", RECT{1920, 0, 3200, 1024}, false)});
  ASSERT_EQ(moved.size(), 2u);
  EXPECT_EQ(moved[0].Id, monitors[1].Id);
  EXPECT_EQ(moved[1].Id, monitors[0].Id);
}

}  // namespace
}  // namespace zarmok::win32
