// How the saver's pictures reach a window on Windows: the core's software canvas, which follows
// GDI's pixel rules to the pixel, the record of what each step changed, and a DIB section that
// carries only those rectangles to the window, one blit each. A step that draws a few hundred
// figures then costs a few blits instead of thousands of GDI calls.
#pragma once

#include <windows.h>

#include <cstdint>

#include "damage.h"
#include "platform.h"
#include "raster.h"

namespace zarmok::win32 {

class TCanvasPresenter {
 public:
  TCanvasPresenter(int32_t width, int32_t height);
  ~TCanvasPresenter();
  TCanvasPresenter(const TCanvasPresenter&) = delete;
  TCanvasPresenter& operator=(const TCanvasPresenter&) = delete;

  IDrawSurface& Drawing() { return drawing_; }
  const TRasterCanvas& Picture() const { return canvas_; }
  // A new, black picture of the size (the window's client size).
  void Resize(int32_t width, int32_t height);
  // Sends what changed since the last call to `dc`.
  void Present(HDC dc);

 private:
  void MakeBitmap();
  void FreeBitmap();

  TRasterCanvas canvas_;
  TDamage damage_;
  TDamageCanvas drawing_{canvas_, damage_};
  HDC memory_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
  uint32_t* bits_ = nullptr;
};

}  // namespace zarmok::win32
