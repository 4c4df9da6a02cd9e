#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>
#include <FL/fl_draw.H>
#include <algorithm>
#include <string>

#include "AboutDlg.h"
#include "fltk_internal.h"
#include "fltk_ui.h"

namespace zarmok::ui {

namespace {

// The error icon: a red disc with a white cross.
class TErrorIcon : public Fl_Widget {
 public:
  TErrorIcon(int x, int y, int size) : Fl_Widget(x, y, size, size) {}

 protected:
  void draw() override {
    fl_color(fl_rgb_color(200, 0, 0));
    fl_pie(x(), y(), w(), h(), 0, 360);
    fl_color(FL_WHITE);
    fl_line_style(FL_SOLID | FL_CAP_ROUND, 3);
    const int m = w() / 3;
    fl_line(x() + m, y() + m, x() + w() - m, y() + h() - m);
    fl_line(x() + w() - m, y() + m, x() + m, y() + h() - m);
    fl_line_style(0);
  }
};

void CloseWindow(Fl_Widget* widget, void*) {
  (widget->window() ? widget->window() : widget)->hide();
}

}  // namespace

void TFltkUi::ShowError(const std::string& title, const std::string& message) {
  if (!Open()) return;
  const TLook look{language_, scale_};
  const int margin = look.Px(12);
  const int icon = look.Px(32);
  const int button_width = look.Px(75);
  const int button_height = look.Px(23);
  fl_font(kGothicFont, look.FontSize());
  int text_width = 0;
  int text_height = 0;
  fl_measure(message.c_str(), text_width, text_height, 0);
  // FLTK draws a box's text three pixels in from each side.
  text_width += 6;
  const int content_height = std::max(icon, text_height);
  const int width =
      std::max(margin + icon + margin + text_width + margin, button_width + 2 * margin);
  const int height = margin + content_height + margin + button_height + margin;
  const TPoint origin = CenteredOrigin(Fl::w(), Fl::h(), width, height);

  // Kept alive while shown: FLTK refers to the label texts it was given.
  const std::string title_text = title;
  const std::string message_text = message;
  Fl_Double_Window box(origin.x, origin.y, width, height, title_text.c_str());
  box.xclass(kErrorBoxClass);
  new TErrorIcon(margin, margin + (content_height - icon) / 2, icon);
  auto* text =
      new Fl_Box(margin + icon + margin, margin, text_width, content_height, message_text.c_str());
  text->box(FL_NO_BOX);
  text->labelfont(kGothicFont);
  text->labelsize(look.FontSize());
  text->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
  auto* ok = new TPushButton(
      look,
      {(width - button_width) / 2, height - margin - button_height, button_width, button_height},
      look.Caption(TTextId::OkButton), true);
  ok->callback(CloseWindow);
  box.end();
  box.size_range(width, height, width, height);
  box.callback(CloseWindow);
  box.set_modal();
  ShowDialogWindow(box);
  ok->take_focus();
  WaitWhileShown(box);
}

}  // namespace zarmok::ui
