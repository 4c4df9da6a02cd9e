#include <X11/Xlib.h>
#include <fontconfig/fontconfig.h>

#include <FL/Fl.H>
#include <FL/x.H>
#include <string>

#include "AboutDlg.h"
#include "fltk_internal.h"

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

// FLTK keeps the pointers it is given; its Xft names start with ' ' (plain) or 'P' (bold italic).
std::string gothic_name;
std::string product_name;

void SetUpFonts() {
  FcInit();
  gothic_name = std::string(" ") + InstalledFace(kDialogFont);
  product_name = std::string(kProductNameFont.bold && kProductNameFont.italic ? "P" : " ") +
                 InstalledFace(kProductNameFont);
  Fl::set_font(kGothicFont, gothic_name.c_str());
  Fl::set_font(kProductNameFontId, product_name.c_str());
  FL_NORMAL_SIZE = kDialogFont.pixels;
}

}  // namespace

const char* InstalledFace(const TFontSpec& font) {
  return ChooseFontFace(font, FaceInstalled);
}

bool OpenDisplay() {
  static bool opened = false;
  if (opened) return true;
  // FLTK ends the program when it cannot open the display, so the display is opened here,
  // where its absence is an answer rather than an exit.
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  fl_open_display(display);
  SetUpFonts();
  opened = true;
  return true;
}

}  // namespace zarmok::ui
