#include "end_signals.h"

#include <sys/signalfd.h>
#include <unistd.h>

#include <initializer_list>

namespace zarmok::posix {

void TEndSignals::Catch() {
  if (descriptor_ >= 0) return;
  sigset_t ends;
  sigemptyset(&ends);
  for (const int signal_number : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&ends, signal_number);
  if (sigprocmask(SIG_BLOCK, &ends, &saved_mask_) != 0) return;
  descriptor_ = signalfd(-1, &ends, SFD_CLOEXEC | SFD_NONBLOCK);
  if (descriptor_ < 0) sigprocmask(SIG_SETMASK, &saved_mask_, nullptr);
}

void TEndSignals::Release() {
  if (descriptor_ < 0) return;
  close(descriptor_);
  descriptor_ = -1;
  sigprocmask(SIG_SETMASK, &saved_mask_, nullptr);
}

bool TEndSignals::Taken() {
  if (descriptor_ < 0) return false;
  signalfd_siginfo info{};
  return read(descriptor_, &info, sizeof info) == static_cast<ssize_t>(sizeof info);
}

}  // namespace zarmok::posix
