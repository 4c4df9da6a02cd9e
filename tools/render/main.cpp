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
#include "headless_platform.h"
#include "png_writer.h"
#include "posix/profile_posix.h"
#include "posix/user_config.h"
#include "run_options.h"
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

struct TOptions : tools::TRunOptions {
  TOptions() { steps = 1000; }
  std::optional<std::string> png;
  std::optional<std::string> frames;
  int64_t every = 1;
  std::optional<std::string> trace;
};

[[noreturn]] void Fail(const std::string& message) {
  tools::FailOption("zarmok-render", message);
}

TOptions Parse(int argc, char** argv) {
  TOptions o;
  bool every_given = false;
  tools::TOptionReader reader("zarmok-render", kUsage, argc, argv);
  while (const std::optional<std::string> arg = reader.Next()) {
    if (reader.TakeRunOption(*arg, o)) continue;
    if (*arg == "--every") {
      o.every = reader.CountValue(*arg);
      every_given = true;
    } else if (*arg == "--png") {
      o.png = reader.Value();
    } else if (*arg == "--frames") {
      o.frames = reader.Value();
    } else if (*arg == "--trace") {
      o.trace = reader.Value();
    } else {
      reader.Unknown(*arg);
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
  posix::TPosixProfile any_file;
  posix::TUserSettingsProfile user_file;
  const std::string ini = o.ini ? *o.ini : posix::UserSettingsFilePath();
  IPrivateProfile& profile = o.ini ? static_cast<IPrivateProfile&>(any_file) : user_file;
  tools::THeadlessPlatform platform(profile, ini, {TWindowRect{0, 0, o.width, o.height}});
  TSaverSession session(platform, {"/s"}, o.seed);

  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  auto last_report = start;
  bool reported = false;
  // Called once the window is painted at its size (step 0), then after every idle step.
  session.ObserveSteps([&](int64_t step) {
    const TDesktopWindow& window = session.Window(0);
    const TRasterCanvas& picture = session.Picture(0);
    if (trace.IsOpen()) {
      if (step == 0) {
        trace.Header(window.Random.LastSeed(), kBirthClientWidth, kBirthClientHeight, o.width,
                     o.height, window.Loaded(), window.Used());
      }
      trace.Step(step, window, step > 0);
    }
    if (o.frames && step % o.every == 0) WriteFrame(picture, *o.frames, step);
    if ((step & 255) == 0 && step > 0) {
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
    if (step == o.steps && o.png) {
      error = render::WritePng(picture, *o.png);
      if (!error.empty()) Fail(error);
    }
    return step < o.steps;
  });
  session.Create(0);
  session.Run();
  if (reported) std::fputc('\n', stderr);

  if (!trace.Close()) Fail("cannot write " + *o.trace);
  return 0;
}
