// The monitors of the Windows desktop, as the system lists them.
#pragma once

#include <windows.h>

#include <vector>

#include "platform.h"

namespace zarmok::win32 {

// The monitors the system describes in `infos`, in its order: each covering its rcMonitor and
// named by its device, which it keeps for as long as it exists (its place on the desktop may
// change).
std::vector<TMonitor> MonitorsOf(const std::vector<MONITORINFOEXW>& infos);

// The desktop's monitors now (EnumDisplayMonitors); none while the system lists none.
std::vector<TMonitor> DesktopMonitors();

}  // namespace zarmok::win32
