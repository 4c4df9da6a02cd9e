// How the saver's pictures reach a window on Windows: the rectangles a step changed are copied
// from the session's picture into a DIB section of the same pixels and sent on, one blit each. A
// step that draws a few hundred figures then costs a few blits instead of thousands of GDI
// calls, and the canvas follows GDI's pixel rules to the pixel.
#pragma once

#include <windows.h>

#include <cstdint>

#include "raster.h"

namespace zarmok::win32 {

class TWin32Presenter {
 public:
  TWin32Presenter();
  ~TWin32Presenter();
  TWin32Presenter(const TWin32Presenter&) = delete;
  TWin32Presenter& operator=(const TWin32Presenter&) = delete;

  // Sends `count` rectangles of `picture` to `dc`, at the same places.
  void Blit(HDC dc, const TRasterCanvas& picture, const TDirtyRect* rects, int count);

 private:
  // The DIB section of the picture's size, made again only when the size changed: false when
  // the system refused it.
  bool Fit(int32_t width, int32_t height);
  void FreeBitmap();

  HDC memory_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
  uint32_t* bits_ = nullptr;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

}  // namespace zarmok::win32
