// The parts of the saver window that changed since they were last sent to the screen. One
// bounding rectangle for a whole step would span the screen as soon as two bugs are far apart;
// a few rectangles, each around the figures close together, send a few kilobytes instead.
#pragma once

#include <array>
#include <cstdint>

#include "platform.h"
#include "raster.h"

namespace zarmok {

class TDamage {
 public:
  static constexpr int kMaxRects = 32;
  // Rectangles closer than this are sent as one: a request costs more than a few pixels.
  static constexpr int32_t kJoinDistance = 16;

  void SetBounds(int32_t width, int32_t height);
  // Adds [left, right) x [top, bottom), clipped to the bounds.
  void Add(int32_t left, int32_t top, int32_t right, int32_t bottom);
  // The rectangles, pairwise apart by at least kJoinDistance, and forgets them.
  int Take(std::array<TDirtyRect, kMaxRects>& out);
  int Count() const { return count_; }

 private:
  void Join(int a, int b);
  std::array<TDirtyRect, kMaxRects> rects_{};
  int count_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

// The canvas as the saver draws on it: every figure goes to the software canvas, and the area
// it can have touched is added to the damage. A line leaves out its end pixel and an outline
// stays on its points, so the points' bounding box, one pixel wider, holds every pixel painted.
class TDamageCanvas final : public IDrawSurface {
 public:
  TDamageCanvas(TRasterCanvas& canvas, TDamage& damage) : canvas_(canvas), damage_(damage) {}
  void SetPenColor(TColorValue color) override { canvas_.SetPenColor(color); }
  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;
  void SetBrushColor(TColorValue color) override { canvas_.SetBrushColor(color); }
  void PolyPolygon(const TPoint* points, const int32_t* counts, int32_t polygons) override;
  void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;

  // What the drawing goes to, for a painter that writes the canvas's pixels itself and adds
  // their area to the damage.
  TRasterCanvas& Raster() { return canvas_; }
  TDamage& Damage() { return damage_; }

 private:
  TRasterCanvas& canvas_;
  TDamage& damage_;
  int32_t x_ = 0;
  int32_t y_ = 0;
};

}  // namespace zarmok
