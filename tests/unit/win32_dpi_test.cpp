// Working in another window's DPI awareness: the thread takes the window's while the scope
// lives and its own again after, so a preview is made and placed as its pane's program sees it.
#include <gtest/gtest.h>
#include <windows.h>

#include "win32/win32_dpi.h"

namespace zarmok::win32 {
namespace {

template <typename TFunction>
TFunction UserEntry(const char* name) {
  return reinterpret_cast<TFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

TEST(Win32DpiAwareness, TheThreadWorksInTheWindowsAwarenessWhileTheScopeLives) {
  using TSetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
  using TGetThread = DPI_AWARENESS_CONTEXT(WINAPI*)();
  using TAwareness = DPI_AWARENESS(WINAPI*)(DPI_AWARENESS_CONTEXT);
  const auto set = UserEntry<TSetContext>("SetThreadDpiAwarenessContext");
  const auto thread = UserEntry<TGetThread>("GetThreadDpiAwarenessContext");
  const auto awareness = UserEntry<TAwareness>("GetAwarenessFromDpiAwarenessContext");
  ASSERT_NE(set, nullptr);
  ASSERT_NE(thread, nullptr);
  ASSERT_NE(awareness, nullptr);

  // A window of an older program's kind, unaware of the scale; the thread is not.
  const DPI_AWARENESS_CONTEXT own = set(DPI_AWARENESS_CONTEXT_UNAWARE);
  HWND unaware = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
  set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
  ASSERT_NE(unaware, nullptr);
  {
    const TDpiAwarenessOf theirs(unaware);
    EXPECT_EQ(awareness(thread()), DPI_AWARENESS_UNAWARE);
  }
  EXPECT_EQ(awareness(thread()), DPI_AWARENESS_PER_MONITOR_AWARE);
  {
    // No window: the thread keeps its own.
    const TDpiAwarenessOf none(nullptr);
    EXPECT_EQ(awareness(thread()), DPI_AWARENESS_PER_MONITOR_AWARE);
  }
  DestroyWindow(unaware);
  set(own);
}

}  // namespace
}  // namespace zarmok::win32
