// Feeds arbitrary bytes to the settings store: the value reader, the load and save path over an
// in-memory profile, the Linux INI service over a real file, and that service's reading against
// the INI library's. Each path checks what must hold for every input, so a wrong answer stops
// the run as surely as a crash.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// The path of the one file the INI cases write, in a private folder.
const std::string& FuzzFilePath() {
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
  return path;
}

void WriteFuzzFile(const std::string& path, std::string_view body) {
  FILE* f = std::fopen(path.c_str(), "wb");
  Check(f != nullptr, "cannot write the fuzz file");
  std::fwrite(body.data(), 1, body.size(), f);
  std::fclose(f);
}

void FuzzIniFile(std::string_view body) {
  const std::string& path = FuzzFilePath();
  WriteFuzzFile(path, body);
  zarmok::TPosixProfile profile;
  for (const zarmok::TSettingKey& key : kSettingKeys) {
    const std::string text = profile.GetString(path, "Zarmok", key.name, "", 1024);
    Check(text.size() < 1024 && text.find('\0') == std::string::npos, "a value overran its buffer");
  }
  const std::string before = ReadWhole(path);
  if (profile.WriteStrings(path, "Zarmok", {{"BugSize", "30"}, {"MaxBugs", "7"}}) ==
      zarmok::TProfileWrite::Written) {
    Check(profile.GetString(path, "zarmok", "bugsize", "", 1024) == "30" &&
              profile.GetString(path, "ZARMOK", "maxbugs", "", 1024) == "7",
          "a written value does not read back");
    // Everything else reads as before, as the INI library reads it.
    const std::string after = ReadWhole(path);
    CSimpleIniA old_ini;
    CSimpleIniA new_ini;
    old_ini.LoadData(before.data(), before.size());
    new_ini.LoadData(after.data(), after.size());
    CSimpleIniA::TNamesDepend sections;
    old_ini.GetAllSections(sections);
    for (const auto& section : sections) {
      CSimpleIniA::TNamesDepend keys;
      old_ini.GetAllKeys(section.pItem, keys);
      for (const auto& key : keys) {
        if (zarmok::IniNamesMatch(section.pItem, "Zarmok") &&
            (zarmok::IniNamesMatch(key.pItem, "BugSize") ||
             zarmok::IniNamesMatch(key.pItem, "MaxBugs"))) {
          continue;
        }
        const char* was = old_ini.GetValue(section.pItem, key.pItem, "");
        const char* is = new_ini.GetValue(section.pItem, key.pItem, nullptr);
        Check(is != nullptr && std::strcmp(was, is) == 0, "a write changed another key");
      }
    }
  } else {
    Check(ReadWhole(path) == before, "a refused write changed the file");
  }
}

// The service reads every key of every section, as the INI library or its own reader finds
// them, exactly as the library does. Names with a line break are left out: only a header that
// never closes makes one (of the text after it, differently cut by each), and nobody can ask
// for it.
void FuzzReaderAgainstLibrary(std::string_view body) {
  const std::string& path = FuzzFilePath();
  WriteFuzzFile(path, body);
  CSimpleIniA library;
  library.SetQuotes(false);
  library.SetMultiLine(false);
  Check(library.LoadData(body.data(), body.size()) >= 0, "the library refused the text");
  std::vector<std::pair<std::string, std::string>> names;
  CSimpleIniA::TNamesDepend sections;
  library.GetAllSections(sections);
  for (const auto& section : sections) {
    CSimpleIniA::TNamesDepend keys;
    library.GetAllKeys(section.pItem, keys);
    for (const auto& key : keys) names.emplace_back(section.pItem, key.pItem);
  }
  zarmok::TIniEntries reader(body);
  for (zarmok::TIniEntry entry; reader.Next(entry);) {
    if (!entry.header) names.emplace_back(entry.section, entry.key);
  }
  zarmok::TPosixProfile profile;
  for (size_t i = 0; i < names.size() && i < 64; ++i) {
    const auto& [section, key] = names[i];
    if (section.find_first_of("\r\n") != std::string::npos) continue;
    std::string expected = library.GetValue(section.c_str(), key.c_str(), "\x01");
    expected.resize(std::min<size_t>(expected.size(), 1023));
    Check(profile.GetString(path, section, key, "\x01", 1024) == expected,
          "a value differs from the INI library's");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 4) {
    case 0:
      FuzzValueReader(rest);
      break;
    case 1:
      FuzzLoadAndSave(rest);
      break;
    case 2:
      FuzzIniFile(rest);
      break;
    default:
      FuzzReaderAgainstLibrary(rest);
      break;
  }
  return 0;
}
