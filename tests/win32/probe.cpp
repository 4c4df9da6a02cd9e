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
//   probe running                the screen-saver-running flag, 0 or 1
//   probe screen                 the virtual screen: "left top width height monitors"
//   probe texts HANDLE           the window's caption, then its children's texts, one a line,
//                                in UTF-8 (what the user reads, whatever the code page)
//   probe short PATH             the 8.3 short form of PATH
//   probe pane W H FILE          opens a test pane of client W x H, writes its handle to FILE,
//                                destroys it when FILE.end appears, then writes FILE.gone
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
  if (FILE* out = std::fopen(file.c_str(), "w")) {
    std::fprintf(out, "%llu\n", HandleValue(pane));
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
    if (Exists(end) && IsWindow(pane)) {
      DestroyWindow(pane);
      // The moment the pane is gone, for a test that times what follows: this process's own
      // exit takes Wine a while longer.
      if (FILE* gone = std::fopen((file + ".gone").c_str(), "w")) std::fclose(gone);
    }
  }
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
