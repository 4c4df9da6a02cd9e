// zarmok-render: runs the real saver window on a headless host and writes what it drew.
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "DeskTop.h"
#include "headless_host.h"
#include "png_writer.h"
#include "posix/user_config.h"
#include "session.h"
#include "settings.h"
#include "trace_writer.h"

namespace {

using namespace zarmok;

constexpr const char* kUsage =
    "Usage: zarmok-render [options]\n"
    "Runs the Zarmok saver window without a display and writes the picture it draws.\n"
    "\n"
    "  --size WxH       client size after creation (default 800x600); the swarm is born\n"
    "                   in 427x273 as in a real window, then the window takes this size\n"
    "  --seed N         seed of the random source (default: from the clock)\n"
    "  --steps N        idle steps to run (default 1000)\n"
    "  --ini FILE       settings file (default: the saver's own, zarmok/zarmok.ini in\n"
    "                   $XDG_CONFIG_HOME or else ~/.config)\n"
    "  --png FILE       PNG of the frame after the last step\n"
    "  --frames DIR     a PNG every K steps into DIR (frame-000000.png is step 0)\n"
    "  --every K        the K of --frames (default 1)\n"
    "  --trace FILE     JSON lines: a header, then every live bug after each step\n"
    "  --help           this text\n"
    "\n"
    "Exit codes: 0 done, 2 bad options or a file that cannot be written.\n";

struct TOptions {
  int32_t width = 800;
  int32_t height = 600;
  std::optional<uint32_t> seed;
  int64_t steps = 1000;
  std::optional<std::string> ini;
  std::optional<std::string> png;
  std::optional<std::string> frames;
  int64_t every = 1;
  std::optional<std::string> trace;
};

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "zarmok-render: %s\n", message.c_str());
  std::exit(2);
}

// A whole decimal number in [lo, hi], or nothing.
std::optional<int64_t> ParseNumber(std::string_view text, int64_t lo, int64_t hi) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  if (v < lo || v > hi) return std::nullopt;
  return v;
}

TOptions Parse(int argc, char** argv) {
  TOptions o;
  bool every_given = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    }
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) Fail(arg + " needs a value (see --help)");
      return argv[++i];
    };
    if (arg == "--size") {
      const std::string v = value();
      const size_t x = v.find_first_of("xX");
      const auto w = x == std::string::npos ? std::nullopt : ParseNumber(v.substr(0, x), 1, 16384);
      const auto h = x == std::string::npos ? std::nullopt : ParseNumber(v.substr(x + 1), 1, 16384);
      if (!w || !h) Fail("--size wants WxH with each side 1 to 16384, not '" + v + "'");
      o.width = static_cast<int32_t>(*w);
      o.height = static_cast<int32_t>(*h);
    } else if (arg == "--seed") {
      const std::string v = value();
      const auto s = ParseNumber(v, 0, UINT32_MAX);
      if (!s) Fail("--seed wants a number from 0 to 4294967295, not '" + v + "'");
      o.seed = static_cast<uint32_t>(*s);
    } else if (arg == "--steps") {
      const std::string v = value();
      const auto s = ParseNumber(v, 0, INT64_C(1000000000000));
      if (!s) Fail("--steps wants a number from 0 up, not '" + v + "'");
      o.steps = *s;
    } else if (arg == "--every") {
      const std::string v = value();
      const auto s = ParseNumber(v, 1, INT64_C(1000000000000));
      if (!s) Fail("--every wants a number from 1 up, not '" + v + "'");
      o.every = *s;
      every_given = true;
    } else if (arg == "--ini") {
      o.ini = value();
    } else if (arg == "--png") {
      o.png = value();
    } else if (arg == "--frames") {
      o.frames = value();
    } else if (arg == "--trace") {
      o.trace = value();
    } else {
      Fail("unknown option '" + arg + "' (see --help)");
    }
  }
  if (every_given && !o.frames) Fail("--every goes with --frames");
  return o;
}

void WriteFrame(const TRasterCanvas& canvas, const std::string& dir, int64_t step) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame-%06" PRId64 ".png", step);
  const std::string error = render::WritePng(canvas, dir + name);
  if (!error.empty()) Fail(error);
}

}  // namespace

int main(int argc, char** argv) {
  const TOptions o = Parse(argc, argv);

  if (o.frames) {
    struct stat st {};
    if (stat(o.frames->c_str(), &st) != 0 && mkdir(o.frames->c_str(), 0777) != 0) {
      Fail("cannot make the folder " + *o.frames + ": " + std::strerror(errno));
    }
  }
  render::TTraceWriter trace;
  std::string error;
  if (o.trace && !trace.Open(*o.trace, error)) Fail(error);

  // Without --ini, the file the saver itself reads, read by the saver's own rules.
  const std::string ini = o.ini ? *o.ini : UserSettingsFilePath();
  IPrivateProfile& profile = o.ini ? SystemProfile() : UserSettingsProfile();
  THeadlessHost host;  // the resource's client size while the window is created
  TDesktopHost context{host, host, profile, ini};
  context.Seed = o.seed;
  TDesktopWindow window(context);
  window.FormCreate();
  host.Resize(o.width, o.height);
  window.FormPaint();

  if (trace.IsOpen()) {
    trace.Header(window.Random.LastSeed(), kBirthClientWidth, kBirthClientHeight, o.width, o.height,
                 window.Loaded(), window.Used());
    trace.Step(0, window, false);
  }
  if (o.frames) WriteFrame(host.Raster(), *o.frames, 0);

  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  auto last_report = start;
  bool reported = false;
  for (int64_t step = 1; step <= o.steps; ++step) {
    host.RunIdle();
    if (trace.IsOpen()) trace.Step(step, window, true);
    if (o.frames && step % o.every == 0) WriteFrame(host.Raster(), *o.frames, step);
    if ((step & 255) == 0) {
      const auto now = Clock::now();
      if (now - start > std::chrono::seconds(3) && now - last_report > std::chrono::seconds(1)) {
        const double secs = std::chrono::duration<double>(now - start).count();
        std::fprintf(stderr,
                     "\rzarmok-render: step %" PRId64 " of %" PRId64 " (%.0f%%, %.0f steps/s)",
                     step, o.steps, 100.0 * step / o.steps, step / secs);
        std::fflush(stderr);
        last_report = now;
        reported = true;
      }
    }
  }
  if (reported) std::fputc('\n', stderr);

  if (o.png) {
    error = render::WritePng(host.Raster(), *o.png);
    if (!error.empty()) Fail(error);
  }
  if (!trace.Close()) Fail("cannot write " + *o.trace);
  return 0;
}
