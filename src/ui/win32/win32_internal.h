// Pieces the Win32 front end's files share: text, fonts, controls and the modal run of a
// dialog window made from an in-memory template.
#pragma once

#include <windows.h>

#include <string>

#include "BugsSet.h"

namespace zarmok::win32ui {

// The UTF-16 text that the W functions take for the core's UTF-8.
std::wstring Wide(const std::string& utf8);

// A font for a request, in the face this system has for it (the face, else an installed
// stand-in, else the face's name for the font mapper). `japanese` asks for SHIFTJIS_CHARSET,
// with which the mapper falls back to a Japanese face rather than to one without the glyphs.
HFONT MakeFont(const TFontRequest& font, bool japanese);

// A child control at `r` in its parent's client area, writing in `font`.
HWND CreateControl(HWND parent, const wchar_t* window_class, const std::string& text, DWORD style,
                   const TRect& r, int id, HFONT font);

// Runs a modal dialog of the window class `window_class` from a template without controls
// (the dialog procedure makes them at their pixel places); the dialog's result, -1 when its
// window could not be made.
INT_PTR RunModalDialog(const wchar_t* window_class, HWND owner, DLGPROC procedure, LPARAM param);

// Gives a dialog window the client size asked for, its outer corner at (left, top) of the screen.
void PlaceDialog(HWND dialog, int left, int top, int client_width, int client_height);
// The outer size a dialog window takes for the client size asked for.
SIZE DialogOuterSize(HWND dialog, int client_width, int client_height);

// A modal message box with the error icon and one OK button, owned by `owner`.
void ShowErrorBox(HWND owner, const std::string& title, const std::string& text);

// Shows the about box modally over `owner` and returns when it has closed.
void ShowAboutBoxModal(HWND owner);

}  // namespace zarmok::win32ui
