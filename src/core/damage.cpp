#include "damage.h"

#include <algorithm>

namespace zarmok {
namespace {

int64_t Area(const TDirtyRect& r) {
  return static_cast<int64_t>(r.right - r.left) * (r.bottom - r.top);
}

TDirtyRect Union(const TDirtyRect& a, const TDirtyRect& b) {
  return TDirtyRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                    std::max(a.bottom, b.bottom)};
}

bool Near(const TDirtyRect& a, const TDirtyRect& b, int32_t distance) {
  return a.left <= b.right + distance && b.left <= a.right + distance &&
         a.top <= b.bottom + distance && b.top <= a.bottom + distance;
}

// Widens a 64-bit coordinate sum back into the canvas's range.
int32_t Clamp(int64_t value, int32_t low, int32_t high) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, low, high));
}

}  // namespace

void TDamage::SetBounds(int32_t width, int32_t height) {
  width_ = width;
  height_ = height;
  count_ = 0;
}

void TDamage::Join(int a, int b) {
  rects_[a] = Union(rects_[a], rects_[b]);
  rects_[b] = rects_[count_ - 1];
  --count_;
}

void TDamage::Add(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  TDirtyRect added{std::max(left, 0), std::max(top, 0), std::min(right, width_),
                   std::min(bottom, height_)};
  if (added.Empty()) return;
  // Swallow every rectangle near the new one; the union may reach further ones, so repeat.
  for (bool joined = true; joined;) {
    joined = false;
    for (int i = 0; i < count_; ++i) {
      if (Near(rects_[i], added, kJoinDistance)) {
        added = Union(added, rects_[i]);
        rects_[i] = rects_[count_ - 1];
        --count_;
        joined = true;
        break;
      }
    }
  }
  if (count_ == kMaxRects) {
    // Full: the pair whose union grows the area least becomes one.
    int best_a = 0;
    int best_b = 1;
    int64_t best_growth = INT64_MAX;
    for (int a = 0; a < count_; ++a) {
      for (int b = a + 1; b < count_; ++b) {
        const int64_t growth =
            Area(Union(rects_[a], rects_[b])) - Area(rects_[a]) - Area(rects_[b]);
        if (growth < best_growth) {
          best_growth = growth;
          best_a = a;
          best_b = b;
        }
      }
    }
    Join(best_a, best_b);
  }
  rects_[count_++] = added;
}

int TDamage::Take(std::array<TDirtyRect, kMaxRects>& out) {
  const int count = count_;
  std::copy(rects_.begin(), rects_.begin() + count, out.begin());
  count_ = 0;
  return count;
}

void TDamageCanvas::MoveTo(int32_t x, int32_t y) {
  canvas_.MoveTo(x, y);
  x_ = x;
  y_ = y;
}

void TDamageCanvas::LineTo(int32_t x, int32_t y) {
  canvas_.LineTo(x, y);
  damage_.Add(std::min(x_, x), std::min(y_, y), Clamp(int64_t{std::max(x_, x)} + 1, 0, INT32_MAX),
              Clamp(int64_t{std::max(y_, y)} + 1, 0, INT32_MAX));
  x_ = x;
  y_ = y;
}

void TDamageCanvas::PolyPolygon(const TPoint* points, const int32_t* counts, int32_t polygons) {
  canvas_.PolyPolygon(points, counts, polygons);
  int64_t total = 0;
  for (int32_t i = 0; i < polygons; ++i) total += std::max(counts[i], 0);
  if (total == 0) return;
  int32_t left = INT32_MAX;
  int32_t top = INT32_MAX;
  int32_t right = INT32_MIN;
  int32_t bottom = INT32_MIN;
  for (int64_t i = 0; i < total; ++i) {
    left = std::min(left, points[i].x);
    top = std::min(top, points[i].y);
    right = std::max(right, points[i].x);
    bottom = std::max(bottom, points[i].y);
  }
  damage_.Add(left, top, Clamp(int64_t{right} + 1, 0, INT32_MAX),
              Clamp(int64_t{bottom} + 1, 0, INT32_MAX));
}

void TDamageCanvas::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  canvas_.FillRect(left, top, right, bottom);
  damage_.Add(left, top, right, bottom);
}

}  // namespace zarmok
