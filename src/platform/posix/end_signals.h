// The signals that end a saver (SIGTERM from a host, SIGINT from Ctrl-C, SIGHUP), taken on a
// descriptor the loop waits on: no handler runs behind the program's back and nothing is
// shared with one.
#pragma once

#include <signal.h>

namespace zarmok::posix {

class TEndSignals {
 public:
  TEndSignals() = default;
  ~TEndSignals() { Release(); }
  TEndSignals(const TEndSignals&) = delete;
  TEndSignals& operator=(const TEndSignals&) = delete;

  // From now on the signals wait on the descriptor instead of ending the program.
  void Catch();
  // Their usual effect again; one that arrived meanwhile takes effect now.
  void Release();
  // Whether one has arrived (and takes it).
  bool Taken();
  // The descriptor to wait on; -1 while not caught.
  int Descriptor() const { return descriptor_; }

 private:
  int descriptor_ = -1;
  sigset_t saved_mask_{};
};

}  // namespace zarmok::posix
