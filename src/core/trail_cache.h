// The figures of the bugs' trails as the software canvas paints them. A figure keeps its points
// for as long as it stays in its ring slot and only changes its colour level from step to step,
// so its pixels are worked out once, when it is first drawn, and every later drawing or erasing
// of it repaints those pixels in the level it is drawn in.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "damage.h"
#include "platform.h"
#include "raster.h"
#include "swarm.h"

namespace zarmok {

// Paints one figure (image and mirror image, points 0 to n - 1 of each) in one colour level, in
// the line style or the polygon style.
using TFigurePainter = void (*)(IDrawSurface& surface, const TPoint* image, const TPoint* mirror,
                                const TColorLevel& colors, int32_t n, bool lines);

class TTrailCache {
 public:
  // One figure for each ring slot of each bug record.
  static constexpr int32_t kFigures = kBugCount * kRingSlots;
  // A figure is kept when the box of its points is at most kMaxSide wide and high, on a canvas
  // at most kMaxStride wide, so that a pixel's place in the box fits in 24 bits...
  static constexpr int32_t kMaxSide = 256;
  static constexpr int32_t kMaxStride = 65536;
  // ... and when its pixels take at most kWords words: one for a pixel on its own, two for a
  // span of kSpanMin or more pixels of one triple in a row. A figure of radius 30 with 40 points
  // takes about a thousand.
  static constexpr int32_t kWords = 4096;
  static constexpr int32_t kSpanMin = 4;

  TTrailCache();

  // Paints figure `index` (bug record * kRingSlots + slot, from 0), whose points are now `image`
  // and `mirror`, in `colors` on `canvas`, and adds its area to `damage` when there is one.
  // Works its pixels out again, with `painter`, when the points or the canvas's size are not
  // those it was kept for. False when the figure does not fit: it is then to be drawn directly.
  bool Paint(int32_t index, const TPoint* image, const TPoint* mirror, int32_t n, bool lines,
             const TColorLevel& colors, TRasterCanvas& canvas, TDamage* damage,
             TFigurePainter painter);

 private:
  enum class TState : uint8_t { Absent, Kept, TooLarge };
  struct TFigure {
    TState state = TState::Absent;
    bool lines = false;
    int32_t n = 0;
    int32_t canvas_width = 0;
    int32_t canvas_height = 0;
    // Where the figure's box starts on the canvas: its pixels are counted from there.
    int32_t left = 0;
    int32_t top = 0;
    // Single pixels, from the start of the figure's words, and spans, from their end.
    int32_t pixels = 0;
    int32_t spans = 0;
    // The pixels it paints on the canvas lie in here.
    TDirtyRect painted{};
    // Image points, then mirror points: n of each.
    std::array<TPoint, 2 * kPtnPoints> points{};
  };

  static bool Holds(const TFigure& figure, const TPoint* image, const TPoint* mirror, int32_t n,
                    bool lines, const TRasterCanvas& canvas);
  void Record(TFigure& figure, uint32_t* words, const TPoint* image, const TPoint* mirror,
              int32_t n, bool lines, const TRasterCanvas& canvas, TFigurePainter painter);

  // A pixel is the word y * stride + x | triple << 24, with x and y from the figure's box; a
  // span is that word for its first pixel followed by its length.
  std::unique_ptr<uint32_t[]> words_;
  std::unique_ptr<TFigure[]> figures_;
  // The figure being worked out, drawn in triple numbers instead of colours.
  TRasterCanvas scratch_{kMaxSide, kMaxSide};
};

}  // namespace zarmok
