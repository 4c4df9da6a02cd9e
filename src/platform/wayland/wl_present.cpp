#include "wl_present.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

namespace zarmok::wl {

TWaylandPresenter::TWaylandPresenter(wl_shm* shm) : shm_(shm) {
  damage_.SetBounds(canvas_.Width(), canvas_.Height());
  pending_.SetBounds(canvas_.Width(), canvas_.Height());
}

TWaylandPresenter::~TWaylandPresenter() {
  Attach(nullptr, 1);
  FreeBuffers();
}

void TWaylandPresenter::Attach(wl_surface* surface, int32_t scale) {
  if (frame_ != nullptr) wl_callback_destroy(frame_);
  frame_ = nullptr;
  surface_ = surface;
  scale_ = scale;
  committed_scale_ = 0;
  shown_ = false;
  owed_whole_ = true;
}

void TWaylandPresenter::Resize(int32_t width, int32_t height) {
  canvas_.Resize(width, height);
  damage_.SetBounds(width, height);
  pending_.SetBounds(width, height);
  FreeBuffers();
  owed_whole_ = true;
}

void TWaylandPresenter::TakeDamage() {
  canvas_.TakeDirty();  // the damage record is finer; the canvas's own is only reset
  std::array<TDirtyRect, TDamage::kMaxRects> rects;
  const int count = damage_.Take(rects);
  for (int i = 0; i < count; ++i) {
    const TDirtyRect& r = rects[i];
    pending_.Add(r.left, r.top, r.right, r.bottom);
    for (TBuffer& buffer : buffers_) {
      if (!buffer.whole) buffer.behind.Add(r.left, r.top, r.right, r.bottom);
    }
  }
}

void TWaylandPresenter::Present() {
  TakeDamage();
  if (surface_ == nullptr || frame_ != nullptr) return;
  if (!owed_whole_ && pending_.Count() == 0) return;
  Commit();
}

bool TWaylandPresenter::MakeBuffers() {
  if (pool_memory_ != nullptr) return true;
  const int32_t width = canvas_.Width();
  const int32_t height = canvas_.Height();
  const size_t bytes = static_cast<size_t>(width) * 4 * static_cast<size_t>(height);
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
}

void TWaylandPresenter::CopyInto(TBuffer& buffer) {
  const int32_t width = canvas_.Width();
  const uint32_t* source = canvas_.Pixels();
  if (buffer.whole) {
    std::memcpy(buffer.pixels, source, static_cast<size_t>(width) * canvas_.Height() * 4);
    buffer.whole = false;
    buffer.behind.SetBounds(width, canvas_.Height());
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
  if (committed_scale_ != scale_) {
    wl_surface_set_buffer_scale(surface_, scale_);
    committed_scale_ = scale_;
  }
  wl_surface_attach(surface_, free->buffer, 0, 0);
  const bool by_buffer = wl_proxy_get_version(reinterpret_cast<wl_proxy*>(surface_)) >=
                         WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION;
  std::array<TDirtyRect, TDamage::kMaxRects> rects;
  int count = pending_.Take(rects);
  if (owed_whole_) {
    rects[0] = TDirtyRect{0, 0, canvas_.Width(), canvas_.Height()};
    count = 1;
    owed_whole_ = false;
  }
  for (int i = 0; i < count; ++i) {
    const TDirtyRect& r = rects[i];
    if (by_buffer) {
      wl_surface_damage_buffer(surface_, r.left, r.top, r.right - r.left, r.bottom - r.top);
    } else {
      // The surface's own units: the rectangle widened to whole units.
      const int32_t left = r.left / scale_;
      const int32_t top = r.top / scale_;
      wl_surface_damage(surface_, left, top, (r.right + scale_ - 1) / scale_ - left,
                        (r.bottom + scale_ - 1) / scale_ - top);
    }
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
  TWaylandPresenter& self = *buffer.owner;
  // A picture that waited for a buffer goes now.
  if (self.surface_ != nullptr && self.frame_ == nullptr &&
      (self.owed_whole_ || self.pending_.Count() > 0)) {
    self.Commit();
  }
}

void TWaylandPresenter::FrameDone(void* data, wl_callback* callback, uint32_t) {
  TWaylandPresenter& self = *static_cast<TWaylandPresenter*>(data);
  wl_callback_destroy(callback);
  self.frame_ = nullptr;
  self.shown_ = true;
  // What was drawn while the last picture waited to be shown goes at once: a slow pace must not
  // hold it until its next step.
  if (self.surface_ != nullptr && (self.owed_whole_ || self.pending_.Count() > 0)) self.Commit();
}

}  // namespace zarmok::wl
