// Rendering: the pose of a bug's pattern, the ring of past figures that forms its trail, the two
// drawing styles and the black fill of the paint handler.
#include <algorithm>
#include <cmath>

#include "DeskTop.h"
#include "damage.h"
#include "pixel_round.h"
#include "raster.h"
#include "trail_cache.h"

namespace zarmok {

namespace {

using ld = long double;

TColorValue ColorValue(const TBugColor& c) {
  return static_cast<TColorValue>(c.r) + 256u * c.g + 65536u * c.b;
}

// A turned offset: the products of single-precision operands are exact in long double, the sum
// is rounded once to single precision and then to the nearest pixel.
int32_t TurnedOffset(ld v) {
  return RoundToPixel(static_cast<float>(v));
}

void DrawFigure(IDrawSurface& canvas, const TPoint* image, const TPoint* mirror,
                const TColorLevel& colors, int32_t n, bool lines) {
  if (lines) {
    // Type_B: each edge in the colour of the point it starts from, the image's edge before the
    // mirror's of the same index.
    for (int32_t k = 0; k < n; ++k) {
      const int32_t next = (k + 1) % n;
      canvas.SetPenColor(ColorValue(colors[k]));
      canvas.MoveTo(image[k].x, image[k].y);
      canvas.LineTo(image[next].x, image[next].y);
      canvas.MoveTo(mirror[k].x, mirror[k].y);
      canvas.LineTo(mirror[next].x, mirror[next].y);
    }
    return;
  }

  // Type_A: groups of three consecutive points, the last taking the rest; group g is outlined
  // in triple 2g and filled with triple 2g + 1, image and mirror polygon in one call.
  const int32_t groups = std::max(n / 3, 1);
  TPoint points[2 * 5];
  int32_t p = 0;
  for (int32_t g = 1; g <= groups; ++g) {
    const int32_t size = g < groups ? 3 : n - 3 * (groups - 1);
    for (int32_t j = 0; j < size; ++j) {
      points[j] = image[p + j];
      points[size + j] = mirror[p + j];
    }
    const int32_t counts[2] = {size, size};
    canvas.SetPenColor(ColorValue(colors[2 * g - 1]));
    canvas.SetBrushColor(ColorValue(colors[2 * g]));
    canvas.PolyPolygon(points, counts, 2);
    p += size;
  }
}

// The software canvas behind the window's surface, with the damage record the session keeps of
// it; no canvas for any other surface (GDI's, or one that passes each call on to two).
struct TSoftwareCanvas {
  TRasterCanvas* canvas = nullptr;
  TDamage* damage = nullptr;
};
TSoftwareCanvas SoftwareCanvas(IDrawSurface& surface) {
  if (auto* drawing = dynamic_cast<TDamageCanvas*>(&surface)) {
    return {&drawing->Raster(), &drawing->Damage()};
  }
  return {dynamic_cast<TRasterCanvas*>(&surface), nullptr};
}

// Paints slot `slot` of `bug` from the pixels kept for it; false when it is to be drawn as
// BugDraw draws it: on any other surface, for a record outside `bugs`, and for a figure too
// large to keep.
bool PaintKept(TTrailCache& cache, const TSoftwareCanvas& target,
               const std::array<TBug, kBugCount>& bugs, const TBug& bug, int32_t slot,
               const TSaverSettings& used, const TColorLevel& colors) {
  if (target.canvas == nullptr || &bug < bugs.data() || &bug >= bugs.data() + kBugCount) {
    return false;
  }
  const TBugImage& figure = bug.Images[slot - 1];
  const int32_t index = static_cast<int32_t>(&bug - bugs.data()) * kRingSlots + slot - 1;
  return cache.Paint(index, figure.Image.data(), figure.Mirror.data(), used.BugPtnSize,
                     used.BugsType != 0, colors, *target.canvas, target.damage, DrawFigure);
}

}  // namespace

void TDesktopWindow::BugImageSet(int32_t cx, int32_t cy, const TPointArray& pattern, float heading,
                                 TPointArray& image, TPointArray& mirror) {
  const int32_t n = Used_.BugPtnSize;
  if (n <= 0) return;
  const ld s = static_cast<float>(sinl(heading));
  const ld c = static_cast<float>(cosl(heading));
  for (int32_t k = 0; k < n; ++k) {
    const ld px = static_cast<float>(pattern[k].x);
    const ld py = static_cast<float>(pattern[k].y);
    image[k] = TPoint{AddPixel(cx, TurnedOffset(px * c + py * s)),
                      AddPixel(cy, TurnedOffset(py * c - px * s))};
    mirror[k] = TPoint{AddPixel(cx, TurnedOffset(px * c - py * s)),
                       AddPixel(cy, TurnedOffset(-py * c - px * s))};
  }
}

void TDesktopWindow::EraseImage(TBug& bug, int32_t slot) {
  if (slot < 1 || slot > kRingSlots) return;
  const TSoftwareCanvas target = SoftwareCanvas(Ctx_.Window.Canvas());
  if (PaintKept(*Trails_, target, Bugs, bug, slot, Used_, EraseColors)) return;
  const TBugImage& figure = bug.Images[slot - 1];
  BugDraw(figure.Image, figure.Mirror, EraseColors);
}

void TDesktopWindow::EraseTrail(TBug& bug) {
  const int32_t l = Used_.ImageListLen;
  for (int32_t slot = 1; slot <= l; ++slot) EraseImage(bug, slot);
}

void TDesktopWindow::DrawTrail(TBug& bug) {
  // Oldest figure first in the dimmest level, the one just posed last in the full colours.
  const int32_t l = Used_.ImageListLen;
  const int32_t i = std::clamp(bug.ImgIdx, 1, l);
  const TSoftwareCanvas target = SoftwareCanvas(Ctx_.Window.Canvas());
  for (int32_t k = 1; k <= l; ++k) {
    const int32_t slot = (i + k - 2) % l + 1;
    if (PaintKept(*Trails_, target, Bugs, bug, slot, Used_, bug.Colors[k - 1])) continue;
    const TBugImage& figure = bug.Images[slot - 1];
    BugDraw(figure.Image, figure.Mirror, bug.Colors[k - 1]);
  }
}

void TDesktopWindow::BugDraw(const TPointArray& image, const TPointArray& mirror,
                             const TColorLevel& colors) {
  const int32_t n = Used_.BugPtnSize;
  if (n <= 0) return;
  DrawFigure(Ctx_.Window.Canvas(), image.data(), mirror.data(), colors, n, Used_.BugsType != 0);
}

void TDesktopWindow::FormPaint() {
  IDrawSurface& canvas = Ctx_.Window.Canvas();
  canvas.SetBrushColor(0);
  canvas.FillRect(0, 0, Ctx_.Window.ClientWidth(), Ctx_.Window.ClientHeight());
}

}  // namespace zarmok
