// zarmok-hack: the saver as a screen-saver host's display program. The host names the window
// to draw into (-window-id, or XSCREENSAVER_WINDOW as a hexadecimal 0x... id); this starts
// the zarmok beside this program in preview mode inside that window, with the id written as
// the pane handle the saver reads, so a host's configuration needs no shell arithmetic.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "hack_args.h"

namespace {

// The folder of this program's own file, through every symbolic link, so the saver is found
// wherever the pair is installed and however this was started.
std::string OwnFolder(const char* argv0) {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  std::string own = length > 0 ? std::string(path, static_cast<size_t>(length)) : argv0;
  const size_t slash = own.rfind('/');
  return slash == std::string::npos ? std::string(".") : own.substr(0, slash);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const char* variable = std::getenv("XSCREENSAVER_WINDOW");
  const zarmok::hack::THackLaunch launch = zarmok::hack::ChooseLaunch(
      arguments, variable != nullptr ? std::optional<std::string>(variable) : std::nullopt);
  if (!launch.refusal.empty()) {
    std::fprintf(stderr, "zarmok-hack: %s\n", launch.refusal.c_str());
    return 2;
  }

  const std::string saver = OwnFolder(argc > 0 ? argv[0] : "") + "/zarmok";
  std::vector<char*> saver_argv;
  saver_argv.push_back(const_cast<char*>(saver.c_str()));
  for (const std::string& argument : launch.saver_arguments) {
    saver_argv.push_back(const_cast<char*>(argument.c_str()));
  }
  saver_argv.push_back(nullptr);
  execv(saver.c_str(), saver_argv.data());
  const int error = errno;
  std::fprintf(stderr, "zarmok-hack: cannot run %s: %s\n", saver.c_str(), std::strerror(error));
  return error == ENOENT ? 127 : 126;
}
