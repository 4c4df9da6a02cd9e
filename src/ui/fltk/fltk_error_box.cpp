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
  constexpr int kMargin = 12;
  constexpr int kIcon = 32;
  constexpr int kButtonWidth = 75;
  constexpr int kButtonHeight = 23;
  fl_font(kGothicFont, kDialogFont.pixels);
  int text_width = 0;
  int text_height = 0;
  fl_measure(message.c_str(), text_width, text_height, 0);
  const int content_height = std::max(kIcon, text_height);
  const int width =
      std::max(kMargin + kIcon + kMargin + text_width + kMargin, kButtonWidth + 2 * kMargin);
  const int height = kMargin + content_height + kMargin + kButtonHeight + kMargin;
  const TPoint origin = CenteredOrigin(Fl::w(), Fl::h(), width, height);

  // Kept alive while shown: FLTK refers to the label texts it was given.
  const std::string title_text = title;
  const std::string message_text = message;
  Fl_Double_Window box(origin.x, origin.y, width, height, title_text.c_str());
  new TErrorIcon(kMargin, kMargin + (content_height - kIcon) / 2, kIcon);
  auto* text = new Fl_Box(kMargin + kIcon + kMargin, kMargin, text_width, content_height,
                          message_text.c_str());
  text->box(FL_NO_BOX);
  text->labelfont(kGothicFont);
  text->labelsize(kDialogFont.pixels);
  text->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
  auto* ok = new TPushButton(
      {(width - kButtonWidth) / 2, height - kMargin - kButtonHeight, kButtonWidth, kButtonHeight},
      "OK", true);
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
