// The window classes and control identifiers of the dialog and the about box, by which the
// dialog's own code and programs that drive it find each control.
#pragma once

#include "AboutDlg.h"
#include "BugsSet.h"

namespace zarmok::win32ui {

inline constexpr const wchar_t* kBugsPramSetClass = L"TBugsPramSet";
inline constexpr const wchar_t* kAboutBoxClass = L"TAboutBox";

// The system's own identifiers of the buttons that Enter and Escape press.
inline constexpr int kOkBtnId = 1;      // IDOK
inline constexpr int kCancelBtnId = 2;  // IDCANCEL
inline constexpr int kAboutBtnId = 400;

inline constexpr int ScrollBarId(TScrollBarId bar) {
  return 100 + static_cast<int>(bar);
}
inline constexpr int ScrollGroupId(TScrollBarId bar) {
  return 120 + static_cast<int>(bar);
}
inline constexpr int LeftLabelId(TScrollBarId bar) {
  return 140 + static_cast<int>(bar);
}
inline constexpr int RightLabelId(TScrollBarId bar) {
  return 160 + static_cast<int>(bar);
}
inline constexpr int CheckBoxId(TCheckBoxId box) {
  return 200 + static_cast<int>(box);
}
inline constexpr int kStopGroupId = 210;
inline constexpr int RadioItemId(int index) {
  return 300 + index;
}
inline constexpr int kRadioGroupId = 310;

// The about box.
inline constexpr int kAboutOkId = 1;  // IDOK
inline constexpr int kPanelId = 700;
inline constexpr int kProductNameId = 701;
inline constexpr int kVersionId = 702;

// The identifier of the control that takes the focus at a tab stop of the dialog: a group
// box's bar, the first check box of the stop conditions, the first item of the radio group.
inline int TabStopControlId(const TTabStop& stop) {
  switch (stop.kind) {
    case TChildKind::ScrollBarGroup:
      return ScrollBarId(kScrollBars[stop.scroll_bar].id);
    case TChildKind::StopGroup:
      return CheckBoxId(TCheckBoxId::StopOnKeyCbx);
    case TChildKind::RadioGroup:
      return RadioItemId(0);
    case TChildKind::Button:
      return stop.button == &kOkBtn       ? kOkBtnId
             : stop.button == &kCancelBtn ? kCancelBtnId
                                          : kAboutBtnId;
  }
  return 0;
}

}  // namespace zarmok::win32ui
