#include "headless_platform.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "errors.h"
#include "host.h"
#include "pacing.h"
#include "session.h"

namespace zarmok::tools {

// Hands every call to the canvas and then to the second picture.
class THeadlessWindow::TTee final : public IDrawSurface {
 public:
  TTee(IDrawSurface& first, IDrawSurface& second) : first_(first), second_(second) {}
  void SetPenColor(TColorValue color) override {
    first_.SetPenColor(color);
    second_.SetPenColor(color);
  }
  void MoveTo(int32_t x, int32_t y) override {
    first_.MoveTo(x, y);
    second_.MoveTo(x, y);
  }
  void LineTo(int32_t x, int32_t y) override {
    first_.LineTo(x, y);
    second_.LineTo(x, y);
  }
  void SetBrushColor(TColorValue color) override {
    first_.SetBrushColor(color);
    second_.SetBrushColor(color);
  }
  void PolyPolygon(const TPoint* points, const int32_t* counts, int32_t polygons) override {
    first_.PolyPolygon(points, counts, polygons);
    second_.PolyPolygon(points, counts, polygons);
  }
  void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override {
    first_.FillRect(left, top, right, bottom);
    second_.FillRect(left, top, right, bottom);
  }

 private:
  IDrawSurface& first_;
  IDrawSurface& second_;
};

THeadlessWindow::THeadlessWindow(THeadlessPlatform& platform, TWindowHandle handle,
                                 std::unique_ptr<ISecondPicture> second)
    : platform_(platform),
      handle_(handle),
      canvas_(kBirthClientWidth, kBirthClientHeight),
      second_(std::move(second)) {
  if (second_ != nullptr) {
    if (!second_->Resize(kBirthClientWidth, kBirthClientHeight)) {
      throw EZarmokError(kWindowCreateMessage);
    }
    tee_ = std::make_unique<TTee>(canvas_, second_->Surface());
  }
  platform_.windows_.push_back(this);
}

THeadlessWindow::~THeadlessWindow() {
  std::erase(platform_.windows_, this);
  std::erase(platform_.unpainted_, this);
}

IDrawSurface& THeadlessWindow::Canvas() {
  if (tee_ != nullptr) return *tee_;
  return canvas_;
}

void THeadlessWindow::Place(const TWindowRect& area) {
  const int32_t width = std::max(area.right - area.left, 0);
  const int32_t height = std::max(area.bottom - area.top, 0);
  canvas_.Resize(width, height);
  if (second_ != nullptr && !second_->Resize(width, height)) {
    throw EZarmokError("no second picture of " + std::to_string(width) + "x" +
                       std::to_string(height) + " pixels");
  }
  // A window that changed its size has lost its picture, as a real one would before its repaint.
  if (std::find(platform_.unpainted_.begin(), platform_.unpainted_.end(), this) ==
      platform_.unpainted_.end()) {
    platform_.unpainted_.push_back(this);
  }
}

void THeadlessWindow::Present() {
  if (!platform_.painting_ && !platform_.windows_.empty() && platform_.windows_.front() == this) {
    ++platform_.steps_;
  }
}

class THeadlessPlatform::TNoPasswords final : public IPasswordHost {
 public:
  TPasswordFlag ReadPasswordFlag() override { return {}; }
  std::string SystemDirectory() override { return {}; }
  char PathSeparator() const override { return '/'; }
  void* LoadHostLibrary(const std::string&) override { return nullptr; }
  void* FindHostEntry(void*, const char*) override { return nullptr; }
  void FreeHostLibrary(void*) override {}
  uint32_t CallVerifyScreenSavePwd(void*, TWindowHandle) override { return 1; }
  void CallPwdChangePasswordA(void*, const char*, TWindowHandle, uint32_t, uint32_t) override {}
};

THeadlessPlatform::THeadlessPlatform(IPrivateProfile& profile, std::string ini_path,
                                     std::vector<TWindowRect> monitors)
    : profile_(profile),
      ini_path_(std::move(ini_path)),
      monitors_(std::move(monitors)),
      passwords_(std::make_unique<TNoPasswords>()) {}

THeadlessPlatform::~THeadlessPlatform() = default;

bool THeadlessPlatform::WindowExists(TWindowHandle handle) {
  return std::any_of(windows_.begin(), windows_.end(),
                     [handle](THeadlessWindow* w) { return w->Handle() == handle; });
}

IPasswordHost& THeadlessPlatform::Passwords() {
  return *passwords_;
}

std::vector<TMonitor> THeadlessPlatform::Monitors() {
  std::vector<TMonitor> monitors;
  for (size_t i = 0; i < monitors_.size(); ++i) monitors.push_back(TMonitor{i + 1, monitors_[i]});
  return monitors;
}

std::unique_ptr<IPlatformWindow> THeadlessPlatform::CreateSaverWindow(TWindowHandle) {
  return std::make_unique<THeadlessWindow>(
      *this, next_handle_++, second_maker_ ? second_maker_() : std::unique_ptr<ISecondPicture>());
}

void THeadlessPlatform::HandlePendingMessages(ISaverEvents& events) {
  while (!unpainted_.empty() && events.Running()) {
    THeadlessWindow* window = unpainted_.front();
    unpainted_.erase(unpainted_.begin());
    painting_ = true;
    events.Deliver(TSaverEvent{TSaverEventKind::Paint, 0, TPoint{0, 0}, window});
    painting_ = false;
  }
  if (!events.Running() || steps_ == observed_) return;
  observed_ = steps_;
  if (!observer_ || !observer_(steps_)) events.Deliver(TSaverEvent{TSaverEventKind::EndRequest});
}

void THeadlessPlatform::WaitForInput(int32_t milliseconds) {
  if (!real_clock_) {
    now_ += static_cast<int64_t>(milliseconds) * 1000000;
    return;
  }
  int64_t until = MonotonicNanoseconds() + static_cast<int64_t>(milliseconds) * 1000000;
  if (tick_ns_ > 0) until = (until + tick_ns_ - 1) / tick_ns_ * tick_ns_;
  std::this_thread::sleep_until(
      std::chrono::steady_clock::time_point(std::chrono::nanoseconds(until)));
}

int64_t THeadlessPlatform::Now() {
  return real_clock_ ? MonotonicNanoseconds() : now_;
}

std::vector<TWindowRect> SideBySide(int32_t count, int32_t width, int32_t height) {
  std::vector<TWindowRect> monitors;
  for (int32_t i = 0; i < count; ++i) {
    monitors.push_back(TWindowRect{i * width, 0, (i + 1) * width, height});
  }
  return monitors;
}

}  // namespace zarmok::tools
