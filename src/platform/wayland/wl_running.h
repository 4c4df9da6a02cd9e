// The running flag of a Wayland session: a lock file in the user's runtime folder, named for
// the compositor's socket, held (flock) while a full-screen saver runs. A lock, not a file that
// exists: the system lets go of it with the process, however the process ends, so a saver that
// was killed never leaves a flag that keeps every later start away.
#pragma once

#include <string>

namespace zarmok::wl {

// The lock file of the compositor whose socket is `socket_name` ($WAYLAND_DISPLAY: a name in
// the runtime folder, or an absolute path): $XDG_RUNTIME_DIR/zarmok-<name>.lock, the name's
// slashes made underscores; "" without a runtime folder.
std::string RunningLockPath(const std::string& socket_name);

class TRunningLock {
 public:
  explicit TRunningLock(std::string path) : path_(std::move(path)) {}
  ~TRunningLock() { Hold(false); }
  TRunningLock(const TRunningLock&) = delete;
  TRunningLock& operator=(const TRunningLock&) = delete;

  // Takes the lock (making the file, mode 0600) or lets go of it. A lock that another saver
  // holds is left to it.
  void Hold(bool held);
  // Whether a saver, this program's or another's, holds the lock now.
  bool HeldByAnyone() const;

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace zarmok::wl
