#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Round_Button.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <array>
#include <cstdio>
#include <functional>
#include <memory>

#include "errors.h"
#include "fltk_internal.h"
#include "fltk_ui.h"
#include "host.h"
#include "x11_connection.h"

namespace zarmok::ui {

namespace {

// Runs a handler of the dialog from an FLTK callback.
void Dispatch(Fl_Widget*, void* data) {
  (*static_cast<std::function<void()>*>(data))();
}

// The dialog window with its controls, laid out from the control table in tab order.
class TDialogWindow : public IBugsPramSetView, private IDialogLayoutBuilder {
 public:
  explicit TDialogWindow(const TLook& look) : look_(look) {
    const int width = look_.Px(kBugsPramSetClientWidth);
    const int height = look_.Px(kBugsPramSetClientHeight);
    window_ =
        std::make_unique<Fl_Double_Window>(look_.Px(kBugsPramSetLeft), look_.Px(kBugsPramSetTop),
                                           width, height, look_.Caption(kBugsPramSetCaption));
    window_->xclass("TBugsPramSet");
    LayOutDialog(*this);
    window_->end();
    // A dialog border: the size is fixed.
    window_->size_range(width, height, width, height);
    // Escape and the window's close box act as the Cancel button.
    window_->callback(Dispatch, &handlers_[kCancelHandler]);
  }

  // Errors of the handlers go to the application's handler, which shows them in `error_box`.
  void Bind(TBugsPramSet& dialog, IErrorBox& error_box) {
    const TLanguage language = look_.language;
    handlers_[kOkHandler] = [&, language] {
      RunEventHandler([&] { dialog.OkBtnClick(); }, error_box, language);
    };
    handlers_[kCancelHandler] = [&, language] {
      RunEventHandler([&] { dialog.CancelBtnClick(); }, error_box, language);
    };
    handlers_[kAboutHandler] = [&, language] {
      RunEventHandler([&] { dialog.AboutBtnClick(); }, error_box, language);
    };
  }

  Fl_Double_Window& Window() { return *window_; }
  // The first control in tab order takes the keys when the dialog opens.
  void FocusFirstControl() { bars_[Index(kScrollBars[kTabOrder[0].scroll_bar].id)]->take_focus(); }

  int32_t ItemIndex() override {
    for (int i = 0; i < 2; ++i) {
      if (items_[i]->value()) return i;
    }
    return -1;
  }
  void SetItemIndex(int32_t index) override {
    for (int i = 0; i < 2; ++i) items_[i]->value(i == index ? 1 : 0);
  }
  int32_t Position(TScrollBarId bar) override { return bars_[Index(bar)]->Position(); }
  void SetPosition(TScrollBarId bar, int32_t position) override {
    bars_[Index(bar)]->SetPosition(position);
  }
  bool Checked(TCheckBoxId box) override { return boxes_[Index(box)]->value() != 0; }
  void SetChecked(TCheckBoxId box, bool checked) override {
    boxes_[Index(box)]->value(checked ? 1 : 0);
  }
  void Close() override { window_->hide(); }
  void ShowAboutBoxModal() override { ui::ShowAboutBoxModal(look_); }

 private:
  enum { kOkHandler, kCancelHandler, kAboutHandler, kHandlerCount };

  template <typename Id>
  static int Index(Id id) {
    return static_cast<int>(id);
  }

  // A rectangle of the table inside the group box `group`, in the window's pixels.
  TRect InGroup(const TRect& r, const TRect& group) const {
    return look_.Px(Offset(r, group.left, group.top));
  }

  void AddScrollBarGroup(const TScrollBarLayout& layout) override {
    const char* left_text = look_.Caption(layout.left_label.caption);
    const char* right_text = look_.Caption(layout.right_label.caption);
    fl_font(kGothicFont, look_.FontSize());
    const TScrollBarPlaces places =
        PlaceScrollBar(layout, look_.TableWidth(left_text) + 1, look_.TableWidth(right_text) + 1,
                       TablePixels(fl_height(), look_.scale));
    auto* group = new TGroupBox(look_, look_.Px(layout.group), look_.Caption(layout.group_caption));
    const TRect left = InGroup(places.left_label, layout.group);
    AddTextLabel(look_, left_text, left.left, left.top);
    const TRect bar = InGroup(places.bar, layout.group);
    bars_[Index(layout.id)] = new TScrollBar(bar, layout.min, layout.max);
    const TRect right = InGroup(places.right_label, layout.group);
    AddTextLabel(look_, right_text, right.left, right.top);
    group->end();
  }

  // The check box's mark and the gaps around it: FLTK draws the mark as high as the label's
  // size, two pixels in from the box's frame, and the text as far again after it.
  int32_t CheckMarkTableWidth() const {
    return TablePixels(look_.FontSize() + 2 * (Fl::box_dx(FL_NO_BOX) + 2), look_.scale);
  }

  void AddStopGroup(const TGroupBoxLayout& stop_group) override {
    const TRect& g = stop_group.rect;
    auto* group = new TGroupBox(look_, look_.Px(g), look_.Caption(stop_group.caption));
    int32_t widths[kCheckBoxCount];
    for (const TCheckBoxLayout& layout : kCheckBoxes) {
      widths[Index(layout.id)] = look_.TableWidth(look_.Caption(layout.caption)) + 1;
    }
    const TCheckBoxPlaces places = PlaceCheckBoxes(widths, CheckMarkTableWidth());
    for (const TCheckBoxLayout& layout : kCheckBoxes) {
      const TRect r = InGroup(places.boxes[Index(layout.id)], g);
      auto* box =
          new Fl_Check_Button(r.left, r.top, r.width, r.height, look_.Caption(layout.caption));
      box->labelfont(kGothicFont);
      box->labelsize(look_.FontSize());
      boxes_[Index(layout.id)] = box;
    }
    group->end();
  }

  void AddButton(const TButtonLayout& layout) override {
    auto* button = new TPushButton(look_, look_.Px(layout.rect), look_.Caption(layout.caption),
                                   layout.is_default);
    const int handler = &layout == &kOkBtn       ? kOkHandler
                        : &layout == &kCancelBtn ? kCancelHandler
                                                 : kAboutHandler;
    button->callback(Dispatch, &handlers_[handler]);
  }

  void AddRadioGroup(const TRadioGroupLayout& radio_group) override {
    auto* group =
        new TGroupBox(look_, look_.Px(radio_group.rect), look_.Caption(radio_group.caption));
    for (int i = 0; i < 2; ++i) {
      const TRect r = look_.Px(RadioItemRect(radio_group, i));
      auto* item = new Fl_Round_Button(r.left, r.top, r.width, r.height,
                                       look_.Caption(radio_group.items[i]));
      item->type(FL_RADIO_BUTTON);
      item->labelfont(kGothicFont);
      item->labelsize(look_.FontSize());
      items_[i] = item;
    }
    group->end();
  }

  const TLook look_;
  std::unique_ptr<Fl_Double_Window> window_;
  std::array<TScrollBar*, kScrollBarCount> bars_{};
  std::array<Fl_Check_Button*, kCheckBoxCount> boxes_{};
  std::array<Fl_Round_Button*, 2> items_{};
  std::array<std::function<void()>, kHandlerCount> handlers_;
};

// Makes the shown dialog transient for the host's window, so that the host's window manager
// keeps it above that window. Start-up has made sure the owner is a window; it can still go.
void SetOwner(x11::TX11Connection& connection, Fl_Window& window, uintptr_t owner) {
  if (owner == 0) return;
  const Window owner_window = static_cast<Window>(owner);
  // The id of a host's window that has gone may already be the dialog's own.
  if (owner_window == fl_xid(&window)) return;
  x11::TErrorTrap trap(connection);
  XSetTransientForHint(fl_display, fl_xid(&window), owner_window);
}

}  // namespace

int TFltkUi::RunSettingsDialog(IPrivateProfile& profile, const std::string& ini_path,
                               uintptr_t owner) {
  // Start-up has the display open by now; without one the dialog's window is never asked for.
  if (!Open()) throw EZarmokError(TTextId::WindowCreateFailed);
  TDialogWindow view(TLook{language_, scale_});
  TBugsPramSet dialog(view, profile, ini_path);
  view.Bind(dialog, *this);
  dialog.FormCreate();
  ShowDialogWindow(view.Window());
  SetOwner(connection_, view.Window(), owner);
  view.FocusFirstControl();
  WaitWhileShown(view.Window());
  return 0;
}

}  // namespace zarmok::ui
