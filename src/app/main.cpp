// The saver program on Linux/X11.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fltk_ui.h"
#include "host.h"
#include "platform.h"
#include "settings.h"
#include "x11_display.h"
#include "x11_saver.h"

namespace {

void ReportError(const std::string& title, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", title.c_str(), message.c_str());
  std::fflush(stderr);
  zarmok::ui::ShowErrorBox(title, message);
}

// ZARMOK_STATS=1 prints what the loop measured when the saver ends.
void PrintStats(const zarmok::x11::TLoopStats& stats) {
  const char* wanted = std::getenv("ZARMOK_STATS");
  if (wanted == nullptr || wanted[0] == '\0' || wanted[0] == '0' || stats.loop_ns <= 0) return;
  const double seconds = static_cast<double>(stats.loop_ns) / 1e9;
  const double steps = static_cast<double>(stats.steps);
  std::fprintf(stderr,
               "zarmok stats: %lld steps in %.3f s = %.1f steps/s; per step %.1f us stepping, "
               "%.1f us presenting (%lld presents)\n",
               static_cast<long long>(stats.steps), seconds, steps / seconds,
               steps > 0 ? static_cast<double>(stats.step_ns) / steps / 1e3 : 0.0,
               steps > 0 ? static_cast<double>(stats.present_ns) / steps / 1e3 : 0.0,
               static_cast<long long>(stats.presents));
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  int code = 0;
  {
    zarmok::x11::TX11Saver saver(
        arguments,
        [] {
          return zarmok::ui::RunSettingsDialog(zarmok::SystemProfile(),
                                               zarmok::SettingsFilePath(zarmok::ProgramFilePath()));
        },
        ReportError);
    code = zarmok::RunProgram(arguments, saver);
    PrintStats(saver.Stats());
  }
  zarmok::x11::CloseDisplay();
  return code;
}
