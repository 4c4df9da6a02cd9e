// The running flag of a Wayland session: a name in Linux's abstract socket namespace, for the
// user and the compositor, bound while a full-screen saver runs. It needs no folder (a missing
// or read-only runtime folder does not matter), and the system lets go of it with the process,
// however the process ends, so a saver that was killed never keeps every later start away.
#pragma once

#include <sys/types.h>

#include <string>

namespace zarmok::wl {

// The flag's name for `user` on the compositor listening at `socket_path`: short enough for a
// socket address whatever the path's length.
std::string RunningFlagName(uid_t user, const std::string& socket_path);

class TRunningFlag {
 public:
  explicit TRunningFlag(std::string name) : name_(std::move(name)) {}
  ~TRunningFlag() { Lower(); }
  TRunningFlag(const TRunningFlag&) = delete;
  TRunningFlag& operator=(const TRunningFlag&) = delete;

  // Raises the flag: "" when it is this program's now, else why it cannot be.
  std::string Raise();
  void Lower();
  // Whether a saver of this user holds the flag now, this program or another. A name taken by
  // another user's program is no saver of ours.
  bool HeldByAnyone() const;

 private:
  std::string name_;
  int fd_ = -1;
};

}  // namespace zarmok::wl
