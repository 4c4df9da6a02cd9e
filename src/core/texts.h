// Every text the user sees, in Japanese (the product's own words) and in English, and the
// language a run speaks. A text with "%s" in it takes its arguments when it is worded, so an
// error can carry a text and its arguments and be worded in the run's language when reported.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zarmok {

enum class TLanguage { Japanese, English };

enum class TTextId : int {
  // The settings dialog.
  BugsPramSetCaption,
  SpeedGroup,
  ShapeGroup,
  ShapeChangeGroup,
  BugCountGroup,
  SizeGroup,
  TrailGroup,
  StopGroup,
  CentreGravityGroup,
  BugGravityGroup,
  WallGravityGroup,
  BugsTypeGroup,
  FastLabel,
  SlowLabel,
  SimpleLabel,
  ComplexLabel,
  FewLabel,
  ManyLabel,
  SmallLabel,
  BigLabel,
  LowLabel,
  HeavyLabel,
  StopOnKeyBox,
  StopOnMouseMoveBox,
  StopOnMouseClickBox,
  TypeAItem,
  TypeBItem,
  OkButton,
  CancelButton,
  AboutButton,
  // The about box.
  AboutCaption,
  ProductName,
  VersionLine,
  // Errors: the titles of their boxes and their messages.
  ApplicationTitle,
  UnhandledErrorTitle,
  NotAnInteger,
  NotSeconds,
  WindowCreateFailed,
  CannotWrite,
  NotSettingsFile,
  SettingsFileTooLarge,
  OutOfMemory,
  XDisplayNotOpened,
  XDisplayNotPrepared,
  XConnectionLost,
  XNoIdleTime,
  XNoTrueColor,
  WaylandNoDisplay,
  WaylandNoRuntimeDir,
  WaylandNotConnected,
  WaylandLacks,
  WaylandNoPane,
  WaylandNoDialog,
  WaylandProtocolError,
  WaylandConnectionLost,
  WaylandNoBackground,
  WaylandLayerSurfaces,
  WaylandFullScreenWindows,
  RunningFlagNotRaised,
  GnomeNoIdleTime,
  // The program as the system and the desktop describe it.
  FileDescription,
  VersionText,
  HelpText,
  Count
};

inline constexpr int kTextCount = static_cast<int>(TTextId::Count);

// The text of `id` in `language`, UTF-8, with its "%s" placeholders as they stand.
const char* Text(TTextId id, TLanguage language);

// `pattern` with each "%s" replaced by the next argument, in order; placeholders beyond the
// arguments stay as they are, arguments beyond the placeholders are dropped. An argument's own
// "%s" is never filled.
std::string FillPlaceholders(std::string_view pattern, const std::vector<std::string>& arguments);

// The text of `id` in `language` with its arguments in place.
std::string WordText(TTextId id, TLanguage language,
                     const std::vector<std::string>& arguments = {});

// How many "%s" a text holds.
int PlaceholderCount(std::string_view text);

// The language of a POSIX program, as its user set it: the locale named by LC_ALL, else
// LC_MESSAGES, else LANG; and where that locale is not C (or POSIX), the first entry of
// LANGUAGE when it has one, as gettext reads it. Japanese for any Japanese name ("ja",
// "ja_JP.UTF-8", "ja_JP.eucJP", "ja@..."), English for every other, C and POSIX included.
// An unset variable is passed as "".
TLanguage LanguageFromLocale(std::string_view lc_all, std::string_view lc_messages,
                             std::string_view lang, std::string_view language);

// The language of a Windows user interface language id (a LANGID): Japanese for every Japanese
// sublanguage, English for every other.
TLanguage LanguageFromWindowsLanguageId(uint16_t language_id);

}  // namespace zarmok
