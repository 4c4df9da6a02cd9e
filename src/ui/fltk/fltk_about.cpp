#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>

#include "AboutDlg.h"
#include "fltk_internal.h"

namespace zarmok::ui {

namespace {

Fl_Box* AddLabel(const TLook& look, const TLabelLayout& layout, int32_t panel_left,
                 int32_t panel_top, Fl_Font font) {
  const TRect r = look.Px(Offset(layout.rect, panel_left, panel_top));
  auto* label = new Fl_Box(r.left, r.top, r.width, r.height, look.Caption(layout.caption));
  label->box(FL_NO_BOX);
  label->labelfont(font);
  label->labelsize(look.Px(layout.font->pixels));
  label->labelcolor(FL_BLACK);
  label->align(FL_ALIGN_INSIDE |
               (layout.align == TTextAlign::Center ? FL_ALIGN_CENTER : FL_ALIGN_LEFT));
  return label;
}

void CloseWithOk(Fl_Widget* widget, void*) {
  widget->window()->hide();
}
void CloseBox(Fl_Widget* widget, void*) {
  widget->hide();
}

}  // namespace

void ShowAboutBoxModal(const TLook& look) {
  const TAboutBoxLayout& layout = kAboutBox;
  Fl_Widget* const focus_before = Fl::focus();
  const int width = look.Px(layout.client_width);
  const int height = look.Px(layout.client_height);
  const TPoint origin = CenteredOrigin(Fl::w(), Fl::h(), width, height);
  auto* box = new Fl_Double_Window(origin.x, origin.y, width, height, look.Caption(layout.caption));
  box->xclass("TAboutBox");
  const TRect panel_rect = look.Px(layout.panel);
  auto* panel = new Fl_Box(panel_rect.left, panel_rect.top, panel_rect.width, panel_rect.height);
  panel->box(FL_THIN_DOWN_BOX);
  AddLabel(look, layout.product_name, layout.panel.left, layout.panel.top,
           layout.product_name.font == &kProductNameFont ? kProductNameFontId : kGothicFont);
  AddLabel(look, layout.version, layout.panel.left, layout.panel.top, kGothicFont);
  auto* ok = new TPushButton(look, look.Px(layout.ok), look.Caption(layout.ok_caption), true);
  ok->callback(CloseWithOk);
  box->end();
  box->size_range(width, height, width, height);
  box->callback(CloseBox);
  box->set_modal();
  ShowDialogWindow(*box);
  ok->take_focus();
  WaitWhileShown(*box);
  // Destroyed once the events already queued for it have been handled.
  Fl::delete_widget(box);
  // The keys go back to the control of the dialog that had them.
  if (focus_before) focus_before->take_focus();
}

}  // namespace zarmok::ui
