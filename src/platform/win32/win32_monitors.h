// The monitors of the Windows desktop, as a full-screen run covers them.
#pragma once

#include <windows.h>

#include <vector>

#include "platform.h"

namespace zarmok::win32 {

// The monitors the system describes in `infos`: the primary one first, the others in the
// system's order, each covering its rcMonitor and named by its device, which it keeps for as
// long as it exists (its place on the desktop may change).
std::vector<TMonitor> MonitorsOf(const std::vector<MONITORINFOEXW>& infos);

// The desktop's monitors now (EnumDisplayMonitors); the virtual screen as one monitor when the
// system lists none.
std::vector<TMonitor> DesktopMonitors();

}  // namespace zarmok::win32
