#include "win32_present.h"

#include <cstring>

namespace zarmok::win32 {

TWin32Presenter::TWin32Presenter() : memory_(CreateCompatibleDC(nullptr)) {}

TWin32Presenter::~TWin32Presenter() {
  FreeBitmap();
  if (memory_ != nullptr) DeleteDC(memory_);
}

bool TWin32Presenter::Fit(int32_t width, int32_t height) {
  if (bitmap_ != nullptr && width == width_ && height == height_) return true;
  FreeBitmap();
  if (memory_ == nullptr || width <= 0 || height <= 0) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down: row 0 first, as the canvas
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;  // 0x00RRGGBB, the canvas's own pixels
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(memory_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap_ == nullptr || bits == nullptr) {
    bitmap_ = nullptr;
    return false;
  }
  bits_ = static_cast<uint32_t*>(bits);
  old_bitmap_ = SelectObject(memory_, bitmap_);
  width_ = width;
  height_ = height;
  return true;
}

void TWin32Presenter::FreeBitmap() {
  if (bitmap_ == nullptr) return;
  SelectObject(memory_, old_bitmap_);
  DeleteObject(bitmap_);
  bitmap_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
}

void TWin32Presenter::Blit(HDC dc, const TRasterCanvas& picture, const TDirtyRect* rects,
                           int count) {
  // Without a bitmap nothing is shown, but the saver goes on: its close still works.
  if (count == 0 || !Fit(picture.Width(), picture.Height())) return;
  const int32_t stride = picture.Stride();
  for (int i = 0; i < count; ++i) {
    const TDirtyRect& r = rects[i];
    const size_t bytes = static_cast<size_t>(r.right - r.left) * sizeof(uint32_t);
    for (int32_t row = r.top; row < r.bottom; ++row) {
      std::memcpy(bits_ + static_cast<size_t>(row) * width_ + r.left,
                  picture.Pixels() + static_cast<size_t>(row) * stride + r.left, bytes);
    }
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, memory_, r.left, r.top, SRCCOPY);
  }
  GdiFlush();
}

}  // namespace zarmok::win32
