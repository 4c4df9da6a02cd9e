#include "headless_platform.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "errors.h"
#include "host.h"
#include "pacing.h"

namespace zarmok::tools {

THeadlessWindow::THeadlessWindow(THeadlessPlatform& platform, TWindowHandle handle,
                                 std::unique_ptr<ISecondPicture> second)
    : platform_(platform), handle_(handle), second_(std::move(second)) {
  platform_.windows_.push_back(this);
}

THeadlessWindow::~THeadlessWindow() {
  std::erase(platform_.windows_, this);
}

IDrawSurface* THeadlessWindow::AlsoDrawsOn() {
  return second_ != nullptr ? &second_->Surface() : nullptr;
}

void THeadlessWindow::Place(const TWindowRect& area) {
  const int32_t width = std::max(area.right - area.left, 0);
  const int32_t height = std::max(area.bottom - area.top, 0);
  if (second_ != nullptr && !second_->Resize(width, height)) {
    throw EZarmokError("no second picture of " + std::to_string(width) + "x" +
                       std::to_string(height) + " pixels");
  }
  // The window takes the size at once, as a window on a screen tells of it.
  if (platform_.events_ != nullptr) {
    TSaverEvent resized{TSaverEventKind::Resized};
    resized.Window = this;
    resized.Width = width;
    resized.Height = height;
    platform_.events_->Deliver(resized);
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
  for (size_t i = 0; i < monitors_.size(); ++i) {
    monitors.push_back(TMonitor{i + 1, monitors_[i], i == 0, 0});
  }
  return monitors;
}

std::unique_ptr<IPlatformWindow> THeadlessPlatform::CreateSaverWindow(TWindowHandle,
                                                                      const TWindowRect& birth) {
  std::unique_ptr<ISecondPicture> second = second_maker_ ? second_maker_() : nullptr;
  if (second != nullptr && !second->Resize(birth.right - birth.left, birth.bottom - birth.top)) {
    throw EZarmokError(TTextId::WindowCreateFailed);
  }
  return std::make_unique<THeadlessWindow>(*this, next_handle_++, std::move(second));
}

bool THeadlessPlatform::WaitForInput(int32_t milliseconds) {
  if (!real_clock_) {
    now_ += static_cast<int64_t>(milliseconds) * 1000000;
    return false;
  }
  int64_t until = MonotonicNanoseconds() + static_cast<int64_t>(milliseconds) * 1000000;
  if (tick_ns_ > 0) until = (until + tick_ns_ - 1) / tick_ns_ * tick_ns_;
  std::this_thread::sleep_until(
      std::chrono::steady_clock::time_point(std::chrono::nanoseconds(until)));
  return false;
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
