#include "settings.h"

#include <algorithm>
#include <string>

#include "errors.h"

namespace zarmok {

const TSettingKey kSettingKeys[kSettingKeyCount] = {
    {"BugsType", false, &TSaverSettings::BugsType, nullptr},
    {"Speed", false, &TSaverSettings::Speed, nullptr},
    {"BugPtnSize", false, &TSaverSettings::BugPtnSize, nullptr},
    {"BugPtnExCyc", false, &TSaverSettings::BugPtnExCyc, nullptr},
    {"MaxBugs", false, &TSaverSettings::MaxBugs, nullptr},
    {"BugSize", false, &TSaverSettings::BugSize, nullptr},
    {"ImageListLen", false, &TSaverSettings::ImageListLen, nullptr},
    {"SunG", false, &TSaverSettings::SunG, nullptr},
    {"BugG", false, &TSaverSettings::BugG, nullptr},
    {"WallG", false, &TSaverSettings::WallG, nullptr},
    {"StopOnKey", true, nullptr, &TSaverSettings::StopOnKey},
    {"StopOnMouseMove", true, nullptr, &TSaverSettings::StopOnMouseMove},
    {"StopOnMouseClick", true, nullptr, &TSaverSettings::StopOnMouseClick},
};

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int32_t ParseProfileInteger(std::string_view text, int32_t default_value) {
  // What a caller's buffer holds ends at the first NUL.
  text = text.substr(0, std::min(text.find('\0'), text.size()));
  std::string work(text);
  if (work.size() > 2 && work[0] == '0' && (work[1] == 'x' || work[1] == 'X')) {
    work.replace(0, 2, "$");
  }
  size_t i = 0;
  while (i < work.size() && work[i] == ' ') ++i;
  if (i == work.size()) return default_value;

  if (work[i] == '$') {
    ++i;
    if (i == work.size()) return default_value;
    uint64_t value = 0;
    for (; i < work.size(); ++i) {
      const int digit = HexDigit(work[i]);
      if (digit < 0) return default_value;
      value = value * 16 + static_cast<uint64_t>(digit);
      if (value > 0xFFFFFFFFull) return default_value;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
  }

  bool negative = false;
  if (work[i] == '+' || work[i] == '-') {
    negative = work[i] == '-';
    ++i;
  }
  if (i == work.size()) return default_value;
  const uint64_t limit = negative ? 2147483648ull : 2147483647ull;
  uint64_t value = 0;
  for (; i < work.size(); ++i) {
    const char c = work[i];
    if (c < '0' || c > '9') return default_value;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > limit) return default_value;
  }
  return negative ? static_cast<int32_t>(-static_cast<int64_t>(value))
                  : static_cast<int32_t>(value);
}

std::string SettingsFilePath(const std::string& program_path) { return program_path + ".ini"; }

int32_t ReadProfileInteger(IPrivateProfile& profile, const std::string& ini_path, const char* key,
                           int32_t default_value) {
  const std::string text = profile.GetString(ini_path, kSettingsSection, key, "", kValueBufferSize);
  return ParseProfileInteger(text, default_value);
}

TSaverSettings LoadSettings(IPrivateProfile& profile, const std::string& ini_path) {
  const TSaverSettings defaults;
  TSaverSettings settings;
  for (const TSettingKey& key : kSettingKeys) {
    if (key.is_flag) {
      const int32_t fallback = (defaults.*key.flag) ? 1 : 0;
      settings.*key.flag = ReadProfileInteger(profile, ini_path, key.name, fallback) != 0;
    } else {
      settings.*key.integer = ReadProfileInteger(profile, ini_path, key.name, defaults.*key.integer);
    }
  }
  return settings;
}

void SaveSettings(IPrivateProfile& profile, const std::string& ini_path,
                  const TSaverSettings& settings) {
  for (const TSettingKey& key : kSettingKeys) {
    const std::string text = key.is_flag ? std::string(settings.*key.flag ? "1" : "0")
                                         : std::to_string(settings.*key.integer);
    if (!profile.WriteString(ini_path, kSettingsSection, key.name, text)) {
      throw EZarmokError(FormatMessage("%s に書き込めません", ini_path));
    }
  }
}

TSaverSettings HoldToSafeLimits(const TSaverSettings& loaded) {
  TSaverSettings used = loaded;
  used.MaxBugs = std::clamp(loaded.MaxBugs, 0, kMaxBugsLimit);
  used.BugPtnSize = std::clamp(loaded.BugPtnSize, 0, kBugPtnSizeLimit);
  used.ImageListLen = std::clamp(loaded.ImageListLen, 1, kImageListLenLimit);
  used.BugSize = std::clamp(loaded.BugSize, -kBugSizeLimit, kBugSizeLimit);
  return used;
}

}  // namespace zarmok
