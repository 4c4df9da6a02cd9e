// Feeds arbitrary bytes to the settings store: the value reader, the load and save path over an
// in-memory profile, and the Linux INI service over a real file, against the INI library. Each
// path checks what must hold for every input, so a wrong answer stops the run as surely as a
// crash.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fake/memory_profile.h"
#include "posix/ini_text.h"
#include "posix/profile_posix.h"
#include "settings.h"

namespace {

using zarmok::kSettingKeys;
using zarmok::TSaverSettings;

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "settings_fuzz: %s\n", what);
    std::abort();
  }
}

void FuzzValueReader(std::string_view text) {
  const int32_t fallback = 12345;
  const int32_t value = zarmok::ParseProfileInteger(text, fallback);
  if (value != fallback) {
    Check(zarmok::ParseProfileInteger(std::to_string(value), fallback - 1) == value,
          "a value read does not read back from its decimal text");
  }
  // A NUL ends the text as a caller's buffer ends it.
  Check(zarmok::ParseProfileInteger(std::string(text) + '\0' + "9", fallback) == value,
        "text after a NUL changed the value");
}

void FuzzLoadAndSave(std::string_view data) {
  zarmok::testing::TMemoryProfile profile;
  const std::string ini = "/fuzz/zarmok.ini";
  // The input is cut into up to 13 values at '\n'.
  std::string values[zarmok::kSettingKeyCount];
  size_t at = 0;
  for (int k = 0; k < zarmok::kSettingKeyCount && at <= data.size(); ++k) {
    const size_t end = std::min(data.find('\n', at), data.size());
    values[k] = std::string(data.substr(at, end - at));
    profile.Set(ini, "ZARMOK", kSettingKeys[k].name, values[k]);
    at = end + 1;
  }
  const TSaverSettings loaded = zarmok::LoadSettings(profile, ini);
  const TSaverSettings defaults;
  for (int k = 0; k < zarmok::kSettingKeyCount; ++k) {
    const zarmok::TSettingKey& key = kSettingKeys[k];
    const std::string seen = values[k].substr(0, zarmok::kValueBufferSize - 1);
    if (key.is_flag) {
      const int32_t v = zarmok::ParseProfileInteger(seen, (defaults.*key.flag) ? 1 : 0);
      Check((loaded.*key.flag) == (v != 0), "a flag differs from its text");
    } else {
      const int32_t v = zarmok::ParseProfileInteger(seen, defaults.*key.integer);
      Check((loaded.*key.integer) == v, "an integer differs from its text");
    }
  }
  zarmok::SaveSettings(profile, ini, loaded);
  Check(zarmok::LoadSettings(profile, ini) == loaded, "save then load changed a setting");

  const zarmok::TSaverSettings used = zarmok::HoldToSafeLimits(loaded);
  Check(used.MaxBugs >= 0 && used.MaxBugs <= zarmok::kMaxBugsLimit, "MaxBugs left its limits");
  Check(used.BugPtnSize >= 0 && used.BugPtnSize <= zarmok::kBugPtnSizeLimit,
        "BugPtnSize left its limits");
  Check(used.ImageListLen >= 1 && used.ImageListLen <= zarmok::kImageListLenLimit,
        "ImageListLen left its limits");
}

std::string ReadWhole(const std::string& path) {
  std::string bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, got);
    std::fclose(f);
  }
  return bytes;
}

void FuzzIniFile(std::string_view body) {
  // The folder's name outlives every other static, so the clean-up at exit can still read it.
  static char folder[] = "/dev/shm/zarmok-fuzz-XXXXXX";
  static const std::string path = [] {
    // Memory-backed when the host has it: every write syncs, and a disk would set the pace.
    if (access("/dev/shm", W_OK) != 0) std::memcpy(folder, "/tmp/zarmok-fuzz-XXXXXX", 24);
    Check(mkdtemp(folder) != nullptr, "no temporary folder");
    // libFuzzer ends a timed run through exit(): leave no folder behind in shared memory.
    std::atexit([] {
      char file[sizeof folder + 16];
      std::snprintf(file, sizeof file, "%s/zarmok.ini", folder);
      unlink(file);
      rmdir(folder);
    });
    return std::string(folder) + "/zarmok.ini";
  }();
  FILE* f = std::fopen(path.c_str(), "wb");
  Check(f != nullptr, "cannot write the fuzz file");
  std::fwrite(body.data(), 1, body.size(), f);
  std::fclose(f);

  // The service reads as the INI library reads: the keys of the store, and every key the library
  // finds, before the write and, but for the one written, after it. (Sections named across a
  // line break come only of a header that never closes, cut differently by each reader; nobody
  // can ask for them.)
  CSimpleIniA library;
  library.SetQuotes(false);
  library.SetMultiLine(false);
  library.LoadData(body.data(), body.size());
  const auto library_value = [&library](const char* section, const char* key) {
    std::string text = library.GetValue(section, key, "\x01");
    text.resize(std::min<size_t>(text.size(), 1023));
    return text;
  };
  zarmok::posix::TPosixProfile profile;
  for (const zarmok::TSettingKey& key : kSettingKeys) {
    Check(profile.GetString(path, "Zarmok", key.name, "\x01", 1024) ==
              library_value("Zarmok", key.name),
          "a value differs from the INI library's");
  }
  const std::string before = ReadWhole(path);
  const bool written = profile.WriteString(path, "Zarmok", "BugSize", "30");
  CSimpleIniA::TNamesDepend sections;
  library.GetAllSections(sections);
  for (const auto& section : sections) {
    CSimpleIniA::TNamesDepend keys;
    library.GetAllKeys(section.pItem, keys);
    for (const auto& key : keys) {
      if (std::strpbrk(section.pItem, "\r\n") != nullptr ||
          (zarmok::posix::IniNamesMatch(section.pItem, "Zarmok") &&
           zarmok::posix::IniNamesMatch(key.pItem, "BugSize"))) {
        continue;
      }
      Check(profile.GetString(path, section.pItem, key.pItem, "\x01", 1024) ==
                library_value(section.pItem, key.pItem),
            "a value differs from the INI library's");
    }
  }
  if (written) {
    Check(profile.GetString(path, "zarmok", "bugsize", "", 1024) == "30",
          "a written value does not read back");
  } else {
    Check(ReadWhole(path) == before, "a refused write changed the file");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 3) {
    case 0:
      FuzzValueReader(rest);
      break;
    case 1:
      FuzzLoadAndSave(rest);
      break;
    default:
      FuzzIniFile(rest);
      break;
  }
  return 0;
}
