#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "win32/win32_text.h"
#include "win32_internal.h"

namespace zarmok::win32ui {

std::wstring Wide(const std::string& utf8) {
  return win32::WideText(utf8);
}

namespace {

int CALLBACK NoteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FaceInstalled(const char* face) {
  const std::wstring name = Wide(face);
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  if (name.size() >= LF_FACESIZE) return false;
  std::memcpy(query.lfFaceName, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &query, NoteFamily, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

}  // namespace

HFONT MakeFont(const TFontRequest& font, bool japanese, int dpi) {
  const char* chosen = ChooseFontFace(font, FaceInstalled);
  // Neither the face nor a stand-in: a Japanese text takes the character set's own default
  // face, which the mapper finds more surely without a name it does not know.
  const std::wstring face = japanese && !FaceInstalled(chosen) ? std::wstring() : Wide(chosen);
  LOGFONTW request{};
  // A negative height asks for the character's own height in pixels, without the leading.
  request.lfHeight = -ScaleToDpi(font.pixels, dpi);
  request.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
  request.lfItalic = font.italic ? TRUE : FALSE;
  request.lfCharSet = japanese ? SHIFTJIS_CHARSET : DEFAULT_CHARSET;
  request.lfOutPrecision = OUT_DEFAULT_PRECIS;
  request.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  request.lfQuality = DEFAULT_QUALITY;
  request.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  face.copy(request.lfFaceName, LF_FACESIZE - 1);
  return CreateFontIndirectW(&request);
}

HWND CreateControl(HWND parent, const wchar_t* window_class, const std::string& text, DWORD style,
                   const TRect& r, int id, HFONT font) {
  HWND control = CreateWindowExW(0, window_class, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                                 r.left, r.top, r.width, r.height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  if (control && font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

namespace {

constexpr int kTableDpi = 96;

}  // namespace

int WindowDpi(HWND window) {
  // Windows before 10 (1607) have no per-window scale: there the screen's is the window's.
  using TGetDpiForWindow = UINT(WINAPI*)(HWND);
  const auto get_dpi_for_window = reinterpret_cast<TGetDpiForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (get_dpi_for_window) {
    if (const UINT dpi = get_dpi_for_window(window)) return static_cast<int>(dpi);
  }
  HDC dc = GetDC(window);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
  if (dc) ReleaseDC(window, dc);
  return dpi > 0 ? dpi : kTableDpi;
}

int ScaleToDpi(int pixels, int dpi) {
  return ScaleLength(pixels, dpi / double{kTableDpi});
}

TRect ScaleToDpi(const TRect& r, int dpi) {
  return ScaleRect(r, dpi / double{kTableDpi});
}

TScaledChildren::~TScaledChildren() {
  for (const TFont& font : fonts_) {
    if (font.handle) DeleteObject(font.handle);
  }
}

void TScaledChildren::Start(HWND dialog) {
  dialog_ = dialog;
  dpi_ = WindowDpi(dialog);
  // Windows 10 (1703) on: without this the dialog manager would scale the children a second
  // time on a change of monitor.
  using TSetDialogDpiChangeBehavior = BOOL(WINAPI*)(HWND, int, int);
  constexpr int kDisableAll = 0x0001;  // DDC_DISABLE_ALL
  const auto set_behaviour = reinterpret_cast<TSetDialogDpiChangeBehavior>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetDialogDpiChangeBehavior")));
  if (set_behaviour) set_behaviour(dialog, kDisableAll, kDisableAll);
}

int TScaledChildren::AddFont(const TFontRequest& font, bool japanese) {
  fonts_.push_back({&font, japanese, MakeFont(font, japanese, dpi_)});
  if (fonts_.size() == 1) {
    SendMessageW(dialog_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[0].handle), FALSE);
  }
  return static_cast<int>(fonts_.size()) - 1;
}

HWND TScaledChildren::AddControl(const wchar_t* window_class, const std::string& text, DWORD style,
                                 const TRect& r, int id, int font) {
  const TChild child{nullptr, r, font, false};
  HWND window = CreateControl(dialog_, window_class, text, style, Place(child), id,
                              font >= 0 ? Font(font) : nullptr);
  children_.push_back({window, r, font, false});
  return window;
}

HWND TScaledChildren::AddLabel(const std::string& text, DWORD style, int32_t left, int32_t top,
                               int id, int font) {
  HWND window = CreateControl(dialog_, L"STATIC", text, style, {0, 0, 0, 0}, id, Font(font));
  children_.push_back({window, {left, top, 0, 0}, font, true});
  const TRect r = Place(children_.back());
  MoveWindow(window, r.left, r.top, r.width, r.height, FALSE);
  return window;
}

SIZE TextExtent(HWND window, HFONT font, const std::wstring& text) {
  HDC dc = GetDC(window);
  HGDIOBJ before = SelectObject(dc, font);
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, before);
  ReleaseDC(window, dc);
  return extent;
}

int32_t TScaledChildren::TableTextWidth(const std::string& text, int font) const {
  return TablePixels(TextExtent(dialog_, Font(font), Wide(text)).cx, dpi_ / double{kTableDpi});
}

int32_t TScaledChildren::TableTextHeight(int font) const {
  return TablePixels(TextExtent(dialog_, Font(font), L"M").cy, dpi_ / double{kTableDpi});
}

TRect TScaledChildren::Place(const TChild& child) const {
  if (!child.measured) return ScaleToDpi(child.rect, dpi_);
  wchar_t text[256] = {};
  const int length = child.window ? GetWindowTextW(child.window, text, 256) : 0;
  const SIZE extent = TextExtent(dialog_, Font(child.font), std::wstring(text, length));
  // One pixel more than the text, so the last glyph's overhang is not cut off.
  return {ScaleToDpi(child.rect.left, dpi_), ScaleToDpi(child.rect.top, dpi_), extent.cx + 1,
          extent.cy};
}

void TScaledChildren::Move(HWND child, const TRect& r) {
  for (TChild& c : children_) {
    if (c.window == child) c.rect = r;
  }
}

void TScaledChildren::ChangeDpi(int dpi, const RECT& suggested,
                                const std::function<void()>& refit) {
  if (dpi <= 0) return;
  dpi_ = dpi;
  std::vector<HFONT> old;
  for (TFont& font : fonts_) {
    old.push_back(font.handle);
    font.handle = MakeFont(*font.request, font.japanese, dpi_);
  }
  if (!fonts_.empty()) {
    SendMessageW(dialog_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[0].handle), FALSE);
  }
  if (refit) refit();
  for (const TChild& child : children_) {
    if (child.font >= 0) {
      SendMessageW(child.window, WM_SETFONT, reinterpret_cast<WPARAM>(Font(child.font)), FALSE);
    }
    const TRect r = Place(child);
    SetWindowPos(child.window, nullptr, r.left, r.top, r.width, r.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  for (HFONT font : old) {
    if (font) DeleteObject(font);
  }
  SetWindowPos(dialog_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(dialog_, nullptr, TRUE);
}

namespace {

// The dialog manager's window procedure under a class name of our own, so that other programs
// find the dialog by its class as they find the saver window by its.
bool RegisterDialogClass(const wchar_t* window_class) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW info{};
  info.cbSize = sizeof(info);
  if (GetClassInfoExW(instance, window_class, &info)) return true;
  info = {};
  info.cbSize = sizeof(info);
  info.lpfnWndProc = DefDlgProcW;
  info.cbWndExtra = DLGWINDOWEXTRA;
  info.hInstance = instance;
  info.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  info.lpszClassName = window_class;
  return RegisterClassExW(&info) != 0;
}

}  // namespace

INT_PTR RunModalDialog(const wchar_t* window_class, HWND owner, DLGPROC procedure, LPARAM param) {
  if (!RegisterDialogClass(window_class)) return -1;
  // A dialog border without minimise or maximise boxes; the size and place in dialog units are
  // left at 0, since the procedure sets them in pixels.
  constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  DLGTEMPLATE head{};
  head.style = kStyle;
  head.dwExtendedStyle = WS_EX_DLGMODALFRAME;
  std::memcpy(words.data(), &head, sizeof(head));
  words.push_back(0);  // no menu
  for (const wchar_t* c = window_class; *c; ++c) words.push_back(static_cast<WORD>(*c));
  words.push_back(0);
  words.push_back(0);  // the caption is set as the window's text
  // The template starts on a DWORD boundary, which the vector's storage guarantees.
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                 reinterpret_cast<const DLGTEMPLATE*>(words.data()), owner,
                                 procedure, param);
}

SIZE DialogOuterSize(HWND dialog, int client_width, int client_height) {
  RECT outer = {0, 0, client_width, client_height};
  AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
  return {outer.right - outer.left, outer.bottom - outer.top};
}

void PlaceDialog(HWND dialog, int left, int top, int client_width, int client_height) {
  SIZE outer = DialogOuterSize(dialog, client_width, client_height);
  SetWindowPos(dialog, nullptr, left, top, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  // A frame drawn wider than the system's own arithmetic says still leaves the client area
  // at its size.
  RECT client{};
  GetClientRect(dialog, &client);
  const int dx = client_width - (client.right - client.left);
  const int dy = client_height - (client.bottom - client.top);
  if (dx != 0 || dy != 0) {
    SetWindowPos(dialog, nullptr, left, top, outer.cx + dx, outer.cy + dy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void ShowErrorBox(HWND owner, const std::string& title, const std::string& text) {
  MessageBoxW(owner, Wide(text).c_str(), Wide(title).c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace zarmok::win32ui
