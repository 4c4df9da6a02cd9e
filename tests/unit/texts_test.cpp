#include "texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>

#include "BugsSet.h"

namespace zarmok {
namespace {

bool Ascii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) > 0x7F) return false;
  }
  return true;
}

TEST(TextCatalogueTest, EveryTextHasBothFormsWithTheSamePlaceholdersAndAsciiEnglish) {
  for (int i = 0; i < kTextCount; ++i) {
    const std::string japanese = Text(TTextId(i), TLanguage::Japanese);
    const std::string english = Text(TTextId(i), TLanguage::English);
    EXPECT_TRUE(!japanese.empty() && !english.empty()) << i;
    EXPECT_EQ(PlaceholderCount(japanese), PlaceholderCount(english)) << english;
    EXPECT_TRUE(Ascii(english)) << english;
    // A text the product always wrote in ASCII reads the same in both languages.
    EXPECT_TRUE(!Ascii(japanese) || japanese == english) << japanese;
  }
  EXPECT_STREQ(Text(TTextId::AboutCaption, TLanguage::Japanese), "ﾊﾞｰｼﾞｮﾝ情報");
  EXPECT_EQ(WordText(TTextId::CannotWrite, TLanguage::Japanese, {"/a"}), "/a に書き込めません");
  EXPECT_EQ(WordText(TTextId::NotAnInteger, TLanguage::English, {"%s"}), "'%s' is not an integer");
  EXPECT_EQ(FillPlaceholders("%s-%s-%s", {"a", "b"}), "a-b-%s");
}

TEST(LanguageTest, ChosenFromTheEnvironmentAsItsUsersSetIt) {
  // LC_ALL|LC_MESSAGES|LANG|LANGUAGE, and whether the language is Japanese.
  const std::pair<const char*, bool> cases[] = {
      {"|||", false},
      {"||C|", false},
      {"||de_DE.UTF-8|", false},
      {"||ja_JP.UTF-8|", true},
      {"||ja_JP.eucJP|", true},
      {"||ja|", true},
      {"||jv_ID|", false},
      {"||POSIX|", false},
      {"|||ja", false},
      {"en_US.UTF-8|ja_JP.UTF-8|ja_JP.UTF-8|", false},
      {"|ja_JP.UTF-8|en_US.UTF-8|", true},
      {"|C|ja_JP.UTF-8|", false},
      {"||en_US.UTF-8|ja:en", true},
      {"||ja_JP.UTF-8|de:ja", false},
      {"||C|ja", false},
      {"C.UTF-8|||ja", false},
  };
  for (const auto& [line, japanese] : cases) {
    std::string field[4];
    std::istringstream in(line);
    for (std::string& f : field) std::getline(in, f, '|');
    EXPECT_EQ(LanguageFromLocale(field[0], field[1], field[2], field[3]) == TLanguage::Japanese,
              japanese)
        << line;
  }
  EXPECT_EQ(LanguageFromWindowsLanguageId(0x0411), TLanguage::Japanese);
  EXPECT_EQ(LanguageFromWindowsLanguageId(0x0409), TLanguage::English);
  EXPECT_EQ(LanguageFromWindowsLanguageId(0x0804), TLanguage::English);
}

#ifndef _WIN32
std::string SourceFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}
const std::filesystem::path kRoot =
    std::filesystem::path(ZARMOK_TEST_DATA_DIR).parent_path().parent_path();

TEST(TextCatalogueTest, NoTextTheUserReadsLivesOutsideIt) {
  // The dialog font's face name, which no user reads.
  const std::set<std::string> allowed = {"ＭＳ Ｐゴシック"};
  // A string literal holding a byte beyond ASCII, outside a comment.
  const std::regex literal(R"re("((?:[^"\\\n]|\\.)*[\x80-\xff](?:[^"\\\n]|\\.)*)")re");
  int files = 0;
  for (const char* folder : {"src", "tools"}) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kRoot / folder)) {
      const std::string name = entry.path().filename().string();
      if (!name.ends_with(".cpp") && !name.ends_with(".h")) continue;
      ++files;
      std::istringstream source(SourceFile(entry.path()));
      for (std::string line; std::getline(source, line);) {
        line = line.substr(0, line.find("//"));
        for (std::sregex_iterator m(line.begin(), line.end(), literal), end; m != end; ++m) {
          EXPECT_TRUE(name == "texts.cpp" || allowed.count((*m)[1]))
              << name << ": \"" << (*m)[1] << "\" belongs in the catalogue";
        }
      }
    }
  }
  EXPECT_GT(files, 50);
}

// The Windows resources' texts are the catalogue's: each language's string table and version
// block describe the file in that language.
TEST(TextCatalogueTest, WindowsResourcesSayWhatTheCatalogueSays) {
  const std::string rc = SourceFile(kRoot / "src/app/zarmok.rc");
  for (const auto& [language, block, table] :
       {std::tuple{TLanguage::Japanese, "\"041104B0\"", "LANG_JAPANESE, SUBLANG_DEFAULT"},
        std::tuple{TLanguage::English, "\"040904B0\"", "LANG_ENGLISH, SUBLANG_ENGLISH_US"}}) {
    const std::string description = Text(TTextId::FileDescription, language);
    EXPECT_NE(rc.find("\"FileDescription\", \"" + description, rc.find(block)), std::string::npos);
    EXPECT_NE(rc.find("2 \"" + description, rc.find(table)), std::string::npos) << table;
  }
  EXPECT_NE(rc.find("\"Translation\", 0x0411, 1200, 0x0409, 1200"), std::string::npos);
}
#endif

TEST(FittingPlacesTest, TextsThatFitKeepTheTablesPlaces) {
  for (const TScrollBarLayout& bar : kScrollBars) {
    const TScrollBarPlaces places = PlaceScrollBar(bar, 24, 24, 12);
    EXPECT_EQ(places.bar.left, bar.bar.left);
    EXPECT_EQ(places.bar.width, bar.bar.width);
    EXPECT_EQ(places.left_label.left, bar.left_label.left);
    EXPECT_EQ(places.right_label.left, bar.right_label.left);
  }
  const TCheckBoxPlaces boxes = PlaceCheckBoxes({50, 60, 62}, 17);
  for (int i = 0; i < kCheckBoxCount; ++i) {
    EXPECT_EQ(boxes.boxes[i].left, kCheckBoxes[i].rect.left);
    EXPECT_EQ(boxes.boxes[i].width, kCheckBoxes[i].rect.width);
  }
}

TEST(FittingPlacesTest, WideTextsMoveTheirLabelsThenNarrowTheBarInsideTheFrame) {
  const TScrollBarLayout& size = ScrollBarLayout(TScrollBarId::BugSizeSB);
  for (const auto& [left, right] : {std::pair{34, 20}, {60, 20}, {20, 70}, {60, 70}}) {
    const TScrollBarPlaces p = PlaceScrollBar(size, left, right, 12);
    EXPECT_GE(p.left_label.left, 4);
    EXPECT_LE(p.left_label.left + left, p.bar.left - 2);
    EXPECT_GE(p.right_label.left, p.bar.left + p.bar.width + 2);
    EXPECT_LE(p.right_label.left + right, size.group.width - 4);
    EXPECT_GE(p.bar.width, 3 * p.bar.height);
    // The bar gives way only to a label that cannot fit beside it by moving.
    EXPECT_EQ(p.bar.left == size.bar.left, left <= 42) << left;
  }
  for (const auto& widths : {std::array<int32_t, 3>{60, 80, 80}, {70, 85, 85}}) {
    const TCheckBoxPlaces p = PlaceCheckBoxes({widths[0], widths[1], widths[2]}, 19);
    for (int i = 0; i < kCheckBoxCount; ++i) {
      EXPECT_GE(p.boxes[i].width, 19 + widths[i]);
      EXPECT_GE(p.boxes[i].left, i == 0 ? 4 : p.boxes[i - 1].left + p.boxes[i - 1].width + 2);
    }
    EXPECT_LE(p.boxes[2].left + p.boxes[2].width, kStopGroupBox.rect.width - 4);
  }
  EXPECT_EQ(TablePixels(61, 2.0), 31);
  EXPECT_EQ(ScaleRect({21, 19, 153, 17}, 1.5).width, 230);
}

}  // namespace
}  // namespace zarmok
