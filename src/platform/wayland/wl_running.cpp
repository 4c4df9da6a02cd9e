#include "wl_running.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace zarmok::wl {

std::string RunningLockPath(const std::string& socket_name) {
  const char* folder = std::getenv("XDG_RUNTIME_DIR");
  if (folder == nullptr || folder[0] != '/') return {};
  std::string name = socket_name;
  std::replace(name.begin(), name.end(), '/', '_');
  return std::string(folder) + "/zarmok-" + name + ".lock";
}

void TRunningLock::Hold(bool held) {
  if (held && fd_ < 0 && !path_.empty()) {
    fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ >= 0 && flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      close(fd_);
      fd_ = -1;
    }
  } else if (!held && fd_ >= 0) {
    // The file stays: taken away, a saver starting now could lock a file nobody else sees.
    flock(fd_, LOCK_UN);
    close(fd_);
    fd_ = -1;
  }
}

bool TRunningLock::HeldByAnyone() const {
  if (fd_ >= 0) return true;
  if (path_.empty()) return false;
  const int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  const bool free = flock(fd, LOCK_SH | LOCK_NB) == 0;
  close(fd);
  return !free;
}

}  // namespace zarmok::wl
