// A 32-bit top-down DIB section selected into a memory DC, for tests that draw with GDI and
// read the pixels back.
#pragma once

#include <windows.h>

#include <cstdint>

namespace zarmok::testing {

class TDibSection {
 public:
  TDibSection(int width, int height, uint32_t fill = 0) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: row 0 first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    old_ = SelectObject(dc_, bitmap_);
    for (int i = 0; i < width * height; ++i) bits_[i] = fill;
  }
  ~TDibSection() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  TDibSection(const TDibSection&) = delete;
  TDibSection& operator=(const TDibSection&) = delete;

  bool Valid() const { return dc_ != nullptr && bits_ != nullptr; }
  HDC Dc() const { return dc_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // 0x00RRGGBB.
  uint32_t At(int x, int y) const { return bits_[y * width_ + x] & 0x00FFFFFFu; }
  const uint32_t* Bits() const { return bits_; }
  int CountEqual(uint32_t value) const {
    int n = 0;
    for (int i = 0; i < width_ * height_; ++i) n += (bits_[i] & 0x00FFFFFFu) == value;
    return n;
  }
  int CountNot(uint32_t value) const { return width_ * height_ - CountEqual(value); }

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

}  // namespace zarmok::testing
