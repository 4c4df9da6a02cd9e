#include <FL/Fl.H>
#include <FL/fl_draw.H>
#include <algorithm>

#include "fltk_internal.h"

namespace zarmok::ui {

TRect Offset(const TRect& r, int32_t parent_left, int32_t parent_top) {
  return {parent_left + r.left, parent_top + r.top, r.width, r.height};
}

TGroupBox::TGroupBox(const TRect& r, const char* caption)
    : Fl_Group(r.left, r.top, r.width, r.height, caption) {
  box(FL_NO_BOX);
  labelfont(kGothicFont);
  labelsize(kDialogFont.pixels);
  // The caption is drawn by draw() on the frame; FLTK must not draw it beside the group.
  align(FL_ALIGN_INSIDE | FL_ALIGN_TOP_LEFT);
}

void TGroupBox::draw() {
  if (damage() & ~FL_DAMAGE_CHILD) {
    fl_rectf(x(), y(), w(), h(), color());
    fl_font(labelfont(), labelsize());
    const int text_height = fl_height();
    // The frame's top edge runs through the middle of the caption's line.
    const int frame_top = y() + text_height / 2;
    fl_draw_box(FL_ENGRAVED_FRAME, x(), frame_top, w(), h() - (frame_top - y()), color());
    if (label() && *label()) {
      const int text_left = x() + 8;
      const int text_width = static_cast<int>(fl_width(label()));
      fl_rectf(text_left - 1, y(), text_width + 2, text_height, color());
      fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
      fl_draw(label(), text_left, y() + fl_height() - fl_descent());
    }
  }
  draw_children();
}

TPushButton::TPushButton(const TRect& r, const char* caption, bool is_default)
    : Fl_Button(r.left, r.top, r.width, r.height, caption), is_default_(is_default) {
  labelfont(kGothicFont);
  labelsize(kDialogFont.pixels);
  box(FL_UP_BOX);
  down_box(FL_DOWN_BOX);
}

int TPushButton::handle(int event) {
  const bool enter = Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter;
  if (event == FL_KEYBOARD && enter && Fl::focus() == this && active_r()) {
    do_callback();
    return 1;
  }
  if (event == FL_SHORTCUT && enter && is_default_ && active_r()) {
    // Enter reaches the default button as a shortcut only when the focused control did not
    // take it, so a focused button keeps Enter for itself.
    do_callback();
    return 1;
  }
  return Fl_Button::handle(event);
}

void TPushButton::draw() {
  if (is_default_) {
    // The default button's dark outline, with the bevel inside it.
    const Fl_Boxtype face = value() ? down_box() : box();
    fl_color(FL_BLACK);
    fl_rect(x(), y(), w(), h());
    draw_box(face, x() + 1, y() + 1, w() - 2, h() - 2, color());
    draw_label(x() + 1, y() + 1, w() - 2, h() - 2);
    if (Fl::focus() == this) draw_focus(face, x() + 1, y() + 1, w() - 2, h() - 2);
    return;
  }
  Fl_Button::draw();
}

TScrollBar::TScrollBar(const TRect& r, int32_t min, int32_t max)
    : Fl_Scrollbar(r.left, r.top, r.width, r.height) {
  type(FL_HORIZONTAL);
  bounds(min, max);
  step(1);
  linesize(kScrollStep);
  // FLTK pages by the share of the range the thumb covers; a thumb of no share makes a click
  // beside it move by one line, and FLTK still draws it at its smallest legible width.
  slider_size(0);
  value(min);
}

int32_t TScrollBar::Position() const {
  return static_cast<int32_t>(value());
}

void TScrollBar::SetPosition(int32_t position) {
  value(std::clamp<double>(position, minimum(), maximum()));
}

}  // namespace zarmok::ui
