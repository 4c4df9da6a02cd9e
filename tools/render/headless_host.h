// A host without a display: the saver window's platform window is a software canvas whose size
// is the client size, and the host's services are plain records.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "platform.h"
#include "raster.h"
#include "session.h"

namespace zarmok {

class THeadlessHost final : public IFormWindow, public ISaverHost {
 public:
  THeadlessHost() : canvas_(kBirthClientWidth, kBirthClientHeight) {}
  THeadlessHost(int32_t width, int32_t height) : canvas_(width, height) {}

  // A new client size; the picture is lost, as a real window's would be before its repaint.
  void Resize(int32_t width, int32_t height) { canvas_.Resize(width, height); }

  // One idle call of the message loop; false when no idle handler is installed.
  bool RunIdle() {
    if (!idle_) return false;
    bool done = true;
    idle_(done);
    return true;
  }

  TRasterCanvas& Raster() { return canvas_; }
  bool ScreenSaverRunning() const { return running_; }
  int32_t CursorCount() const { return cursor_count_; }
  bool MaximizeRequested() const { return maximize_requested_; }

  int32_t ClientWidth() override { return canvas_.Width(); }
  int32_t ClientHeight() override { return canvas_.Height(); }
  void RequestMaximized() override { maximize_requested_ = true; }
  IDrawSurface& Canvas() override { return canvas_; }

  void SetScreenSaverRunning(bool running) override { running_ = running; }
  void ShowCursor(bool show) override { cursor_count_ += show ? 1 : -1; }
  void SetIdleHandler(std::function<void(bool& done)> handler) override {
    idle_ = std::move(handler);
  }

 private:
  TRasterCanvas canvas_;
  std::function<void(bool&)> idle_;
  bool running_ = false;
  bool maximize_requested_ = false;
  int32_t cursor_count_ = 0;
};

}  // namespace zarmok
