#include "x11_monitors.h"

#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>

namespace zarmok::x11 {
namespace {

TWindowRect Area(int x, int y, int width, int height) {
  return TWindowRect{x, y, x + std::max(width, 1), y + std::max(height, 1)};
}

bool Within(const TWindowRect& inner, const TWindowRect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// Drops each monitor inside another (the later of two equal ones).
std::vector<TMonitor> Distinct(const std::vector<TMonitor>& all) {
  std::vector<TMonitor> kept;
  for (size_t i = 0; i < all.size(); ++i) {
    bool inside = false;
    for (size_t j = 0; j < all.size() && !inside; ++j) {
      if (i == j || !Within(all[i].Area, all[j].Area)) continue;
      inside = !(all[i].Area == all[j].Area) || j < i;
    }
    if (!inside) kept.push_back(all[i]);
  }
  return kept;
}

std::vector<TMonitor> RandrMonitors(Display* display, Window root) {
  int event_base = 0;
  int error_base = 0;
  int major = 0;
  int minor = 0;
  if (!XRRQueryExtension(display, &event_base, &error_base) ||
      !XRRQueryVersion(display, &major, &minor) || major * 100 + minor < 105) {
    return {};
  }
  int count = 0;
  XRRMonitorInfo* info = XRRGetMonitors(display, root, True, &count);
  std::vector<TMonitor> monitors;
  for (int i = 0; i < count; ++i) {
    const TMonitor monitor{static_cast<uint64_t>(info[i].name),
                           Area(info[i].x, info[i].y, info[i].width, info[i].height)};
    monitors.insert(info[i].primary ? monitors.begin() : monitors.end(), monitor);
  }
  if (info != nullptr) XRRFreeMonitors(info);
  return monitors;
}

std::vector<TMonitor> XineramaMonitors(Display* display) {
  int event_base = 0;
  int error_base = 0;
  if (!XineramaQueryExtension(display, &event_base, &error_base) || !XineramaIsActive(display)) {
    return {};
  }
  int count = 0;
  XineramaScreenInfo* info = XineramaQueryScreens(display, &count);
  std::vector<TMonitor> monitors;
  for (int i = 0; i < count; ++i) {
    monitors.push_back(TMonitor{static_cast<uint64_t>(info[i].screen_number) + 1,
                                Area(info[i].x_org, info[i].y_org, info[i].width, info[i].height)});
  }
  if (info != nullptr) XFree(info);
  return monitors;
}

}  // namespace

std::vector<TMonitor> ReadMonitors(Display* display, Window root) {
  std::vector<TMonitor> monitors = Distinct(RandrMonitors(display, root));
  if (monitors.empty()) monitors = Distinct(XineramaMonitors(display));
  if (monitors.empty()) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, root, &attributes);
    monitors.push_back(TMonitor{0, Area(0, 0, attributes.width, attributes.height)});
  }
  return monitors;
}

int WatchMonitors(Display* display, Window root) {
  XWindowAttributes attributes{};
  XGetWindowAttributes(display, root, &attributes);
  XSelectInput(display, root, attributes.your_event_mask | StructureNotifyMask);
  int event_base = 0;
  int error_base = 0;
  if (!XRRQueryExtension(display, &event_base, &error_base)) return -1;
  XRRSelectInput(display, root, RRScreenChangeNotifyMask);
  return event_base + RRScreenChangeNotify;
}

bool IsMonitorChange(XEvent& event, Window root, int randr_event) {
  if (randr_event >= 0 && event.type == randr_event) {
    XRRUpdateConfiguration(&event);
    return true;
  }
  return event.type == ConfigureNotify && event.xconfigure.window == root;
}

}  // namespace zarmok::x11
