#include "settings.h"

#include <algorithm>
#include <string>
#include <vector>

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
  std::vector<std::string> names;
  for (const TSettingKey& key : kSettingKeys) names.emplace_back(key.name);
  // One read of the file for all keys: a file of many megabytes still opens the dialog at once.
  const std::vector<std::string> texts =
      profile.GetStrings(ini_path, kSettingsSection, names, "", kValueBufferSize);
  const TSaverSettings defaults;
  TSaverSettings settings;
  for (int k = 0; k < kSettingKeyCount; ++k) {
    const TSettingKey& key = kSettingKeys[k];
    const std::string& text = texts[static_cast<size_t>(k)];
    if (key.is_flag) {
      settings.*key.flag = ParseProfileInteger(text, (defaults.*key.flag) ? 1 : 0) != 0;
    } else {
      settings.*key.integer = ParseProfileInteger(text, defaults.*key.integer);
    }
  }
  return settings;
}

void SaveSettings(IPrivateProfile& profile, const std::string& ini_path,
                  const TSaverSettings& settings) {
  std::vector<TProfileEntry> entries;
  for (const TSettingKey& key : kSettingKeys) {
    entries.push_back({key.name, key.is_flag ? std::string(settings.*key.flag ? "1" : "0")
                                             : std::to_string(settings.*key.integer)});
  }
  switch (profile.WriteStrings(ini_path, kSettingsSection, entries)) {
    case TProfileWrite::Written:
      return;
    case TProfileWrite::NotProfile:
      throw EZarmokError(TWording{TTextId::NotSettingsFile, {ini_path}});
    case TProfileWrite::TooLarge:
      throw EZarmokError(TWording{TTextId::SettingsFileTooLarge, {ini_path}});
    case TProfileWrite::Refused:
      break;
  }
  throw EZarmokError(TWording{TTextId::CannotWrite, {ini_path}});
}

std::vector<std::string> IPrivateProfile::GetStrings(const std::string& file,
                                                     const std::string& section,
                                                     const std::vector<std::string>& keys,
                                                     const std::string& default_text,
                                                     size_t buffer_size) {
  std::vector<std::string> values;
  for (const std::string& key : keys) {
    values.push_back(GetString(file, section, key, default_text, buffer_size));
  }
  return values;
}

TProfileWrite IPrivateProfile::WriteStrings(const std::string& file, const std::string& section,
                                            const std::vector<TProfileEntry>& entries) {
  for (const TProfileEntry& entry : entries) {
    if (!WriteString(file, section, entry.key, entry.value)) return TProfileWrite::Refused;
  }
  return TProfileWrite::Written;
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
