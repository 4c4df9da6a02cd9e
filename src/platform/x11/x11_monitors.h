// The monitors of an X screen as the server reports them, and the news of their changes.
#pragma once

#include <X11/Xlib.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform.h"

namespace zarmok::x11 {

// A place on the screen as X's 16-bit window geometry takes it.
inline int Coordinate(int32_t value) {
  return std::clamp(value, -32768, 32767);
}

inline unsigned Extent(int32_t from, int32_t to) {
  // X has no empty windows: an area of no size gets a window of one pixel.
  return static_cast<unsigned>(std::clamp<int64_t>(static_cast<int64_t>(to) - from, 1, 32767));
}

// RandR's monitors where the server has RandR 1.5 (none at all while every output is off), else
// Xinerama's screens, else the screen itself as the one monitor; in the server's order.
std::vector<TMonitor> ReadMonitors(Display* display, Window root);

// Marks each monitor that lies wholly within another as showing that one's window: a clone, or
// a monitor that shows a part of a larger one's picture. Of two equal ones, the later shows the
// earlier's.
void MarkMirrors(std::vector<TMonitor>& monitors);

// Asks for the news of monitor changes on `root`: its ConfigureNotify, and RandR's
// screen-change event where the server has RandR. That event's type, or -1 without RandR.
int WatchMonitors(Display* display, Window root);

// Whether `event` is news of a monitor change that WatchMonitors asked for (and lets Xlib
// learn the screen's new size).
bool IsMonitorChange(XEvent& event, Window root, int randr_event);

}  // namespace zarmok::x11
