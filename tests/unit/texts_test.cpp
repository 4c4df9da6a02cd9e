#include "texts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

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
    const auto id = static_cast<TTextId>(i);
    const std::string japanese = Text(id, TLanguage::Japanese);
    const std::string english = Text(id, TLanguage::English);
    EXPECT_FALSE(japanese.empty()) << "text " << i;
    EXPECT_FALSE(english.empty()) << "text " << i;
    EXPECT_EQ(PlaceholderCount(japanese), PlaceholderCount(english)) << english;
    EXPECT_TRUE(Ascii(english)) << english;
    // A text the product always wrote in ASCII reads the same in both languages.
    if (Ascii(japanese)) {
      EXPECT_EQ(japanese, english);
    }
  }
}

TEST(TextCatalogueTest, KeepsTheProductsJapaneseByteForByte) {
  EXPECT_STREQ(Text(TTextId::BugsPramSetCaption, TLanguage::Japanese), "Zarmok パラメータ設定");
  EXPECT_STREQ(Text(TTextId::AboutCaption, TLanguage::Japanese), "ﾊﾞｰｼﾞｮﾝ情報");
  EXPECT_STREQ(Text(TTextId::UnhandledErrorTitle, TLanguage::Japanese), "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ");
  EXPECT_STREQ(Text(TTextId::WindowCreateFailed, TLanguage::Japanese),
               "ｳｨﾝﾄﾞｳの作成でｴﾗｰが発生しました");
  EXPECT_STREQ(Text(TTextId::StopOnMouseClickBox, TLanguage::Japanese), "マウスボタン");
}

TEST(TextCatalogueTest, WordsEachPlaceholderInTurnAndNeverAnArgumentsOwn) {
  EXPECT_EQ(WordText(TTextId::CannotWrite, TLanguage::Japanese, {"/a.ini"}),
            "/a.ini に書き込めません");
  EXPECT_EQ(WordText(TTextId::NotAnInteger, TLanguage::English, {"%s"}), "'%s' is not an integer");
  EXPECT_EQ(FillPlaceholders("%s-%s-%s", {"a", "b"}), "a-b-%s");
  EXPECT_EQ(FillPlaceholders("%s", {"a", "b"}), "a");
  EXPECT_EQ(FillPlaceholders("100%", {"a"}), "100%");
}

TEST(LanguageTest, ChosenFromTheEnvironmentAsItsUsersSetIt) {
  struct TCase {
    const char* lc_all;
    const char* lc_messages;
    const char* lang;
    const char* language;
    TLanguage expected;
  };
  constexpr auto ja = TLanguage::Japanese;
  constexpr auto en = TLanguage::English;
  const TCase cases[] = {
      {"", "", "", "", en},
      {"", "", "C", "", en},
      {"", "", "POSIX", "", en},
      {"", "", "C.UTF-8", "", en},
      {"", "", "en_US.UTF-8", "", en},
      {"", "", "de_DE.UTF-8", "", en},
      {"", "", "ja_JP.UTF-8", "", ja},
      {"", "", "ja_JP.eucJP", "", ja},
      {"", "", "ja", "", ja},
      {"", "", "ja_JP@cjknarrow", "", ja},
      {"", "", "jav_ID", "", en},
      // LC_ALL over LC_MESSAGES over LANG.
      {"en_US.UTF-8", "ja_JP.UTF-8", "ja_JP.UTF-8", "", en},
      {"ja_JP.UTF-8", "en_US.UTF-8", "en_US.UTF-8", "", ja},
      {"", "ja_JP.UTF-8", "en_US.UTF-8", "", ja},
      {"", "C", "ja_JP.UTF-8", "", en},
      // LANGUAGE's first entry, except under C.
      {"", "", "en_US.UTF-8", "ja:en", ja},
      {"", "", "ja_JP.UTF-8", "de:ja", en},
      {"", "", "C", "ja", en},
      {"C.UTF-8", "", "", "ja", en},
      {"", "", "", "ja", en},
      {"", "", "en_US.UTF-8", ":ja", en},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(LanguageFromLocale(c.lc_all, c.lc_messages, c.lang, c.language), c.expected)
        << c.lc_all << "|" << c.lc_messages << "|" << c.lang << "|" << c.language;
  }
  EXPECT_EQ(LanguageFromWindowsLanguageId(0x0411), ja);
  EXPECT_EQ(LanguageFromWindowsLanguageId(0x0011), ja);
  EXPECT_EQ(LanguageFromWindowsLanguageId(0x0409), en);
  EXPECT_EQ(LanguageFromWindowsLanguageId(0x0407), en);
  EXPECT_EQ(LanguageFromWindowsLanguageId(0x0804), en);
}

#ifndef _WIN32
// The string literals of a C++ source that hold a byte beyond ASCII, comments left out.
std::set<std::string> NonAsciiLiterals(const std::string& source) {
  std::set<std::string> found;
  for (std::size_t i = 0; i < source.size(); ++i) {
    if (source.compare(i, 2, "//") == 0) {
      i = source.find('\n', i);
      if (i == std::string::npos) break;
    } else if (source.compare(i, 2, "/*") == 0) {
      i = source.find("*/", i + 2);
      if (i == std::string::npos) break;
      ++i;
    } else if (source[i] == '\'') {
      while (++i < source.size() && source[i] != '\'') i += source[i] == '\\';
    } else if (source[i] == '"') {
      std::string literal;
      while (++i < source.size() && source[i] != '"') {
        if (source[i] == '\\') literal += source[i++];
        literal += source[i];
      }
      if (!Ascii(literal)) found.insert(literal);
    }
  }
  return found;
}

TEST(TextCatalogueTest, NoTextTheUserReadsLivesOutsideIt) {
  // Not read as text: the dialog font's face name.
  const std::set<std::string> not_texts = {"ＭＳ Ｐゴシック"};
  // The errors of the start-up rules and of the back ends, until they carry a text's id and
  // are worded in the run's language when reported.
  const std::set<std::string> known = {
      "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ",
      "'%s' は整数ではありません",
      "'%s' は秒数ではありません",
      "ｳｨﾝﾄﾞｳの作成でｴﾗｰが発生しました",
      "X サーバーがアイドル時間を知らせません (MIT-SCREEN-SAVER)",
      "X サーバーとの接続が切れました",
      "X ディスプレイ '",
      "' を開けません",
      "X ディスプレイの準備ができません",
      "X: 画像を作成できません",
      "Wayland プロトコルエラー: ",
      "Wayland コンポジターとの接続が切れました",
  };
  const std::filesystem::path root =
      std::filesystem::path(ZARMOK_TEST_DATA_DIR).parent_path().parent_path();
  int files = 0;
  for (const char* folder : {"src", "tools"}) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
      const std::string extension = entry.path().extension().string();
      if (extension != ".cpp" && extension != ".h") continue;
      if (entry.path().filename() == "texts.cpp") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::stringstream source;
      source << in.rdbuf();
      ++files;
      for (const std::string& literal : NonAsciiLiterals(source.str())) {
        EXPECT_TRUE(not_texts.count(literal) || known.count(literal))
            << entry.path().string() << ": \"" << literal << "\" belongs in the catalogue";
      }
    }
  }
  EXPECT_GT(files, 50);
}

// The texts of the Windows resources are the catalogue's: each language block of the version
// resource describes the file in its language, and each string table names the saver in it.
TEST(TextCatalogueTest, WindowsResourcesSayWhatTheCatalogueSays) {
  const std::filesystem::path rc =
      std::filesystem::path(ZARMOK_TEST_DATA_DIR).parent_path().parent_path() / "src/app/zarmok.rc";
  std::ifstream in(rc, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const std::string resources = text.str();
  const auto block = [&](const std::string& start) {
    const std::size_t at = resources.find(start);
    return at == std::string::npos ? std::string() : resources.substr(at, 700);
  };
  for (const auto& [language, block_name, table] :
       {std::tuple{TLanguage::Japanese, "BLOCK \"041104B0\"", "LANG_JAPANESE, SUBLANG_DEFAULT"},
        std::tuple{TLanguage::English, "BLOCK \"040904B0\"", "LANG_ENGLISH, SUBLANG_ENGLISH_US"}}) {
    const std::string description = Text(TTextId::FileDescription, language);
    EXPECT_NE(block(block_name).find("\"FileDescription\", \"" + description + "\""),
              std::string::npos)
        << block_name;
    EXPECT_NE(block(table).find("2 \"" + description + "\""), std::string::npos) << table;
    EXPECT_NE(block(table).find("1 \"Zarmok\""), std::string::npos) << table;
  }
  EXPECT_NE(resources.find("\"Translation\", 0x0411, 1200, 0x0409, 1200"), std::string::npos);
}
#endif

// ---- Places that fit the texts ----

TEST(FittingPlacesTest, TextsThatFitKeepTheTablesPlaces) {
  for (const TScrollBarLayout& bar : kScrollBars) {
    const TScrollBarPlaces places = PlaceScrollBar(bar, 24, 24, 12);
    EXPECT_EQ(places.bar.left, bar.bar.left);
    EXPECT_EQ(places.bar.width, bar.bar.width);
    EXPECT_EQ(places.left_label.left, bar.left_label.left);
    EXPECT_EQ(places.right_label.left, bar.right_label.left);
  }
  const int32_t widths[kCheckBoxCount] = {50, 60, 62};
  const TCheckBoxPlaces boxes = PlaceCheckBoxes(widths, 17);
  for (int i = 0; i < kCheckBoxCount; ++i) {
    EXPECT_EQ(boxes.boxes[i].left, kCheckBoxes[i].rect.left);
    EXPECT_EQ(boxes.boxes[i].width, kCheckBoxes[i].rect.width);
  }
}

// No label overlaps its bar or leaves its frame, and the bar keeps room for its arrows and thumb.
void ExpectFits(const TScrollBarLayout& layout, const TScrollBarPlaces& p) {
  const TRect& bar = p.bar;
  EXPECT_GE(p.left_label.left, 4);
  EXPECT_LE(p.left_label.left + p.left_label.width, bar.left - 2);
  EXPECT_GE(p.right_label.left, bar.left + bar.width + 2);
  EXPECT_LE(p.right_label.left + p.right_label.width, layout.group.width - 4);
  EXPECT_GE(bar.width, 3 * bar.height);
}

TEST(FittingPlacesTest, WideTextsMoveTheirLabelsThenNarrowTheBar) {
  const TScrollBarLayout& size = ScrollBarLayout(TScrollBarId::BugSizeSB);
  // A label a little too wide for its place moves toward the frame; the bar stays.
  TScrollBarPlaces p = PlaceScrollBar(size, 34, 20, 12);
  ExpectFits(size, p);
  EXPECT_LT(p.left_label.left, size.left_label.left);
  EXPECT_EQ(p.bar.left, size.bar.left);
  // Wider still, the bar gives way at its left end, then at its right.
  p = PlaceScrollBar(size, 60, 20, 12);
  ExpectFits(size, p);
  EXPECT_GT(p.bar.left, size.bar.left);
  p = PlaceScrollBar(size, 20, 70, 12);
  ExpectFits(size, p);
  EXPECT_LT(p.bar.left + p.bar.width, size.bar.left + size.bar.width);
  // At 200 %, a 61-pixel text needs 31 of the table's.
  EXPECT_EQ(TablePixels(61, 2.0), 31);
  EXPECT_EQ(TablePixels(62, 2.0), 31);
  EXPECT_EQ(ScaleRect({21, 19, 153, 17}, 1.5).width, 230);
}

TEST(FittingPlacesTest, WideCheckBoxesWidenThenMoveApartInsideTheirFrame) {
  const int32_t wide[kCheckBoxCount] = {60, 80, 80};
  TCheckBoxPlaces p = PlaceCheckBoxes(wide, 19);
  for (int i = 0; i < kCheckBoxCount; ++i) {
    EXPECT_GE(p.boxes[i].width, 19 + wide[i]);
    if (i > 0) {
      EXPECT_GE(p.boxes[i].left, p.boxes[i - 1].left + p.boxes[i - 1].width + 2);
    }
  }
  EXPECT_LE(p.boxes[2].left + p.boxes[2].width, kStopGroupBox.rect.width - 4);
  const int32_t wider[kCheckBoxCount] = {70, 85, 85};
  p = PlaceCheckBoxes(wider, 19);
  EXPECT_LE(p.boxes[2].left + p.boxes[2].width, kStopGroupBox.rect.width - 4);
  EXPECT_GE(p.boxes[1].left, p.boxes[0].left + p.boxes[0].width + 2);
}

}  // namespace
}  // namespace zarmok
