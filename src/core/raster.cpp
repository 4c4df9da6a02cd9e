// The software canvas. Pixel rules, shared by drawing and erasing so that an erase in black
// covers exactly what the same figure painted:
// - A line from A to B paints the pixels of the Bresenham walk along the major axis, B itself
//   left out; step t of the walk sits at the minor offset nearest t m / M (M, m: the major and
//   minor extents), a tie going to the smaller coordinate whichever way the line runs, as GDI
//   draws it: floor((2 t m + M - 1) / 2M) when the minor axis steps to greater coordinates,
//   floor((2 t m + M) / 2M) when it steps to smaller ones. The offset of step t alone keeps a
//   clipped line on the same pixels as an unclipped one.
// - A polygon interior holds the pixels (x, y) whose sample point, the pixel's top-left corner
//   (x, y), lies inside under the even-odd rule over every polygon of the call, the vertices
//   taken as exact points; an edge counts at the row of its upper end and not at the row of
//   its lower end, and a span [l, r) of a row holds the columns x with l <= x < r. These are
//   GDI's fill rules. Interiors are filled before outlines.
// - A polygon outline is its closed chain of lines, each leaving out its end pixel, which the
//   next edge starts from. A polygon of one point, or whose points all coincide, paints nothing,
//   exactly as a line from a point to itself.
#include "raster.h"

#include <algorithm>
#include <cstddef>
#include <limits>

namespace zarmok {

namespace {

using i128 = __int128;

uint32_t ToPixel(TColorValue c) {
  return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// An edge's span bound held to the canvas.
inline int32_t SpanBound(int64_t x, int32_t width) {
  return static_cast<int32_t>(std::clamp<int64_t>(x, 0, width));
}

// floor(a / b) and ceil(a / b) for b > 0.
template <typename T>
T FloorDiv(T a, T b) {
  const T q = a / b;
  return q - ((a % b != 0 && a < 0) ? 1 : 0);
}
template <typename T>
T CeilDiv(T a, T b) {
  const T q = a / b;
  return q + ((a % b != 0 && a > 0) ? 1 : 0);
}

constexpr int kFixedEdges = 64;

// Narrows [t_lo, t_hi] to the steps whose minor offset q_t = floor((2 t m + M - tie) / 2M)
// lies in [q_lo, q_hi]; T must hold 2 M (|q| + 1) exactly.
template <typename T>
void MinorRange(int64_t big, int64_t small, int64_t tie, int64_t q_lo, int64_t q_hi, int64_t& t_lo,
                int64_t& t_hi) {
  const T two_m = static_cast<T>(2) * small;
  const T two_big = static_cast<T>(2) * big;
  T lo = two_big * q_lo - big + tie;                            // 2 t m >= 2 M q_lo - M + tie
  T hi = two_big * (static_cast<T>(q_hi) + 1) - big + tie - 1;  // 2 t m < 2 M (q_hi + 1) - M + tie
  lo = lo / two_m + ((lo % two_m != 0 && lo > 0) ? 1 : 0);
  hi = hi / two_m - ((hi % two_m != 0 && hi < 0) ? 1 : 0);
  if (lo > t_lo) t_lo = lo > t_hi ? t_hi + 1 : static_cast<int64_t>(lo);
  if (hi < t_hi) t_hi = hi < t_lo ? t_lo - 1 : static_cast<int64_t>(hi);
}

// The minor offset q and the walk's remainder r at step t.
void WalkAt(int64_t t, int64_t big, int64_t small, int64_t tie, int64_t& q, int64_t& r) {
  const int64_t two_big = 2 * big;
  if (big < (int64_t{1} << 30)) {
    const int64_t z = 2 * t * small + big - tie;
    q = z / two_big;
    r = z % two_big;
  } else {
    const i128 z = static_cast<i128>(2) * t * small + big - tie;
    q = static_cast<int64_t>(z / two_big);
    r = static_cast<int64_t>(z % two_big);
  }
}

}  // namespace

TRasterCanvas::TRasterCanvas(int32_t width, int32_t height) {
  Resize(width, height);
}

void TRasterCanvas::Resize(int32_t width, int32_t height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0u);
}

void TRasterCanvas::SetPenColor(TColorValue color) {
  pen_ = ToPixel(color);
}
void TRasterCanvas::SetBrushColor(TColorValue color) {
  brush_ = ToPixel(color);
}

void TRasterCanvas::MoveTo(int32_t x, int32_t y) {
  cur_x_ = x;
  cur_y_ = y;
}

void TRasterCanvas::LineTo(int32_t x, int32_t y) {
  PaintLine(cur_x_, cur_y_, x, y, pen_);
  cur_x_ = x;
  cur_y_ = y;
}

void TRasterCanvas::PaintLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t color) {
  // Lines wholly on the canvas, nearly all of a bug's: the same walk without clipping.
  if (static_cast<uint32_t>(x0) < static_cast<uint32_t>(width_) &&
      static_cast<uint32_t>(x1) < static_cast<uint32_t>(width_) &&
      static_cast<uint32_t>(y0) < static_cast<uint32_t>(height_) &&
      static_cast<uint32_t>(y1) < static_cast<uint32_t>(height_)) {
    const int32_t dx = x1 - x0;
    const int32_t dy = y1 - y0;
    const int32_t adx = dx < 0 ? -dx : dx;
    const int32_t ady = dy < 0 ? -dy : dy;
    if ((adx | ady) == 0) return;
    const ptrdiff_t sx = dx < 0 ? -1 : 1;
    const ptrdiff_t sy = dy < 0 ? -width_ : width_;
    const bool x_major = adx >= ady;
    const int32_t big = x_major ? adx : ady;
    const int32_t small = x_major ? ady : adx;
    const ptrdiff_t step_a = x_major ? sx : sy;
    const ptrdiff_t step_ab = sx + sy;
    uint32_t* p = pixels_.data() + static_cast<ptrdiff_t>(y0) * width_ + x0;
    const int32_t two_small = 2 * small;
    const int32_t down = two_small - 2 * big;
    // A tie goes to the smaller coordinate: one less in hand when the minor axis steps up.
    const int32_t tie = (x_major ? dy : dx) > 0 ? 1 : 0;
    int32_t r = big - tie;
    const ptrdiff_t step_b = step_ab - step_a;
    const int32_t two_big = 2 * big;
    for (int32_t i = 0; i < big; ++i) {
      *p = color;
      // Masks rather than a branch: the minor steps come irregularly.
      const int32_t stepped = r + down;
      const int32_t stay = stepped >> 31;  // -1 without a minor step, 0 with one
      r = stepped + (two_big & stay);
      p += step_ab - (step_b & static_cast<ptrdiff_t>(stay));
    }
    return;
  }
  const int64_t dx = static_cast<int64_t>(x1) - x0;
  const int64_t dy = static_cast<int64_t>(y1) - y0;
  const int64_t adx = dx < 0 ? -dx : dx;
  const int64_t ady = dy < 0 ? -dy : dy;
  if (adx == 0 && ady == 0) return;
  if (std::max(x0, x1) < 0 || std::min(x0, x1) >= width_ || std::max(y0, y1) < 0 ||
      std::min(y0, y1) >= height_) {
    return;  // every pixel of the walk lies in the endpoints' bounding box
  }

  // Walk along the major axis a, stepping the minor axis b when the error passes a whole pixel.
  const bool x_major = adx >= ady;
  const int64_t big = x_major ? adx : ady;    // M: steps of the walk, the end pixel left out
  const int64_t small = x_major ? ady : adx;  // m
  const int64_t a0 = x_major ? x0 : y0;
  const int64_t b0 = x_major ? y0 : x0;
  const int64_t sa = (x_major ? dx : dy) < 0 ? -1 : 1;
  const int64_t sb = (x_major ? dy : dx) < 0 ? -1 : 1;
  const int64_t extent_a = x_major ? width_ : height_;
  const int64_t extent_b = x_major ? height_ : width_;
  const int64_t tie = sb > 0 ? 1 : 0;

  int64_t t_lo = 0;
  int64_t t_hi = big - 1;
  const bool inside = x0 >= 0 && x0 < width_ && y0 >= 0 && y0 < height_ && x1 >= 0 && x1 < width_ &&
                      y1 >= 0 && y1 < height_;
  if (!inside && big <= 64) {
    // A short line across an edge: walking it whole and keeping the pixels on the canvas is
    // cheaper than solving for the clipped range, and visits the same pixels.
    int64_t a = a0;
    int64_t b = b0;
    int64_t rr = big - tie;
    for (int64_t t = 0; t < big; ++t) {
      const int64_t x = x_major ? a : b;
      const int64_t y = x_major ? b : a;
      if (x >= 0 && x < width_ && y >= 0 && y < height_) {
        pixels_[static_cast<size_t>(y) * width_ + static_cast<size_t>(x)] = color;
      }
      a += sa;
      rr += 2 * small;
      if (rr >= 2 * big) {
        rr -= 2 * big;
        b += sb;
      }
    }
    return;
  }
  if (!inside) {
    // Major axis: 0 <= a0 + sa t < extent_a.
    if (sa > 0) {
      t_lo = std::max(t_lo, -a0);
      t_hi = std::min(t_hi, extent_a - 1 - a0);
    } else {
      t_lo = std::max(t_lo, a0 - extent_a + 1);
      t_hi = std::min(t_hi, a0);
    }
    // Minor axis: the offset q_t = floor((2 t m + M) / 2M) must lie in [q_lo, q_hi].
    const int64_t q_lo = sb > 0 ? -b0 : b0 - extent_b + 1;
    const int64_t q_hi = sb > 0 ? extent_b - 1 - b0 : b0;
    if (small == 0) {
      if (q_lo > 0 || q_hi < 0) return;
    } else if (big < (int64_t{1} << 29)) {
      // |q| < 2^32, so every product below stays under 2^62.
      MinorRange<int64_t>(big, small, tie, q_lo, q_hi, t_lo, t_hi);
    } else {
      MinorRange<i128>(big, small, tie, q_lo, q_hi, t_lo, t_hi);
    }
    if (t_lo > t_hi) return;
  }

  const int64_t two_big = 2 * big;
  int64_t q = 0;
  int64_t r = big - tie;
  if (t_lo != 0) WalkAt(t_lo, big, small, tie, q, r);
  const int64_t a_first = a0 + sa * t_lo;
  const int64_t b_first = b0 + sb * q;
  const int64_t count = t_hi - t_lo + 1;

  const int64_t stride = width_;
  const int64_t step_a = x_major ? sa : sa * stride;
  const int64_t step_b = x_major ? sb * stride : sb;
  const int64_t px = x_major ? a_first : b_first;
  const int64_t py = x_major ? b_first : a_first;
  uint32_t* p = pixels_.data() + py * stride + px;
  const int64_t two_small = 2 * small;
  // The remainder's two possible successors are formed side by side and one is selected, which
  // keeps the loop free of branches and its carried chain short.
  const int64_t down = two_small - two_big;
  const int64_t step_ab = step_a + step_b;
  for (int64_t i = 0; i < count; ++i) {
    *p = color;
    const int64_t stepped = r + down;
    const int64_t kept = r + two_small;
    // Even odds tell the compiler to select rather than branch.
    const bool minor = __builtin_expect_with_probability(stepped >= 0, 1, 0.5);
    r = minor ? stepped : kept;
    p += minor ? step_ab : step_a;
  }
}

void TRasterCanvas::FillPolygons(const TPoint* points, const int32_t* counts, int32_t polygons,
                                 int64_t total) {
  TEdge fixed[kFixedEdges];
  TEdge* edges = fixed;
  if (total > kFixedEdges) {
    if (spill_edges_.size() < static_cast<size_t>(total)) spill_edges_.resize(total);
    edges = spill_edges_.data();
  }

  int32_t edge_count = 0;
  int32_t row_lo = std::numeric_limits<int32_t>::max();
  int32_t row_hi = std::numeric_limits<int32_t>::min();
  const TPoint* poly = points;
  for (int32_t i = 0; i < polygons; ++i) {
    const int32_t n = std::max(counts[i], 0);
    for (int32_t j = 0; j < n; ++j) {
      const TPoint& a = poly[j];
      const TPoint& b = poly[j + 1 == n ? 0 : j + 1];
      if (a.y == b.y) continue;
      const TPoint& up = a.y < b.y ? a : b;
      const TPoint& down = a.y < b.y ? b : a;
      // Rows above the canvas are never filled: the walk starts at the first row on it.
      const int32_t first = std::max(up.y, 0);
      if (first >= down.y || first >= height_) continue;
      const int64_t dx = static_cast<int64_t>(down.x) - up.x;
      const int64_t dy = static_cast<int64_t>(down.y) - up.y;
      TEdge edge{first, down.y, up.x, 0, FloorDiv(dx, dy), 0, dy};
      edge.rest = dx - edge.step * dy;
      const int64_t rows = static_cast<int64_t>(first) - up.y;
      if (rows != 0) {
        // |n| < 2^64: formed in 128 bits; the quotient is within |dx| + 1.
        const i128 n = static_cast<i128>(rows) * dx;
        const i128 q = CeilDiv<i128>(n, dy);
        edge.x += static_cast<int64_t>(q);
        edge.rem = static_cast<int64_t>(q * dy - n);
      }
      edges[edge_count++] = edge;
      row_lo = std::min(row_lo, first);
      row_hi = std::max(row_hi, down.y);
    }
    poly += n;
  }
  if (edge_count == 0) return;
  row_lo = std::max(row_lo, 0);
  row_hi = std::min(row_hi, height_);
  if (row_lo >= row_hi || width_ <= 0) return;

  auto fill_row = [&](int32_t y, int32_t* bounds, int32_t found) {
    if (found == 2) {
      if (bounds[0] > bounds[1]) std::swap(bounds[0], bounds[1]);
    }
    // Insertion sort: a row of a bug's figure crosses only a few edges.
    for (int32_t k = 1; found > 2 && k < found; ++k) {
      const int32_t v = bounds[k];
      int32_t j = k;
      for (; j > 0 && bounds[j - 1] > v; --j) bounds[j] = bounds[j - 1];
      bounds[j] = v;
    }
    uint32_t* row = pixels_.data() + static_cast<size_t>(y) * width_;
    for (int32_t k = 0; k + 1 < found; k += 2) {
      const int32_t from = bounds[k];
      const int32_t to = bounds[k + 1];
      if (from >= to) continue;
      std::fill(row + from, row + to, brush_);
    }
  };

  constexpr int32_t kBucketRows = 96;
  constexpr int32_t kBucketEdges = 16;
  if (row_hi - row_lo <= kBucketRows && edge_count <= kBucketEdges) {
    // Small figures: each edge walks its own rows and drops its span bounds into them.
    int32_t bounds[kBucketRows][kBucketEdges];
    int32_t found[kBucketRows];
    std::fill(found, found + (row_hi - row_lo), 0);
    for (int32_t e = 0; e < edge_count; ++e) {
      TEdge& edge = edges[e];
      const int32_t to = std::min(edge.bottom, row_hi);
      for (int32_t y = edge.top; y < to; ++y) {
        const int32_t slot = y - row_lo;
        bounds[slot][found[slot]++] = SpanBound(edge.x, width_);
        Advance(edge);
      }
    }
    for (int32_t y = row_lo; y < row_hi; ++y) {
      const int32_t slot = y - row_lo;
      if (found[slot] >= 2) fill_row(y, bounds[slot], found[slot]);
    }
  } else {
    int32_t bounds_fixed[kFixedEdges];
    std::vector<int32_t> bounds_spill;
    int32_t* bounds = bounds_fixed;
    if (edge_count > kFixedEdges) {
      bounds_spill.resize(edge_count);
      bounds = bounds_spill.data();
    }
    for (int32_t y = row_lo; y < row_hi; ++y) {
      int32_t found = 0;
      for (int32_t e = 0; e < edge_count; ++e) {
        // Rows go down one at a time, so each edge is walked once per row it crosses.
        TEdge& edge = edges[e];
        if (y < edge.top || y >= edge.bottom) continue;
        bounds[found++] = SpanBound(edge.x, width_);
        Advance(edge);
      }
      if (found >= 2) fill_row(y, bounds, found);
    }
  }
}

void TRasterCanvas::PolyPolygon(const TPoint* points, const int32_t* counts, int32_t polygons) {
  if (polygons <= 0) return;
  // Interiors and outlines lie within the bounding box of the vertices.
  int64_t total = 0;
  for (int32_t i = 0; i < polygons; ++i) total += std::max(counts[i], 0);
  if (total == 0) return;
  int32_t left = points[0].x, right = points[0].x, top = points[0].y, bottom = points[0].y;
  for (int64_t i = 1; i < total; ++i) {
    left = std::min(left, points[i].x);
    right = std::max(right, points[i].x);
    top = std::min(top, points[i].y);
    bottom = std::max(bottom, points[i].y);
  }
  if (right < 0 || left >= width_ || bottom < 0 || top >= height_) return;
  FillPolygons(points, counts, polygons, total);
  const TPoint* poly = points;
  for (int32_t i = 0; i < polygons; ++i) {
    const int32_t n = std::max(counts[i], 0);
    for (int32_t j = 0; j < n; ++j) {
      const TPoint& a = poly[j];
      const TPoint& b = poly[j + 1 == n ? 0 : j + 1];
      PaintLine(a.x, a.y, b.x, b.y, pen_);
    }
    poly += n;
  }
}

void TRasterCanvas::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  const int32_t l = std::clamp(left, 0, width_);
  const int32_t r = std::clamp(right, 0, width_);
  const int32_t t = std::clamp(top, 0, height_);
  const int32_t b = std::clamp(bottom, 0, height_);
  if (l >= r || t >= b) return;
  for (int32_t y = t; y < b; ++y) {
    uint32_t* row = pixels_.data() + static_cast<size_t>(y) * width_;
    std::fill(row + l, row + r, brush_);
  }
}

}  // namespace zarmok
