// Pieces the Win32 front end's files share: text, fonts, controls and the modal run of a
// dialog window made from an in-memory template.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "BugsSet.h"
#include "texts.h"

namespace zarmok::win32ui {

// The UTF-16 text that the W functions take for the core's UTF-8.
std::wstring Wide(const std::string& utf8);

// A font for a request, in the face this system has for it (the face, else an installed
// stand-in, else the face's name for the font mapper), its height scaled to `dpi`. `japanese`
// asks for SHIFTJIS_CHARSET, and with no face of the request installed leaves the choice to the
// mapper, which then takes that character set's default face rather than one without the glyphs.
HFONT MakeFont(const TFontRequest& font, bool japanese, int dpi);

// The dots per inch of the monitor `window` is on. The control table is laid out for 96.
int WindowDpi(HWND window);
// A length or a rectangle of the control table at `dpi`.
int ScaleToDpi(int pixels, int dpi);
TRect ScaleToDpi(const TRect& r, int dpi);

// A dialog's children kept with their places in the control table and the fonts they write in,
// so that the dialog shows at its monitor's scale and lays itself out again when it moves to a
// monitor of another scale. The first font made is the dialog's own.
class TScaledChildren {
 public:
  TScaledChildren() = default;
  TScaledChildren(const TScaledChildren&) = delete;
  TScaledChildren& operator=(const TScaledChildren&) = delete;
  ~TScaledChildren();

  // Takes the dialog's scale now; the dialog manager's own scaling is switched off, since it
  // knows only the controls of a template.
  void Start(HWND dialog);
  int Scale(int pixels) const { return ScaleToDpi(pixels, dpi_); }

  // Makes a font at the dialog's scale; the number returned names it for the children.
  int AddFont(const TFontRequest& font, bool japanese);
  HFONT Font(int font) const { return fonts_[font].handle; }
  // A child at the table's rectangle `r` in the dialog's client area; `font` -1 for none.
  HWND AddControl(const wchar_t* window_class, const std::string& text, DWORD style, const TRect& r,
                  int id, int font);
  // A label as wide and as high as its text in `font`, its corner at the table's (left, top).
  HWND AddLabel(const std::string& text, DWORD style, int32_t left, int32_t top, int id, int font);
  // The width and the line height of a text in `font`, in the table's pixels.
  int32_t TableTextWidth(const std::string& text, int font) const;
  int32_t TableTextHeight(int font) const;

  // A child's place in the table, from now on (a measured label's corner).
  void Move(HWND child, const TRect& r);

  // WM_DPICHANGED: every font made again, `refit` given its chance to Move the children whose
  // places follow their texts' widths in the new fonts, and every child placed again at `dpi`,
  // the dialog at the rectangle the system suggests.
  void ChangeDpi(int dpi, const RECT& suggested, const std::function<void()>& refit = {});

 private:
  struct TFont {
    const TFontRequest* request;
    bool japanese;
    HFONT handle;
  };
  struct TChild {
    HWND window;
    TRect rect;  // in the table; a measured label's size comes from its text
    int font;
    bool measured;
  };
  TRect Place(const TChild& child) const;

  HWND dialog_ = nullptr;
  int dpi_ = 96;
  std::vector<TFont> fonts_;
  std::vector<TChild> children_;
};

// A child control at `r` in its parent's client area, writing in `font`.
HWND CreateControl(HWND parent, const wchar_t* window_class, const std::string& text, DWORD style,
                   const TRect& r, int id, HFONT font);

// Runs a modal dialog of the window class `window_class` from a template without controls
// (the dialog procedure makes them at their pixel places); the dialog's result, -1 when its
// window could not be made.
INT_PTR RunModalDialog(const wchar_t* window_class, HWND owner, DLGPROC procedure, LPARAM param);

// Gives a dialog window the client size asked for, its outer corner at (left, top) of the screen.
void PlaceDialog(HWND dialog, int left, int top, int client_width, int client_height);
// The outer size a dialog window takes for the client size asked for.
SIZE DialogOuterSize(HWND dialog, int client_width, int client_height);

// A modal message box with the error icon and one OK button, owned by `owner`.
void ShowErrorBox(HWND owner, const std::string& title, const std::string& text);

// Shows the about box in `language` modally over `owner` and returns when it has closed.
void ShowAboutBoxModal(HWND owner, TLanguage language);

// A check box's mark and the gap before its text, in the table's pixels: the system draws a
// mark of 13 at 96 dots per inch.
inline constexpr int32_t kCheckMarkWidth = 19;

}  // namespace zarmok::win32ui
