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

HFONT MakeFont(const TFontRequest& font, bool japanese) {
  const std::wstring face = Wide(ChooseFontFace(font, FaceInstalled));
  LOGFONTW request{};
  // A negative height asks for the character's own height in pixels, without the leading.
  request.lfHeight = -font.pixels;
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
