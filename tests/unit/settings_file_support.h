// Helpers for the tests that drive the real private-profile service of the build's back end.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "settings.h"

namespace zarmok::testing {

// A fresh folder for one test, removed with everything in it afterwards.
class TScratchFolder {
 public:
  TScratchFolder();
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
// The lines of a text, CR LF or LF alike, blank lines left out.
std::vector<std::string> TextLines(const std::string& bytes);

// An INI file holding `body` that the back end's service cannot replace while the object
// lives. Each back end's tests provide it in the way that back end really refuses writes.
class TUnwritableIni {
 public:
  virtual ~TUnwritableIni() = default;
  virtual const std::string& Path() const = 0;
};
std::unique_ptr<TUnwritableIni> MakeUnwritableIni(const TScratchFolder& folder,
                                                  const std::string& body);

// Settings far from the defaults in every key, negative and extreme values among them.
inline TSaverSettings UnusualSettings() {
  TSaverSettings s;
  s.BugsType = 1;
  s.Speed = -5;
  s.BugPtnSize = 40;
  s.BugPtnExCyc = 0;
  s.MaxBugs = 20;
  s.BugSize = INT32_MIN;
  s.ImageListLen = 30;
  s.SunG = 800;
  s.BugG = 10;
  s.WallG = INT32_MAX;
  s.StopOnKey = false;
  s.StopOnMouseMove = true;
  s.StopOnMouseClick = false;
  return s;
}

}  // namespace zarmok::testing
