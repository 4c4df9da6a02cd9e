#include "x11_present.h"

#include <X11/Xutil.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <array>
#include <cstdlib>
#include <cstring>

#include "errors.h"
#include "pacing.h"
#include "x11_display.h"

namespace zarmok::x11 {
namespace {

constexpr int64_t kLongestShmWaitNs = 200000000;

}  // namespace

void TX11Presenter::Attach(TX11Connection& connection, Window window, GC gc, Visual* visual,
                           int depth) {
  Detach();
  connection_ = &connection;
  display_ = connection.Get();
  window_ = window;
  gc_ = gc;
  visual_ = visual;
  depth_ = depth;
  // A new window starts black, with nothing yet owed to it.
  canvas_.Resize(width_, height_);
  damage_.SetBounds(width_, height_);
  MakeImage();
}

void TX11Presenter::Detach() {
  FreeImage();
  connection_ = nullptr;
  display_ = nullptr;
  window_ = None;
  gc_ = nullptr;
  visual_ = nullptr;
}

void TX11Presenter::Resize(int32_t width, int32_t height) {
  if (width == width_ && height == height_ && image_kind_ != TImageKind::Absent) return;
  FreeImage();
  width_ = width;
  height_ = height;
  canvas_.Resize(width, height);
  damage_.SetBounds(width, height);
  MakeImage();
}

bool TX11Presenter::TakeCompletion(const XEvent& event) {
  if (!IsOwnCompletion(event)) return false;
  shm_busy_ = false;
  return true;
}

bool TX11Presenter::IsOwnCompletion(const XEvent& event) const {
  if (image_kind_ != TImageKind::Shared || event.type != shm_completion_) return false;
  XShmCompletionEvent completion;
  std::memcpy(&completion, &event, sizeof completion);
  return completion.drawable == window_ && completion.shmseg == shm_.shmseg;
}

void TX11Presenter::MakeImage() {
  if (display_ == nullptr || window_ == None || visual_ == nullptr) return;
  const int w = width_;
  const int h = height_;
  const bool direct_layout = visual_->c_class == TrueColor && (depth_ == 24 || depth_ == 32) &&
                             visual_->red_mask == 0xFF0000 && visual_->green_mask == 0x00FF00 &&
                             visual_->blue_mask == 0x0000FF && ImageByteOrder(display_) == LSBFirst;
  if (direct_layout) {
    direct_image_ =
        XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0,
                     reinterpret_cast<char*>(canvas_.Pixels()), static_cast<unsigned>(w),
                     static_cast<unsigned>(h), 32, canvas_.Stride() * 4);
    if (direct_image_ != nullptr && direct_image_->bits_per_pixel != 32) {
      direct_image_->data = nullptr;
      XDestroyImage(direct_image_);
      direct_image_ = nullptr;
    }
  }
  if (direct_image_ != nullptr && XShmQueryExtension(display_)) {
    image_ = XShmCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, nullptr,
                             &shm_, static_cast<unsigned>(w), static_cast<unsigned>(h));
    if (image_ != nullptr && image_->bits_per_pixel == 32) {
      shm_.shmid =
          shmget(IPC_PRIVATE, static_cast<size_t>(image_->bytes_per_line) * h, IPC_CREAT | 0600);
      if (shm_.shmid >= 0) {
        shm_.shmaddr = image_->data = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
        shm_.readOnly = False;
        bool attached = false;
        if (shm_.shmaddr != reinterpret_cast<char*>(-1)) {
          TErrorTrap trap(*connection_);
          XShmAttach(display_, &shm_);
          attached = !trap.Failed();
        }
        // Marked for removal at once: the segment goes with the last detach, even if the
        // program does not end by the normal way.
        shmctl(shm_.shmid, IPC_RMID, nullptr);
        if (attached) {
          image_kind_ = TImageKind::Shared;
          shm_completion_ = XShmGetEventBase(display_) + ShmCompletion;
          shm_busy_ = false;
          return;
        }
        if (shm_.shmaddr != reinterpret_cast<char*>(-1)) shmdt(shm_.shmaddr);
      }
      image_->data = nullptr;
    }
    if (image_ != nullptr) XDestroyImage(image_);
    image_ = nullptr;
    shm_ = XShmSegmentInfo{};
  }
  if (direct_image_ != nullptr) {
    image_kind_ = TImageKind::Direct;
    return;
  }
  image_ = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr,
                        static_cast<unsigned>(w), static_cast<unsigned>(h), 32, 0);
  if (image_ == nullptr) throw EZarmokError("X: 画像を作成できません");
  image_->data = static_cast<char*>(std::calloc(static_cast<size_t>(image_->bytes_per_line), h));
  image_kind_ = TImageKind::Converted;
}

void TX11Presenter::FreeImage() {
  if (direct_image_ != nullptr) {
    direct_image_->data = nullptr;  // the canvas owns the pixels
    XDestroyImage(direct_image_);
    direct_image_ = nullptr;
  }
  if (image_ != nullptr && image_kind_ == TImageKind::Shared) {
    WaitForSharedImage();
    TErrorTrap trap(*connection_);
    XShmDetach(display_, &shm_);
    trap.Failed();
    shmdt(shm_.shmaddr);
    image_->data = nullptr;
    shm_ = XShmSegmentInfo{};
  }
  if (image_ != nullptr) XDestroyImage(image_);  // frees a converted copy with it
  image_ = nullptr;
  image_kind_ = TImageKind::Absent;
}

namespace {

// Places an 8-bit channel under a TrueColor mask.
unsigned long Channel(uint32_t value, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1u) == 0) ++shift;
  int bits = 0;
  while (((mask >> (shift + bits)) & 1u) != 0) ++bits;
  const unsigned long scaled = bits >= 8 ? value << (bits - 8) : value >> (8 - bits);
  return (scaled << shift) & mask;
}

}  // namespace

// Below this many pixels a rectangle travels inside the request: cheaper than a shared-memory
// put, which must wait for the server before the segment is written again.
constexpr int64_t kSmallPutPixels = 64 * 1024;

void TX11Presenter::Present(bool visible) {
  canvas_.TakeDirty();  // the damage record is finer; the canvas's own is only reset
  std::array<TDirtyRect, TDamage::kMaxRects> rects;
  const int count = damage_.Take(rects);
  // What changed while the window could not be seen is repainted whole by its next expose.
  if (count == 0 || !visible) return;
  const auto large = [](const TDirtyRect& r) {
    return static_cast<int64_t>(r.right - r.left) * (r.bottom - r.top) >= kSmallPutPixels;
  };
  int last_large = -1;
  if (image_kind_ == TImageKind::Shared) {
    for (int i = 0; i < count; ++i) {
      if (large(rects[i])) last_large = i;
    }
    if (last_large >= 0) WaitForSharedImage();
  }
  for (int i = 0; i < count; ++i) {
    switch (image_kind_) {
      case TImageKind::Shared:
        if (large(rects[i])) {
          PutShared(rects[i], i == last_large);
        } else {
          PutDirect(rects[i]);
        }
        break;
      case TImageKind::Direct:
        PutDirect(rects[i]);
        break;
      case TImageKind::Converted:
        PutConverted(rects[i]);
        break;
      case TImageKind::Absent:
        return;
    }
  }
  // Sent with the loop's next wait, which flushes what is queued before it sleeps.
}

void TX11Presenter::PutShared(const TDirtyRect& rect, bool last) {
  const int x = rect.left;
  const unsigned w = static_cast<unsigned>(rect.right - rect.left);
  const uint32_t* source = canvas_.Pixels();
  for (int row = rect.top; row < rect.bottom; ++row) {
    std::memcpy(image_->data + static_cast<size_t>(row) * image_->bytes_per_line + x * 4,
                source + static_cast<size_t>(row) * canvas_.Stride() + x, w * 4);
  }
  // Only the last shared put of a step asks for the server's news: the segment is written
  // again only after all of them.
  XShmPutImage(display_, window_, gc_, image_, x, rect.top, origin_x_ + x, origin_y_ + rect.top, w,
               static_cast<unsigned>(rect.bottom - rect.top), last ? True : False);
  if (last) shm_busy_ = true;
}

void TX11Presenter::PutDirect(const TDirtyRect& rect) {
  XPutImage(display_, window_, gc_, direct_image_, rect.left, rect.top, origin_x_ + rect.left,
            origin_y_ + rect.top, static_cast<unsigned>(rect.right - rect.left),
            static_cast<unsigned>(rect.bottom - rect.top));
}

void TX11Presenter::PutConverted(const TDirtyRect& rect) {
  for (int row = rect.top; row < rect.bottom; ++row) {
    for (int column = rect.left; column < rect.right; ++column) {
      const uint32_t pixel = canvas_.PixelAt(column, row);
      XPutPixel(image_, column, row,
                Channel((pixel >> 16) & 0xFFu, visual_->red_mask) |
                    Channel((pixel >> 8) & 0xFFu, visual_->green_mask) |
                    Channel(pixel & 0xFFu, visual_->blue_mask));
    }
  }
  XPutImage(display_, window_, gc_, image_, rect.left, rect.top, origin_x_ + rect.left,
            origin_y_ + rect.top, static_cast<unsigned>(rect.right - rect.left),
            static_cast<unsigned>(rect.bottom - rect.top));
}

void TX11Presenter::WaitForSharedImage() {
  // The server reads the segment after XShmPutImage returns and says when it is done; at the
  // usual pace that news has long arrived when the next step draws. Only that news is taken
  // from the queue here: every other event waits for the loop. A put that failed (a pane
  // destroyed under it) sends an error instead, and the wait is bounded in any case.
  const int64_t deadline = MonotonicNanoseconds() + kLongestShmWaitNs;
  XEvent event;
  const auto own = [](Display*, XEvent* candidate, XPointer self) -> Bool {
    return reinterpret_cast<const TX11Presenter*>(self)->IsOwnCompletion(*candidate) ? True : False;
  };
  while (shm_busy_ && !connection_->ErrorPending() && MonotonicNanoseconds() < deadline) {
    // Each presenter waits for the news of its own image only.
    if (XCheckIfEvent(display_, &event, own, reinterpret_cast<XPointer>(this))) break;
    pollfd watch{ConnectionNumber(display_), POLLIN, 0};
    poll(&watch, 1, 5);
  }
  shm_busy_ = false;
}

}  // namespace zarmok::x11
