// How a window's picture reaches its Wayland surface: a small fixed set of shared-memory
// buffers that take turns, each brought up to date only where it is behind the picture; the
// compositor is told only what changed since the last commit, and nothing is committed while
// the last commit has not yet been shown, so the compositor's frames set the pace of what is
// sent. What is drawn meanwhile goes with the next frame, read from the picture then.
#pragma once

#include <wayland-client.h>

#include <array>
#include <cstddef>
#include <cstdint>

#include "damage.h"
#include "raster.h"
#include "wl_monitors.h"

struct wp_viewport;

namespace zarmok::wl {

class TWaylandPresenter {
 public:
  static constexpr int kBufferCount = 3;

  explicit TWaylandPresenter(wl_shm* shm) : shm_(shm) {}
  ~TWaylandPresenter();
  TWaylandPresenter(const TWaylandPresenter&) = delete;
  TWaylandPresenter& operator=(const TWaylandPresenter&) = delete;

  // Pictures go to `surface` from now on, through `viewport` when the layout has one, the
  // next commit carrying the whole picture; a picture of another size than the layout's waits
  // for one that fits. Null: nowhere.
  void Attach(wl_surface* surface, wp_viewport* viewport, const TSurfaceLayout& layout);
  void Detach() { Attach(nullptr, nullptr, TSurfaceLayout{}); }
  // Shows `count` rectangles of `picture`, now or with the compositor's next frame.
  void Blit(const TRasterCanvas& picture, const TDirtyRect* rects, int count);

 private:
  struct TBuffer {
    TWaylandPresenter* owner = nullptr;
    wl_buffer* buffer = nullptr;
    uint32_t* pixels = nullptr;
    bool busy = false;  // the compositor reads it
    bool whole = true;  // it holds nothing of the picture yet
    TDamage behind;     // where it is behind the picture
  };

  bool Fits() const;
  // The next commit carries the whole picture, copied whole into its buffer.
  void OweWhole();
  void Commit();
  bool MakeBuffers();
  void FreeBuffers();
  void CopyInto(TBuffer& buffer);
  static void Released(void* data, wl_buffer* buffer);
  static void FrameDone(void* data, wl_callback* callback, uint32_t time);

  wl_shm* shm_;
  wl_surface* surface_ = nullptr;
  wp_viewport* viewport_ = nullptr;
  TSurfaceLayout layout_;
  // The layout the surface was last committed with; none yet after an Attach.
  bool layout_sent_ = false;
  const TRasterCanvas* picture_ = nullptr;
  // What the surface lacks since the last commit.
  TDamage pending_;
  bool owed_whole_ = true;
  std::array<TBuffer, kBufferCount> buffers_{};
  TPixelSize buffer_size_;
  int pool_fd_ = -1;
  void* pool_memory_ = nullptr;
  size_t pool_size_ = 0;
  wl_callback* frame_ = nullptr;
};

}  // namespace zarmok::wl
