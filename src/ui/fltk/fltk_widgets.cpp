#include <FL/Fl.H>
#include <FL/fl_draw.H>
#include <algorithm>
#include <cmath>

#include "fltk_internal.h"

namespace zarmok::ui {

TRect Offset(const TRect& r, int32_t parent_left, int32_t parent_top) {
  return {parent_left + r.left, parent_top + r.top, r.width, r.height};
}

int TLook::TextWidth(const char* text) const {
  fl_font(kGothicFont, FontSize());
  return static_cast<int>(std::ceil(fl_width(text)));
}

namespace {

// Draws its text from its left edge, where the table places it; FLTK's own boxes leave a margin.
class TTextLabel : public Fl_Widget {
 public:
  TTextLabel(int x, int y, int w, int h, const char* text) : Fl_Widget(x, y, w, h, text) {}

 protected:
  void draw() override {
    fl_font(labelfont(), labelsize());
    fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
    fl_draw(label(), x(), y() + fl_height() - fl_descent());
  }
};

}  // namespace

Fl_Widget* AddTextLabel(const TLook& look, const char* text, int left, int top) {
  fl_font(kGothicFont, look.FontSize());
  auto* label = new TTextLabel(left, top, look.TextWidth(text) + 1, fl_height(), text);
  label->labelfont(kGothicFont);
  label->labelsize(look.FontSize());
  return label;
}

TGroupBox::TGroupBox(const TLook& look, const TRect& r, const char* caption)
    : Fl_Group(r.left, r.top, r.width, r.height, caption) {
  box(FL_NO_BOX);
  labelfont(kGothicFont);
  labelsize(look.FontSize());
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
      const int text_left = x() + labelsize() * 2 / 3;
      const int text_width = static_cast<int>(fl_width(label()));
      fl_rectf(text_left - 1, y(), text_width + 2, text_height, color());
      fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
      fl_draw(label(), text_left, y() + fl_height() - fl_descent());
    }
  }
  draw_children();
}

TPushButton::TPushButton(const TLook& look, const TRect& r, const char* caption, bool is_default)
    : Fl_Button(r.left, r.top, r.width, r.height, caption), is_default_(is_default) {
  labelfont(kGothicFont);
  labelsize(look.FontSize());
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

namespace {

constexpr double kFirstRepeat = 0.35;
constexpr double kNextRepeat = 0.05;

void DrawArrow(int x, int y, int w, int h, bool left, bool active) {
  const int cx = x + w / 2;
  const int cy = y + h / 2;
  // Two pixels deep at the table's 17, and as much larger as the bar is.
  const int d = std::max(2, h / 8);
  fl_color(active ? FL_BLACK : fl_inactive(FL_BLACK));
  if (left) {
    fl_polygon(cx - d, cy, cx + d, cy - 2 * d, cx + d, cy + 2 * d);
  } else {
    fl_polygon(cx + d, cy, cx - d, cy - 2 * d, cx - d, cy + 2 * d);
  }
}

}  // namespace

TScrollBar::TScrollBar(const TRect& r, int32_t min, int32_t max)
    : Fl_Valuator(r.left, r.top, r.width, r.height, nullptr) {
  bounds(min, max);
  step(1);
  value(min);
  box(FL_FLAT_BOX);
  color(fl_color_average(FL_WHITE, FL_BACKGROUND_COLOR, 0.5f));
}

TScrollBar::~TScrollBar() {
  Fl::remove_timeout(Repeat, this);
}

int32_t TScrollBar::Position() const {
  return static_cast<int32_t>(value());
}

void TScrollBar::SetPosition(int32_t position) {
  value(std::clamp<double>(position, minimum(), maximum()));
}

int TScrollBar::ThumbLeft() const {
  const int track = w() - 3 * h();  // the trough less the two arrows and the thumb
  const double range = maximum() - minimum();
  const double share = range > 0 ? (value() - minimum()) / range : 0.0;
  return x() + h() + static_cast<int>(share * std::max(track, 0) + 0.5);
}

TScrollBar::TPart TScrollBar::PartAt(int px) const {
  if (px < x() + h()) return kLeftArrow;
  if (px >= x() + w() - h()) return kRightArrow;
  const int thumb = ThumbLeft();
  if (px < thumb) return kPageLeft;
  if (px >= thumb + h()) return kPageRight;
  return kThumb;
}

void TScrollBar::Step(TPart part) {
  const bool back = part == kLeftArrow || part == kPageLeft;
  // Paging stops once the thumb has reached the pointer.
  if ((part == kPageLeft || part == kPageRight) && PartAt(Fl::event_x()) != part) return;
  handle_drag(clamp(value() + (back ? -kScrollStep : kScrollStep)));
}

void TScrollBar::StartRepeat(double delay) {
  Fl::add_timeout(delay, Repeat, this);
}

void TScrollBar::Repeat(void* self) {
  auto* bar = static_cast<TScrollBar*>(self);
  if (bar->pressed_ == kNothing || bar->pressed_ == kThumb) return;
  bar->Step(bar->pressed_);
  bar->StartRepeat(kNextRepeat);
}

int TScrollBar::handle(int event) {
  switch (event) {
    case FL_PUSH:
      if (Fl::event_button() != FL_LEFT_MOUSE) return 0;
      if (Fl::visible_focus()) take_focus();
      handle_push();
      pressed_ = PartAt(Fl::event_x());
      if (pressed_ == kThumb) {
        drag_offset_ = Fl::event_x() - ThumbLeft();
      } else {
        Step(pressed_);
        StartRepeat(kFirstRepeat);
      }
      redraw();
      return 1;
    case FL_DRAG:
      if (pressed_ == kThumb) {
        const int track = std::max(w() - 3 * h(), 1);
        const double share =
            static_cast<double>(Fl::event_x() - drag_offset_ - (x() + h())) / track;
        handle_drag(clamp(round(minimum() + share * (maximum() - minimum()))));
      }
      return 1;
    case FL_RELEASE:
      Fl::remove_timeout(Repeat, this);
      pressed_ = kNothing;
      handle_release();
      redraw();
      return 1;
    case FL_KEYBOARD: {
      double target = value();
      switch (Fl::event_key()) {
        case FL_Left:
        case FL_Up:
        case FL_Page_Up:
          target -= kScrollStep;
          break;
        case FL_Right:
        case FL_Down:
        case FL_Page_Down:
          target += kScrollStep;
          break;
        case FL_Home:
          target = minimum();
          break;
        case FL_End:
          target = maximum();
          break;
        default:
          return 0;
      }
      handle_drag(clamp(target));
      handle_release();
      return 1;
    }
    case FL_FOCUS:
    case FL_UNFOCUS:
      if (!Fl::visible_focus()) return 0;
      redraw();
      return 1;
    case FL_ENTER:
    case FL_LEAVE:
      return 1;
    default:
      return Fl_Valuator::handle(event);
  }
}

void TScrollBar::draw() {
  const int side = h();
  const bool on = active_r();
  // The trough, darkened on the side being paged.
  draw_box(FL_FLAT_BOX, x() + side, y(), w() - 2 * side, side, color());
  const int thumb = ThumbLeft();
  if (pressed_ == kPageLeft) fl_rectf(x() + side, y(), thumb - x() - side, side, FL_DARK3);
  if (pressed_ == kPageRight)
    fl_rectf(thumb + side, y(), x() + w() - side - thumb - side, side, FL_DARK3);
  draw_box(pressed_ == kLeftArrow ? FL_DOWN_BOX : FL_UP_BOX, x(), y(), side, side,
           FL_BACKGROUND_COLOR);
  DrawArrow(x(), y(), side, side, true, on);
  draw_box(pressed_ == kRightArrow ? FL_DOWN_BOX : FL_UP_BOX, x() + w() - side, y(), side, side,
           FL_BACKGROUND_COLOR);
  DrawArrow(x() + w() - side, y(), side, side, false, on);
  draw_box(FL_UP_BOX, thumb, y(), side, side, FL_BACKGROUND_COLOR);
  if (Fl::focus() == this && Fl::visible_focus()) {
    draw_focus(FL_UP_BOX, thumb, y(), side, side);
  }
}

}  // namespace zarmok::ui
