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
class TDialogWindow : public IBugsPramSetView, public IErrorBox {
 public:
  TDialogWindow(IPrivateProfile& profile, const std::string& ini_path)
      : dialog_(*this, profile, ini_path) {}

  ~TDialogWindow() override {
    if (font_) DeleteObject(font_);
  }

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
  void ShowAboutBoxModal() override { win32ui::ShowAboutBoxModal(hwnd_); }

  // The application's handler of an error in an event: its box belongs to the dialog, which
  // takes no input until the box is dismissed.
  void ShowError(const std::string& title, const std::string& text) override {
    ShowErrorBox(hwnd_, title, text);
  }

 private:
  HWND Bar(TScrollBarId bar) const { return bars_[static_cast<int>(bar)]; }

  INT_PTR InitDialog(HWND hwnd) {
    hwnd_ = hwnd;
    SetWindowTextW(hwnd, Wide(kBugsPramSetCaption).c_str());
    PlaceDialog(hwnd, kBugsPramSetLeft, kBugsPramSetTop, kBugsPramSetClientWidth,
                kBugsPramSetClientHeight);
    font_ = MakeFont(kDialogFont, true);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    for (const TTabStop& stop : kTabOrder) {
      switch (stop.kind) {
        case TChildKind::ScrollBarGroup:
          AddScrollBarGroup(kScrollBars[stop.scroll_bar]);
          break;
        case TChildKind::StopGroup:
          AddStopGroup();
          break;
        case TChildKind::Button:
          AddButton(*stop.button);
          break;
        case TChildKind::RadioGroup:
          AddRadioGroup();
          break;
      }
    }
    RunEventHandler([this] { dialog_.FormCreate(); }, *this);
    // The first control in tab order takes the keys when the dialog opens.
    SetFocus(GetDlgItem(hwnd, TabStopControlId(kTabOrder[0])));
    return FALSE;
  }

  // A label as wide and as high as its text in the dialog's font.
  void AddLabel(const TEndLabel& label, const TRect& group, int id) {
    const std::wstring text = Wide(label.caption);
    HDC dc = GetDC(hwnd_);
    HGDIOBJ before = SelectObject(dc, font_);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, before);
    ReleaseDC(hwnd_, dc);
    CreateControl(hwnd_, L"STATIC", label.caption, SS_LEFT | SS_NOPREFIX,
                  Offset({label.left, label.top, extent.cx + 1, extent.cy}, group), id, font_);
  }

  void AddScrollBarGroup(const TScrollBarLayout& layout) {
    // Each control of the group is a child of the dialog, not of the group box, so that the
    // dialog manager sees it and its notifications reach the dialog.
    CreateControl(hwnd_, L"BUTTON", layout.group_caption, BS_GROUPBOX, layout.group,
                  ScrollGroupId(layout.id), font_);
    AddLabel(layout.left_label, layout.group, LeftLabelId(layout.id));
    HWND bar = CreateControl(hwnd_, L"SCROLLBAR", "", SBS_HORZ | WS_TABSTOP | WS_GROUP,
                             Offset(layout.bar, layout.group), ScrollBarId(layout.id), nullptr);
    SetScrollRange(bar, SB_CTL, layout.min, layout.max, FALSE);
    SetScrollPos(bar, SB_CTL, layout.min, FALSE);
    bars_[static_cast<int>(layout.id)] = bar;
    AddLabel(layout.right_label, layout.group, RightLabelId(layout.id));
  }

  void AddStopGroup() {
    const TRect& group = kStopGroupBox.rect;
    CreateControl(hwnd_, L"BUTTON", kStopGroupBox.caption, BS_GROUPBOX, group, kStopGroupId, font_);
    for (const TCheckBoxLayout& layout : kCheckBoxes) {
      boxes_[static_cast<int>(layout.id)] =
          CreateControl(hwnd_, L"BUTTON", layout.caption, BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP,
                        Offset(layout.rect, group), CheckBoxId(layout.id), font_);
    }
  }

  void AddButton(const TButtonLayout& layout) {
    const int id = layout.is_default ? kOkBtnId : layout.is_cancel ? kCancelBtnId : kAboutBtnId;
    CreateControl(hwnd_, L"BUTTON", layout.caption,
                  (layout.is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP | WS_GROUP,
                  layout.rect, id, font_);
  }

  void AddRadioGroup() {
    CreateControl(hwnd_, L"BUTTON", kBugsTypeRG.caption, BS_GROUPBOX, kBugsTypeRG.rect,
                  kRadioGroupId, font_);
    // One tab stop for the group; the arrow keys move between its items.
    for (int i = 0; i < 2; ++i) {
      items_[i] = CreateControl(hwnd_, L"BUTTON", kBugsTypeRG.items[i],
                                BS_AUTORADIOBUTTON | (i == 0 ? WS_TABSTOP | WS_GROUP : 0),
                                RadioItemRect(kBugsTypeRG, i), RadioItemId(i), font_);
    }
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
    if (notification != BN_CLICKED) return FALSE;
    switch (id) {
      case kOkBtnId:
        RunEventHandler([this] { dialog_.OkBtnClick(); }, *this);
        return TRUE;
      // Escape and the window's close box arrive as the Cancel button.
      case kCancelBtnId:
        RunEventHandler([this] { dialog_.CancelBtnClick(); }, *this);
        return TRUE;
      case kAboutBtnId:
        RunEventHandler([this] { dialog_.AboutBtnClick(); }, *this);
        return TRUE;
      default:
        return FALSE;
    }
  }

  TBugsPramSet dialog_;
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  std::array<HWND, kScrollBarCount> bars_{};
  std::array<HWND, kCheckBoxCount> boxes_{};
  std::array<HWND, 2> items_{};
};

}  // namespace

int RunSettingsDialogWin32(IPrivateProfile& profile, const std::string& ini_path,
                           TWindowHandle owner) {
  HWND owner_window = reinterpret_cast<HWND>(owner);
  // A handle that names no window is the host's mistake: the dialog then stands alone.
  if (owner_window && !IsWindow(owner_window)) owner_window = nullptr;
  TDialogWindow window(profile, ini_path);
  const INT_PTR result = RunModalDialog(kBugsPramSetClass, owner_window, TDialogWindow::Procedure,
                                        reinterpret_cast<LPARAM>(&window));
  if (result == -1) throw EZarmokError(kWindowCreateMessage);
  return 0;
}

}  // namespace zarmok
