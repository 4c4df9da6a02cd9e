#include "x11_running.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstring>

#include "host.h"

namespace zarmok::x11 {

void SetRunningFlag(Display* display, bool running) {
  const Window root = DefaultRootWindow(display);
  const Atom flag = XInternAtom(display, kRunningProperty, False);
  if (running) {
    const long on = 1;
    XChangeProperty(display, root, flag, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&on), 1);
  } else {
    XDeleteProperty(display, root, flag);
  }
  XFlush(display);
}

namespace {

bool HasClass(Display* display, Window window) {
  XClassHint hint{};
  if (XGetClassHint(display, window, &hint) == 0) return false;
  const bool match = hint.res_class != nullptr && std::strcmp(hint.res_class, kSaverClassName) == 0;
  if (hint.res_name != nullptr) XFree(hint.res_name);
  if (hint.res_class != nullptr) XFree(hint.res_class);
  return match;
}

bool HasProperty(Display* display, Window window, Atom property) {
  Atom type = None;
  int format = 0;
  unsigned long items = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display, window, property, 0, 0, False, AnyPropertyType,
                                        &type, &format, &items, &after, &data);
  if (data != nullptr) XFree(data);
  return status == Success && type != None;
}

// The window manager's frames hold the client a few levels down; the client is the first
// window on the way that carries WM_STATE, and nothing inside it is searched.
bool ClientHasClass(Display* display, Window frame, Atom wm_state, int depth) {
  if (depth > 4) return false;
  Window root = None;
  Window parent = None;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, frame, &root, &parent, &children, &count) == 0) return false;
  bool found = false;
  for (unsigned int i = 0; i < count && !found; ++i) {
    if (HasProperty(display, children[i], wm_state)) {
      found = HasClass(display, children[i]);
    } else {
      found = ClientHasClass(display, children[i], wm_state, depth + 1);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

}  // namespace

bool FindTopLevelSaver(TX11Connection& connection) {
  Display* display = connection.Open();
  TErrorTrap trap(connection);
  const Atom wm_state = XInternAtom(display, "WM_STATE", False);
  for (int screen = 0; screen < ScreenCount(display); ++screen) {
    Window root = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, RootWindow(display, screen), &root, &parent, &children, &count) == 0)
      continue;
    bool found = false;
    for (unsigned int i = 0; i < count && !found; ++i) {
      found = HasClass(display, children[i]) || (!HasProperty(display, children[i], wm_state) &&
                                                 ClientHasClass(display, children[i], wm_state, 1));
    }
    if (children != nullptr) XFree(children);
    if (found) return true;
  }
  return false;
}

}  // namespace zarmok::x11
