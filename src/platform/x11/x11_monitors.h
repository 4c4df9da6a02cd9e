// The monitors of an X screen, and the news of their changes.
#pragma once

#include <X11/Xlib.h>

#include <vector>

#include "platform.h"

namespace zarmok::x11 {

// RandR's monitors where the server has them, else Xinerama's screens, else the root window;
// the primary one first. A monitor that lies wholly within another (a mirror of part of it)
// is no monitor of its own.
std::vector<TMonitor> ReadMonitors(Display* display, Window root);

// Asks for the news of monitor changes on `root`: its ConfigureNotify, and RandR's
// screen-change event where the server has RandR. That event's type, or -1 without RandR.
int WatchMonitors(Display* display, Window root);

// Whether `event` is news of a monitor change that WatchMonitors asked for (and lets Xlib
// learn the screen's new size).
bool IsMonitorChange(XEvent& event, Window root, int randr_event);

}  // namespace zarmok::x11
