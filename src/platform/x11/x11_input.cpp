#include "x11_input.h"

namespace zarmok::x11 {

bool TranslateWindowEvent(const XEvent& event, Atom close_request, TSaverEvent& translated) {
  translated = TSaverEvent{TSaverEventKind::Paint};
  switch (event.type) {
    case KeyPress:
      translated.Kind = TSaverEventKind::KeyDown;
      return true;
    case ButtonPress:
      // X's Button1 is the primary button, whichever physical one the user's mapping makes it.
      translated.Kind = TSaverEventKind::PrimaryClick;
      return event.xbutton.button == Button1;
    case MotionNotify:
      translated.Kind = TSaverEventKind::MouseMove;
      translated.Position = TPoint{event.xmotion.x_root, event.xmotion.y_root};
      return true;
    case ClientMessage:
      translated.Kind = TSaverEventKind::CloseRequest;
      return event.xclient.format == 32 &&
             static_cast<Atom>(event.xclient.data.l[0]) == close_request;
    case Expose:
      // The last of a series: the whole picture is shown again once.
      return event.xexpose.count == 0;
    case VisibilityNotify:
      translated.Kind = TSaverEventKind::Covered;
      return event.xvisibility.state != VisibilityUnobscured;
    case ConfigureNotify:
      translated.Kind = TSaverEventKind::Resized;
      translated.Width = event.xconfigure.width;
      translated.Height = event.xconfigure.height;
      return true;
    case DestroyNotify:
      // Only another client's destruction arrives: the saver's own windows are forgotten first.
      translated.Kind = TSaverEventKind::WindowGone;
      return true;
    default:
      return false;
  }
}

}  // namespace zarmok::x11
