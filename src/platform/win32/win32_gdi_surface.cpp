#include "win32_gdi_surface.h"

#include <cstddef>

namespace zarmok::win32 {

// The core's points reach PolyPolygon as they are, without a copy.
static_assert(sizeof(TPoint) == sizeof(POINT));
static_assert(offsetof(TPoint, x) == offsetof(POINT, x));
static_assert(offsetof(TPoint, y) == offsetof(POINT, y));
static_assert(sizeof(int32_t) == sizeof(INT));
// A colour value is laid out as a COLORREF: red in the low byte, blue in the third.
static_assert(RGB(1, 2, 3) == 1u + 256u * 2u + 65536u * 3u);

TGdiSurface::TGdiSurface(HDC dc) : dc_(dc) {
  old_pen_ = SelectObject(dc_, GetStockObject(DC_PEN));
  old_brush_ = SelectObject(dc_, GetStockObject(DC_BRUSH));
  old_fill_mode_ = SetPolyFillMode(dc_, ALTERNATE);
}

TGdiSurface::~TGdiSurface() {
  if (old_fill_mode_ != 0) SetPolyFillMode(dc_, old_fill_mode_);
  if (old_brush_ != nullptr && old_brush_ != HGDI_ERROR) SelectObject(dc_, old_brush_);
  if (old_pen_ != nullptr && old_pen_ != HGDI_ERROR) SelectObject(dc_, old_pen_);
}

void TGdiSurface::SetPenColor(TColorValue color) {
  SetDCPenColor(dc_, static_cast<COLORREF>(color & 0x00FFFFFFu));
}

void TGdiSurface::SetBrushColor(TColorValue color) {
  SetDCBrushColor(dc_, static_cast<COLORREF>(color & 0x00FFFFFFu));
}

void TGdiSurface::MoveTo(int32_t x, int32_t y) {
  MoveToEx(dc_, x, y, nullptr);
}

void TGdiSurface::LineTo(int32_t x, int32_t y) {
  ::LineTo(dc_, x, y);
}

void TGdiSurface::PolyPolygon(const TPoint* points, const int32_t* counts, int32_t polygons) {
  if (polygons <= 0) return;
  ::PolyPolygon(dc_, reinterpret_cast<const POINT*>(points), reinterpret_cast<const INT*>(counts),
                polygons);
}

void TGdiSurface::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  const RECT rect{left, top, right, bottom};
  // FillRect takes its brush as an argument: the stock DC brush paints in the DC's brush colour.
  ::FillRect(dc_, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

}  // namespace zarmok::win32
