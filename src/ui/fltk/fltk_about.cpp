#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>

#include "AboutDlg.h"
#include "fltk_internal.h"

namespace zarmok::ui {

namespace {

Fl_Box* AddLabel(const TLabelLayout& layout, int32_t panel_left, int32_t panel_top, Fl_Font font) {
  const TRect r = Offset(layout.rect, panel_left, panel_top);
  auto* label = new Fl_Box(r.left, r.top, r.width, r.height, layout.caption);
  label->box(FL_NO_BOX);
  label->labelfont(font);
  label->labelsize(layout.font->pixels);
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

void ShowAboutBoxModal() {
  const TAboutBoxLayout& layout = kAboutBox;
  Fl_Widget* const focus_before = Fl::focus();
  const TPoint origin = CenteredOrigin(Fl::w(), Fl::h(), layout.client_width, layout.client_height);
  auto* box = new Fl_Double_Window(origin.x, origin.y, layout.client_width, layout.client_height,
                                   layout.caption);
  box->xclass("TAboutBox");
  auto* panel =
      new Fl_Box(layout.panel.left, layout.panel.top, layout.panel.width, layout.panel.height);
  panel->box(FL_THIN_DOWN_BOX);
  AddLabel(layout.product_name, layout.panel.left, layout.panel.top,
           layout.product_name.font == &kProductNameFont ? kProductNameFontId : kGothicFont);
  AddLabel(layout.version, layout.panel.left, layout.panel.top, kGothicFont);
  auto* ok = new TPushButton(layout.ok, layout.ok_caption, true);
  ok->callback(CloseWithOk);
  box->end();
  box->size_range(layout.client_width, layout.client_height, layout.client_width,
                  layout.client_height);
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
