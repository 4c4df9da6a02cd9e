#include "x11_display.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "errors.h"
#include "host.h"

namespace zarmok::x11 {
namespace {

Display* g_display = nullptr;
int g_trap_depth = 0;
bool g_trap_failed = false;
TPendingError g_pending;

int OnXError(Display* display, XErrorEvent* event) {
  if (g_trap_depth > 0) {
    g_trap_failed = true;
    return 0;
  }
  if (!g_pending.pending) {
    char text[256] = {};
    XGetErrorText(display, event->error_code, text, sizeof text);
    g_pending.pending = true;
    g_pending.code = event->error_code;
    g_pending.resource = event->resourceid;
    char detail[400];
    std::snprintf(detail, sizeof detail, "X error: %s (request %u.%u, resource 0x%lx)", text,
                  static_cast<unsigned>(event->request_code),
                  static_cast<unsigned>(event->minor_code), event->resourceid);
    g_pending.text = detail;
  }
  return 0;
}

// Xlib ends the program itself once this returns, so the report is made here. Nothing else
// can be done on a connection that is gone: the server has already taken the saver's window,
// grab and pointer with it.
int OnXIOError(Display*) {
  std::fprintf(stderr, "%s: %s\n", kUnhandledErrorTitle, "X サーバーとの接続が切れました");
  std::fflush(stderr);
  _exit(1);
}

}  // namespace

Display* OpenDisplay() {
  if (g_display != nullptr) return g_display;
  XSetErrorHandler(OnXError);
  XSetIOErrorHandler(OnXIOError);
  g_display = XOpenDisplay(nullptr);
  if (g_display == nullptr) {
    const char* name = XDisplayName(nullptr);
    throw EZarmokError(std::string("X ディスプレイ '") + (name != nullptr ? name : "") +
                       "' を開けません");
  }
  return g_display;
}

Display* CurrentDisplay() {
  return g_display;
}

void CloseDisplay() {
  if (g_display == nullptr) return;
  XCloseDisplay(g_display);
  g_display = nullptr;
}

TErrorTrap::TErrorTrap(Display* display) : display_(display) {
  XSync(display_, False);
  if (g_trap_depth++ == 0) g_trap_failed = false;
}

TErrorTrap::~TErrorTrap() {
  XSync(display_, False);
  if (--g_trap_depth == 0) g_trap_failed = false;
}

bool TErrorTrap::Failed() {
  XSync(display_, False);
  return g_trap_failed;
}

bool ErrorPending() {
  return g_pending.pending;
}

TPendingError TakePendingError() {
  TPendingError taken = g_pending;
  g_pending = TPendingError{};
  return taken;
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

bool FindTopLevelSaver(Display* display) {
  TErrorTrap trap(display);
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
