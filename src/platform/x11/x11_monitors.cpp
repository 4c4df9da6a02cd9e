#include "x11_monitors.h"

#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

namespace zarmok::x11 {
namespace {

TWindowRect Area(int x, int y, int width, int height) {
  return TWindowRect{x, y, x + std::max(width, 1), y + std::max(height, 1)};
}

bool Within(const TWindowRect& inner, const TWindowRect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool HasRandrMonitors(Display* display) {
  int event_base = 0;
  int error_base = 0;
  int major = 0;
  int minor = 0;
  return XRRQueryExtension(display, &event_base, &error_base) &&
         XRRQueryVersion(display, &major, &minor) && major * 100 + minor >= 105;
}

std::vector<TMonitor> RandrMonitors(Display* display, Window root) {
  int count = 0;
  XRRMonitorInfo* info = XRRGetMonitors(display, root, True, &count);
  std::vector<TMonitor> monitors;
  for (int i = 0; i < count; ++i) {
    monitors.push_back(TMonitor{static_cast<uint64_t>(info[i].name),
                                Area(info[i].x, info[i].y, info[i].width, info[i].height),
                                info[i].primary != 0, 0});
  }
  if (info != nullptr) XRRFreeMonitors(info);
  return monitors;
}

bool HasXinerama(Display* display) {
  int event_base = 0;
  int error_base = 0;
  return XineramaQueryExtension(display, &event_base, &error_base) && XineramaIsActive(display);
}

std::vector<TMonitor> XineramaMonitors(Display* display) {
  int count = 0;
  XineramaScreenInfo* info = XineramaQueryScreens(display, &count);
  std::vector<TMonitor> monitors;
  for (int i = 0; i < count; ++i) {
    monitors.push_back(TMonitor{static_cast<uint64_t>(info[i].screen_number) + 1,
                                Area(info[i].x_org, info[i].y_org, info[i].width, info[i].height),
                                false, 0});
  }
  if (info != nullptr) XFree(info);
  return monitors;
}

}  // namespace

std::vector<TMonitor> ReadMonitors(Display* display, Window root) {
  std::vector<TMonitor> monitors;
  if (HasRandrMonitors(display)) {
    monitors = RandrMonitors(display, root);
  } else if (HasXinerama(display)) {
    monitors = XineramaMonitors(display);
  } else {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, root, &attributes);
    monitors.push_back(TMonitor{1, Area(0, 0, attributes.width, attributes.height), true, 0});
  }
  MarkMirrors(monitors);
  return monitors;
}

void MarkMirrors(std::vector<TMonitor>& monitors) {
  for (size_t i = 0; i < monitors.size(); ++i) {
    for (size_t j = 0; j < monitors.size(); ++j) {
      if (i == j || !Within(monitors[i].Area, monitors[j].Area)) continue;
      if (monitors[i].Area == monitors[j].Area && j > i) continue;
      monitors[i].Mirrors = monitors[j].Id;
      break;
    }
  }
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
