// The settings dialog's two steps on a settings file of many megabytes, through the Linux
// service: the load that fills the dialog and the save of OK. Writes a valid file of the given
// size (other sections of eight keys each after [Zarmok]) into a temporary folder and prints the
// slowest of five of each, in milliseconds.
//   zarmok_settings_file [MEGABYTES, default 11]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "posix/user_config.h"
#include "settings.h"

namespace {

using TClock = std::chrono::steady_clock;

double MillisecondsSince(TClock::time_point start) {
  return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 11.0;
  std::string folder = (std::filesystem::temp_directory_path() / "zarmok-settings-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) return 1;
  const std::string file = folder + "/zarmok.ini";
  std::string body = "[Zarmok]\nMaxBugs=5\n";
  for (int section = 0; body.size() < megabytes * 1024 * 1024; ++section) {
    body += "[Section" + std::to_string(section) + "]\n";
    for (int key = 0; key < 8; ++key) {
      body += "Key" + std::to_string(key) + "=value " + std::to_string(section * 8 + key) + "\n";
    }
  }
  std::ofstream(file, std::ios::binary) << body;

  zarmok::posix::TUserSettingsProfile profile;
  double load = 0;
  double save = 0;
  for (int run = 0; run < 5; ++run) {
    TClock::time_point start = TClock::now();
    zarmok::TSaverSettings settings = zarmok::LoadSettings(profile, file);
    load = std::max(load, MillisecondsSince(start));
    settings.MaxBugs = 6 + run;
    start = TClock::now();
    zarmok::SaveSettings(profile, file, settings);
    save = std::max(save, MillisecondsSince(start));
  }
  std::printf("%.1f MB settings file: load %.1f ms, save %.1f ms (slowest of 5)\n",
              static_cast<double>(body.size()) / (1024 * 1024), load, save);
  std::filesystem::remove_all(folder);
  return 0;
}
