// The compositor's outputs as the saver's monitors, and how a surface covering one is laid out
// in its pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "platform.h"
#include "wl_connection.h"

namespace zarmok::wl {

// The output's picture in its own pixels: its mode, turned as the output is turned.
struct TPixelSize {
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const TPixelSize&) const = default;
};
TPixelSize OutputPixels(const TOutput& output);

// The output as a monitor: at its place in the desktop's layout, as large as its own pixels.
TWindowRect PixelArea(const TOutput& output);

// The outputs whose description is complete, in the compositor's order: none while every
// output is gone. Wayland knows no main output, and each output needs a surface of its own.
std::vector<TMonitor> Monitors(const TWaylandConnection& connection);

// How a surface of `width` x `height` units on `output` (0 x 0: not yet told, the whole output)
// shows a picture at the output's own pixels: through a viewport where the compositor offers
// one (a buffer of the output's pixels shown at the surface's size, so a fractional scale is
// drawn at the output's real pixels too), else at the output's whole-number buffer scale.
struct TSurfaceLayout {
  TPixelSize pixels;         // the buffer's size, the picture's
  int32_t buffer_scale = 1;  // pixels per unit, without a viewport
  TPixelSize viewport;       // the viewport's destination, in the surface's units; 0 x 0: none
  bool operator==(const TSurfaceLayout&) const = default;
};
TSurfaceLayout LayoutOn(const TOutput& output, int32_t width, int32_t height, bool viewport);

}  // namespace zarmok::wl
