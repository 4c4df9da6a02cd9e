// Drives the settings dialog of dialog_harness from another process, as a user and the host do,
// and checks what it shows and what it writes:
//   dialog_probe <dialog_harness.exe> <folder for settings files> <case>
// Cases: layout (places, sizes, captions, tab order, Escape), save (clicks, Enter, the file),
// refused (a write the system refuses: the error box, the dialog stays), about (the about box,
// the owner's and the dialog's input while modal boxes are up), dpi (the dialog and the about
// box at 144 dots per inch), dpi-change (the dialog moved to a monitor of another scale), radio
// (the radio group under Tab, Shift+Tab, the arrows and Space). Exit code 0 when every check
// passed; each failed check prints a line.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "AboutDlg.h"
#include "BugsSet.h"
#include "texts.h"
#include "win32/win32_text.h"
#include "win32_controls.h"
#include "win32_internal.h"

namespace {

using namespace zarmok;
using namespace zarmok::win32ui;

int failures = 0;

void Check(bool ok, const std::string& what) {
  if (!ok) {
    ++failures;
    std::printf("FAIL: %s\n", what.c_str());
  }
}

std::wstring Wide(const std::string& utf8) {
  return zarmok::win32::WideText(utf8);
}
std::string Narrow(const std::wstring& wide) {
  return zarmok::win32::Utf8Text(wide);
}

std::wstring Text(HWND window) {
  wchar_t buffer[512] = {};
  GetWindowTextW(window, buffer, 512);
  return buffer;
}

LRESULT CALLBACK OwnerProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

// Waits while answering what the dialog's process sends the probe's own window (the owner).
void Pump(int milliseconds) {
  for (int waited = 0; waited < milliseconds; waited += 20) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(20);
  }
}

// Waits up to `milliseconds` for `found` to give a window.
HWND WaitFor(const std::function<HWND()>& found, int milliseconds = 15000) {
  for (int waited = 0; waited < milliseconds; waited += 50) {
    if (HWND window = found()) return window;
    Pump(50);
  }
  return nullptr;
}

bool WaitUntil(const std::function<bool()>& done, int milliseconds = 5000) {
  for (int waited = 0; waited < milliseconds; waited += 50) {
    if (done()) return true;
    Pump(50);
  }
  return done();
}

void Settle() {
  Pump(400);
}

class THarness {
 public:
  THarness(const std::string& exe, const std::string& ini, HWND owner) {
    std::string command = "\"" + exe + "\" \"" + ini + "\"";
    if (owner) command.append(" ").append(std::to_string(reinterpret_cast<uintptr_t>(owner)));
    std::wstring line = Wide(command);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    started_ = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process_) != FALSE;
    Check(started_, "the harness starts: " + command);
  }
  ~THarness() {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.hProcess, 99);
    }
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  // The dialog's window once it is shown.
  HWND Dialog() {
    if (!started_) return nullptr;
    return WaitFor([] {
      HWND dialog = FindWindowW(kBugsPramSetClass, nullptr);
      return dialog && IsWindowVisible(dialog) ? dialog : nullptr;
    });
  }
  // The harness's exit code, or -1 when it is still running after `milliseconds`.
  int Exit(int milliseconds = 10000) {
    if (!started_ || WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0) {
      return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<int>(code);
  }

 private:
  PROCESS_INFORMATION process_{};
  bool started_ = false;
};

void Key(WORD key) {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = key;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof(INPUT));
  Pump(150);
}

void Click(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  Pump(100);
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &input[0], sizeof(INPUT));
  Pump(80);
  SendInput(1, &input[1], sizeof(INPUT));
  Pump(250);
}

void Activate(HWND window) {
  SetForegroundWindow(window);
  Pump(200);
}

HWND Focus(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

// A control's rectangle in the dialog's client area.
TRect ClientRect(HWND dialog, HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::string Show(const TRect& r) {
  std::ostringstream text;
  text << "(" << r.left << ", " << r.top << ") " << r.width << " x " << r.height;
  return text.str();
}

void CheckRect(HWND dialog, int id, const TRect& expected, const std::string& name,
               bool size_too = true) {
  HWND control = GetDlgItem(dialog, id);
  Check(control != nullptr, name + " exists");
  if (!control) return;
  const TRect got = ClientRect(dialog, control);
  const bool same = got.left == expected.left && got.top == expected.top &&
                    (!size_too || (got.width == expected.width && got.height == expected.height));
  Check(same, name + " at " + Show(got) + ", expected " + Show(expected));
}

void CheckText(HWND dialog, int id, const char* expected, const std::string& name) {
  const std::string got = Narrow(Text(GetDlgItem(dialog, id)));
  Check(got == expected, name + " reads \"" + got + "\", expected \"" + expected + "\"");
}

TRect InGroup(const TRect& r, const TRect& group) {
  return {group.left + r.left, group.top + r.top, r.width, r.height};
}

void CheckClientSize(HWND window, int width, int height, const std::string& name) {
  RECT client{};
  GetClientRect(window, &client);
  Check(client.right == width && client.bottom == height,
        name + " client " + std::to_string(client.right) + " x " + std::to_string(client.bottom));
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  Check((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0,
        name + " has a dialog border without minimise, maximise or sizing");
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// The file's lines, without their line ends.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

POINT ScreenPoint(HWND control, int x, int y) {
  POINT p = {x, y};
  ClientToScreen(control, &p);
  return p;
}

int ScrollPos(HWND dialog, TScrollBarId bar) {
  return GetScrollPos(GetDlgItem(dialog, ScrollBarId(bar)), SB_CTL);
}

// A length of the control table at `dpi`, worked out here on its own.
int AtDpi(int pixels, int dpi) {
  return MulDiv(pixels, dpi, 96);
}
TRect AtDpi(const TRect& r, int dpi) {
  return {AtDpi(r.left, dpi), AtDpi(r.top, dpi), AtDpi(r.width, dpi), AtDpi(r.height, dpi)};
}

// The language the dialog speaks here: the user's, as the program chooses it.
TLanguage UserLanguage() {
  return LanguageFromWindowsLanguageId(GetUserDefaultUILanguage());
}
const char* Caption(TTextId id) {
  return zarmok::Text(id, UserLanguage());
}

// A text's extent in the dialog's font at `dpi`, the font made as the dialog makes it.
SIZE Extent(const std::string& text, int dpi) {
  HFONT font = MakeFont(kDialogFont, UserLanguage() == TLanguage::Japanese, dpi);
  HDC dc = GetDC(nullptr);
  HGDIOBJ before = SelectObject(dc, font);
  const std::wstring wide = Wide(text);
  SIZE extent{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
  SelectObject(dc, before);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return extent;
}
int32_t TableWidth(const std::string& text, int dpi) {
  return TablePixels(Extent(text, dpi).cx, dpi / 96.0) + 1;
}

// Where the core's rules put the bars, their labels and the check boxes for the texts as they
// measure at `dpi`.
TScrollBarPlaces ExpectedBar(const TScrollBarLayout& bar, int dpi) {
  return PlaceScrollBar(bar, TableWidth(Caption(bar.left_label.caption), dpi),
                        TableWidth(Caption(bar.right_label.caption), dpi),
                        TablePixels(Extent("M", dpi).cy, dpi / 96.0));
}
TCheckBoxPlaces ExpectedBoxes(int dpi) {
  int32_t widths[kCheckBoxCount];
  for (const TCheckBoxLayout& box : kCheckBoxes) {
    widths[static_cast<int>(box.id)] = TableWidth(Caption(box.caption), dpi);
  }
  return PlaceCheckBoxes(widths, kCheckMarkWidth);
}

// The dialog is open and settled, its corner and client area at `dpi`.
bool DialogPlaced(HWND dialog, int dpi) {
  Check(dialog != nullptr, "the dialog opens");
  if (!dialog) return false;
  Settle();
  RECT outer{};
  GetWindowRect(dialog, &outer);
  Check(outer.left == AtDpi(kBugsPramSetLeft, dpi) && outer.top == AtDpi(kBugsPramSetTop, dpi),
        "the dialog's corner at " + std::to_string(outer.left) + ", " + std::to_string(outer.top));
  CheckClientSize(dialog, AtDpi(kBugsPramSetClientWidth, dpi), AtDpi(kBugsPramSetClientHeight, dpi),
                  "the dialog");
  return true;
}

void CheckScaledDialog(HWND dialog, int dpi, const std::string& when);

// ---- The cases ----

void Layout(const std::string& exe, const std::string& folder) {
  const std::string ini = folder + "\\layout.ini";
  DeleteFileW(Wide(ini).c_str());
  THarness harness(exe, ini, nullptr);
  HWND dialog = harness.Dialog();
  if (!DialogPlaced(dialog, 96)) return;
  Check(Narrow(Text(dialog)) == Caption(kBugsPramSetCaption), "the dialog's caption");
  CheckScaledDialog(dialog, 96, "");

  for (const TScrollBarLayout& bar : kScrollBars) {
    CheckText(dialog, ScrollGroupId(bar.id), Caption(bar.group_caption), bar.group_name);
    CheckText(dialog, LeftLabelId(bar.id), Caption(bar.left_label.caption),
              std::string(bar.name) + "'s left label");
    CheckText(dialog, RightLabelId(bar.id), Caption(bar.right_label.caption),
              std::string(bar.name) + "'s right label");
    HWND control = GetDlgItem(dialog, ScrollBarId(bar.id));
    int low = 0;
    int high = 0;
    GetScrollRange(control, SB_CTL, &low, &high);
    Check(low == bar.min && high == bar.max, std::string(bar.name) + "'s range");
  }
  CheckText(dialog, kStopGroupId, Caption(kStopGroupBox.caption), kStopGroupBox.name);
  for (const TCheckBoxLayout& box : kCheckBoxes) {
    CheckText(dialog, CheckBoxId(box.id), Caption(box.caption), box.name);
  }
  for (const TButtonLayout* button : {&kOkBtn, &kCancelBtn, &kAboutBtn}) {
    const int id = button == &kOkBtn       ? kOkBtnId
                   : button == &kCancelBtn ? kCancelBtnId
                                           : kAboutBtnId;
    CheckText(dialog, id, Caption(button->caption), button->name);
  }
  const LONG_PTR ok_style = GetWindowLongPtrW(GetDlgItem(dialog, kOkBtnId), GWL_STYLE);
  Check((ok_style & BS_TYPEMASK) == BS_DEFPUSHBUTTON, "OK is the default button");
  CheckText(dialog, kRadioGroupId, Caption(kBugsTypeRG.caption), kBugsTypeRG.name);
  for (int i = 0; i < 2; ++i) {
    CheckText(dialog, RadioItemId(i), Caption(kBugsTypeRG.items[i]), Caption(kBugsTypeRG.items[i]));
  }

  // The defaults, as the dialog shows them without a settings file.
  const TSaverSettings defaults;
  for (const TScrollBarLayout& bar : kScrollBars) {
    Check(ScrollPos(dialog, bar.id) == PositionForSetting(bar, defaults.*bar.setting),
          std::string(bar.name) + " shows its default");
  }

  // The keys move the bar that has the focus, the first in tab order when the dialog opens:
  // the arrows and the page keys by 1, Home and End to its ends.
  Activate(dialog);
  std::string moves;
  for (const WORD key : {VK_RIGHT, VK_NEXT, VK_PRIOR, VK_LEFT, VK_END, VK_HOME}) {
    Key(key);
    moves += std::to_string(ScrollPos(dialog, TScrollBarId::SpeedSB)) + " ";
  }
  Check(moves == "6 7 6 5 15 1 ", "the speed bar under the keys: " + moves);

  // Tab goes round the dialog's children in the table's order, starting at the first; inside
  // the stop conditions' group box each check box is a stop of its own.
  std::vector<int> stops;
  for (const TTabStop& stop : kTabOrder) {
    if (stop.kind == TChildKind::StopGroup) {
      for (const TCheckBoxLayout& box : kCheckBoxes) stops.push_back(CheckBoxId(box.id));
    } else {
      stops.push_back(TabStopControlId(stop));
    }
  }
  Activate(dialog);
  std::string order;
  bool in_order = true;
  for (size_t step = 0; step <= stops.size(); ++step) {
    const int got = GetDlgCtrlID(Focus(dialog));
    order += std::to_string(got) + " ";
    in_order = in_order && got == stops[step % stops.size()];
    Key(VK_TAB);
  }
  Check(in_order, "tab order: " + order);

  Key(VK_ESCAPE);
  Check(harness.Exit() == 0, "Escape closes the dialog and the program ends with 0");
  Check(GetFileAttributesW(Wide(ini).c_str()) == INVALID_FILE_ATTRIBUTES, "Escape writes nothing");
}

void Save(const std::string& exe, const std::string& folder) {
  const std::string ini = folder + "\\save.ini";
  WriteFile(ini,
            "; kept\r\n[Other]\r\nKey=Value\r\n[Zarmok]\r\nMaxBugs=7\r\nOwnKey=stays\r\n"
            "[Last]\r\nA=1\r\n");
  THarness harness(exe, ini, nullptr);
  HWND dialog = harness.Dialog();
  Check(dialog != nullptr, "the dialog opens");
  if (!dialog) return;
  Settle();
  Activate(dialog);
  Check(ScrollPos(dialog, TScrollBarId::MaxBugsSB) == 7, "the file's MaxBugs shows");

  // An arrow click: the speed bar's right arrow.
  HWND speed = GetDlgItem(dialog, ScrollBarId(TScrollBarId::SpeedSB));
  RECT r{};
  GetClientRect(speed, &r);
  const int arrow = GetSystemMetrics(SM_CXHSCROLL);
  Click(ScreenPoint(speed, r.right - arrow / 2, r.bottom / 2));
  Check(ScrollPos(dialog, TScrollBarId::SpeedSB) == 6, "an arrow click moves the bar by 1");
  // A click in the trough, right of the thumb that stands near the left end.
  HWND size = GetDlgItem(dialog, ScrollBarId(TScrollBarId::BugSizeSB));
  GetClientRect(size, &r);
  Click(ScreenPoint(size, r.right - arrow - 6, r.bottom / 2));
  Check(ScrollPos(dialog, TScrollBarId::BugSizeSB) == 13, "a trough click moves the bar by 1");
  // ... and left of the thumb, on the shadow bar.
  HWND shadow = GetDlgItem(dialog, ScrollBarId(TScrollBarId::ImageListLenSB));
  Click(ScreenPoint(shadow, r.right - arrow - 6, r.bottom / 2));
  Click(ScreenPoint(shadow, arrow + 3, r.bottom / 2));
  Check(ScrollPos(dialog, TScrollBarId::ImageListLenSB) == 6,
        "trough clicks on both sides of the thumb move by 1 each way");
  // The second style and one stop condition less.
  auto click_control = [&](int id) {
    HWND control = GetDlgItem(dialog, id);
    RECT c{};
    GetClientRect(control, &c);
    Click(ScreenPoint(control, 6, c.bottom / 2));
  };
  click_control(RadioItemId(1));
  click_control(CheckBoxId(TCheckBoxId::StopOnMouseMoveCbx));
  Activate(dialog);
  Key(VK_RETURN);
  Check(harness.Exit() == 0, "Enter closes the dialog and the program ends with 0");

  const std::vector<std::string> expected = {"; kept",
                                             "[Other]",
                                             "Key=Value",
                                             "[Zarmok]",
                                             "MaxBugs=7",
                                             "OwnKey=stays",
                                             "BugsType=1",
                                             "Speed=9",
                                             "BugPtnSize=12",
                                             "BugPtnExCyc=2",
                                             "BugSize=13",
                                             "ImageListLen=6",
                                             "SunG=1",
                                             "BugG=1",
                                             "WallG=1",
                                             "StopOnKey=1",
                                             "StopOnMouseMove=0",
                                             "StopOnMouseClick=1",
                                             "[Last]",
                                             "A=1"};
  const std::vector<std::string> got = Lines(ReadFile(ini));
  std::string shown;
  for (const std::string& line : got) shown += line + " | ";
  Check(got == expected, "the file after Enter: " + shown);
}

// Values outside the controls' ranges show at their nearest ends, and no checked item stays
// unchecked through the native radio buttons: Enter at once saves the ends and -1.
void SaveEnds(const std::string& exe, const std::string& folder) {
  const std::string ini = folder + "\\ends.ini";
  WriteFile(ini, "[Zarmok]\r\nBugsType=-7\r\nSpeed=20\r\nSunG=5000\r\nStopOnKey=0\r\n");
  THarness harness(exe, ini, nullptr);
  HWND dialog = harness.Dialog();
  Check(dialog != nullptr, "the dialog opens on values out of range");
  if (!dialog) return;
  Settle();
  Check(ScrollPos(dialog, TScrollBarId::SpeedSB) == 1, "a Speed of 20 shows at the fast end");
  Check(ScrollPos(dialog, TScrollBarId::SunGSB) == 800, "a SunG of 5000 shows at the heavy end");
  for (int i = 0; i < 2; ++i) {
    Check(SendMessageW(GetDlgItem(dialog, RadioItemId(i)), BM_GETCHECK, 0, 0) == BST_UNCHECKED,
          "a BugsType of -7 checks no item");
  }
  Activate(dialog);
  Key(VK_RETURN);
  Check(harness.Exit() == 0, "Enter saves and closes");
  const std::vector<std::string> lines = Lines(ReadFile(ini));
  auto has = [&](const char* line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  Check(has("BugsType=-1") && has("Speed=14") && has("SunG=800") && has("StopOnKey=0"),
        "the ends and -1 are saved, the key box as it was");
}

// Writes that arrive in table order: a fresh file shows the keys in the order they were made.
void CheckThirteenKeysInOrder(const std::string& ini, const std::string& name) {
  std::vector<std::string> keys;
  bool in_section = false;
  for (const std::string& line : Lines(ReadFile(ini))) {
    if (!line.empty() && line[0] == '[') in_section = line == "[Zarmok]";
    const auto equals = line.find('=');
    if (in_section && equals != std::string::npos) keys.push_back(line.substr(0, equals));
  }
  std::vector<std::string> expected;
  for (const TSettingKey& key : kSettingKeys) expected.push_back(key.name);
  Check(keys == expected, name + ": the 13 keys in the table's order");
}

// The message box of the dialog's process titled `title`, with its text.
HWND ErrorBox(HWND dialog, std::wstring& text) {
  HWND box = WaitFor(
      [&] {
        HWND found = FindWindowW(L"#32770", Wide(zarmok::Text(zarmok::TTextId::ApplicationTitle,
                                                              zarmok::TLanguage::English))
                                                .c_str());
        return found && GetWindow(found, GW_OWNER) == dialog ? found : nullptr;
      },
      8000);
  text.clear();
  if (!box) return nullptr;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t window_class[64] = {};
    GetClassNameW(child, window_class, 64);
    if (lstrcmpiW(window_class, L"Static") == 0 && GetWindowTextLengthW(child) > 0) {
      text = Text(child);
    }
  }
  return box;
}

void RefusedOnce(const std::string& exe, const std::string& ini, const std::string& name,
                 const std::function<void()>& refuse, const std::function<void()>& allow) {
  const bool existed = GetFileAttributesW(Wide(ini).c_str()) != INVALID_FILE_ATTRIBUTES;
  const std::string before = ReadFile(ini);
  refuse();
  THarness harness(exe, ini, nullptr);
  HWND dialog = harness.Dialog();
  Check(dialog != nullptr, name + ": the dialog opens");
  if (!dialog) {
    allow();
    return;
  }
  Settle();
  Activate(dialog);
  Key(VK_RETURN);
  std::wstring text;
  HWND box = ErrorBox(dialog, text);
  Check(box != nullptr, name + ": the error box shows, titled \"Zarmok\", owned by the dialog");
  const std::string message = std::string(ini) + " に書き込めません.";
  Check(Narrow(text) == message, name + ": the box reads \"" + Narrow(text) + "\"");
  Check(!IsWindowEnabled(dialog), name + ": the dialog takes no input while the box is up");
  if (box) {
    Activate(box);
    Key(VK_RETURN);
    Check(WaitUntil([&] { return !IsWindow(box); }), name + ": Enter dismisses the box");
  }
  Check(harness.Exit(500) == -1 && IsWindow(dialog), name + ": the dialog stays open");
  allow();
  Check(ReadFile(ini) == before &&
            existed == (GetFileAttributesW(Wide(ini).c_str()) != INVALID_FILE_ATTRIBUTES),
        name + ": the refused file is as it was");
  // Once the file may be written, OK saves.
  Activate(dialog);
  Key(VK_RETURN);
  Check(harness.Exit() == 0, name + ": a second OK saves and closes");
  CheckThirteenKeysInOrder(ini, name);
}

void Refused(const std::string& exe, const std::string& folder) {
  const std::string held = folder + "\\held.ini";
  WriteFile(held, "[Other]\r\nA=1\r\n");
  HANDLE file = INVALID_HANDLE_VALUE;
  RefusedOnce(
      exe, held, "a file held open without sharing",
      [&] {
        file = CreateFileW(Wide(held).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        Check(file != INVALID_HANDLE_VALUE, "the probe holds the file");
      },
      [&] {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
      });
  // A folder that does not exist yet: the file cannot be made until it does. (A read-only
  // file refuses no one when the tests run as root, as Wine leaves that to the file's modes.)
  const std::string missing_folder = folder + "\\not-yet";
  DeleteFileW(Wide(missing_folder + "\\new.ini").c_str());
  RemoveDirectoryW(Wide(missing_folder).c_str());
  RefusedOnce(
      exe, missing_folder + "\\new.ini", "a folder that does not exist", [] {},
      [&] { CreateDirectoryW(Wide(missing_folder).c_str(), nullptr); });
}

void About(const std::string& exe, const std::string& folder) {
  WNDCLASSW owner_class{};
  owner_class.lpfnWndProc = OwnerProcedure;
  owner_class.hInstance = GetModuleHandleW(nullptr);
  owner_class.lpszClassName = L"ZarmokProbeOwner";
  RegisterClassW(&owner_class);
  HWND owner =
      CreateWindowExW(0, L"ZarmokProbeOwner", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 500,
                      300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  Check(owner != nullptr, "the probe's owner window");
  const std::string ini = folder + "\\about.ini";
  DeleteFileW(Wide(ini).c_str());
  THarness harness(exe, ini, owner);
  HWND dialog = nullptr;
  for (int waited = 0; waited < 15000 && !dialog; waited += 100) {
    Pump(100);
    dialog = FindWindowW(kBugsPramSetClass, nullptr);
  }
  Check(dialog != nullptr, "the dialog opens");
  if (!dialog) return;
  Pump(400);
  Check(GetWindow(dialog, GW_OWNER) == owner, "the dialog is owned by the host's window");
  Check(!IsWindowEnabled(owner), "the host's window takes no input while the dialog runs");

  // Posted: the click's handler returns only when the about box has closed.
  PostMessageW(GetDlgItem(dialog, kAboutBtnId), BM_CLICK, 0, 0);
  HWND about = nullptr;
  for (int waited = 0; waited < 8000 && !about; waited += 100) {
    Pump(100);
    about = FindWindowW(kAboutBoxClass, nullptr);
  }
  Check(about != nullptr, "About opens the about box");
  if (about) {
    Pump(300);
    Check(Narrow(Text(about)) == Caption(kAboutBox.caption), "the about box's caption");
    CheckClientSize(about, kAboutBox.client_width, kAboutBox.client_height, "the about box");
    RECT outer{};
    GetWindowRect(about, &outer);
    const TPoint centred =
        CenteredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                       outer.right - outer.left, outer.bottom - outer.top);
    Check(outer.left == centred.x && outer.top == centred.y, "the about box is centred");
    Check(GetWindow(about, GW_OWNER) == dialog, "the about box is owned by the dialog");
    Check(!IsWindowEnabled(dialog), "the dialog takes no input while the about box is up");
    const TRect& panel = kAboutBox.panel;
    CheckRect(about, kPanelId, panel, kAboutBox.panel_name);
    CheckRect(about, kProductNameId, InGroup(kAboutBox.product_name.rect, panel), "ProductName");
    CheckText(about, kProductNameId, Caption(kAboutBox.product_name.caption), "ProductName");
    CheckRect(about, kVersionId, InGroup(kAboutBox.version.rect, panel), "Version");
    CheckText(about, kVersionId, Caption(kAboutBox.version.caption), "Version");
    CheckRect(about, kAboutOkId, kAboutBox.ok, kAboutBox.ok_name);
    Check(GetDlgCtrlID(Focus(about)) == kAboutOkId, "the about box's OK has the focus");
    Activate(about);
    Key(VK_RETURN);
    Pump(300);
    Check(WaitUntil([&] { return !IsWindow(about); }), "Enter closes the about box");
    Check(IsWindowEnabled(dialog) && IsWindow(dialog), "the dialog takes input again");
  }
  Check(!IsWindowEnabled(owner), "the host's window still waits for the dialog");
  Activate(dialog);
  Key(VK_ESCAPE);
  for (int waited = 0; waited < 10000 && harness.Exit(0) == -1; waited += 100) Pump(100);
  Check(harness.Exit(0) == 0, "Escape closes the dialog");
  Pump(300);
  Check(IsWindowEnabled(owner) != FALSE, "the host's window takes input again");
  Check(GetFileAttributesW(Wide(ini).c_str()) == INVALID_FILE_ATTRIBUTES,
        "About and Escape write nothing");
  DestroyWindow(owner);
}

// ---- The dialog at another scale ----

// Lets the test's script take a picture of the screen: the probe leaves "<name>.ready" in the
// folder and goes on once the script has left "<name>.shot" (or after 15 s).
void Screenshot(const std::string& folder, const std::string& name) {
  const std::string shot = folder + "\\" + name + ".shot";
  DeleteFileW(Wide(shot).c_str());
  WriteFile(folder + "\\" + name + ".ready", name);
  const bool taken = WaitUntil(
      [&] { return GetFileAttributesW(Wide(shot).c_str()) != INVALID_FILE_ATTRIBUTES; }, 15000);
  Check(taken, "the screenshot " + name + " was taken");
}

// Every control of the dialog at `dpi`: places and sizes from the table, where the texts need it
// as the core's rules move them, each label holding its text, as high as the font, beside its bar.
void CheckScaledDialog(HWND dialog, int dpi, const std::string& when) {
  for (const TScrollBarLayout& bar : kScrollBars) {
    const TScrollBarPlaces places = ExpectedBar(bar, dpi);
    CheckRect(dialog, ScrollGroupId(bar.id), AtDpi(bar.group, dpi), when + bar.group_name);
    const TRect scaled_bar = AtDpi(InGroup(places.bar, bar.group), dpi);
    CheckRect(dialog, ScrollBarId(bar.id), scaled_bar, when + bar.name);
    for (const bool left : {true, false}) {
      const TRect& label = left ? places.left_label : places.right_label;
      const int id = left ? LeftLabelId(bar.id) : RightLabelId(bar.id);
      const std::string name = when + bar.name + (left ? "'s left label" : "'s right label");
      CheckRect(dialog, id, AtDpi(InGroup({label.left, label.top, 0, 0}, bar.group), dpi), name,
                false);
      const TRect got = ClientRect(dialog, GetDlgItem(dialog, id));
      Check(got.height >= AtDpi(kDialogFont.pixels, dpi), name + " as high as its font");
      const int text = Extent(Narrow(Text(GetDlgItem(dialog, id))), dpi).cx;
      Check(got.width >= text, name + " holds its text of " + std::to_string(text));
      const bool clear = left ? got.left + got.width <= scaled_bar.left
                              : got.left >= scaled_bar.left + scaled_bar.width;
      Check(clear && got.width > AtDpi(kDialogFont.pixels, dpi),
            name + " holds its text beside the bar: " + Show(got));
    }
  }
  CheckRect(dialog, kStopGroupId, AtDpi(kStopGroupBox.rect, dpi), when + kStopGroupBox.name);
  const TCheckBoxPlaces boxes = ExpectedBoxes(dpi);
  for (const TCheckBoxLayout& box : kCheckBoxes) {
    CheckRect(dialog, CheckBoxId(box.id),
              AtDpi(InGroup(boxes.boxes[static_cast<int>(box.id)], kStopGroupBox.rect), dpi),
              when + box.name);
  }
  CheckRect(dialog, kOkBtnId, AtDpi(kOkBtn.rect, dpi), when + "OkBtn");
  CheckRect(dialog, kCancelBtnId, AtDpi(kCancelBtn.rect, dpi), when + "CancelBtn");
  CheckRect(dialog, kAboutBtnId, AtDpi(kAboutBtn.rect, dpi), when + "AboutBtn");
  CheckRect(dialog, kRadioGroupId, AtDpi(kBugsTypeRG.rect, dpi), when + "BugsTypeRG");
  for (int i = 0; i < 2; ++i) {
    CheckRect(dialog, RadioItemId(i), AtDpi(RadioItemRect(kBugsTypeRG, i), dpi),
              when + Caption(kBugsTypeRG.items[i]));
  }
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// The prefix set to 144 dots per inch: the dialog and the about box come out half as large
// again, their corner and client areas too; pictures of both for a person to look at.
void Dpi(const std::string& exe, const std::string& folder) {
  const int dpi = ScreenDpi();
  Check(dpi == 144, "the screen reports " + std::to_string(dpi) + " dots per inch");
  const std::string ini = folder + "\\dpi.ini";
  DeleteFileW(Wide(ini).c_str());
  THarness harness(exe, ini, nullptr);
  HWND dialog = harness.Dialog();
  if (!DialogPlaced(dialog, dpi)) return;
  CheckScaledDialog(dialog, dpi, "");
  Activate(dialog);
  Screenshot(folder, "dialog");

  PostMessageW(GetDlgItem(dialog, kAboutBtnId), BM_CLICK, 0, 0);
  HWND about = WaitFor([] { return FindWindowW(kAboutBoxClass, nullptr); }, 8000);
  Check(about != nullptr, "About opens the about box");
  if (about) {
    Pump(300);
    CheckClientSize(about, AtDpi(kAboutBox.client_width, dpi), AtDpi(kAboutBox.client_height, dpi),
                    "the about box");
    const TRect& panel = kAboutBox.panel;
    CheckRect(about, kPanelId, AtDpi(panel, dpi), kAboutBox.panel_name);
    CheckRect(about, kProductNameId, AtDpi(InGroup(kAboutBox.product_name.rect, panel), dpi),
              "ProductName");
    CheckRect(about, kVersionId, AtDpi(InGroup(kAboutBox.version.rect, panel), dpi), "Version");
    CheckRect(about, kAboutOkId, AtDpi(kAboutBox.ok, dpi), kAboutBox.ok_name);
    RECT about_outer{};
    GetWindowRect(about, &about_outer);
    const TPoint centred =
        CenteredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                       about_outer.right - about_outer.left, about_outer.bottom - about_outer.top);
    Check(about_outer.left == centred.x && about_outer.top == centred.y,
          "the about box is centred");
    Screenshot(folder, "about");
    Activate(about);
    Key(VK_RETURN);
    Check(WaitUntil([&] { return !IsWindow(about); }), "Enter closes the about box");
  }
  Activate(dialog);
  Key(VK_ESCAPE);
  Check(harness.Exit() == 0, "Escape closes the dialog");
}

// A move to a monitor of another scale, as the system announces it: the harness sends its own
// dialog WM_DPICHANGED for 144 dots per inch with the rectangle below (see dialog_harness.cpp).
void DpiChange(const std::string& exe, const std::string& folder) {
  const int dpi = 144;
  const RECT suggested = {120, 90, 120 + 800, 90 + 480};
  const std::string ini = folder + "\\dpi-change.ini";
  DeleteFileW(Wide(ini).c_str());
  const std::string request = std::to_string(dpi) + " " + std::to_string(suggested.left) + " " +
                              std::to_string(suggested.top) + " " +
                              std::to_string(suggested.right) + " " +
                              std::to_string(suggested.bottom);
  SetEnvironmentVariableW(L"ZARMOK_HARNESS_DPI_CHANGE", Wide(request).c_str());
  THarness harness(exe, ini, nullptr);
  SetEnvironmentVariableW(L"ZARMOK_HARNESS_DPI_CHANGE", nullptr);
  HWND dialog = harness.Dialog();
  Check(dialog != nullptr, "the dialog opens");
  if (!dialog) return;
  const bool moved = WaitUntil([&] {
    RECT r{};
    GetWindowRect(dialog, &r);
    return r.left == suggested.left && r.top == suggested.top;
  });
  Settle();
  RECT outer{};
  GetWindowRect(dialog, &outer);
  Check(moved && outer.right == suggested.right && outer.bottom == suggested.bottom,
        "the dialog takes the suggested rectangle");
  CheckScaledDialog(dialog, dpi, "after the change: ");
  Activate(dialog);
  Screenshot(folder, "dpi-change");
  Key(VK_ESCAPE);
  Check(harness.Exit() == 0, "Escape closes the dialog");
}

// ---- The radio group and the keyboard ----

int CheckedItem(HWND dialog) {
  for (int i = 0; i < 2; ++i) {
    if (SendMessageW(GetDlgItem(dialog, RadioItemId(i)), BM_GETCHECK, 0, 0) == BST_CHECKED) {
      return i;
    }
  }
  return -1;
}

void ShiftTab() {
  INPUT input[4] = {};
  for (INPUT& one : input) one.type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[3].ki.wVk = VK_SHIFT;
  input[1].ki.wVk = input[2].ki.wVk = VK_TAB;
  input[2].ki.dwFlags = input[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, input, sizeof(INPUT));
  Pump(150);
}

// Tab once round the dialog and Shift+Tab once back: no step changes the checked item, and
// the group's stop is its checked item (the first when none is); the focus ends where it
// started.
void TabRound(HWND dialog, int checked, const std::string& name) {
  const int stops = kTabStopCount - 1 + kCheckBoxCount;
  const int group_stop = RadioItemId(checked == 1 ? 1 : 0);
  for (const bool back : {false, true}) {
    const int start = GetDlgCtrlID(Focus(dialog));
    std::string seen;
    bool kept = true;
    bool entered = false;
    for (int step = 0; step < stops; ++step) {
      back ? ShiftTab() : Key(VK_TAB);
      const int focus = GetDlgCtrlID(Focus(dialog));
      seen += std::to_string(focus) + ":" + std::to_string(CheckedItem(dialog)) + " ";
      kept = kept && CheckedItem(dialog) == checked;
      if (focus == RadioItemId(0) || focus == RadioItemId(1)) entered = focus == group_stop;
    }
    const std::string way = back ? "Shift+Tab" : "Tab";
    Check(kept, name + ": " + way + " round the dialog keeps the checked item: " + seen);
    Check(entered, name + ": " + way + " enters the group at item " +
                       std::to_string(group_stop - RadioItemId(0)) + ": " + seen);
    Check(GetDlgCtrlID(Focus(dialog)) == start, name + ": " + way + " goes round to the start");
  }
}

// Moves the focus with Tab to the group's stop.
bool TabToGroup(HWND dialog) {
  for (int step = 0; step < kTabStopCount + kCheckBoxCount; ++step) {
    const int focus = GetDlgCtrlID(Focus(dialog));
    if (focus == RadioItemId(0) || focus == RadioItemId(1)) return true;
    Key(VK_TAB);
  }
  return false;
}

void Radio(const std::string& exe, const std::string& folder) {
  // No item checked (a BugsType below -1), then Type_B checked.
  for (const int bugs_type : {-7, 1}) {
    const int checked = ItemIndexForBugsType(bugs_type);
    const std::string name = "BugsType " + std::to_string(bugs_type);
    const std::string ini = folder + "\\radio.ini";
    WriteFile(ini, "[Zarmok]\r\nBugsType=" + std::to_string(bugs_type) + "\r\n");
    THarness harness(exe, ini, nullptr);
    HWND dialog = harness.Dialog();
    Check(dialog != nullptr, name + ": the dialog opens");
    if (!dialog) return;
    Settle();
    Activate(dialog);
    Check(CheckedItem(dialog) == checked, name + ": the checked item at the start");
    TabRound(dialog, checked, name);
    // Into the group and round from inside it.
    Check(TabToGroup(dialog), name + ": Tab reaches the group");
    TabRound(dialog, checked, name + ", from the group");

    // The arrows move the check with the focus, round the group's ends.
    std::string moves;
    for (const WORD key : {VK_RIGHT, VK_RIGHT, VK_LEFT, VK_DOWN, VK_UP}) {
      Key(key);
      moves += std::to_string(CheckedItem(dialog)) + "/" +
               std::to_string(GetDlgCtrlID(Focus(dialog)) - RadioItemId(0)) + " ";
    }
    const std::string expected = checked == 1 ? "0/0 1/1 0/0 1/1 0/0 " : "1/1 0/0 1/1 0/0 1/1 ";
    Check(moves == expected, name + ": the arrows (checked/focus): " + moves);
    Key(VK_ESCAPE);
    Check(harness.Exit() == 0, name + ": Escape closes the dialog");
    Check(Lines(ReadFile(ini)).size() == 2, name + ": Escape writes nothing");
  }

  // Space checks the unchecked item that Tab left the focus on; Enter saves it.
  const std::string ini = folder + "\\radio-space.ini";
  WriteFile(ini, "[Zarmok]\r\nBugsType=-3\r\n");
  THarness harness(exe, ini, nullptr);
  HWND dialog = harness.Dialog();
  Check(dialog != nullptr, "Space: the dialog opens");
  if (!dialog) return;
  Settle();
  Activate(dialog);
  Check(TabToGroup(dialog) && CheckedItem(dialog) == -1, "Space: Tab to the group checks none");
  Key(VK_SPACE);
  Check(CheckedItem(dialog) == 0, "Space checks the item with the focus");
  Key(VK_RETURN);
  Check(harness.Exit() == 0, "Space: Enter saves and closes");
  const std::vector<std::string> lines = Lines(ReadFile(ini));
  Check(std::find(lines.begin(), lines.end(), "BugsType=0") != lines.end(),
        "Space: the item checked by Space is saved");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs(
        "usage: dialog_probe <dialog_harness.exe> <folder> "
        "layout|save|refused|about|dpi|dpi-change|radio\n",
        stderr);
    return 2;
  }
  const std::string exe = argv[1];
  const std::string folder = argv[2];
  const std::string which = argv[3];
  if (which == "layout") {
    Layout(exe, folder);
  } else if (which == "save") {
    Save(exe, folder);
    SaveEnds(exe, folder);
  } else if (which == "refused") {
    Refused(exe, folder);
  } else if (which == "about") {
    About(exe, folder);
  } else if (which == "dpi") {
    Dpi(exe, folder);
  } else if (which == "dpi-change") {
    DpiChange(exe, folder);
  } else if (which == "radio") {
    Radio(exe, folder);
  } else {
    std::fprintf(stderr, "unknown case %s\n", which.c_str());
    return 2;
  }
  std::printf("%s: %s\n", which.c_str(), failures == 0 ? "passed" : "FAILED");
  return failures == 0 ? 0 : 1;
}
