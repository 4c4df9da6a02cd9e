#include <windows.h>

#include <algorithm>
#include <array>
#include <string>

#include "BugsSet.h"
#include "errors.h"
#include "host.h"
#include "win32_controls.h"
#include "win32_internal.h"
#include "win32_ui.h"

namespace zarmok {

namespace {

using namespace win32ui;

TRect Offset(const TRect& r, const TRect& parent) {
  return {parent.left + r.left, parent.top + r.top, r.width, r.height};
}

// The settings dialog's window and controls, laid out from the control table in tab order:
// the dialog manager moves the focus through the dialog's children in the order they were made.
class TDialogWindow : public IBugsPramSetView, public IErrorBox, private IDialogLayoutBuilder {
 public:
  TDialogWindow(IPrivateProfile& profile, const std::string& ini_path, TLanguage language)
      : dialog_(*this, profile, ini_path), language_(language) {}

  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(hwnd, DWLP_USER, lparam);
      return reinterpret_cast<TDialogWindow*>(lparam)->InitDialog(hwnd);
    }
    auto* self = reinterpret_cast<TDialogWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    switch (message) {
      case WM_HSCROLL:
        self->Scroll(reinterpret_cast<HWND>(lparam), LOWORD(wparam));
        return TRUE;
      case WM_COMMAND:
        return self->Command(LOWORD(wparam), HIWORD(wparam));
      case WM_NEXTDLGCTL:
        // Tab and Shift+Tab; a move to a named control is the dialog manager's own.
        if (LOWORD(lparam) != 0) return FALSE;
        self->Tab(wparam != 0);
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 0);
        return TRUE;
      case WM_DPICHANGED:
        self->children_.ChangeDpi(LOWORD(wparam), *reinterpret_cast<const RECT*>(lparam),
                                  [self] { self->PlaceFittedControls(); });
        return TRUE;
      default:
        return FALSE;
    }
  }

  int32_t ItemIndex() override {
    for (int i = 0; i < 2; ++i) {
      if (SendMessageW(items_[i], BM_GETCHECK, 0, 0) == BST_CHECKED) return i;
    }
    return -1;
  }
  void SetItemIndex(int32_t index) override {
    for (int i = 0; i < 2; ++i) {
      SendMessageW(items_[i], BM_SETCHECK, i == index ? BST_CHECKED : BST_UNCHECKED, 0);
      // Tab enters the group at its checked item, at the first when none is checked.
      const bool stop = i == (index == 1 ? 1 : 0);
      const LONG_PTR style = GetWindowLongPtrW(items_[i], GWL_STYLE);
      SetWindowLongPtrW(items_[i], GWL_STYLE, stop ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    }
  }
  int32_t Position(TScrollBarId bar) override { return GetScrollPos(Bar(bar), SB_CTL); }
  void SetPosition(TScrollBarId bar, int32_t position) override {
    SetScrollPos(Bar(bar), SB_CTL, position, TRUE);
  }
  bool Checked(TCheckBoxId box) override {
    return SendMessageW(boxes_[static_cast<int>(box)], BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  void SetChecked(TCheckBoxId box, bool checked) override {
    SendMessageW(boxes_[static_cast<int>(box)], BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED,
                 0);
  }
  void Close() override { EndDialog(hwnd_, IDOK); }
  void ShowAboutBoxModal() override { win32ui::ShowAboutBoxModal(hwnd_, language_); }

  // The application's handler of an error in an event: its box belongs to the dialog, which
  // takes no input until the box is dismissed.
  void ShowError(const std::string& title, const std::string& text) override {
    ShowErrorBox(hwnd_, title, text);
  }

 private:
  HWND Bar(TScrollBarId bar) const { return bars_[static_cast<int>(bar)]; }
  const char* Caption(TTextId id) const { return Text(id, language_); }

  INT_PTR InitDialog(HWND hwnd) {
    hwnd_ = hwnd;
    SetWindowTextW(hwnd, Wide(Caption(kBugsPramSetCaption)).c_str());
    children_.Start(hwnd);
    PlaceDialog(hwnd, children_.Scale(kBugsPramSetLeft), children_.Scale(kBugsPramSetTop),
                children_.Scale(kBugsPramSetClientWidth),
                children_.Scale(kBugsPramSetClientHeight));
    font_ = children_.AddFont(kDialogFont, language_ == TLanguage::Japanese);
    LayOutDialog(*this);
    RunEventHandler([this] { dialog_.FormCreate(); }, *this, language_);
    // The first control in tab order takes the keys when the dialog opens.
    SetFocus(GetDlgItem(hwnd, TabStopControlId(kTabOrder[0])));
    return FALSE;
  }

  // Where a bar and its labels go for the labels' widths in the dialog's font now: the labels
  // as wide as the label controls make themselves, the text and one pixel more.
  TScrollBarPlaces FittedPlaces(const TScrollBarLayout& layout) const {
    return PlaceScrollBar(layout,
                          children_.TableTextWidth(Caption(layout.left_label.caption), font_) + 1,
                          children_.TableTextWidth(Caption(layout.right_label.caption), font_) + 1,
                          children_.TableTextHeight(font_));
  }
  TCheckBoxPlaces FittedCheckBoxes() const {
    int32_t widths[kCheckBoxCount];
    for (const TCheckBoxLayout& layout : kCheckBoxes) {
      widths[static_cast<int>(layout.id)] =
          children_.TableTextWidth(Caption(layout.caption), font_) + 1;
    }
    return PlaceCheckBoxes(widths, kCheckMarkWidth);
  }

  // The texts measure differently in the fonts of another scale: their places follow.
  void PlaceFittedControls() {
    for (const TScrollBarLayout& layout : kScrollBars) {
      const TScrollBarPlaces places = FittedPlaces(layout);
      children_.Move(GetDlgItem(hwnd_, LeftLabelId(layout.id)),
                     Offset(places.left_label, layout.group));
      children_.Move(Bar(layout.id), Offset(places.bar, layout.group));
      children_.Move(GetDlgItem(hwnd_, RightLabelId(layout.id)),
                     Offset(places.right_label, layout.group));
    }
    const TCheckBoxPlaces boxes = FittedCheckBoxes();
    for (int i = 0; i < kCheckBoxCount; ++i) {
      children_.Move(boxes_[i], Offset(boxes.boxes[i], kStopGroupBox.rect));
    }
  }

  void AddLabel(const char* text, const TRect& place, const TRect& group, int id) {
    children_.AddLabel(text, SS_LEFT | SS_NOPREFIX, group.left + place.left, group.top + place.top,
                       id, font_);
  }

  void AddScrollBarGroup(const TScrollBarLayout& layout) override {
    const TScrollBarPlaces places = FittedPlaces(layout);
    // Each control of the group is a child of the dialog, not of the group box, so that the
    // dialog manager sees it and its notifications reach the dialog.
    children_.AddControl(L"BUTTON", Caption(layout.group_caption), BS_GROUPBOX, layout.group,
                         ScrollGroupId(layout.id), font_);
    AddLabel(Caption(layout.left_label.caption), places.left_label, layout.group,
             LeftLabelId(layout.id));
    HWND bar = children_.AddControl(L"SCROLLBAR", "", SBS_HORZ | WS_TABSTOP | WS_GROUP,
                                    Offset(places.bar, layout.group), ScrollBarId(layout.id), -1);
    SetScrollRange(bar, SB_CTL, layout.min, layout.max, FALSE);
    SetScrollPos(bar, SB_CTL, layout.min, FALSE);
    bars_[static_cast<int>(layout.id)] = bar;
    AddLabel(Caption(layout.right_label.caption), places.right_label, layout.group,
             RightLabelId(layout.id));
  }

  void AddStopGroup(const TGroupBoxLayout& group) override {
    children_.AddControl(L"BUTTON", Caption(group.caption), BS_GROUPBOX, group.rect, kStopGroupId,
                         font_);
    const TCheckBoxPlaces places = FittedCheckBoxes();
    for (const TCheckBoxLayout& layout : kCheckBoxes) {
      const int i = static_cast<int>(layout.id);
      boxes_[i] = children_.AddControl(
          L"BUTTON", Caption(layout.caption), BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP,
          Offset(places.boxes[i], group.rect), CheckBoxId(layout.id), font_);
    }
  }

  void AddButton(const TButtonLayout& layout) override {
    const int id = layout.is_default ? kOkBtnId : layout.is_cancel ? kCancelBtnId : kAboutBtnId;
    children_.AddControl(
        L"BUTTON", Caption(layout.caption),
        (layout.is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP | WS_GROUP, layout.rect,
        id, font_);
  }

  void AddRadioGroup(const TRadioGroupLayout& group) override {
    children_.AddControl(L"BUTTON", Caption(group.caption), BS_GROUPBOX, group.rect, kRadioGroupId,
                         font_);
    // One tab stop for the group; the arrow keys move between its items. The dialog checks
    // them itself: an automatic radio button checks itself when the focus merely passes
    // through it, and Tab would then change the drawing style, or check one where the
    // settings checked none.
    for (int i = 0; i < 2; ++i) {
      items_[i] =
          children_.AddControl(L"BUTTON", Caption(group.items[i]),
                               BS_RADIOBUTTON | BS_NOTIFY | (i == 0 ? WS_TABSTOP | WS_GROUP : 0),
                               RadioItemRect(group, i), RadioItemId(i), font_);
    }
  }

  // The user checks an item by clicking it, by Space, or by moving the focus onto it with an
  // arrow key (which some systems announce as a click and others only as the focus arriving).
  void RadioItemNotice(int item, WORD notification) {
    const bool arrow = GetKeyState(VK_LEFT) < 0 || GetKeyState(VK_RIGHT) < 0 ||
                       GetKeyState(VK_UP) < 0 || GetKeyState(VK_DOWN) < 0;
    // Tab itself is no choice, whichever way the system moves the focus for it.
    const bool tab = tabbing_ || GetKeyState(VK_TAB) < 0;
    if ((notification == BN_CLICKED && !tab) || (notification == BN_SETFOCUS && arrow)) {
      SetItemIndex(item);
    }
  }

  // Tab and Shift+Tab move the focus as the dialog manager would; a radio item that the focus
  // lands on announces itself as clicked, which is no choice of the user's here.
  void Tab(bool previous) {
    HWND next = GetNextDlgTabItem(hwnd_, GetFocus(), previous ? TRUE : FALSE);
    if (!next) return;
    tabbing_ = true;
    SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
    tabbing_ = false;
  }

  void Scroll(HWND bar, WORD request) {
    const int index = GetDlgCtrlID(bar) - ScrollBarId(TScrollBarId::SpeedSB);
    if (index < 0 || index >= kScrollBarCount) return;
    const TScrollBarLayout& layout = kScrollBars[index];
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS | SIF_TRACKPOS;
    GetScrollInfo(bar, SB_CTL, &info);
    int32_t position = info.nPos;
    switch (request) {
      // A click on an arrow and a click beside the thumb move the bar alike.
      case SB_LINELEFT:
      case SB_PAGELEFT:
        position -= kScrollStep;
        break;
      case SB_LINERIGHT:
      case SB_PAGERIGHT:
        position += kScrollStep;
        break;
      case SB_LEFT:
        position = layout.min;
        break;
      case SB_RIGHT:
        position = layout.max;
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        position = info.nTrackPos;
        break;
      default:
        return;
    }
    SetScrollPos(bar, SB_CTL, std::clamp(position, layout.min, layout.max), TRUE);
  }

  INT_PTR Command(WORD id, WORD notification) {
    if (id == RadioItemId(0) || id == RadioItemId(1)) {
      RadioItemNotice(id - RadioItemId(0), notification);
      return TRUE;
    }
    if (notification != BN_CLICKED) return FALSE;
    switch (id) {
      case kOkBtnId:
        RunEventHandler([this] { dialog_.OkBtnClick(); }, *this, language_);
        return TRUE;
      // Escape and the window's close box arrive as the Cancel button.
      case kCancelBtnId:
        RunEventHandler([this] { dialog_.CancelBtnClick(); }, *this, language_);
        return TRUE;
      case kAboutBtnId:
        RunEventHandler([this] { dialog_.AboutBtnClick(); }, *this, language_);
        return TRUE;
      default:
        return FALSE;
    }
  }

  TBugsPramSet dialog_;
  TLanguage language_;
  HWND hwnd_ = nullptr;
  TScaledChildren children_;
  int font_ = 0;
  bool tabbing_ = false;
  std::array<HWND, kScrollBarCount> bars_{};
  std::array<HWND, kCheckBoxCount> boxes_{};
  std::array<HWND, 2> items_{};
};

}  // namespace

int RunSettingsDialogWin32(IPrivateProfile& profile, const std::string& ini_path,
                           TWindowHandle owner, TLanguage language) {
  HWND owner_window = reinterpret_cast<HWND>(owner);
  // A handle that names no window is the host's mistake: the dialog then stands alone.
  if (owner_window && !IsWindow(owner_window)) owner_window = nullptr;
  TDialogWindow window(profile, ini_path, language);
  const INT_PTR result = RunModalDialog(kBugsPramSetClass, owner_window, TDialogWindow::Procedure,
                                        reinterpret_cast<LPARAM>(&window));
  if (result == -1) throw EZarmokError(TTextId::WindowCreateFailed);
  return 0;
}

}  // namespace zarmok
