// How the saver's pictures reach an X window: the software canvas the core draws on, the
// record of what each step changed, and the images that carry only those rectangles to the
// server (shared memory when it offers it).
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstdint>

#include "damage.h"
#include "platform.h"
#include "raster.h"
#include "session.h"
#include "x11_display.h"

namespace zarmok::x11 {

class TX11Presenter {
 public:
  TX11Presenter() = default;
  ~TX11Presenter() { Detach(); }
  TX11Presenter(const TX11Presenter&) = delete;
  TX11Presenter& operator=(const TX11Presenter&) = delete;

  // Pictures go to this window from now on, at the canvas's current size.
  void Attach(TX11Connection& connection, Window window, GC gc, Visual* visual, int depth);
  // Where the canvas's corner lies in the window: not its corner when the canvas is one place of
  // a larger window (a monitor's on the root window).
  void SetOrigin(int x, int y) {
    origin_x_ = x;
    origin_y_ = y;
  }
  // Lets go of the images before the window or the display goes.
  void Detach();
  void Resize(int32_t width, int32_t height);
  // Sends what changed since the last call, when the window can be seen.
  void Present(bool visible);
  // True when the event was the server's news that it has read the shared image.
  bool TakeCompletion(const XEvent& event);

  IDrawSurface& Drawing() { return drawing_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

 private:
  void PutShared(const TDirtyRect& rect, bool last);
  void PutDirect(const TDirtyRect& rect);
  void PutConverted(const TDirtyRect& rect);
  void MakeImage();
  void FreeImage();
  void WaitForSharedImage();
  // Whether the event is the news of this canvas's own shared image: canvases that share a
  // window tell theirs apart by the segment.
  bool IsOwnCompletion(const XEvent& event) const;

  TX11Connection* connection_ = nullptr;
  Display* display_ = nullptr;
  Window window_ = None;
  GC gc_ = nullptr;
  Visual* visual_ = nullptr;
  int depth_ = 0;
  int origin_x_ = 0;
  int origin_y_ = 0;

  TRasterCanvas canvas_{kBirthClientWidth, kBirthClientHeight};
  TDamage damage_;
  TDamageCanvas drawing_{canvas_, damage_};
  int32_t width_ = kBirthClientWidth;
  int32_t height_ = kBirthClientHeight;

  // The image the canvas is sent through: shared memory when the server offers it, else the
  // canvas's own pixels (same layout), else a converted copy for other visuals.
  enum class TImageKind { Absent, Shared, Direct, Converted };
  TImageKind image_kind_ = TImageKind::Absent;
  XImage* image_ = nullptr;
  // The canvas's pixels as an image, for the small rectangles of a step: copied into the
  // request at once, they need no wait for the server.
  XImage* direct_image_ = nullptr;
  XShmSegmentInfo shm_{};
  int shm_completion_ = -1;
  // The server has not yet finished reading the segment: it must not be written meanwhile.
  bool shm_busy_ = false;
};

}  // namespace zarmok::x11
