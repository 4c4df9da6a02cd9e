// How the saver's pictures reach a Wayland surface: the software canvas the core draws on, the
// record of what each step changed, and a small fixed set of shared-memory buffers that take
// turns. Each buffer is brought up to date only where it is behind the canvas; the compositor
// is told only what changed since the last commit; and nothing is committed while the last
// commit has not yet been shown, so the compositor's frames set the pace of what is sent.
#pragma once

#include <wayland-client.h>

#include <array>
#include <cstddef>
#include <cstdint>

#include "damage.h"
#include "platform.h"
#include "raster.h"
#include "session.h"

namespace zarmok::wl {

class TWaylandPresenter {
 public:
  static constexpr int kBufferCount = 3;

  explicit TWaylandPresenter(wl_shm* shm);
  ~TWaylandPresenter();
  TWaylandPresenter(const TWaylandPresenter&) = delete;
  TWaylandPresenter& operator=(const TWaylandPresenter&) = delete;

  // Pictures go to `surface` from now on (null: nowhere), each buffer at `scale` pixels per
  // unit of the surface; the next commit carries the whole picture.
  void Attach(wl_surface* surface, int32_t scale);
  // A new, black picture of that many pixels; the buffers are made again at the next commit.
  void Resize(int32_t width, int32_t height);
  // Commits what changed since the last commit, unless the compositor has yet to show that one
  // or holds every buffer: then it waits for the frame or the buffer that comes back.
  void Present();

  IDrawSurface& Drawing() { return drawing_; }
  int32_t Width() const { return canvas_.Width(); }
  int32_t Height() const { return canvas_.Height(); }
  const TRasterCanvas& Picture() const { return canvas_; }
  // Whether the compositor has shown a commit of this surface since it was attached.
  bool Shown() const { return shown_; }
  // Whether everything drawn has been committed and shown.
  bool Settled() const { return frame_ == nullptr && !owed_whole_ && pending_.Count() == 0; }

 private:
  struct TBuffer {
    TWaylandPresenter* owner = nullptr;
    wl_buffer* buffer = nullptr;
    uint32_t* pixels = nullptr;
    bool busy = false;  // the compositor reads it
    bool whole = true;  // it holds nothing of the picture yet
    TDamage behind;     // where it is behind the canvas
  };

  // Moves the step's damage into the record of what the surface and each buffer lack.
  void TakeDamage();
  void Commit();
  bool MakeBuffers();
  void FreeBuffers();
  void CopyInto(TBuffer& buffer);
  static void Released(void* data, wl_buffer* buffer);
  static void FrameDone(void* data, wl_callback* callback, uint32_t time);

  wl_shm* shm_;
  wl_surface* surface_ = nullptr;
  int32_t scale_ = 1;
  int32_t committed_scale_ = 0;
  TRasterCanvas canvas_{kBirthClientWidth, kBirthClientHeight};
  TDamage damage_;
  TDamageCanvas drawing_{canvas_, damage_};
  // What the surface lacks since the last commit.
  TDamage pending_;
  bool owed_whole_ = true;
  std::array<TBuffer, kBufferCount> buffers_{};
  int pool_fd_ = -1;
  void* pool_memory_ = nullptr;
  size_t pool_size_ = 0;
  wl_callback* frame_ = nullptr;
  bool shown_ = false;
};

}  // namespace zarmok::wl
