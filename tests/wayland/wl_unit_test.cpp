// The Wayland back end's parts that need no compositor: an output's pixel area and the running
// lock.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "wl_connection.h"
#include "wl_running.h"

namespace zarmok::wl {
namespace {

TEST(WaylandOutput, PixelAreaIsTheLayoutPlaceAtTheBufferScale) {
  TOutput plain;
  plain.mode_width = 800;
  plain.mode_height = 600;
  plain.has_logical = true;
  plain.logical_x = 800;
  plain.logical_width = 800;
  plain.logical_height = 600;
  EXPECT_EQ(plain.PixelArea(), (TWindowRect{800, 0, 1600, 600}));

  // HiDPI: the layout's 400 x 300 units are the output's 800 x 600 pixels.
  TOutput doubled = plain;
  doubled.scale = 2;
  doubled.logical_width = 400;
  doubled.logical_height = 300;
  EXPECT_EQ(doubled.PixelArea(), (TWindowRect{800, 0, 1600, 600}));

  // Without xdg-output: the mode, turned with the output, at wl_output's position.
  TOutput turned;
  turned.mode_width = 1920;
  turned.mode_height = 1080;
  turned.transform = WL_OUTPUT_TRANSFORM_90;
  turned.x = 10;
  EXPECT_EQ(turned.PixelArea(), (TWindowRect{10, 0, 1090, 1920}));
}

class RunningLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / ("zarmok-lock-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder_);
    setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("XDG_RUNTIME_DIR");
    std::filesystem::remove_all(folder_);
  }
  std::filesystem::path folder_;
};

TEST_F(RunningLockTest, IsNamedForTheCompositorInTheRuntimeFolder) {
  EXPECT_EQ(RunningLockPath("wayland-1"), folder_.string() + "/zarmok-wayland-1.lock");
  EXPECT_EQ(RunningLockPath("/run/x/wayland-2"),
            folder_.string() + "/zarmok-_run_x_wayland-2.lock");
  setenv("XDG_RUNTIME_DIR", "relative", 1);
  EXPECT_EQ(RunningLockPath("wayland-1"), "");
}

TEST_F(RunningLockTest, OneSaverHoldsItUntilItLetsGo) {
  const std::string path = RunningLockPath("wayland-1");
  TRunningLock first(path);
  TRunningLock second(path);
  EXPECT_FALSE(second.HeldByAnyone());
  first.Hold(true);
  EXPECT_TRUE(second.HeldByAnyone());
  // A second saver does not take it over.
  second.Hold(true);
  first.Hold(false);
  EXPECT_FALSE(second.HeldByAnyone());
  second.Hold(true);
  EXPECT_TRUE(first.HeldByAnyone());
}

}  // namespace
}  // namespace zarmok::wl
