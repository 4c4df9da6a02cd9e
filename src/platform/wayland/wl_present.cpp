#include "wl_present.h"

#include <sys/mman.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "viewporter-client-protocol.h"

namespace zarmok::wl {

TWaylandPresenter::~TWaylandPresenter() {
  Detach();
  FreeBuffers();
}

void TWaylandPresenter::Attach(wl_surface* surface, wp_viewport* viewport,
                               const TSurfaceLayout& layout) {
  if (surface != surface_ && frame_ != nullptr) {
    wl_callback_destroy(frame_);
    frame_ = nullptr;
  }
  surface_ = surface;
  viewport_ = viewport;
  layout_ = layout;
  layout_sent_ = false;
  if (!(layout.pixels == buffer_size_)) FreeBuffers();
  pending_.SetBounds(layout.pixels.width, layout.pixels.height);
  OweWhole();
  Commit();
}

void TWaylandPresenter::OweWhole() {
  owed_whole_ = true;
  for (TBuffer& buffer : buffers_) buffer.whole = true;
}

bool TWaylandPresenter::Fits() const {
  return picture_ != nullptr && picture_->Width() == layout_.pixels.width &&
         picture_->Height() == layout_.pixels.height;
}

void TWaylandPresenter::Blit(const TRasterCanvas& picture, const TDirtyRect* rects, int count) {
  picture_ = &picture;
  if (!Fits()) {
    // Drawn at another size than the surface's: only a whole picture of the right size helps.
    OweWhole();
    return;
  }
  for (int i = 0; i < count; ++i) {
    const TDirtyRect& r = rects[i];
    pending_.Add(r.left, r.top, r.right, r.bottom);
    for (TBuffer& buffer : buffers_) {
      if (!buffer.whole) buffer.behind.Add(r.left, r.top, r.right, r.bottom);
    }
  }
  Commit();
}

bool TWaylandPresenter::MakeBuffers() {
  if (pool_memory_ != nullptr) return true;
  const int32_t width = layout_.pixels.width;
  const int32_t height = layout_.pixels.height;
  const size_t bytes = static_cast<size_t>(width) * 4 * static_cast<size_t>(height);
  if (bytes == 0 || bytes * kBufferCount > static_cast<size_t>(INT32_MAX)) return false;
  pool_size_ = bytes * kBufferCount;
  pool_fd_ = memfd_create("zarmok", MFD_CLOEXEC);
  if (pool_fd_ < 0 || ftruncate(pool_fd_, static_cast<off_t>(pool_size_)) != 0) {
    FreeBuffers();
    return false;
  }
  void* memory = mmap(nullptr, pool_size_, PROT_READ | PROT_WRITE, MAP_SHARED, pool_fd_, 0);
  if (memory == MAP_FAILED) {
    FreeBuffers();
    return false;
  }
  pool_memory_ = memory;
  buffer_size_ = layout_.pixels;
  wl_shm_pool* pool = wl_shm_create_pool(shm_, pool_fd_, static_cast<int32_t>(pool_size_));
  static constexpr wl_buffer_listener kBufferListener{Released};
  for (int i = 0; i < kBufferCount; ++i) {
    TBuffer& buffer = buffers_[i];
    buffer.owner = this;
    buffer.pixels = reinterpret_cast<uint32_t*>(static_cast<char*>(pool_memory_) + bytes * i);
    // The canvas's pixels are 0x00RRGGBB words, which is what XRGB8888 means.
    buffer.buffer = wl_shm_pool_create_buffer(pool, static_cast<int32_t>(bytes * i), width, height,
                                              width * 4, WL_SHM_FORMAT_XRGB8888);
    wl_buffer_add_listener(buffer.buffer, &kBufferListener, &buffer);
    buffer.busy = false;
    buffer.whole = true;
    buffer.behind.SetBounds(width, height);
  }
  // The buffers keep the pool's memory; the pool object itself is no longer needed.
  wl_shm_pool_destroy(pool);
  return true;
}

void TWaylandPresenter::FreeBuffers() {
  for (TBuffer& buffer : buffers_) {
    if (buffer.buffer != nullptr) wl_buffer_destroy(buffer.buffer);
    buffer = TBuffer{};
  }
  if (pool_memory_ != nullptr) munmap(pool_memory_, pool_size_);
  if (pool_fd_ >= 0) close(pool_fd_);
  pool_memory_ = nullptr;
  pool_fd_ = -1;
  pool_size_ = 0;
  buffer_size_ = TPixelSize{};
}

void TWaylandPresenter::CopyInto(TBuffer& buffer) {
  const int32_t width = picture_->Width();
  const uint32_t* source = picture_->Pixels();
  if (buffer.whole) {
    std::memcpy(buffer.pixels, source, static_cast<size_t>(width) * picture_->Height() * 4);
    buffer.whole = false;
    buffer.behind.SetBounds(width, picture_->Height());
    return;
  }
  std::array<TDirtyRect, TDamage::kMaxRects> rects;
  const int count = buffer.behind.Take(rects);
  for (int i = 0; i < count; ++i) {
    const TDirtyRect& r = rects[i];
    const size_t bytes = static_cast<size_t>(r.right - r.left) * 4;
    for (int32_t row = r.top; row < r.bottom; ++row) {
      const size_t at = static_cast<size_t>(row) * width + r.left;
      std::memcpy(buffer.pixels + at, source + at, bytes);
    }
  }
}

void TWaylandPresenter::Commit() {
  if (surface_ == nullptr || frame_ != nullptr || !Fits()) return;
  if (!owed_whole_ && pending_.Count() == 0) return;
  if (!MakeBuffers()) return;
  TBuffer* free = nullptr;
  for (TBuffer& buffer : buffers_) {
    if (!buffer.busy) {
      free = &buffer;
      break;
    }
  }
  // Every buffer is still the compositor's: the first one it gives back takes the picture.
  if (free == nullptr) return;
  CopyInto(*free);
  if (!layout_sent_) {
    if (viewport_ != nullptr) {
      wp_viewport_set_destination(viewport_, layout_.viewport.width, layout_.viewport.height);
    } else {
      wl_surface_set_buffer_scale(surface_, layout_.buffer_scale);
    }
    layout_sent_ = true;
  }
  wl_surface_attach(surface_, free->buffer, 0, 0);
  std::array<TDirtyRect, TDamage::kMaxRects> rects;
  int count = pending_.Take(rects);
  if (owed_whole_) {
    rects[0] = TDirtyRect{0, 0, layout_.pixels.width, layout_.pixels.height};
    count = 1;
    owed_whole_ = false;
  }
  if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(surface_)) >=
      WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION) {
    for (int i = 0; i < count; ++i) {
      const TDirtyRect& r = rects[i];
      wl_surface_damage_buffer(surface_, r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
  } else {
    // Damage in the surface's own units, which a viewport makes another scale: all of it.
    wl_surface_damage(surface_, 0, 0, INT32_MAX, INT32_MAX);
  }
  static constexpr wl_callback_listener kFrameListener{FrameDone};
  frame_ = wl_surface_frame(surface_);
  wl_callback_add_listener(frame_, &kFrameListener, this);
  wl_surface_commit(surface_);
  free->busy = true;
}

void TWaylandPresenter::Released(void* data, wl_buffer*) {
  TBuffer& buffer = *static_cast<TBuffer*>(data);
  buffer.busy = false;
  // A picture that waited for a buffer goes now.
  buffer.owner->Commit();
}

void TWaylandPresenter::FrameDone(void* data, wl_callback* callback, uint32_t) {
  TWaylandPresenter& self = *static_cast<TWaylandPresenter*>(data);
  wl_callback_destroy(callback);
  self.frame_ = nullptr;
  // What was drawn while the last picture waited to be shown goes at once: a slow pace must not
  // hold it until its next step.
  self.Commit();
}

}  // namespace zarmok::wl
