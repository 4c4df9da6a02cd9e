#include <gtest/gtest.h>

#include <string>

#include "fake/memory_profile.h"
#include "settings.h"

namespace zarmok {
namespace {

TEST(ParseProfileInteger, HexAndDecimalForms) {
  EXPECT_EQ(ParseProfileInteger("0x1E", 12), 30);
  EXPECT_EQ(ParseProfileInteger("0X1e", 12), 30);
  EXPECT_EQ(ParseProfileInteger("$1E", 12), 30);
  EXPECT_EQ(ParseProfileInteger("   30", 12), 30);
  EXPECT_EQ(ParseProfileInteger("0x", 12), 12);
  EXPECT_EQ(ParseProfileInteger("-0x1E", 12), 12);
  EXPECT_EQ(ParseProfileInteger("30px", 12), 12);
  EXPECT_EQ(ParseProfileInteger("3.0", 12), 12);
  EXPECT_EQ(ParseProfileInteger("0xFFFFFFFF", 1), -1);
  EXPECT_EQ(ParseProfileInteger("2147483648", 1), 1);
  EXPECT_EQ(ParseProfileInteger("-2147483648", 1), INT32_MIN);
}

struct TParseCase {
  std::string text;
  int32_t expected;  // with the default 12
};

TEST(ParseProfileInteger, EveryFormAndEveryRefusal) {
  const TParseCase cases[] = {
      // Accepted forms.
      {"30", 30},
      {"+5", 5},
      {"-5", -5},
      {"0", 0},
      {"-0", 0},
      {"0030", 30},
      {"-0000000000000000000030", -30},
      {"$001E", 30},
      {"0x001e", 30},
      {"$0000000000000000001E", 30},
      {"0x1", 1},
      {"$ffffffff", -1},
      {"$80000000", INT32_MIN},
      {"$7FFFFFFF", INT32_MAX},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"      -7", -7},
      // Out of range, in decimal and in hex.
      {"2147483648", 12},
      {"-2147483649", 12},
      {"$100000000", 12},
      {"0x100000000", 12},
      {"99999999999999999999", 12},
      // Nothing, or a form left unfinished.
      {"", 12},
      {"    ", 12},
      {"-", 12},
      {"+", 12},
      {"$", 12},
      {"0x", 12},
      {"0X", 12},
      // Signs and blanks out of place.
      {"$+5", 12},
      {"$-5", 12},
      {"-$5", 12},
      {"+-5", 12},
      {"--5", 12},
      {"- 5", 12},
      {"30 ", 12},
      {"\t30", 12},
      {"0x 1E", 12},
      {" 0x1E", 12},  // the "0x" form counts only at the very start
      {"00x1E", 12},
      {"x1E", 12},
      {"$1G", 12},
      {"1e3", 12},
      // Bytes above 127.
      {"3\xB0", 12},
      {"\xEF\xBC\x93", 12},
      {"\xFF"
       "30",
       12},
      // A NUL ends the text as it ends a caller's buffer.
      {std::string("12\0"
                   "34",
                   5),
       12},
      {std::string("30\0px", 5), 30},
      {std::string("\0"
                   "30",
                   3),
       12},
  };
  for (const TParseCase& c : cases) {
    EXPECT_EQ(ParseProfileInteger(c.text, 12), c.expected) << '"' << c.text << '"';
  }
}

// Only the first 1023 characters of a value take part.
TEST(ReadProfileInteger, LongValuesAreCutToTheBuffer) {
  struct TLongCase {
    std::string text;
    int32_t expected;
  };
  const TLongCase cases[] = {
      {std::string(1021, '0') + "30", 30},    // 1023 characters: whole
      {std::string(1021, '0') + "30px", 30},  // the "px" falls outside
      {std::string(1022, '0') + "30", 3},     // the "0" of 30 falls outside
      {std::string(1023, ' ') + "30", 12},    // only blanks remain
      {"$" + std::string(1020, '0') + "1E", 30},
      {std::string(2000, '7'), 12},  // still out of range
  };
  testing::TMemoryProfile profile;
  for (const TLongCase& c : cases) {
    profile.Set("p.ini", kSettingsSection, "BugSize", c.text);
    EXPECT_EQ(ReadProfileInteger(profile, "p.ini", "BugSize", 12), c.expected) << c.text.size();
  }
}

TEST(LoadSettings, IntegerAndFlagExamples) {
  struct TLoadCase {
    const char* key;
    const char* text;
    TSaverSettings expected;
  };
  auto with = [](auto field, auto value) {
    TSaverSettings s;
    s.*field = value;
    return s;
  };
  const TLoadCase cases[] = {
      {"BugSize", "0x1E", with(&TSaverSettings::BugSize, 30)},
      {"BugSize", "30px", TSaverSettings{}},
      {"WallG", "0xFFFFFFFF", with(&TSaverSettings::WallG, -1)},
      {"WallG", "2147483648", TSaverSettings{}},
      {"WallG", "-2147483648", with(&TSaverSettings::WallG, INT32_MIN)},
      {"Speed", "20", with(&TSaverSettings::Speed, 20)},
      {"StopOnKey", "2", TSaverSettings{}},
      {"StopOnKey", "-1", TSaverSettings{}},
      {"StopOnKey", "0", with(&TSaverSettings::StopOnKey, false)},
      {"StopOnKey", "yes", TSaverSettings{}},
      {"StopOnKey", "", TSaverSettings{}},
      {"StopOnMouseMove", "0", with(&TSaverSettings::StopOnMouseMove, false)},
      {"StopOnMouseClick", "000", with(&TSaverSettings::StopOnMouseClick, false)},
      {"BugsType", "1", with(&TSaverSettings::BugsType, 1)},
  };
  for (const TLoadCase& c : cases) {
    testing::TMemoryProfile profile;
    profile.Set("p.ini", "ZARMOK", c.key, c.text);
    EXPECT_EQ(LoadSettings(profile, "p.ini"), c.expected) << c.key << "=" << c.text;
  }
}

TEST(SettingsFilePath, AppendsIniToTheWholeProgramPath) {
  EXPECT_EQ(SettingsFilePath("/opt/zarmok/saver.scr"), "/opt/zarmok/saver.scr.ini");
  EXPECT_EQ(SettingsFilePath("C:\\Windows\\Zarmok.SCR"), "C:\\Windows\\Zarmok.SCR.ini");
}

}  // namespace
}  // namespace zarmok
