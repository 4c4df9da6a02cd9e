// Working in another window's DPI awareness. The saver is aware of each monitor's scale; the
// host's preview pane belongs to another program, which may be unaware of scaling or aware of
// the system's scale only. A window made inside the pane, and every place and size the saver
// reads of the pane or gives its window there, must be of the pane's awareness, or the system
// scales between the two and the preview no longer covers its pane.
#pragma once

#include <windows.h>

namespace zarmok::win32 {

// While it lives, the thread works in `window`'s DPI awareness. Nothing changes on systems
// before Windows 10 1607, which have one awareness for the whole process.
class TDpiAwarenessOf {
 public:
  explicit TDpiAwarenessOf(HWND window);
  ~TDpiAwarenessOf();
  TDpiAwarenessOf(const TDpiAwarenessOf&) = delete;
  TDpiAwarenessOf& operator=(const TDpiAwarenessOf&) = delete;

 private:
  using TSetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);

  TSetContext set_ = nullptr;
  DPI_AWARENESS_CONTEXT previous_ = nullptr;
};

}  // namespace zarmok::win32
