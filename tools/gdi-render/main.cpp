// zarmok-gdi-render: runs the real saver session without a display, drawing each figure through
// GDI and through the software canvas, and tells how many pixels of the two pictures differ.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "DeskTop.h"
#include "errors.h"
#include "gdi_picture.h"
#include "headless_platform.h"
#include "run_options.h"
#include "session.h"
#include "settings.h"
#include "win32/win32_profile.h"
#include "win32/win32_program_path.h"
#include "win32/win32_text.h"

namespace {

using namespace zarmok;

constexpr const char* kUsage =
    "Usage: zarmok-gdi-render [options]\n"
    "Runs the Zarmok saver window without a display, drawing through GDI and through the\n"
    "software canvas at once, and prints the number of pixels where the two pictures differ.\n"
    "\n"
    "  --size WxH       client size after creation (default 800x600)\n"
    "  --seed N         seed of the random source (default: from the clock)\n"
    "  --steps N        idle steps to run (default 600)\n"
    "  --ini FILE       settings file (default: the file named after this program + .ini)\n"
    "  --gdi FILE       binary PPM of GDI's picture after the last step\n"
    "  --canvas FILE    binary PPM of the canvas's picture\n"
    "  --diff FILE      binary PPM: white where the pictures differ, black elsewhere\n"
    "  --help           this text\n"
    "\n"
    "Exit codes: 0 done, 2 bad options or a file that cannot be written.\n";

struct TOptions : tools::TRunOptions {
  TOptions() { steps = 600; }
  std::optional<std::string> gdi;
  std::optional<std::string> canvas;
  std::optional<std::string> diff;
};

[[noreturn]] void Fail(const std::string& message) {
  tools::FailOption("zarmok-gdi-render", message);
}

TOptions Parse(int argc, char** argv) {
  TOptions o;
  tools::TOptionReader reader("zarmok-gdi-render", kUsage, argc, argv);
  while (const std::optional<std::string> arg = reader.Next()) {
    if (reader.TakeRunOption(*arg, o)) continue;
    if (*arg == "--gdi") {
      o.gdi = reader.Value();
    } else if (*arg == "--canvas") {
      o.canvas = reader.Value();
    } else if (*arg == "--diff") {
      o.diff = reader.Value();
    } else {
      reader.Unknown(*arg);
    }
  }
  return o;
}

// `pixel(x, y)` gives 0x00RRGGBB.
template <typename Pixel>
void WritePpm(const std::string& path, int32_t width, int32_t height, Pixel pixel) {
  char header[64];
  std::snprintf(header, sizeof header, "P6\n%d %d\n255\n", width, height);
  std::string out = header;
  out.reserve(out.size() + static_cast<size_t>(width) * height * 3);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t p = pixel(x, y);
      out += static_cast<char>((p >> 16) & 0xFF);
      out += static_cast<char>((p >> 8) & 0xFF);
      out += static_cast<char>(p & 0xFF);
    }
  }
  std::ofstream file(path, std::ios::binary);
  file << out;
  file.close();
  if (!file) Fail("cannot write " + path);
}

// The profile service looks for a bare or relative file name in the Windows folder, not in the
// current one: a name given on the command line means the file the user sees from here.
std::string FullPath(const std::string& path) {
  const std::wstring wide = win32::WideText(path);
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) Fail("cannot make a full path of " + path);
  std::wstring full(needed, L'\0');
  const DWORD written = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (written == 0 || written >= needed) Fail("cannot make a full path of " + path);
  full.resize(written);
  return win32::Utf8Text(full);
}

}  // namespace

int main(int argc, char** argv) {
  const TOptions o = Parse(argc, argv);
  win32::TWin32Profile profile;
  const std::string ini = o.ini ? FullPath(*o.ini) : SettingsFilePath(win32::ProgramFilePath());
  // The saver's own session on one monitor of the size asked for: the window is born at the
  // resource's client size, then covers the monitor and is painted, as on a screen.
  tools::THeadlessPlatform platform(profile, ini, {TWindowRect{0, 0, o.width, o.height}});
  platform.MakeSecondPictures([] { return std::make_unique<TGdiPicture>(); });
  TSaverSession session(platform, {"/s"}, o.seed);
  session.ObserveSteps([&](int64_t step) { return step < o.steps; });
  try {
    session.Create(0);
    session.Run();
  } catch (const EZarmokError& error) {
    Fail(std::string("GDI refused the picture: ") + error.what());
  }

  // The run has ended; its window is still there until the session goes.
  const tools::THeadlessWindow& window = *platform.Windows().front();
  const TRasterCanvas& raster = session.Picture(0);
  const TGdiPicture& gdi = GdiPictureOf(window);
  const int64_t differing = CountDiffering(raster, gdi);
  if (o.gdi) {
    WritePpm(*o.gdi, o.width, o.height, [&](int32_t x, int32_t y) { return gdi.PixelAt(x, y); });
  }
  if (o.canvas) {
    WritePpm(*o.canvas, o.width, o.height,
             [&](int32_t x, int32_t y) { return raster.PixelAt(x, y); });
  }
  if (o.diff) {
    WritePpm(*o.diff, o.width, o.height, [&](int32_t x, int32_t y) {
      return raster.PixelAt(x, y) == gdi.PixelAt(x, y) ? 0u : 0xFFFFFFu;
    });
  }
  std::printf("seed %u size %dx%d steps %lld differing %lld\n", session.Window(0).Random.LastSeed(),
              o.width, o.height, static_cast<long long>(o.steps),
              static_cast<long long>(differing));
  return 0;
}
