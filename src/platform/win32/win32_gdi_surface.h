// The saver window's drawing surface on Windows: the system's own GDI calls, straight onto a
// device context (the window's, or a memory DC over a bitmap).
#pragma once

#include <windows.h>

#include "platform.h"

namespace zarmok::win32 {

class TGdiSurface final : public IDrawSurface {
 public:
  // Selects the stock DC pen and brush into `dc` and the alternate fill mode; the objects
  // selected before are put back when the surface goes. The DC stays the caller's.
  explicit TGdiSurface(HDC dc);
  ~TGdiSurface() override;
  TGdiSurface(const TGdiSurface&) = delete;
  TGdiSurface& operator=(const TGdiSurface&) = delete;

  HDC Dc() const { return dc_; }

  void SetPenColor(TColorValue color) override;
  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;
  void SetBrushColor(TColorValue color) override;
  void PolyPolygon(const TPoint* points, const int32_t* counts, int32_t polygons) override;
  void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;

 private:
  HDC dc_;
  HGDIOBJ old_pen_ = nullptr;
  HGDIOBJ old_brush_ = nullptr;
  int old_fill_mode_ = 0;
};

}  // namespace zarmok::win32
