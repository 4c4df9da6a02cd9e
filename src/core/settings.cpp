#include "settings.h"

#include <algorithm>
#include <string>

#include "errors.h"
#include "integer_text.h"
#include "texts.h"

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

int32_t ParseProfileInteger(std::string_view text, int32_t default_value) {
  // What a caller's buffer holds ends at the first NUL.
  text = text.substr(0, std::min(text.find('\0'), text.size()));
  std::string work(text);
  if (work.size() > 2 && work[0] == '0' && (work[1] == 'x' || work[1] == 'X')) {
    work.replace(0, 2, "$");
  }
  return ParseIntegerText(work).value_or(default_value);
}

std::string SettingsFilePath(const std::string& program_path) {
  return program_path + ".ini";
}

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
      settings.*key.integer =
          ReadProfileInteger(profile, ini_path, key.name, defaults.*key.integer);
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
      throw EZarmokError(WordText(TTextId::CannotWrite, TLanguage::Japanese, {ini_path}));
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
