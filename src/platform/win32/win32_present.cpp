#include "win32_present.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zarmok::win32 {

TCanvasPresenter::TCanvasPresenter(int32_t width, int32_t height)
    : canvas_(width, height), memory_(CreateCompatibleDC(nullptr)) {
  damage_.SetBounds(width, height);
  MakeBitmap();
}

TCanvasPresenter::~TCanvasPresenter() {
  FreeBitmap();
  if (memory_ != nullptr) DeleteDC(memory_);
}

void TCanvasPresenter::Resize(int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == canvas_.Width() && height == canvas_.Height()) return;
  FreeBitmap();
  canvas_.Resize(width, height);
  damage_.SetBounds(width, height);
  MakeBitmap();
}

void TCanvasPresenter::MakeBitmap() {
  if (memory_ == nullptr || canvas_.Width() == 0 || canvas_.Height() == 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = canvas_.Width();
  info.bmiHeader.biHeight = -canvas_.Height();  // top-down: row 0 first, as the canvas
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;  // 0x00RRGGBB, the canvas's own pixels
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(memory_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap_ == nullptr || bits == nullptr) {
    // Without a bitmap nothing is shown, but the saver goes on: its close still works.
    bitmap_ = nullptr;
    return;
  }
  bits_ = static_cast<uint32_t*>(bits);
  old_bitmap_ = SelectObject(memory_, bitmap_);
}

void TCanvasPresenter::FreeBitmap() {
  if (bitmap_ == nullptr) return;
  SelectObject(memory_, old_bitmap_);
  DeleteObject(bitmap_);
  bitmap_ = nullptr;
  bits_ = nullptr;
}

void TCanvasPresenter::Present(HDC dc) {
  canvas_.TakeDirty();  // the damage record is finer; the canvas's own is only reset
  std::array<TDirtyRect, TDamage::kMaxRects> rects;
  const int count = damage_.Take(rects);
  if (bits_ == nullptr) return;
  const int32_t stride = canvas_.Stride();
  for (int i = 0; i < count; ++i) {
    const TDirtyRect& r = rects[i];
    const size_t bytes = static_cast<size_t>(r.right - r.left) * sizeof(uint32_t);
    for (int32_t row = r.top; row < r.bottom; ++row) {
      const size_t at = static_cast<size_t>(row) * stride + r.left;
      std::memcpy(bits_ + at, canvas_.Pixels() + at, bytes);
    }
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, memory_, r.left, r.top, SRCCOPY);
  }
  GdiFlush();
}

}  // namespace zarmok::win32
