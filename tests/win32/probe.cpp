// A small Win32 program the Wine tests drive the saver with: X sees Wine's windows under the
// program's name, not their class, so windows are found and inspected from inside Wine.
//
//   probe find CLASS             handle of the top-level window of CLASS (exit 1: none)
//   probe all CLASS              handles of every top-level window of CLASS, one a line
//                                (exit 1: none)
//   probe wait CLASS SECONDS     waits until one exists, then as find
//   probe gone CLASS SECONDS     waits until none exists (exit 1: still there)
//   probe child PARENT CLASS     handle of PARENT's child window of CLASS (exit 1: none)
//   probe rect HANDLE            "left top right bottom" of the window rectangle
//   probe client HANDLE          "width height" of the client area
//   probe style HANDLE           "style exstyle owner parent topmost" (owner/parent as handles)
//   probe post HANDLE WHAT       posts key | click | move | close | screensave to the window
//   probe ends HANDLE WHAT FILE SECONDS
//                                posts WHAT, then prints the milliseconds until FILE, the
//                                saver's error stream, holds its loop's measurements (exit 1:
//                                not after SECONDS)
//   probe running                the screen-saver-running flag, 0 or 1
//   probe screen                 the virtual screen: "left top width height monitors"
//   probe texts HANDLE           the window's caption, then its children's texts, one a line,
//                                in UTF-8 (what the user reads, whatever the code page)
//   probe short PATH             the 8.3 short form of PATH
//   probe pane W H FILE          opens a test pane of client W x H, writes its handle to FILE,
//                                destroys it when FILE.end appears, then writes FILE.gone
//   probe host W H FILE [unaware]
//                                as pane, but a host's dialog (class #32770) whose preview pane
//                                is a borderless child control of W x H at 24, 32 of its client
//                                area: FILE gets "<pane> <dialog>"; "unaware" makes both
//                                unaware of the DPI scale, as an older host's are
//   probe enabled HANDLE         1 when the window takes input, else 0
//   probe foreground SECONDS     opens a window of its own and makes it the foreground one
//                                (exit 1: the system refused), keeps it for SECONDS
//   probe resolution W H         changes the primary monitor's resolution, as the display
//                                settings do (exit 1: refused)
//   probe resources FILE         what Windows shows of a program file: string 1, the first icon
//                                group's number, then the version's language and code page and
//                                its texts, one "Name=value" a line, in UTF-8
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

HWND HandleArg(const char* text) {
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(text, nullptr, 0)));
}

unsigned long long HandleValue(HWND window) {
  return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window));
}

int Print(HWND window) {
  if (window == nullptr) return 1;
  std::printf("%llu\n", HandleValue(window));
  return 0;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// Answers the messages of this thread's windows for about `milliseconds`.
void Pump(int milliseconds) {
  const DWORD until = GetTickCount() + static_cast<DWORD>(milliseconds);
  while (static_cast<LONG>(GetTickCount() - until) < 0) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

// Keeps `pane` (with `shown`, the top-level window it belongs to) until FILE.end appears.
int Serve(HWND pane, HWND shown, const std::string& file) {
  if (FILE* out = std::fopen(file.c_str(), "w")) {
    if (shown == pane) {
      std::fprintf(out, "%llu\n", HandleValue(pane));
    } else {
      std::fprintf(out, "%llu %llu\n", HandleValue(pane), HandleValue(shown));
    }
    std::fclose(out);
  }
  const std::string end = file + ".end";
  for (;;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return 0;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (Exists(end) && IsWindow(shown)) {
      DestroyWindow(shown);
      // The moment the pane is gone, for a test that times what follows: this process's own
      // exit takes Wine a while longer.
      if (FILE* gone = std::fopen((file + ".gone").c_str(), "w")) std::fclose(gone);
    }
  }
}

int Pane(int width, int height, const std::string& file) {
  WNDCLASSA type{};
  type.lpfnWndProc = PaneProc;
  type.hInstance = GetModuleHandleA(nullptr);
  type.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  type.lpszClassName = "ZarmokTestPane";
  RegisterClassA(&type);
  RECT frame{0, 0, width, height};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  HWND pane = CreateWindowA("ZarmokTestPane", "pane", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                            type.hInstance, nullptr);
  if (pane == nullptr) return 2;
  return Serve(pane, pane, file);
}

INT_PTR CALLBACK HostProc(HWND, UINT message, WPARAM, LPARAM) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return FALSE;
}

int Host(int width, int height, const std::string& file, bool unaware) {
  if (unaware) {
    using TSetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
    const auto set = reinterpret_cast<TSetContext>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext")));
    if (set == nullptr || set(DPI_AWARENESS_CONTEXT_UNAWARE) == nullptr) return 3;
  }
  // A dialog of the system's dialog class, as a host's settings page is.
  struct alignas(4) {
    DLGTEMPLATE head;
    WORD menu, type, caption;
  } dialog_template{};
  dialog_template.head.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;
  HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &dialog_template.head,
                                           nullptr, HostProc, 0);
  if (dialog == nullptr) return 2;
  SetWindowPos(dialog, nullptr, 60, 50, width + 120, height + 140, SWP_NOZORDER);
  HWND pane = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_BLACKRECT, 24, 32,
                              width, height, dialog, reinterpret_cast<HMENU>(1001),
                              GetModuleHandleW(nullptr), nullptr);
  if (pane == nullptr) return 2;
  return Serve(pane, dialog, file);
}

int Foreground(double seconds) {
  HWND window =
      CreateWindowExW(0, L"STATIC", L"foreground", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 200,
                      100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) return 2;
  SetForegroundWindow(window);
  Pump(200);
  const bool taken = GetForegroundWindow() == window;
  std::printf("%s\n", taken ? "taken" : "refused");
  std::fflush(stdout);
  Pump(static_cast<int>(seconds * 1000));
  DestroyWindow(window);
  return taken ? 0 : 1;
}

int Resolution(int width, int height) {
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  return ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL
             ? 0
             : 1;
}

std::string Utf8(const wchar_t* text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string out(static_cast<size_t>(length - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), length, nullptr, nullptr);
  return out;
}

std::string TextOf(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return Utf8(text);
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
  const std::string text = TextOf(child);
  if (!text.empty()) std::printf("%s\n", text.c_str());
  return TRUE;
}

BOOL CALLBACK FirstIconGroup(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
  *reinterpret_cast<LPWSTR*>(found) = name;
  return FALSE;
}

int Resources(const std::string& path) {
  std::wstring file(path.size() + 1, L'\0');
  file.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, file.data(),
                                                      static_cast<int>(file.size()))));
  if (file.empty()) return 1;
  HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) return 1;
  wchar_t name[256] = {};
  LoadStringW(module, 1, name, 256);
  std::printf("String1=%s\n", Utf8(name).c_str());
  LPWSTR icon = nullptr;
  EnumResourceNamesW(module, reinterpret_cast<LPCWSTR>(RT_GROUP_ICON), FirstIconGroup,
                     reinterpret_cast<LONG_PTR>(&icon));
  std::printf("Icon=%llu\n", IS_INTRESOURCE(icon) ? reinterpret_cast<uintptr_t>(icon) : 0ull);
  FreeLibrary(module);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  std::vector<char> version(size);
  if (size == 0 || !GetFileVersionInfoW(file.c_str(), 0, size, version.data())) return 1;
  WORD* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(version.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) ||
      length < 4) {
    return 1;
  }
  std::printf("Translation=%04x %u\n", translation[0], translation[1]);
  for (const wchar_t* key :
       {L"ProductName", L"FileDescription", L"FileVersion", L"ProductVersion"}) {
    wchar_t query[128];
    std::swprintf(query, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1],
                  key);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(version.data(), query, reinterpret_cast<void**>(&value), &length)) continue;
    std::printf("%s=%s\n", Utf8(key).c_str(), Utf8(value).c_str());
  }
  return 0;
}

int Post(HWND window, const std::string& what) {
  BOOL sent = FALSE;
  if (what == "key") {
    sent = PostMessageA(window, WM_KEYDOWN, 'A', 1);
  } else if (what == "click") {
    sent = PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  } else if (what == "move") {
    sent = PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
  } else if (what == "close") {
    sent = PostMessageA(window, WM_CLOSE, 0, 0);
  } else if (what == "screensave") {
    sent = PostMessageA(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
  }
  return sent ? 0 : 1;
}

// Whether the file holds the measurements a saver writes as its loop ends.
bool LoopEnded(const char* path) {
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  char text[4096];
  const size_t read = std::fread(text, 1, sizeof text, file);
  std::fclose(file);
  return std::string(text, read).find("zarmok stats:") != std::string::npos;
}

// Posts `what` to the window and prints the milliseconds until the saver's loop has ended, as
// the measurements it writes to `path` then tell: its windows go later, and Wine holds that up.
int Ends(HWND window, const std::string& what, const char* path, double seconds) {
  LARGE_INTEGER frequency{}, start{}, now{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  if (Post(window, what) != 0) return 2;
  for (;;) {
    QueryPerformanceCounter(&now);
    const double ms = static_cast<double>(now.QuadPart - start.QuadPart) * 1000 /
                      static_cast<double>(frequency.QuadPart);
    if (LoopEnded(path)) {
      std::printf("%.1f\n", ms);
      return 0;
    }
    if (ms > seconds * 1000) return 1;
    Sleep(1);
  }
}

int Wait(const char* type, double seconds, bool present) {
  const DWORD deadline = GetTickCount() + static_cast<DWORD>(seconds * 1000);
  for (;;) {
    HWND found = FindWindowA(type, nullptr);
    if (present && found != nullptr) return Print(found);
    if (!present && found == nullptr) return 0;
    if (static_cast<LONG>(GetTickCount() - deadline) >= 0) return 1;
    Sleep(50);
  }
}

}  // namespace

int Run(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string command = argv[1];
  if (command == "find" && argc == 3) return Print(FindWindowA(argv[2], nullptr));
  if (command == "all" && argc == 3) {
    int status = 1;
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, argv[2], nullptr));) {
      status = Print(window);
    }
    return status;
  }
  if (command == "wait" && argc == 4) return Wait(argv[2], std::atof(argv[3]), true);
  if (command == "gone" && argc == 4) return Wait(argv[2], std::atof(argv[3]), false);
  if (command == "child" && argc == 4) {
    return Print(FindWindowExA(HandleArg(argv[2]), nullptr, argv[3], nullptr));
  }
  if (command == "rect" && argc == 3) {
    RECT rect{};
    if (!GetWindowRect(HandleArg(argv[2]), &rect)) return 1;
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    return 0;
  }
  if (command == "client" && argc == 3) {
    RECT rect{};
    if (!GetClientRect(HandleArg(argv[2]), &rect)) return 1;
    std::printf("%ld %ld\n", rect.right - rect.left, rect.bottom - rect.top);
    return 0;
  }
  if (command == "style" && argc == 3) {
    HWND window = HandleArg(argv[2]);
    if (!IsWindow(window)) return 1;
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    const LONG_PTR exstyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
    std::printf("%08llx %08llx %llu %llu %d\n", static_cast<unsigned long long>(style),
                static_cast<unsigned long long>(exstyle), HandleValue(GetWindow(window, GW_OWNER)),
                HandleValue(GetAncestor(window, GA_PARENT) == GetDesktopWindow()
                                ? nullptr
                                : GetAncestor(window, GA_PARENT)),
                (exstyle & WS_EX_TOPMOST) != 0 ? 1 : 0);
    return 0;
  }
  if (command == "post" && argc == 4) return Post(HandleArg(argv[2]), argv[3]);
  if (command == "ends" && argc == 6) {
    return Ends(HandleArg(argv[2]), argv[3], argv[4], std::atof(argv[5]));
  }
  if (command == "running" && argc == 2) {
    BOOL running = FALSE;
    if (!SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0)) return 1;
    std::printf("%d\n", running ? 1 : 0);
    return 0;
  }
  if (command == "screen" && argc == 2) {
    std::printf("%d %d %d %d %d\n", GetSystemMetrics(SM_XVIRTUALSCREEN),
                GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
                GetSystemMetrics(SM_CYVIRTUALSCREEN), GetSystemMetrics(SM_CMONITORS));
    return 0;
  }
  if (command == "texts" && argc == 3) {
    HWND window = HandleArg(argv[2]);
    if (!IsWindow(window)) return 1;
    std::printf("%s\n", TextOf(window).c_str());
    EnumChildWindows(window, PrintChild, 0);
    return 0;
  }
  if (command == "short" && argc == 3) {
    wchar_t wide[MAX_PATH] = {};
    wchar_t short_path[MAX_PATH] = {};
    MultiByteToWideChar(CP_UTF8, 0, argv[2], -1, wide, MAX_PATH);
    if (GetShortPathNameW(wide, short_path, MAX_PATH) == 0) return 1;
    std::printf("%s\n", Utf8(short_path).c_str());
    return 0;
  }
  if (command == "pane" && argc == 5) return Pane(std::atoi(argv[2]), std::atoi(argv[3]), argv[4]);
  if (command == "host" && (argc == 5 || argc == 6)) {
    const bool unaware = argc == 6 && std::string(argv[5]) == "unaware";
    return Host(std::atoi(argv[2]), std::atoi(argv[3]), argv[4], unaware);
  }
  if (command == "active" && argc == 3) {
    // Shown and the foreground window: keys pressed now reach it.
    HWND window = HandleArg(argv[2]);
    std::printf("%d\n", IsWindowVisible(window) && GetForegroundWindow() == window ? 1 : 0);
    return 0;
  }
  if (command == "enabled" && argc == 3) {
    HWND window = HandleArg(argv[2]);
    if (!IsWindow(window)) return 1;
    std::printf("%d\n", IsWindowEnabled(window) ? 1 : 0);
    return 0;
  }
  if (command == "foreground" && argc == 3) return Foreground(std::atof(argv[2]));
  if (command == "resolution" && argc == 4)
    return Resolution(std::atoi(argv[2]), std::atoi(argv[3]));
  if (command == "resources" && argc == 3) return Resources(argv[2]);
  return 2;
}

// The arguments as UTF-8, so a path outside the ANSI code page arrives whole.
int wmain(int argc, wchar_t** wide_argv) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(Utf8(wide_argv[i]));
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  return Run(argc, argv.data());
}
