// Pieces the FLTK front end's files share: the display, the fonts and the widget kinds that
// give FLTK the look and the keys of the dialog's controls.
#pragma once

#include <FL/Enumerations.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Valuator.H>
#include <FL/Fl_Window.H>

#include "BugsSet.h"
#include "texts.h"

namespace zarmok::ui {

// Names a shown top-level window after its label and icon label (or its label when it has
// none). FLTK writes the UTF-8 bytes of a label into WM_NAME and WM_ICON_NAME typed STRING,
// which is Latin-1, so programs that read those names saw garbage for a Japanese title; these
// names read back as the label's characters. Call it after every show() and every change of the
// label, since FLTK then writes its own names again.
void NameShownWindow(Fl_Window& window);

// Shows a top-level window with a dialog border under a window manager: a close button only,
// no resizing, no minimising or maximising (FLTK's own hints for a fixed-size window still allow
// minimising), named as NameShownWindow names it. All of it is in place before the manager
// first looks, so the window is framed once, as a dialog.
void ShowDialogWindow(Fl_Window& window);

// Handles the toolkit's events until the window closes, or until the connection to the X server
// is gone, which no window outlives (the caller's caller reports it).
void WaitWhileShown(Fl_Window& window);

// The face standing in for the dialog font (every label, caption and message).
inline constexpr Fl_Font kGothicFont = FL_HELVETICA;
// The product name's bold italic serif.
inline constexpr Fl_Font kProductNameFontId = FL_FREE_FONT;

// The face chosen for a font on this machine (fontconfig decides what is installed).
const char* InstalledFace(const TFontRequest& font);

// How this run draws the dialog and its boxes: the language of their texts, and the scale of
// the control table's pixels on this display (2 where the desktop asks for 192 dots per inch).
struct TLook {
  TLanguage language = TLanguage::Japanese;
  double scale = 1.0;

  const char* Caption(TTextId id) const { return Text(id, language); }
  int Px(int32_t pixels) const { return ScaleLength(pixels, scale); }
  TRect Px(const TRect& r) const { return ScaleRect(r, scale); }
  // The dialog font at this scale.
  int FontSize() const { return Px(kDialogFont.pixels); }
  // A text's width in the dialog font, in device pixels and in the table's.
  int TextWidth(const char* text) const;
  int32_t TableWidth(const char* text) const { return TablePixels(TextWidth(text), scale); }
};

// A label whose text starts at its left edge, as wide as the text (one pixel more for the last
// glyph's overhang), at a place in window coordinates.
Fl_Widget* AddTextLabel(const TLook& look, const char* text, int left, int top);

// A group box: an etched frame whose caption interrupts its top edge at the left. `r` is in
// the window's pixels.
class TGroupBox : public Fl_Group {
 public:
  TGroupBox(const TLook& look, const TRect& r, const char* caption);

 protected:
  void draw() override;
};

// A push button. Enter presses the button that has the focus, and the default button when the
// focus is on a control that is not a button; the default button shows a dark frame.
class TPushButton : public Fl_Button {
 public:
  TPushButton(const TLook& look, const TRect& r, const char* caption, bool is_default);
  int handle(int event) override;

 protected:
  void draw() override;

 private:
  bool is_default_;
};

// A horizontal scroll bar with a square thumb. A click on an arrow or in the trough beside the
// thumb moves it by kScrollStep and, held, repeats (the trough only until the thumb reaches the
// pointer); the thumb can be dragged; Left/Right, Page Up/Down and Home/End work with the focus.
class TScrollBar : public Fl_Valuator {
 public:
  TScrollBar(const TRect& r, int32_t min, int32_t max);
  ~TScrollBar() override;
  int32_t Position() const;
  void SetPosition(int32_t position);
  int handle(int event) override;

 protected:
  void draw() override;

 private:
  enum TPart { kNothing, kLeftArrow, kRightArrow, kPageLeft, kPageRight, kThumb };
  int ThumbLeft() const;
  TPart PartAt(int x) const;
  void Step(TPart part);
  void StartRepeat(double delay);
  static void Repeat(void* self);

  TPart pressed_ = kNothing;
  int drag_offset_ = 0;
};

// Places a widget's rectangle relative to its parent's origin given in window coordinates.
TRect Offset(const TRect& r, int32_t parent_left, int32_t parent_top);

// Shows the about box modally over the dialog and returns when it has closed.
void ShowAboutBoxModal(const TLook& look);

}  // namespace zarmok::ui
