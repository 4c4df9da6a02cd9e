// zarmok-wl-seeded SEED STEPS: the real full-screen session on the Wayland back end, each
// output's swarm seeded as the session seeds it (SEED for the first output, SEED + 1 for the
// next, ...), stopped after STEPS idle steps. It then prints "drawn" and keeps the windows,
// answering the compositor so that the last picture reaches the screen, until its input ends:
// a screenshot can be set against zarmok-render's picture of the same seed and size.
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "posix/password_posix.h"
#include "posix/user_config.h"
#include "session.h"
#include "wl_connection.h"
#include "wl_desktop.h"

int main(int argc, char** argv) {
  using namespace zarmok;
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s SEED STEPS\n", argv[0]);
    return 2;
  }
  const auto seed = static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10));
  const int64_t steps = std::strtoll(argv[2], nullptr, 10);
  wl::TWaylandConnection connection;
  posix::TUserSettingsProfile profile;
  posix::TPosixPasswords passwords;
  wl::TWaylandDesktop desktop(connection,
                              {profile, passwords, [](auto&, auto&) {}, TLanguage::English});
  if (!connection.Unusable().Empty()) {
    std::fprintf(stderr, "%s\n", connection.Unusable().In(TLanguage::English).c_str());
    return 1;
  }
  try {
    TSaverSession session(desktop, {"/s"}, seed);
    session.ObserveSteps([steps](int64_t step) { return step < steps; });
    session.Create(0);
    session.Run();
    std::cout << "drawn" << std::endl;
    ISaverPlatform& platform = desktop.SaverPlatform();
    pollfd input{STDIN_FILENO, POLLIN, 0};
    char byte = 0;
    while (poll(&input, 1, 0) == 0 || read(STDIN_FILENO, &byte, 1) > 0) {
      platform.HandlePendingMessages();
      platform.WaitForInput(100);
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
