// A host without a window that draws every figure twice: through GDI into a DIB section and
// through the software canvas, so the two pictures of one run can be compared pixel for pixel.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <utility>

#include "platform.h"
#include "raster.h"
#include "session.h"
#include "win32/gdi_surface.h"

namespace zarmok {

// A 32-bit top-down DIB section in a memory DC; pixels 0x00RRGGBB, as the canvas holds them.
class TDibBitmap {
 public:
  TDibBitmap(int32_t width, int32_t height) : dc_(CreateCompatibleDC(nullptr)) {
    Resize(width, height);
  }
  ~TDibBitmap() {
    Release();
    DeleteDC(dc_);
  }
  TDibBitmap(const TDibBitmap&) = delete;
  TDibBitmap& operator=(const TDibBitmap&) = delete;

  // A new, black bitmap of the size; false when the system refused it (then 0 x 0).
  bool Resize(int32_t width, int32_t height) {
    Release();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: row 0 first, as the canvas
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap_ == nullptr || bits == nullptr) {
      bitmap_ = nullptr;
      return false;
    }
    bits_ = static_cast<uint32_t*>(bits);
    old_ = SelectObject(dc_, bitmap_);
    width_ = width;
    height_ = height;
    for (int64_t i = 0; i < static_cast<int64_t>(width) * height; ++i) bits_[i] = 0;
    return true;
  }

  HDC Dc() const { return dc_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // GDI may batch its calls: GdiFlush before reading.
  uint32_t PixelAt(int32_t x, int32_t y) const {
    return bits_[static_cast<int64_t>(y) * width_ + x] & 0x00FFFFFFu;
  }

 private:
  void Release() {
    if (bitmap_ == nullptr) return;
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    bitmap_ = nullptr;
    bits_ = nullptr;
    width_ = height_ = 0;
  }

  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

// Hands every call to both surfaces, in order.
class TTeeSurface final : public IDrawSurface {
 public:
  TTeeSurface(IDrawSurface& first, IDrawSurface& second) : first_(first), second_(second) {}
  void SetPenColor(TColorValue color) override {
    first_.SetPenColor(color);
    second_.SetPenColor(color);
  }
  void MoveTo(int32_t x, int32_t y) override {
    first_.MoveTo(x, y);
    second_.MoveTo(x, y);
  }
  void LineTo(int32_t x, int32_t y) override {
    first_.LineTo(x, y);
    second_.LineTo(x, y);
  }
  void SetBrushColor(TColorValue color) override {
    first_.SetBrushColor(color);
    second_.SetBrushColor(color);
  }
  void PolyPolygon(const TPoint* points, const int32_t* counts, int32_t polygons) override {
    first_.PolyPolygon(points, counts, polygons);
    second_.PolyPolygon(points, counts, polygons);
  }
  void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override {
    first_.FillRect(left, top, right, bottom);
    second_.FillRect(left, top, right, bottom);
  }

 private:
  IDrawSurface& first_;
  IDrawSurface& second_;
};

class TGdiCompareHost final : public IFormWindow, public ISaverHost {
 public:
  TGdiCompareHost()
      : raster_(kBirthClientWidth, kBirthClientHeight),
        dib_(kBirthClientWidth, kBirthClientHeight),
        gdi_(dib_.Dc()),
        tee_(gdi_, raster_) {}

  // A new client size; both pictures are lost, as a real window's would be before its repaint.
  bool Resize(int32_t width, int32_t height) {
    raster_.Resize(width, height);
    return dib_.Resize(width, height);
  }

  // One idle call of the message loop; false when no idle handler is installed.
  bool RunIdle() {
    if (!idle_) return false;
    bool done = true;
    idle_(done);
    return true;
  }

  // The pixels where the two pictures differ.
  int64_t CountDiffering() const {
    GdiFlush();
    int64_t n = 0;
    for (int32_t y = 0; y < raster_.Height(); ++y) {
      for (int32_t x = 0; x < raster_.Width(); ++x)
        n += raster_.PixelAt(x, y) != dib_.PixelAt(x, y);
    }
    return n;
  }

  bool Valid() const {
    return dib_.Width() == raster_.Width() && dib_.Height() == raster_.Height();
  }
  const TRasterCanvas& Raster() const { return raster_; }
  const TDibBitmap& Dib() const { return dib_; }

  int32_t ClientWidth() override { return raster_.Width(); }
  int32_t ClientHeight() override { return raster_.Height(); }
  void RequestMaximized() override {}
  IDrawSurface& Canvas() override { return tee_; }

  void SetScreenSaverRunning(bool) override {}
  void ShowCursor(bool) override {}
  void SetIdleHandler(std::function<void(bool& done)> handler) override {
    idle_ = std::move(handler);
  }

 private:
  TRasterCanvas raster_;
  TDibBitmap dib_;
  TGdiSurface gdi_;
  TTeeSurface tee_;
  std::function<void(bool&)> idle_;
};

}  // namespace zarmok
