// Helpers for the tests that drive the real private-profile service of the build's back end.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

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

}  // namespace zarmok::testing
