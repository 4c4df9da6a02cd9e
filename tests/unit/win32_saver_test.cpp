// The error box of a saver run on Windows, as the user meets it: owned by the saver's window the
// session names (over the full-screen saver), it is top-most, so it stands above the top-most
// windows; owned by nobody (a preview), it is the program's own application window's, and the
// host's dialog, whose pane holds the preview, keeps taking input.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform.h"
#include "win32/win32_desktop.h"
#include "win32/win32_passwords.h"
#include "win32/win32_profile.h"

namespace zarmok::win32 {
namespace {

constexpr const wchar_t* kBoxTitle = L"Zarmok error box test";

// What another thread saw of the box while it was up, before it dismissed it.
struct TBoxSeen {
  bool found = false;
  HWND owner = nullptr;
  bool topmost = false;
  bool host_enabled = false;
};

// Shows the platform's error box and looks at it from another thread, as the user would.
TBoxSeen ShowAndLook(ISaverPlatform& platform, IPlatformWindow* owner, HWND host) {
  TBoxSeen seen;
  std::thread watcher([&seen, host] {
    for (int i = 0; i < 500 && !seen.found; ++i) {
      HWND box = FindWindowW(L"#32770", kBoxTitle);
      if (box == nullptr || !IsWindowVisible(box)) {
        Sleep(20);
        continue;
      }
      seen.found = true;
      seen.owner = GetWindow(box, GW_OWNER);
      seen.topmost = (GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
      seen.host_enabled = host != nullptr && IsWindowEnabled(host) != FALSE;
      PostMessageW(box, WM_CLOSE, 0, 0);
    }
  });
  platform.ShowError("Zarmok error box test", "text", owner);
  watcher.join();
  return seen;
}

class Win32SaverErrorBox : public ::testing::Test {
 protected:
  Win32SaverErrorBox()
      : desktop_(GetModuleHandleW(nullptr),
                 {profile_, passwords_, [](const std::string&, TWindowHandle) { return 0; }}) {}

  TWin32Profile profile_;
  TWin32Passwords passwords_;
  TWin32Desktop desktop_;
};

TEST_F(Win32SaverErrorBox, APreviewsBoxLeavesTheHostsDialogAlone) {
  // The host's dialog with its preview pane, a child control, as a host's settings page has.
  HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300,
                              200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(host, nullptr);
  HWND pane = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 20, 20, 152, 112, host,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(pane, nullptr);
  {
    ISaverPlatform& platform = desktop_.SaverPlatform();
    auto preview =
        platform.CreateSaverWindow(reinterpret_cast<TWindowHandle>(pane), {0, 0, 152, 112});
    const TBoxSeen seen = ShowAndLook(platform, nullptr, host);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.owner, reinterpret_cast<HWND>(desktop_.ApplicationWindow()));
    EXPECT_TRUE(seen.host_enabled);
  }
  EXPECT_TRUE(IsWindowEnabled(host));
  DestroyWindow(host);
}

TEST_F(Win32SaverErrorBox, TheFullScreenSaversBoxStandsAboveIt) {
  ISaverPlatform& platform = desktop_.SaverPlatform();
  auto window = platform.CreateSaverWindow(0, {0, 0, 427, 273});
  const TBoxSeen seen = ShowAndLook(platform, window.get(), nullptr);
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.owner, reinterpret_cast<HWND>(window->Handle()));
  EXPECT_TRUE(seen.topmost);
}

}  // namespace
}  // namespace zarmok::win32
