#include "x11_present.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <bit>
#include <cstring>

#include "errors.h"
#include "host.h"

namespace zarmok::x11 {
namespace {

// From this many pixels on, a rectangle goes through shared memory when the segment is free: the
// server reads it where it lies instead of from the connection.
constexpr int64_t kSharedPutPixels = 64 * 1024;

constexpr int kNativeByteOrder = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;

int BitsPerPixel(Display* display, int depth) {
  int count = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
  int bits = 0;
  for (int i = 0; i < count; ++i) {
    if (formats[i].depth == depth) bits = formats[i].bits_per_pixel;
  }
  if (formats != nullptr) XFree(formats);
  return bits;
}

// An image header over `data`, laid out in this machine's byte order; Xlib reorders the bytes
// for a server of the other order.
bool InitImage(XImage& image, char* data, int width, int height, Visual* visual, int depth,
               int bits_per_pixel, int bytes_per_line) {
  image = XImage{};
  image.width = width;
  image.height = height;
  image.format = ZPixmap;
  image.data = data;
  image.byte_order = kNativeByteOrder;
  image.bitmap_unit = 32;
  image.bitmap_bit_order = kNativeByteOrder;
  image.bitmap_pad = 32;
  image.depth = depth;
  image.bytes_per_line = bytes_per_line;
  image.bits_per_pixel = bits_per_pixel;
  image.red_mask = visual->red_mask;
  image.green_mask = visual->green_mask;
  image.blue_mask = visual->blue_mask;
  return XInitImage(&image) != 0;
}

}  // namespace

TX11Visual ChooseVisual(Display* display) {
  const int screen = DefaultScreen(display);
  Visual* fallback = DefaultVisual(display, screen);
  if (fallback->c_class == TrueColor) {
    return TX11Visual{fallback, DefaultDepth(display, screen), DefaultColormap(display, screen),
                      false};
  }
  // No 32-bit visual: its fourth byte is coverage, and the picture's is 0 (invisible under a
  // compositor).
  for (const int depth : {24, 16, 15, 8}) {
    XVisualInfo info{};
    if (XMatchVisualInfo(display, screen, depth, TrueColor, &info) == 0) continue;
    const Colormap colormap =
        XCreateColormap(display, RootWindow(display, screen), info.visual, AllocNone);
    return TX11Visual{info.visual, depth, colormap, true};
  }
  throw EZarmokError(TTextId::WindowCreateFailed, TTextId::XNoTrueColor);
}

void FreeVisual(Display* display, const TX11Visual& visual) {
  if (visual.own_colormap && !ConnectionLost(display)) XFreeColormap(display, visual.colormap);
}

TX11Blitter::TX11Blitter(TX11Connection& connection, Drawable target, Visual* visual, int depth)
    : connection_(connection),
      display_(connection.Get()),
      target_(target),
      visual_(visual),
      depth_(depth) {
  gc_ = XCreateGC(display_, target_, 0, nullptr);
  bits_per_pixel_ = BitsPerPixel(display_, depth_);
  const auto place = [](std::array<uint32_t, 256>& values, unsigned long mask) {
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    for (uint32_t value = 0; value < values.size(); ++value) {
      const unsigned long scaled = bits >= 8 ? value << (bits - 8) : value >> (8 - bits);
      values[value] = static_cast<uint32_t>((scaled << shift) & mask);
    }
  };
  place(red_, visual_->red_mask);
  place(green_, visual_->green_mask);
  place(blue_, visual_->blue_mask);
  same_layout_ = visual_->c_class == TrueColor && bits_per_pixel_ == 32 &&
                 visual_->red_mask == 0xFF0000 && visual_->green_mask == 0x00FF00 &&
                 visual_->blue_mask == 0x0000FF;
}

TX11Blitter::~TX11Blitter() {
  FreeShared();
  if (!connection_.Lost()) XFreeGC(display_, gc_);
}

void TX11Blitter::Follow(const TRasterCanvas& picture) {
  FreeShared();
  pixels_ = picture.Pixels();
  width_ = picture.Width();
  height_ = picture.Height();
  if (width_ <= 0 || height_ <= 0) return;
  if (same_layout_) {
    // Xlib only reads the pixels of an image it sends.
    InitImage(direct_, reinterpret_cast<char*>(const_cast<uint32_t*>(pixels_)), width_, height_,
              visual_, depth_, 32, picture.Stride() * 4);
    MakeShared();
    return;
  }
  const int bytes_per_line = (width_ * bits_per_pixel_ + 31) / 32 * 4;
  converted_bytes_.assign(static_cast<size_t>(bytes_per_line) * height_, 0);
  if (!InitImage(converted_, converted_bytes_.data(), width_, height_, visual_, depth_,
                 bits_per_pixel_, bytes_per_line)) {
    throw EZarmokError(TTextId::WindowCreateFailed, TTextId::XNoTrueColor);
  }
}

void TX11Blitter::MakeShared() {
  if (!XShmQueryExtension(display_)) return;
  shared_ = XShmCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, nullptr,
                            &shm_, static_cast<unsigned>(width_), static_cast<unsigned>(height_));
  if (shared_ == nullptr) return;
  bool attached = false;
  shm_.shmid =
      shmget(IPC_PRIVATE, static_cast<size_t>(shared_->bytes_per_line) * height_, IPC_CREAT | 0600);
  if (shm_.shmid >= 0) {
    shm_.shmaddr = shared_->data = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
    shm_.readOnly = False;
    if (shm_.shmaddr != reinterpret_cast<char*>(-1)) {
      TErrorTrap trap(connection_);
      XShmAttach(display_, &shm_);
      attached = !trap.Failed();
    }
    // Marked for removal at once: the segment goes with the last detach, however the program
    // ends.
    shmctl(shm_.shmid, IPC_RMID, nullptr);
  }
  if (attached) {
    completion_type_ = XShmGetEventBase(display_) + ShmCompletion;
    shared_busy_ = false;
    return;
  }
  if (shm_.shmaddr != nullptr && shm_.shmaddr != reinterpret_cast<char*>(-1)) shmdt(shm_.shmaddr);
  shared_->data = nullptr;
  XDestroyImage(shared_);
  shared_ = nullptr;
  shm_ = XShmSegmentInfo{};
}

void TX11Blitter::FreeShared() {
  if (shared_ == nullptr) return;
  // The server handles the detach after the puts before it, so a put it is still reading ends
  // first.
  if (!connection_.Lost()) XShmDetach(display_, &shm_);
  shmdt(shm_.shmaddr);
  shared_->data = nullptr;
  XDestroyImage(shared_);
  shared_ = nullptr;
  shm_ = XShmSegmentInfo{};
  shared_busy_ = false;
}

bool TX11Blitter::TakeCompletion(const XEvent& event) {
  if (shared_ == nullptr || event.type != completion_type_) return false;
  XShmCompletionEvent completion;
  std::memcpy(&completion, &event, sizeof completion);
  if (completion.drawable != target_ || completion.shmseg != shm_.shmseg) return false;
  shared_busy_ = false;
  return true;
}

void TX11Blitter::Blit(const TRasterCanvas& picture, const TDirtyRect* rects, int count) {
  if (count == 0 || connection_.Lost()) return;
  if (picture.Pixels() != pixels_ || picture.Width() != width_ || picture.Height() != height_) {
    Follow(picture);
  }
  if (width_ <= 0 || height_ <= 0) return;
  const auto large = [](const TDirtyRect& r) {
    return int64_t{r.right - r.left} * (r.bottom - r.top) >= kSharedPutPixels;
  };
  // The segment is written only while the server has read all of it: once it is free, every
  // large rectangle of the step goes through it, and only the last asks for the server's news.
  // While it is still the server's they go inside the request: the step never waits for it.
  int last_shared = -1;
  if (same_layout_ && shared_ != nullptr && !shared_busy_) {
    for (int i = 0; i < count; ++i) {
      if (!rects[i].Empty() && large(rects[i])) last_shared = i;
    }
  }
  for (int i = 0; i < count; ++i) {
    const TDirtyRect& rect = rects[i];
    if (rect.Empty()) continue;
    if (!same_layout_) {
      PutConverted(picture, rect);
    } else if (i <= last_shared && large(rect)) {
      PutShared(picture, rect, i == last_shared);
    } else {
      PutDirect(rect);
    }
  }
  // Sent with the loop's next look or wait, which flushes what is queued.
}

void TX11Blitter::Put(XImage& image, const TDirtyRect& rect) {
  XPutImage(display_, target_, gc_, &image, rect.left, rect.top, origin_x_ + rect.left,
            origin_y_ + rect.top, static_cast<unsigned>(rect.right - rect.left),
            static_cast<unsigned>(rect.bottom - rect.top));
}

void TX11Blitter::PutDirect(const TDirtyRect& rect) {
  Put(direct_, rect);
}

void TX11Blitter::PutShared(const TRasterCanvas& picture, const TDirtyRect& rect, bool last) {
  const size_t bytes = static_cast<size_t>(rect.right - rect.left) * 4;
  for (int row = rect.top; row < rect.bottom; ++row) {
    std::memcpy(shared_->data + static_cast<size_t>(row) * shared_->bytes_per_line + rect.left * 4,
                picture.Pixels() + static_cast<size_t>(row) * picture.Stride() + rect.left, bytes);
  }
  XShmPutImage(display_, target_, gc_, shared_, rect.left, rect.top, origin_x_ + rect.left,
               origin_y_ + rect.top, static_cast<unsigned>(rect.right - rect.left),
               static_cast<unsigned>(rect.bottom - rect.top), last ? True : False);
  if (last) shared_busy_ = true;
}

void TX11Blitter::PutConverted(const TRasterCanvas& picture, const TDirtyRect& rect) {
  const auto pack = [this](uint32_t pixel) {
    return red_[(pixel >> 16) & 0xFFu] | green_[(pixel >> 8) & 0xFFu] | blue_[pixel & 0xFFu];
  };
  for (int row = rect.top; row < rect.bottom; ++row) {
    const uint32_t* from = picture.Pixels() + static_cast<size_t>(row) * picture.Stride();
    char* to = converted_.data + static_cast<size_t>(row) * converted_.bytes_per_line;
    switch (bits_per_pixel_) {
      case 8:
        for (int x = rect.left; x < rect.right; ++x) {
          reinterpret_cast<uint8_t*>(to)[x] = static_cast<uint8_t>(pack(from[x]));
        }
        break;
      case 16:
        for (int x = rect.left; x < rect.right; ++x) {
          reinterpret_cast<uint16_t*>(to)[x] = static_cast<uint16_t>(pack(from[x]));
        }
        break;
      case 32:
        for (int x = rect.left; x < rect.right; ++x) {
          reinterpret_cast<uint32_t*>(to)[x] = static_cast<uint32_t>(pack(from[x]));
        }
        break;
      default:
        for (int x = rect.left; x < rect.right; ++x) XPutPixel(&converted_, x, row, pack(from[x]));
        break;
    }
  }
  Put(converted_, rect);
}

}  // namespace zarmok::x11
