// How rectangles of a saver's picture reach an X drawable: sent inside the request straight from
// the picture's own pixels where the server's pixels are laid out alike, through shared memory
// for large ones, and converted into the server's layout for other true-colour visuals.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <array>
#include <cstdint>
#include <vector>

#include "raster.h"
#include "x11_connection.h"

namespace zarmok::x11 {

// A visual the picture can be shown in, and the colour map a window of it needs.
struct TX11Visual {
  Visual* visual = nullptr;
  int depth = 0;
  Colormap colormap = None;
  // The colour map was made for the visual (it is not the screen's default one).
  bool own_colormap = false;
};

// The screen's default visual where it is true colour, else its deepest true-colour visual of
// up to 24 bits (an 8-bit display offers one of 3-3-2 bits beside its colour-mapped default).
// Throws EZarmokError(TTextId::WindowCreateFailed) with the reason where there is none: a screen
// the picture cannot be drawn on is said to be so, not shown black.
TX11Visual ChooseVisual(Display* display);
void FreeVisual(Display* display, const TX11Visual& visual);

class TX11Blitter {
 public:
  // Shows pictures on `target` (a window) in its visual and depth.
  TX11Blitter(TX11Connection& connection, Drawable target, Visual* visual, int depth);
  ~TX11Blitter();
  TX11Blitter(const TX11Blitter&) = delete;
  TX11Blitter& operator=(const TX11Blitter&) = delete;

  // Where the picture's corner lies in the target: not its corner when the picture is one place
  // of a larger window (a monitor's on the root window).
  void SetOrigin(int x, int y) {
    origin_x_ = x;
    origin_y_ = y;
  }
  void Blit(const TRasterCanvas& picture, const TDirtyRect* rects, int count);
  // True when the event was the server's news that it has read this blitter's shared image.
  bool TakeCompletion(const XEvent& event);

 private:
  // The images follow the picture's pixels, which move when it changes size.
  void Follow(const TRasterCanvas& picture);
  void MakeShared();
  void FreeShared();
  void PutDirect(const TDirtyRect& rect);
  void PutShared(const TRasterCanvas& picture, const TDirtyRect& rect, bool last);
  void PutConverted(const TRasterCanvas& picture, const TDirtyRect& rect);
  void Put(XImage& image, const TDirtyRect& rect);

  TX11Connection& connection_;
  Display* display_;
  Drawable target_;
  GC gc_ = nullptr;
  Visual* visual_;
  int depth_;
  int origin_x_ = 0;
  int origin_y_ = 0;
  // The server lays out pixels of this visual as the picture does (0x00RRGGBB in 32 bits).
  bool same_layout_ = false;
  int bits_per_pixel_ = 0;
  // Each value of red, green and blue as its part of a pixel of the visual.
  std::array<uint32_t, 256> red_{};
  std::array<uint32_t, 256> green_{};
  std::array<uint32_t, 256> blue_{};

  // The picture the images were made for.
  const uint32_t* pixels_ = nullptr;
  int32_t width_ = -1;
  int32_t height_ = -1;
  // The picture's pixels as an image of the visual (same layout only).
  XImage direct_{};
  // The converted picture (other layouts).
  std::vector<char> converted_bytes_;
  XImage converted_{};
  // The shared image for large rectangles (same layout only, where the server offers it).
  XImage* shared_ = nullptr;
  XShmSegmentInfo shm_{};
  int completion_type_ = -1;
  // The server has not yet finished reading the segment: it is not written meanwhile.
  bool shared_busy_ = false;
};

}  // namespace zarmok::x11
