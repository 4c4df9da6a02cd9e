// GDI's picture of a headless saver window: every figure the window draws on its canvas is drawn
// again through the system's GDI into a DIB section, so the two pictures of one run can be
// compared pixel for pixel.
#pragma once

#include <windows.h>

#include <cstdint>

#include "headless_platform.h"
#include "platform.h"
#include "raster.h"
#include "win32/win32_gdi_surface.h"

namespace zarmok {

// A 32-bit top-down DIB section in a memory DC, with the GDI surface on that DC; pixels
// 0x00RRGGBB, as the canvas holds them.
class TGdiPicture final : public tools::ISecondPicture {
 public:
  TGdiPicture() : surface_(dc_.dc) {}
  ~TGdiPicture() override { Release(); }
  TGdiPicture(const TGdiPicture&) = delete;
  TGdiPicture& operator=(const TGdiPicture&) = delete;

  IDrawSurface& Surface() override { return surface_; }

  // A new, black bitmap of the size; false when the system refused it (then 0 x 0).
  bool Resize(int32_t width, int32_t height) override {
    Release();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: row 0 first, as the canvas
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap_ == nullptr || bits == nullptr) {
      bitmap_ = nullptr;
      return false;
    }
    bits_ = static_cast<uint32_t*>(bits);
    old_ = SelectObject(dc_.dc, bitmap_);
    width_ = width;
    height_ = height;
    for (int64_t i = 0; i < static_cast<int64_t>(width) * height; ++i) bits_[i] = 0;
    return true;
  }

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // GDI may batch its calls: GdiFlush before reading.
  uint32_t PixelAt(int32_t x, int32_t y) const {
    return bits_[static_cast<int64_t>(y) * width_ + x] & 0x00FFFFFFu;
  }

 private:
  // Made before the surface that selects its objects into it, deleted after.
  struct TMemoryDc {
    HDC dc = CreateCompatibleDC(nullptr);
    ~TMemoryDc() { DeleteDC(dc); }
  };

  void Release() {
    if (bitmap_ == nullptr) return;
    SelectObject(dc_.dc, old_);
    DeleteObject(bitmap_);
    bitmap_ = nullptr;
    bits_ = nullptr;
    width_ = height_ = 0;
  }

  TMemoryDc dc_;
  win32::TGdiSurface surface_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

// The pixels where the canvas and GDI's picture differ; -1 when their sizes differ.
inline int64_t CountDiffering(const TRasterCanvas& canvas, const TGdiPicture& gdi) {
  if (canvas.Width() != gdi.Width() || canvas.Height() != gdi.Height()) return -1;
  GdiFlush();
  int64_t n = 0;
  for (int32_t y = 0; y < canvas.Height(); ++y) {
    for (int32_t x = 0; x < canvas.Width(); ++x) n += canvas.PixelAt(x, y) != gdi.PixelAt(x, y);
  }
  return n;
}

// GDI's picture of a window of a platform whose second pictures are GDI's.
inline const TGdiPicture& GdiPictureOf(const tools::THeadlessWindow& window) {
  return static_cast<const TGdiPicture&>(*window.Second());
}

}  // namespace zarmok
