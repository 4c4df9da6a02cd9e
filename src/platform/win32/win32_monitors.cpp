#include "win32_monitors.h"

#include <cstdint>

namespace zarmok::win32 {
namespace {

// FNV-1a of the device name: the same name gives the same Id in every run of the program.
uint64_t DeviceId(const wchar_t* device) {
  uint64_t hash = 14695981039346656037ull;
  for (const wchar_t* c = device; *c != L'\0'; ++c) {
    hash ^= static_cast<uint16_t>(*c);
    hash *= 1099511628211ull;
  }
  return hash;
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFOEXW info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info)) {
    reinterpret_cast<std::vector<MONITORINFOEXW>*>(data)->push_back(info);
  }
  return TRUE;
}

}  // namespace

std::vector<TMonitor> MonitorsOf(const std::vector<MONITORINFOEXW>& infos) {
  std::vector<TMonitor> monitors;
  for (const MONITORINFOEXW& info : infos) {
    const RECT& area = info.rcMonitor;
    // Displays that duplicate each other are one monitor to the system: none mirrors another.
    monitors.push_back(TMonitor{DeviceId(info.szDevice),
                                TWindowRect{area.left, area.top, area.right, area.bottom},
                                (info.dwFlags & MONITORINFOF_PRIMARY) != 0, 0});
  }
  return monitors;
}

std::vector<TMonitor> DesktopMonitors() {
  std::vector<MONITORINFOEXW> infos;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&infos));
  return MonitorsOf(infos);
}

}  // namespace zarmok::win32
