#include "trail_cache.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace zarmok {

namespace {

// Triple k of this level paints the number k + 1 (in the green byte, which the canvas leaves
// where it is), so the scratch canvas shows which triple each pixel ended up in.
constexpr TColorLevel TripleNumbers() {
  TColorLevel level{};
  for (int k = 0; k < kPtnPoints; ++k) level[k] = TBugColor{0, static_cast<uint8_t>(k + 1), 0};
  return level;
}
constexpr TColorLevel kTripleNumbers = TripleNumbers();

uint32_t Pixel(const TBugColor& c) {
  return static_cast<uint32_t>(c.r) << 16 | static_cast<uint32_t>(c.g) << 8 | c.b;
}

// Four pixels at once; the compiler makes it one vector store.
inline void Fill4(uint32_t* p, uint32_t colour) {
  for (int i = 0; i < 4; ++i) p[i] = colour;
}

// A span of at least four pixels, four at a time, the last four ending at its end (they may
// overlap the four before, which take the same colour).
inline void FillSpan(uint32_t* p, uint32_t length, uint32_t colour) {
  uint32_t* const last = p + length - 4;
  for (; p < last; p += 4) Fill4(p, colour);
  Fill4(last, colour);
}

}  // namespace

TTrailCache::TTrailCache()
    : words_(std::make_unique_for_overwrite<uint32_t[]>(static_cast<size_t>(kFigures) * kWords)),
      figures_(std::make_unique<TFigure[]>(kFigures)) {}

bool TTrailCache::Holds(const TFigure& figure, const TPoint* image, const TPoint* mirror, int32_t n,
                        bool lines, const TRasterCanvas& canvas) {
  // The pixels are kept clipped to the canvas they were worked out for: a canvas of another
  // size needs others.
  return figure.state != TState::Absent && figure.n == n && figure.lines == lines &&
         figure.canvas_width == canvas.Width() && figure.canvas_height == canvas.Height() &&
         std::memcmp(figure.points.data(), image, sizeof(TPoint) * n) == 0 &&
         std::memcmp(figure.points.data() + n, mirror, sizeof(TPoint) * n) == 0;
}

void TTrailCache::Record(TFigure& figure, uint32_t* words, const TPoint* image,
                         const TPoint* mirror, int32_t n, bool lines, const TRasterCanvas& canvas,
                         TFigurePainter painter) {
  figure.state = TState::TooLarge;
  figure.n = n;
  figure.lines = lines;
  figure.canvas_width = canvas.Width();
  figure.canvas_height = canvas.Height();
  std::copy_n(image, n, figure.points.begin());
  std::copy_n(mirror, n, figure.points.begin() + n);
  figure.pixels = 0;
  figure.spans = 0;
  figure.painted = TDirtyRect{};

  // Every pixel of a figure lies within the box of its points.
  int32_t left = image[0].x, right = image[0].x, top = image[0].y, bottom = image[0].y;
  for (int32_t k = 0; k < 2 * n; ++k) {
    const TPoint& p = figure.points[k];
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  const int64_t width = int64_t{right} - left + 1;
  const int64_t height = int64_t{bottom} - top + 1;
  if (width > kMaxSide || height > kMaxSide || canvas.Stride() > kMaxStride) return;
  figure.state = TState::Kept;
  const int32_t canvas_width = canvas.Width();
  const int32_t canvas_height = canvas.Height();
  if (right < 0 || left >= canvas_width || bottom < 0 || top >= canvas_height) return;
  figure.left = left;
  figure.top = top;

  // The canvas's pixel rules do not depend on where a figure lies, so the figure moved into a
  // canvas of its box's size paints the same pixels, moved; those that fall on the canvas are
  // the ones kept. Its painting order resolves there too: each pixel keeps the triple that
  // painted it last, and is repainted once.
  std::array<TPoint, kPtnPoints> moved_image;
  std::array<TPoint, kPtnPoints> moved_mirror;
  for (int32_t k = 0; k < n; ++k) {
    moved_image[k] = TPoint{image[k].x - left, image[k].y - top};
    moved_mirror[k] = TPoint{mirror[k].x - left, mirror[k].y - top};
  }
  const int32_t box_width = static_cast<int32_t>(width);
  const int32_t box_height = static_cast<int32_t>(height);
  scratch_.Resize(box_width, box_height);
  painter(scratch_, moved_image.data(), moved_mirror.data(), kTripleNumbers, n, lines);

  const int32_t x_from = std::max(0, -left);
  const int32_t x_to = std::min(box_width, canvas_width - left);
  const int32_t y_from = std::max(0, -top);
  const int32_t y_to = std::min(box_height, canvas_height - top);
  const uint32_t stride = static_cast<uint32_t>(canvas.Stride());
  TDirtyRect painted{box_width, box_height, -1, -1};
  int32_t pixels = 0;
  int32_t spans = 0;
  for (int32_t y = y_from; y < y_to; ++y) {
    const uint32_t* row = scratch_.Pixels() + static_cast<ptrdiff_t>(y) * scratch_.Stride();
    for (int32_t x = x_from; x < x_to;) {
      const uint32_t number = row[x] >> 8;
      if (number == 0) {
        ++x;
        continue;
      }
      int32_t end = x + 1;
      while (end < x_to && row[end] == row[x]) ++end;
      const int32_t length = end - x;
      const bool span = length >= kSpanMin;
      if (pixels + 2 * spans + (span ? 2 : length) > kWords) {
        figure.state = TState::TooLarge;
        return;
      }
      const uint32_t word =
          (static_cast<uint32_t>(y) * stride + static_cast<uint32_t>(x)) | (number - 1) << 24;
      if (span) {
        ++spans;
        words[kWords - 2 * spans] = word;
        words[kWords - 2 * spans + 1] = static_cast<uint32_t>(length);
      } else {
        for (int32_t i = 0; i < length; ++i) words[pixels++] = word + static_cast<uint32_t>(i);
      }
      painted.left = std::min(painted.left, x);
      painted.right = std::max(painted.right, end);
      painted.top = std::min(painted.top, y);
      painted.bottom = y + 1;
      x = end;
    }
  }
  figure.pixels = pixels;
  figure.spans = spans;
  if (pixels + spans > 0) {
    figure.painted = TDirtyRect{left + painted.left, top + painted.top, left + painted.right,
                                top + painted.bottom};
  }
}

bool TTrailCache::Paint(int32_t index, const TPoint* image, const TPoint* mirror, int32_t n,
                        bool lines, const TColorLevel& colors, TRasterCanvas& canvas,
                        TDamage* damage, TFigurePainter painter) {
  if (index < 0 || index >= kFigures || n <= 0 || n > kPtnPoints) return false;
  TFigure& figure = figures_[index];
  uint32_t* const words = words_.get() + static_cast<size_t>(index) * kWords;
  if (!Holds(figure, image, mirror, n, lines, canvas)) {
    Record(figure, words, image, mirror, n, lines, canvas, painter);
  }
  if (figure.state != TState::Kept) return false;
  if (figure.pixels + figure.spans == 0) return true;

  uint32_t colour[kPtnPoints];
  for (int k = 0; k < kPtnPoints; ++k) colour[k] = Pixel(colors[k]);
  // The figure's box may start off the canvas; its pixels never lie off it.
  uint32_t* const pixels = canvas.Pixels();
  const ptrdiff_t origin = static_cast<ptrdiff_t>(figure.top) * canvas.Stride() + figure.left;
  constexpr uint32_t kPlace = (1u << 24) - 1;
  const uint32_t* const singles_end = words + figure.pixels;
  for (const uint32_t* single = words; single < singles_end; ++single) {
    const uint32_t word = *single;
    pixels[origin + (word & kPlace)] = colour[word >> 24];
  }
  for (const uint32_t* span = words + kWords - 2 * figure.spans; span < words + kWords; span += 2) {
    FillSpan(pixels + origin + (span[0] & kPlace), span[1], colour[span[0] >> 24]);
  }
  const TDirtyRect& area = figure.painted;
  if (damage != nullptr) damage->Add(area.left, area.top, area.right, area.bottom);
  return true;
}

}  // namespace zarmok
