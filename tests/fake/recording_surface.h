// A drawing surface that records every call, for tests of what the saver window draws and in
// which order.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform.h"

namespace zarmok::testing {

class TRecordingSurface final : public IDrawSurface {
 public:
  enum class TOp { Pen, MoveTo, LineTo, Brush, PolyPolygon, FillRect };
  struct TCall {
    TOp op;
    TColorValue color = 0;
    std::vector<TPoint> points;   // MoveTo/LineTo: one; PolyPolygon: all; FillRect: two corners
    std::vector<int32_t> counts;  // PolyPolygon only
  };

  void SetPenColor(TColorValue color) override { calls.push_back({TOp::Pen, color, {}, {}}); }
  void MoveTo(int32_t x, int32_t y) override { calls.push_back({TOp::MoveTo, 0, {{x, y}}, {}}); }
  void LineTo(int32_t x, int32_t y) override { calls.push_back({TOp::LineTo, 0, {{x, y}}, {}}); }
  void SetBrushColor(TColorValue color) override { calls.push_back({TOp::Brush, color, {}, {}}); }
  void PolyPolygon(const TPoint* points, const int32_t* counts, int32_t polygons) override {
    TCall call{TOp::PolyPolygon, 0, {}, {}};
    int32_t total = 0;
    for (int32_t i = 0; i < polygons; ++i) {
      call.counts.push_back(counts[i]);
      total += counts[i];
    }
    call.points.assign(points, points + total);
    calls.push_back(call);
  }
  void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override {
    calls.push_back({TOp::FillRect, 0, {{left, top}, {right, bottom}}, {}});
  }

  std::vector<TCall> calls;
};

// A window over a recording surface with a fixed client size.
class TRecordingWindow final : public IFormWindow {
 public:
  TRecordingWindow(int32_t width, int32_t height) : width_(width), height_(height) {}
  int32_t ClientWidth() override { return width_; }
  int32_t ClientHeight() override { return height_; }
  void RequestMaximized() override {}
  IDrawSurface& Canvas() override { return surface; }

  TRecordingSurface surface;

 private:
  int32_t width_;
  int32_t height_;
};

// Host services that the tests of drawing and stepping have no use for.
struct TQuietHost final : ISaverHost {
  void SetScreenSaverRunning(bool) override {}
  void ShowCursor(bool) override {}
  void SetIdleHandler(std::function<void(bool&)>) override {}
};

}  // namespace zarmok::testing
