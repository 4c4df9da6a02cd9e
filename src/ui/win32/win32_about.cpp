#include <windows.h>

#include "AboutDlg.h"
#include "win32_controls.h"
#include "win32_internal.h"

namespace zarmok::win32ui {

namespace {

TRect InPanel(const TRect& r) {
  return {kAboutBox.panel.left + r.left, kAboutBox.panel.top + r.top, r.width, r.height};
}

class TAboutWindow {
 public:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(hwnd, DWLP_USER, lparam);
      return reinterpret_cast<TAboutWindow*>(lparam)->InitDialog(hwnd);
    }
    auto* self = reinterpret_cast<TAboutWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    switch (message) {
      case WM_DPICHANGED:
        if (!self) return FALSE;
        self->children_.ChangeDpi(LOWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
        return TRUE;
      case WM_CTLCOLORSTATIC: {
        // Black text on the face colour of the dialog.
        HDC dc = reinterpret_cast<HDC>(wparam);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
      }
      case WM_COMMAND:
        if (HIWORD(wparam) != BN_CLICKED) return FALSE;
        if (LOWORD(wparam) == kAboutOkId) {
          EndDialog(hwnd, IDOK);
          return TRUE;
        }
        // Escape and the close box.
        if (LOWORD(wparam) == IDCANCEL) {
          EndDialog(hwnd, IDCANCEL);
          return TRUE;
        }
        return FALSE;
      default:
        return FALSE;
    }
  }

 private:
  INT_PTR InitDialog(HWND hwnd) {
    const TAboutBoxLayout& layout = kAboutBox;
    SetWindowTextW(hwnd, Wide(Caption(layout.caption)).c_str());
    children_.Start(hwnd);
    const int width = children_.Scale(layout.client_width);
    const int height = children_.Scale(layout.client_height);
    const SIZE outer = DialogOuterSize(hwnd, width, height);
    const TPoint origin = CenteredOrigin(GetSystemMetrics(SM_CXSCREEN),
                                         GetSystemMetrics(SM_CYSCREEN), outer.cx, outer.cy);
    PlaceDialog(hwnd, origin.x, origin.y, width, height);
    const bool japanese = language_ == TLanguage::Japanese;
    const int font = children_.AddFont(*layout.font, japanese);
    const int product_font = children_.AddFont(*layout.product_name.font, false);
    const int version_font = children_.AddFont(*layout.version.font, japanese);
    // The labels come before the panel among the dialog's children, so that they lie above it
    // and the panel, clipped by its siblings, never paints over them.
    children_.AddControl(L"STATIC", Caption(layout.product_name.caption),
                         Style(layout.product_name), InPanel(layout.product_name.rect),
                         kProductNameId, product_font);
    children_.AddControl(L"STATIC", Caption(layout.version.caption), Style(layout.version),
                         InPanel(layout.version.rect), kVersionId, version_font);
    children_.AddControl(L"STATIC", "", SS_SUNKEN | WS_CLIPSIBLINGS, layout.panel, kPanelId, font);
    HWND ok =
        children_.AddControl(L"BUTTON", Caption(layout.ok_caption),
                             BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, layout.ok, kAboutOkId, font);
    SetFocus(ok);
    return FALSE;
  }

  const char* Caption(TTextId id) const { return Text(id, language_); }

  static DWORD Style(const TLabelLayout& label) {
    return SS_NOPREFIX | (label.align == TTextAlign::Center ? SS_CENTER : SS_LEFT);
  }

  TScaledChildren children_;

 public:
  explicit TAboutWindow(TLanguage language) : language_(language) {}

 private:
  TLanguage language_;
};

}  // namespace

void ShowAboutBoxModal(HWND owner, TLanguage language) {
  TAboutWindow window(language);
  RunModalDialog(kAboutBoxClass, owner, TAboutWindow::Procedure, reinterpret_cast<LPARAM>(&window));
}

}  // namespace zarmok::win32ui
