#include "wl_running.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace zarmok::wl {
namespace {

// The address of an abstract name: a NUL, then the name, which is not NUL-terminated.
socklen_t AddressOf(const std::string& name, sockaddr_un& address) {
  address = sockaddr_un{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path + 1, name.data(), name.size());
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

}  // namespace

std::string RunningFlagName(uid_t user, const std::string& socket_path) {
  const std::string prefix = "zarmok-running-" + std::to_string(user) + "-";
  std::string name = prefix + socket_path;
  if (name.size() < sizeof(sockaddr_un::sun_path)) return name;
  // A path too long for an address is known by its FNV-1a hash instead.
  uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : socket_path) hash = (hash ^ c) * 1099511628211ull;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return prefix + text;
}

std::string TRunningFlag::Raise() {
  if (fd_ >= 0) return {};
  fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  sockaddr_un address;
  const socklen_t length = AddressOf(name_, address);
  if (fd_ >= 0 && bind(fd_, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
      listen(fd_, SOMAXCONN) == 0) {
    return {};
  }
  const std::string why = "@" + name_ + ": " + std::strerror(errno);
  Lower();
  return why;
}

void TRunningFlag::Lower() {
  if (fd_ < 0) return;
  close(fd_);
  fd_ = -1;
}

bool TRunningFlag::HeldByAnyone() const {
  if (fd_ >= 0) return true;
  const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (probe < 0) return false;
  sockaddr_un address;
  const socklen_t length = AddressOf(name_, address);
  bool held = false;
  if (connect(probe, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
    ucred peer{};
    socklen_t size = sizeof peer;
    held = getsockopt(probe, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == getuid();
  } else {
    // A flag whose queue is full of earlier questions is still up.
    held = errno == EAGAIN;
  }
  close(probe);
  return held;
}

}  // namespace zarmok::wl
