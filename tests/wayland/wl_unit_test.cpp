// The Wayland back end's parts that need no compositor: an output's pixels and the layout of a
// surface on it, and the running flag.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <string>

#include "wl_monitors.h"
#include "wl_running.h"

namespace zarmok::wl {
namespace {

TOutput Output(int32_t mode_width, int32_t mode_height, int32_t scale, int32_t logical_width,
               int32_t logical_height) {
  TOutput output;
  output.mode_width = mode_width;
  output.mode_height = mode_height;
  output.scale = scale;
  output.has_logical = true;
  output.logical_x = 800;
  output.logical_width = logical_width;
  output.logical_height = logical_height;
  return output;
}

TEST(WaylandOutput, IsAsLargeAsItsOwnPixelsAtItsPlaceInTheLayout) {
  // HiDPI: the layout's 400 x 300 units are the output's 800 x 600 pixels.
  EXPECT_EQ(PixelArea(Output(800, 600, 2, 400, 300)), (TWindowRect{800, 0, 1600, 600}));

  // Without xdg-output: the mode, turned with the output, at wl_output's position.
  TOutput turned;
  turned.mode_width = 1920;
  turned.mode_height = 1080;
  turned.transform = WL_OUTPUT_TRANSFORM_90;
  turned.x = 10;
  EXPECT_EQ(PixelArea(turned), (TWindowRect{10, 0, 1090, 1920}));
}

TEST(WaylandOutput, SurfaceShowsTheOutputsOwnPixels) {
  // A fractional scale (1.5, which wl_output rounds up to 2): through a viewport, a buffer of
  // the output's pixels shown at the surface's size; without one, the whole-number scale.
  const TOutput fractional = Output(1920, 1080, 2, 1280, 720);
  EXPECT_EQ(LayoutOn(fractional, 1280, 720, true), (TSurfaceLayout{{1920, 1080}, 1, {1280, 720}}));
  EXPECT_EQ(LayoutOn(fractional, 1280, 720, false), (TSurfaceLayout{{2560, 1440}, 2, {}}));
  // Before the shell says, the surface is the whole output.
  EXPECT_EQ(LayoutOn(fractional, 0, 0, false), LayoutOn(fractional, 1280, 720, false));
  // The buffer follows the output's mode, whatever size the shell has yet to tell.
  EXPECT_EQ(LayoutOn(Output(1024, 768, 1, 1024, 768), 800, 600, true).pixels,
            (TPixelSize{1024, 768}));

  TOutput plain;
  plain.mode_width = 800;
  plain.mode_height = 600;
  plain.scale = 2;
  plain.transform = WL_OUTPUT_TRANSFORM_270;
  EXPECT_EQ(LayoutOn(plain, 0, 0, false), (TSurfaceLayout{{600, 800}, 2, {}}));
}

TEST(WaylandRunningFlag, IsNamedForTheUserAndTheCompositorInAnAddress) {
  EXPECT_EQ(RunningFlagName(1000, "/run/user/1000/wayland-1"),
            "zarmok-running-1000-/run/user/1000/wayland-1");
  EXPECT_NE(RunningFlagName(1001, "/run/user/1000/wayland-1"),
            RunningFlagName(1000, "/run/user/1000/wayland-1"));
  const std::string deep = "/" + std::string(200, 'd') + "/wayland-1";
  const std::string name = RunningFlagName(1000, deep);
  EXPECT_LT(name.size(), sizeof(sockaddr_un::sun_path));
  EXPECT_NE(name, RunningFlagName(1000, "/" + std::string(200, 'd') + "/wayland-2"));
}

TEST(WaylandRunningFlag, OneSaverHoldsItUntilItLetsGo) {
  const std::string name = RunningFlagName(getuid(), "/test/" + std::to_string(getpid()));
  TRunningFlag first(name);
  TRunningFlag second(name);
  EXPECT_FALSE(second.HeldByAnyone());
  EXPECT_EQ(first.Raise(), "");
  EXPECT_TRUE(second.HeldByAnyone());
  // A second saver does not take it over, and says why.
  EXPECT_NE(second.Raise(), "");
  first.Lower();
  EXPECT_FALSE(second.HeldByAnyone());
  EXPECT_EQ(second.Raise(), "");
  EXPECT_TRUE(first.HeldByAnyone());
}

}  // namespace
}  // namespace zarmok::wl
