// The settings store: 13 settings in section "Zarmok" of the INI file named after the program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform.h"

namespace zarmok {

struct TSaverSettings {
  int32_t BugsType = 0;
  int32_t Speed = 10;
  int32_t BugPtnSize = 12;
  int32_t BugPtnExCyc = 2;
  int32_t MaxBugs = 3;
  int32_t BugSize = 12;
  int32_t ImageListLen = 6;
  int32_t SunG = 1;
  int32_t BugG = 1;
  int32_t WallG = 1;
  bool StopOnKey = true;
  bool StopOnMouseMove = true;
  bool StopOnMouseClick = true;

  bool operator==(const TSaverSettings&) const = default;
};

inline constexpr const char* kSettingsSection = "Zarmok";
// The value buffer of one read: at most 1023 characters of a value take part.
inline constexpr size_t kValueBufferSize = 1024;

// One key of the store, in the order the keys are read and written.
struct TSettingKey {
  const char* name;
  bool is_flag;
  int32_t TSaverSettings::*integer;
  bool TSaverSettings::*flag;
};
inline constexpr int kSettingKeyCount = 13;
extern const TSettingKey kSettingKeys[kSettingKeyCount];

// Reads a value text as an integer: "0x"/"0X" stands for "$" in texts longer than two
// characters; leading spaces are skipped; "$" and hexadecimal digits give a 32-bit pattern,
// otherwise an optional sign and decimal digits within the signed 32-bit range. Anything else
// gives `default_value`.
int32_t ParseProfileInteger(std::string_view text, int32_t default_value);

// The program file's full path with ".ini" appended whole.
std::string SettingsFilePath(const std::string& program_path);

// Reads one integer key by the rules above (missing file, section or key: the default).
int32_t ReadProfileInteger(IPrivateProfile& profile, const std::string& ini_path, const char* key,
                           int32_t default_value);

// Reads the 13 keys in table order, each with its default, through one GetStrings. Never fails;
// values are not checked.
TSaverSettings LoadSettings(IPrivateProfile& profile, const std::string& ini_path);

// Writes the 13 keys in table order through one WriteStrings. A refused write stops the save at
// that key and throws EZarmokError(TTextId::CannotWrite); a file the profile service left
// alone as no settings file, or as too large, throws TTextId::NotSettingsFile or
// TTextId::SettingsFileTooLarge, each with the path.
void SaveSettings(IPrivateProfile& profile, const std::string& ini_path,
                  const TSaverSettings& settings);

// The one place that keeps stored values the animation cannot take away from it: the sizes of
// the fixed arrays bound MaxBugs (0..20), BugPtnSize (0..40) and ImageListLen (1..30), and
// BugSize is held to -1000000..1000000 so that no product of it leaves 32 bits. Every other
// value is used as stored: the animation's arithmetic is defined for the whole 32-bit range.
TSaverSettings HoldToSafeLimits(const TSaverSettings& loaded);

inline constexpr int32_t kMaxBugsLimit = 20;
inline constexpr int32_t kBugPtnSizeLimit = 40;
inline constexpr int32_t kImageListLenLimit = 30;
inline constexpr int32_t kBugSizeLimit = 1000000;

}  // namespace zarmok
