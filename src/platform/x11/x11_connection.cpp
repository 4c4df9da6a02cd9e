#include "x11_connection.h"

#include <signal.h>

#include <cstdio>
#include <cstdlib>

#include "errors.h"
#include "host.h"

// Last: it defines macros that the standard headers must not see.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace zarmok::x11 {
namespace {

// Xlib's handler of a lost connection is the same for every display; handing over to the
// display's own (the exit handler) is all it does.
int HandOverLostConnection(Display*) {
  return 0;
}

// Returning keeps the program going: the display stays marked as lost, and the loop that reads
// it next reports the loss the way every other error of the program is reported.
void LeaveLossToTheLoop(Display*, void*) {}

// Xlib frees the display's records with it, and their private data unless told otherwise: the
// connection object is not Xlib's to free. The function also tells the record apart.
int KeepConnection(XExtData*) {
  return 0;
}

TX11Connection* ConnectionOf(Display* display) {
  XEDataObject object;
  object.display = display;
  for (XExtData* data = *XEHeadOfExtensionList(object); data != nullptr; data = data->next) {
    if (data->free_private == KeepConnection) {
      return reinterpret_cast<TX11Connection*>(data->private_data);
    }
  }
  return nullptr;
}

// Xlib's handler of X errors is the same for every display: the error goes to the connection
// object that the display's record carries. Xlib hands an extension's own error procedure only
// the errors it meets while waiting for an answer, not those it reads with the events, so this
// handler is the one that sees them all.
int HandOverError(Display* display, XErrorEvent* error) {
  TX11Connection* connection = ConnectionOf(display);
  if (connection == nullptr) return 0;
  char text[256] = {};
  XGetErrorText(display, error->error_code, text, sizeof text);
  char detail[400];
  std::snprintf(detail, sizeof detail, "X error: %s (request %u.%u, resource 0x%lx)", text,
                static_cast<unsigned>(error->request_code),
                static_cast<unsigned>(error->minor_code),
                static_cast<unsigned long>(error->resourceid));
  connection->Record(detail);
  return 0;
}

}  // namespace

bool ConnectionLost(Display* display) {
  return (display->flags & XlibDisplayIOError) != 0;
}

TX11Connection::~TX11Connection() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

Display* TX11Connection::Open() {
  if (display_ != nullptr) return display_;
  // Xlib writes to its socket without MSG_NOSIGNAL: a write to a server that has just gone would
  // end the program by SIGPIPE, before the connection could say it was lost and the tear-down
  // could run. Ignored, the write fails and the loss is reported as any other.
  signal(SIGPIPE, SIG_IGN);
  XSetIOErrorHandler(HandOverLostConnection);
  display_ = XOpenDisplay(nullptr);
  if (display_ == nullptr) {
    const char* name = XDisplayName(nullptr);
    throw EZarmokError(TWording{TTextId::XDisplayNotOpened, {name != nullptr ? name : ""}});
  }
  XSetIOErrorExitHandler(display_, LeaveLossToTheLoop, nullptr);
  // The errors of this display come to this object, which a record of the display carries.
  XExtCodes* codes = XAddExtension(display_);
  auto* data = static_cast<XExtData*>(calloc(1, sizeof(XExtData)));
  if (codes == nullptr || data == nullptr) {
    free(data);
    XCloseDisplay(display_);
    display_ = nullptr;
    throw EZarmokError(TTextId::XDisplayNotPrepared);
  }
  data->number = codes->extension;
  data->private_data = reinterpret_cast<XPointer>(this);
  data->free_private = KeepConnection;
  XEDataObject object;
  object.display = display_;
  XAddToExtensionList(XEHeadOfExtensionList(object), data);
  XSetErrorHandler(HandOverError);
  return display_;
}

void TX11Connection::TakeBackErrorHandlers() {
  XSetErrorHandler(HandOverError);
  XSetIOErrorHandler(HandOverLostConnection);
}

void TX11Connection::RaiseLoss() const {
  if (Lost()) throw EZarmokError(TTextId::XConnectionLost);
}

void TX11Connection::Record(const std::string& text) {
  if (trap_depth_ > 0) {
    trap_failed_ = true;
  } else if (!pending_) {
    pending_ = text;
  }
}

std::optional<std::string> TX11Connection::TakePendingError() {
  std::optional<std::string> taken = std::move(pending_);
  pending_.reset();
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
  return connection_.trap_failed_ || connection_.Lost();
}

}  // namespace zarmok::x11
