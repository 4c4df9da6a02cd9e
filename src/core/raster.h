// The software canvas: the drawing surface on a 32-bit framebuffer, the picture of every saver
// window on every host. One set of pixel rules serves drawing and erasing, so an erase in black
// paints exactly the pixels that the same figure painted.
#pragma once

#include <cstdint>
#include <vector>

#include "platform.h"

namespace zarmok {

// A rectangle [left, right) x [top, bottom); empty when right <= left or bottom <= top.
struct TDirtyRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
};

class TRasterCanvas final : public IDrawSurface {
 public:
  TRasterCanvas(int32_t width, int32_t height);

  // Pixels are 0x00RRGGBB, row after row, Stride() pixels per row. Resizing keeps nothing.
  void Resize(int32_t width, int32_t height);
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int32_t Stride() const { return width_; }
  uint32_t* Pixels() { return pixels_.data(); }
  const uint32_t* Pixels() const { return pixels_.data(); }
  uint32_t PixelAt(int32_t x, int32_t y) const {
    return pixels_[static_cast<size_t>(y) * width_ + x];
  }

  void SetPenColor(TColorValue color) override;
  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;
  void SetBrushColor(TColorValue color) override;
  void PolyPolygon(const TPoint* points, const int32_t* counts, int32_t polygons) override;
  void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<uint32_t> pixels_;
  // One non-horizontal polygon edge as the fill walks it down the rows [top, bottom), each
  // row y sampled at its top (y itself). At the row the walk is on, x is the first column at
  // or right of the crossing: x = x_vertex + ceil(n / dy) with n = rows walked * dx, held as
  // x and rem = ceil(n / dy) * dy - n, so the walk stays exact however long the edge is.
  struct TEdge {
    int32_t top;
    int32_t bottom;
    int64_t x;
    int64_t rem;   // in [0, dy)
    int64_t step;  // floor(dx / dy)
    int64_t rest;  // dx - step * dy, in [0, dy)
    int64_t dy;
  };
  // Moves the edge's walk down one row.
  static void Advance(TEdge& e) {
    e.x += e.step;
    e.rem -= e.rest;
    if (e.rem < 0) {
      e.rem += e.dy;
      ++e.x;
    }
  }

  // Paints the walk from (x0, y0) toward (x1, y1), end left out.
  void PaintLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t color);
  // `total` is the sum of the non-negative counts, which the caller has already formed.
  void FillPolygons(const TPoint* points, const int32_t* counts, int32_t polygons, int64_t total);

  uint32_t pen_ = 0;    // 0x00RRGGBB
  uint32_t brush_ = 0;  // 0x00RRGGBB
  int32_t cur_x_ = 0;
  int32_t cur_y_ = 0;
  // Edge storage for calls with more edges than the fixed table holds; it only ever grows.
  std::vector<TEdge> spill_edges_;
};

}  // namespace zarmok
