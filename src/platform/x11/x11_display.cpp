#include "x11_display.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "errors.h"
#include "host.h"

// Last: it defines macros that the standard headers must not see.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace zarmok::x11 {
namespace {

// Xlib's handler of a lost connection is the same for every display; handing over to the
// display's own report (the exit handler) is all it does.
int HandOverLostConnection(Display*) {
  return 0;
}

// Nothing can be done on a connection that is gone: the server has already taken the saver's
// windows, grab and pointer with it. The report is the program's error line; no box can show.
void ReportLostConnection(Display*, void*) {
  const std::string line = ErrorLine(kUnhandledErrorTitle, "X サーバーとの接続が切れました") + "\n";
  const ssize_t written = write(STDERR_FILENO, line.data(), line.size());
  (void)written;
  _exit(1);
}

// The display's error procedure: the error goes to the connection object that the display's
// extension record carries, and Xlib's process-wide handler never sees it.
int HandOverError(Display* display, xError* error, XExtCodes* codes, int* result) {
  XEDataObject object;
  object.display = display;
  XExtData* data = XFindOnExtensionList(XEHeadOfExtensionList(object), codes->extension);
  if (data == nullptr) return 0;
  char text[256] = {};
  XGetErrorText(display, error->errorCode, text, sizeof text);
  char detail[400];
  std::snprintf(detail, sizeof detail, "X error: %s (request %u.%u, resource 0x%lx)", text,
                static_cast<unsigned>(error->majorCode), static_cast<unsigned>(error->minorCode),
                static_cast<unsigned long>(error->resourceID));
  reinterpret_cast<TX11Connection*>(data->private_data)
      ->Record(TPendingError{true, error->errorCode, error->resourceID, detail});
  *result = 0;
  return 1;
}

}  // namespace

TX11Connection::~TX11Connection() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

Display* TX11Connection::Open() {
  if (display_ != nullptr) return display_;
  XSetIOErrorHandler(HandOverLostConnection);
  display_ = XOpenDisplay(nullptr);
  if (display_ == nullptr) {
    const char* name = XDisplayName(nullptr);
    throw EZarmokError(std::string("X ディスプレイ '") + (name != nullptr ? name : "") +
                       "' を開けません");
  }
  XSetIOErrorExitHandler(display_, ReportLostConnection, nullptr);
  // The errors of this display come to this object: an extension record of its own carries
  // the object, and its error procedure answers every error before Xlib's handler would.
  XExtCodes* codes = XAddExtension(display_);
  auto* data = static_cast<XExtData*>(calloc(1, sizeof(XExtData)));
  if (codes == nullptr || data == nullptr) {
    free(data);
    XCloseDisplay(display_);
    display_ = nullptr;
    throw EZarmokError("X ディスプレイの準備ができません");
  }
  data->number = codes->extension;
  data->private_data = reinterpret_cast<XPointer>(this);
  // Xlib frees the record with the display, and its private data unless told otherwise: the
  // object is not Xlib's to free.
  data->free_private = [](XExtData*) { return 0; };
  XEDataObject object;
  object.display = display_;
  XAddToExtensionList(XEHeadOfExtensionList(object), data);
  XESetError(display_, codes->extension, HandOverError);
  return display_;
}

void TX11Connection::KeepLostConnectionReport() {
  XSetIOErrorHandler(HandOverLostConnection);
}

void TX11Connection::Record(const TPendingError& error) {
  if (trap_depth_ > 0) {
    trap_failed_ = true;
  } else if (!pending_.pending) {
    pending_ = error;
  }
}

TPendingError TX11Connection::TakePendingError() {
  TPendingError taken = pending_;
  pending_ = TPendingError{};
  return taken;
}

TErrorTrap::TErrorTrap(TX11Connection& connection) : connection_(connection) {
  XSync(connection_.display_, False);
  if (connection_.trap_depth_++ == 0) connection_.trap_failed_ = false;
}

TErrorTrap::~TErrorTrap() {
  XSync(connection_.display_, False);
  if (--connection_.trap_depth_ == 0) connection_.trap_failed_ = false;
}

bool TErrorTrap::Failed() {
  XSync(connection_.display_, False);
  return connection_.trap_failed_;
}

bool WindowExists(TX11Connection& connection, unsigned long id) {
  // X resource ids have 29 bits: a wider handle names no window, and Xlib would send only its
  // low 32 bits, which may be another window's id.
  constexpr unsigned long kLargestId = 0x1FFFFFFF;
  if (id == 0 || id > kLargestId) return false;
  Display* display = connection.Open();
  TErrorTrap trap(connection);
  XWindowAttributes attributes{};
  return XGetWindowAttributes(display, id, &attributes) != 0 && !trap.Failed();
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
