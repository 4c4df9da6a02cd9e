// Helpers for the tests of the Linux back end's file services: the environment they read, and
// runs as an ordinary user, which the rights of files and folders apply to as they do not to
// root.
#pragma once

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace zarmok::testing {

// Sets an environment variable for the life of the object, then puts the old value back.
class TEnv {
 public:
  TEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~TEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

inline constexpr uid_t kNobody = 65534;

// A folder under /tmp that the nobody user can reach, which the private scratch folders are not.
class TReachableFolder {
 public:
  explicit TReachableFolder(const char* pattern = "/tmp/zarmok-profile-XXXXXX") {
    std::string name = pattern;
    if (mkdtemp(name.data()) != nullptr && chmod(name.c_str(), 0755) == 0) path_ = name;
  }
  ~TReachableFolder() {
    if (path_.empty()) return;
    // Folders a test left read-only would keep their entries from being removed.
    std::error_code ignored;
    std::vector<std::filesystem::path> folders{path_};
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
      if (entry.is_directory(ignored) && !entry.is_symlink(ignored)) folders.push_back(entry);
    }
    for (const auto& folder : folders) chmod(folder.c_str(), 0755);
    std::filesystem::remove_all(path_, ignored);
  }
  TReachableFolder(const TReachableFolder&) = delete;
  TReachableFolder& operator=(const TReachableFolder&) = delete;
  bool Made() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  int Entries() const {
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(path_)) {
      ++entries;
    }
    return entries;
  }

 private:
  std::string path_;
};

// Runs `act` in a child process as an ordinary user and gives what it returned, or nothing when the
// child could not become that user or did not finish. Root may write any file, so a run as root
// hands `owned` to the nobody user and becomes it; anyone else already is ordinary.
inline std::optional<bool> AsOrdinaryUser(const std::vector<std::string>& owned,
                                          const std::function<bool()>& act) {
  const pid_t child = fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    if (geteuid() == 0) {
      for (const std::string& path : owned) {
        if (lchown(path.c_str(), kNobody, kNobody) != 0) _exit(3);
      }
      if (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0 ||
          setresuid(kNobody, kNobody, kNobody) != 0) {
        _exit(3);
      }
    }
    _exit(act() ? 0 : 1);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return std::nullopt;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) return std::nullopt;
  return WEXITSTATUS(status) == 0;
}

}  // namespace zarmok::testing
