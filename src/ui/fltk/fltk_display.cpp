#include <X11/Xatom.h>
#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fontconfig/fontconfig.h>
#include <langinfo.h>
#include <sys/fsuid.h>
#include <unistd.h>

#include <FL/Fl.H>
#include <FL/x.H>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "AboutDlg.h"
#include "errors.h"
#include "fltk_internal.h"
#include "fltk_ui.h"

namespace zarmok::ui {

namespace {

bool FaceInstalled(const char* face) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face));
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, static_cast<char*>(nullptr));
  FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
  const bool found = fonts != nullptr && fonts->nfont > 0;
  if (fonts) FcFontSetDestroy(fonts);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return found;
}

// The user's character classification (LC_CTYPE from the environment) while it lives. Xlib
// chooses the character sets of a text property by the current LC_CTYPE, and a name should be
// encoded as the user's other X clients encode theirs; the rest of the program keeps the C
// locale it starts in, so its settings file and its reports never depend on the user's.
class TUserCharacterLocale {
 public:
  TUserCharacterLocale() {
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    saved_ = current != nullptr ? current : "C";
    // An unknown locale in the environment leaves the current one in force.
    std::setlocale(LC_CTYPE, "");
  }
  ~TUserCharacterLocale() { std::setlocale(LC_CTYPE, saved_.c_str()); }
  TUserCharacterLocale(const TUserCharacterLocale&) = delete;
  TUserCharacterLocale& operator=(const TUserCharacterLocale&) = delete;

  // False in the C and POSIX locales, whose only characters are ASCII: X has no character set
  // of the user's to choose there, and Japanese would come out in whichever set Xlib tries
  // first (Chinese ones among them), which a reader in a Japanese legacy locale cannot decode.
  bool Chooses() const {
    return std::strcmp(nl_langinfo(CODESET), "ANSI_X3.4-1968") != 0 && XSupportsLocale();
  }

 private:
  std::string saved_;
};

void SetUtf8Property(Display* display, Window window, Atom property, const char* text) {
  const Atom utf8_string = XInternAtom(display, "UTF8_STRING", False);
  XChangeProperty(display, window, property, utf8_string, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(text),
                  static_cast<int>(std::strlen(text)));
}

// One of the ICCCM names (WM_NAME, WM_ICON_NAME), whose type says how to read its bytes: the
// types the ICCCM defines for text, STRING when every character is Latin-1 and COMPOUND_TEXT
// otherwise, when the user's locale chooses the character sets and every character converts;
// else the UTF-8 bytes typed UTF8_STRING, which Xlib converts to any reader's locale.
void SetName(Display* display, Window window, Atom property, const char* text, bool icc_encoding) {
  if (icc_encoding) {
    char* list[] = {const_cast<char*>(text)};
    XTextProperty encoded{};
    const int status = Xutf8TextListToTextProperty(display, list, 1, XStdICCTextStyle, &encoded);
    // A positive status counts characters replaced by a default: the name would not read back.
    if (status == Success) {
      XSetTextProperty(display, window, &encoded, property);
      XFree(encoded.value);
      return;
    }
    if (status > 0 && encoded.value != nullptr) XFree(encoded.value);
  }
  SetUtf8Property(display, window, property, text);
}

// FLTK keeps options of its own (focus boxes, arrow keys moving the focus, dragging text,
// tooltips) in two preference files, /etc/fltk/fltk.org/fltk.prefs and
// $HOME/.fltk/fltk.org/fltk.prefs. It reads them when a widget first asks for an option (setting
// one reads them first too), and opening their group of options marks both as changed, so it
// writes both back at once: it makes ~/.fltk, or a .fltk below the current folder under a
// relative HOME. The saver keeps nothing outside the user's configuration folder, so that one
// reading looks for the user's file below /dev/null, which is no folder: the file can be neither
// read nor made there. Root would still write the system's file back (and make /etc/fltk), so
// root reaches the files for that reading with the rights of "nobody" (the kernel drops the
// file-system privileges with the file-system user id), which can read that file but not write
// it. Every option the dialog meets is then given its usual value, so no user's or system's
// file changes how the dialog looks or answers the keys.
// HOME for the lifetime of the object, then as it was (set or not).
class TScopedHome {
 public:
  explicit TScopedHome(const char* home) {
    const char* saved = std::getenv("HOME");
    if (saved != nullptr) saved_ = saved;
    setenv("HOME", home, 1);
  }
  ~TScopedHome() {
    if (saved_) {
      setenv("HOME", saved_->c_str(), 1);
    } else {
      unsetenv("HOME");
    }
  }
  TScopedHome(const TScopedHome&) = delete;
  TScopedHome& operator=(const TScopedHome&) = delete;

 private:
  std::optional<std::string> saved_;
};

// Root's file-system rights are those of "nobody" for the lifetime of the object.
class TScopedNobodyFiles {
 public:
  TScopedNobodyFiles() : root_(geteuid() == 0) {
    if (root_) setfsuid(kNobody);
  }
  ~TScopedNobodyFiles() {
    if (root_) setfsuid(0);
  }
  TScopedNobodyFiles(const TScopedNobodyFiles&) = delete;
  TScopedNobodyFiles& operator=(const TScopedNobodyFiles&) = delete;

 private:
  static constexpr uid_t kNobody = 65534;
  bool root_;
};

// Xft draws text through the X server's compositing only in true colour: on a display whose
// visual is colour-mapped (8 bits) every label came out as a black bar. There it draws the text
// itself and sends it as an image, the user's other font settings kept.
void DrawTextWithoutRender(Display* display) {
  const int screen = DefaultScreen(display);
  if (DefaultVisual(display, screen)->c_class == TrueColor) return;
  FcPattern* defaults = FcPatternCreate();
  if (defaults == nullptr) return;
  XftDefaultSubstitute(display, screen, defaults);
  FcPatternDel(defaults, XFT_RENDER);
  FcPatternAddBool(defaults, XFT_RENDER, FcFalse);
  // Xft owns the pattern from now on.
  XftDefaultSet(display, defaults);
}

void SetToolkitOptions() {
  {
    const TScopedHome home("/dev/null");
    const TScopedNobodyFiles files;
    Fl::option(Fl::OPTION_VISIBLE_FOCUS);
  }
  Fl::option(Fl::OPTION_ARROW_FOCUS, false);
  Fl::option(Fl::OPTION_VISIBLE_FOCUS, true);
  Fl::option(Fl::OPTION_DND_TEXT, true);
  Fl::option(Fl::OPTION_SHOW_TOOLTIPS, true);
  Fl::option(Fl::OPTION_FNFC_USES_GTK, true);
}

}  // namespace

void NameShownWindow(Fl_Window& window) {
  const Window xid = fl_xid(&window);
  if (xid == 0) return;
  const char* title = window.label() != nullptr ? window.label() : "";
  const char* icon_title = window.iconlabel() != nullptr ? window.iconlabel() : title;
  const TUserCharacterLocale locale;
  const bool icc_encoding = locale.Chooses();
  SetName(fl_display, xid, XA_WM_NAME, title, icc_encoding);
  SetName(fl_display, xid, XA_WM_ICON_NAME, icon_title, icc_encoding);
  // The window managers' own names, _NET_WM_NAME and _NET_WM_ICON_NAME, are UTF-8 in any locale.
  SetUtf8Property(fl_display, xid, XInternAtom(fl_display, "_NET_WM_NAME", False), title);
  SetUtf8Property(fl_display, xid, XInternAtom(fl_display, "_NET_WM_ICON_NAME", False), icon_title);
  XFlush(fl_display);
}

namespace {

// _MOTIF_WM_HINTS: flags (functions and decorations given), functions, decorations, input
// mode, status. Moving and closing are the only functions; border, title and window menu the
// only decorations, so no resize handle and no minimise or maximise button. And the EWMH type
// of a dialog, for the managers that choose a dialog's frame by its type.
void SetDialogHints(Window xid) {
  constexpr long kHintFunctions = 1L << 0;
  constexpr long kHintDecorations = 1L << 1;
  constexpr long kFunctionMove = 1L << 2;
  constexpr long kFunctionClose = 1L << 5;
  constexpr long kDecorBorder = 1L << 1;
  constexpr long kDecorTitle = 1L << 3;
  constexpr long kDecorMenu = 1L << 4;
  const long motif[5] = {kHintFunctions | kHintDecorations, kFunctionMove | kFunctionClose,
                         kDecorBorder | kDecorTitle | kDecorMenu, 0, 0};
  const Atom motif_hints = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
  XChangeProperty(fl_display, xid, motif_hints, motif_hints, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(motif), 5);
  const Atom dialog = XInternAtom(fl_display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
  XChangeProperty(fl_display, xid, XInternAtom(fl_display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM,
                  32, PropModeReplace, reinterpret_cast<const unsigned char*>(&dialog), 1);
}

// Holds every other client's requests back while it lives (a server grab), the window
// manager's among them. FLTK makes a window and maps it in one call, and a window manager
// reads a window's hints when the map reaches it, most of them never again; the map is only
// queued on the connection, though, so the hints set after it are in place before the manager
// may ask for them. Released (and flushed) at once, so nothing else waits longer than the few
// requests of one window; nothing in between may wait for another client (or open a second
// connection to the server, which would wait for the grab to end).
class TWindowManagerHeldBack {
 public:
  TWindowManagerHeldBack() { XGrabServer(fl_display); }
  ~TWindowManagerHeldBack() {
    XUngrabServer(fl_display);
    XFlush(fl_display);
  }
  TWindowManagerHeldBack(const TWindowManagerHeldBack&) = delete;
  TWindowManagerHeldBack& operator=(const TWindowManagerHeldBack&) = delete;
};

// The scale the desktop asks of X programs: its text resolution, Xft.dpi in the resource
// database (192 on a desktop at 200 %), over the 96 dots per inch the control table is drawn
// for. Never below 1: the table's pixels are the smallest the texts are readable in.
double DesktopScale(Display* display) {
  const char* dpi = XGetDefault(display, "Xft", "dpi");
  if (dpi == nullptr) return 1.0;
  char* end = nullptr;
  const double value = std::strtod(dpi, &end);
  if (end == dpi || !(value > 96.0) || value > 96.0 * 8) return 1.0;
  return value / 96.0;
}

}  // namespace

void ShowDialogWindow(Fl_Window& window) {
  const TWindowManagerHeldBack held;
  window.show();
  const Window xid = fl_xid(&window);
  if (xid == 0) return;
  NameShownWindow(window);
  SetDialogHints(xid);
}

void WaitWhileShown(Fl_Window& window) {
  while (window.shown() && !x11::ConnectionLost(fl_display)) Fl::wait();
}

const char* InstalledFace(const TFontRequest& font) {
  return ChooseFontFace(font, FaceInstalled);
}

bool TFltkUi::Open() {
  if (opened_) return true;
  Display* display = nullptr;
  try {
    display = connection_.Open();
  } catch (const EZarmokError&) {
    return false;
  }
  fl_open_display(display);
  // FLTK's handlers of X errors and of a lost connection report them and end the program their
  // own way.
  connection_.TakeBackErrorHandlers();
  SetToolkitOptions();
  FcInit();
  DrawTextWithoutRender(display);
  // FLTK's Xft names start with ' ' (plain) or 'P' (bold italic).
  gothic_name_ = std::string(" ") + InstalledFace(kDialogFont);
  product_name_ = std::string(kProductNameFont.bold && kProductNameFont.italic ? "P" : " ") +
                  InstalledFace(kProductNameFont);
  Fl::set_font(kGothicFont, gothic_name_.c_str());
  Fl::set_font(kProductNameFontId, product_name_.c_str());
  scale_ = DesktopScale(display);
  FL_NORMAL_SIZE = TLook{language_, scale_}.FontSize();
  opened_ = true;
  return true;
}

}  // namespace zarmok::ui
