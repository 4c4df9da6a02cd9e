#include "wl_monitors.h"

#include <algorithm>
#include <utility>

namespace zarmok::wl {

TPixelSize OutputPixels(const TOutput& output) {
  TPixelSize pixels{output.mode_width, output.mode_height};
  // Odd transforms turn the output a quarter: its picture is as high as its mode is wide.
  if ((output.transform & 1) != 0) std::swap(pixels.width, pixels.height);
  return pixels;
}

TWindowRect PixelArea(const TOutput& output) {
  const TPixelSize pixels = OutputPixels(output);
  const int32_t left = output.has_logical ? output.logical_x : output.x;
  const int32_t top = output.has_logical ? output.logical_y : output.y;
  return TWindowRect{left, top, left + std::max(pixels.width, 1), top + std::max(pixels.height, 1)};
}

std::vector<TMonitor> Monitors(const TWaylandConnection& connection) {
  std::vector<TMonitor> monitors;
  for (const TOutput* output : connection.Outputs()) {
    monitors.push_back(TMonitor{output->name, PixelArea(*output)});
  }
  return monitors;
}

TSurfaceLayout LayoutOn(const TOutput& output, int32_t width, int32_t height, bool viewport) {
  const TPixelSize pixels = OutputPixels(output);
  if (width <= 0 || height <= 0) {
    if (output.has_logical) {
      width = output.logical_width;
      height = output.logical_height;
    } else {
      width = pixels.width / output.scale;
      height = pixels.height / output.scale;
    }
  }
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (viewport) return TSurfaceLayout{pixels, 1, TPixelSize{width, height}};
  return TSurfaceLayout{TPixelSize{width * output.scale, height * output.scale}, output.scale, {}};
}

}  // namespace zarmok::wl
