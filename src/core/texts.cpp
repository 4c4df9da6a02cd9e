#include "texts.h"

#include <array>

namespace zarmok {

namespace {

struct TCatalogueEntry {
  TTextId id;
  const char* japanese;
  const char* english;
};

// The English of each control says what its setting does to the swarm, and the ASCII texts the
// product always had stay as they are in both languages.
constexpr TCatalogueEntry kCatalogue[] = {
    {TTextId::BugsPramSetCaption, "Zarmok パラメータ設定", "Zarmok Settings"},
    {TTextId::SpeedGroup, "Speed", "Speed"},
    {TTextId::ShapeGroup, "構造", "Shape"},
    {TTextId::ShapeChangeGroup, "変形周期", "Shape change"},
    {TTextId::BugCountGroup, "個体数", "Bugs"},
    {TTextId::SizeGroup, "Size", "Size"},
    {TTextId::TrailGroup, "影長さ", "Trail length"},
    {TTextId::StopGroup, "終了条件", "Stop on"},
    {TTextId::CentreGravityGroup, "特異点-G", "Centre-G"},
    {TTextId::BugGravityGroup, "Bug-G", "Bug-G"},
    {TTextId::WallGravityGroup, "Wall-G", "Wall-G"},
    {TTextId::BugsTypeGroup, "BugsTypeRG", "BugsTypeRG"},
    {TTextId::FastLabel, "高速", "Fast"},
    {TTextId::SlowLabel, "低速", "Slow"},
    {TTextId::SimpleLabel, "単純", "Simple"},
    {TTextId::ComplexLabel, "複雑", "Complex"},
    {TTextId::FewLabel, "少数", "Few"},
    {TTextId::ManyLabel, "多数", "Many"},
    {TTextId::SmallLabel, "Small", "Small"},
    {TTextId::BigLabel, "Big", "Big"},
    {TTextId::LowLabel, "Low", "Low"},
    {TTextId::HeavyLabel, "Heavy", "Heavy"},
    {TTextId::StopOnKeyBox, "キー操作", "Key press"},
    {TTextId::StopOnMouseMoveBox, "マウス移動", "Mouse move"},
    {TTextId::StopOnMouseClickBox, "マウスボタン", "Mouse click"},
    {TTextId::TypeAItem, "Type_A", "Type_A"},
    {TTextId::TypeBItem, "Type_B", "Type_B"},
    {TTextId::OkButton, "OK", "OK"},
    {TTextId::CancelButton, "Cancel", "Cancel"},
    {TTextId::AboutButton, "About", "About"},
    {TTextId::AboutCaption, "ﾊﾞｰｼﾞｮﾝ情報", "About Zarmok"},
    {TTextId::ProductName, "Zarmok", "Zarmok"},
    {TTextId::VersionLine, "Version  1.04", "Version  1.04"},
    {TTextId::ApplicationTitle, "Zarmok", "Zarmok"},
    {TTextId::UnhandledErrorTitle, "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ", "Application Error"},
    {TTextId::NotAnInteger, "'%s' は整数ではありません", "'%s' is not an integer"},
    {TTextId::NotSeconds, "'%s' は秒数ではありません", "'%s' is not a number of seconds"},
    {TTextId::WindowCreateFailed, "ｳｨﾝﾄﾞｳの作成でｴﾗｰが発生しました",
     "The window could not be created"},
    {TTextId::CannotWrite, "%s に書き込めません", "Cannot write to %s"},
    // A file the dialog's OK left alone: which, why, and that moving it away starts afresh.
    {TTextId::NotSettingsFile,
     "%s は設定ファイルではないため、そのままにしました。\n"
     "このファイルを別の場所へ移すと、既定の設定から始められます",
     "%s is not a settings file, so it was left as it is.\n"
     "Move it elsewhere to start from the default settings"},
    {TTextId::SettingsFileTooLarge,
     "%s は設定ファイルとしては大きすぎるため、そのままにしました。\n"
     "このファイルを別の場所へ移すと、既定の設定から始められます",
     "%s is too large for a settings file, so it was left as it is.\n"
     "Move it elsewhere to start from the default settings"},
    {TTextId::OutOfMemory, "メモリが足りません", "There is not enough memory"},
    {TTextId::XDisplayNotOpened, "X ディスプレイ '%s' を開けません",
     "Cannot open the X display '%s'"},
    {TTextId::XDisplayNotPrepared, "X ディスプレイの準備ができません",
     "The X display cannot be made ready"},
    {TTextId::XConnectionLost, "X サーバーとの接続が切れました",
     "The connection to the X server was lost"},
    {TTextId::XNoIdleTime, "X サーバーがアイドル時間を知らせません (MIT-SCREEN-SAVER)",
     "The X server does not tell the idle time (MIT-SCREEN-SAVER)"},
    {TTextId::XNoTrueColor, "X ディスプレイに描画できる色の形式 (TrueColor) がありません",
     "The X display offers no colour format the saver can draw in (TrueColor)"},
    // Why a Wayland desktop cannot serve a start, a line each.
    {TTextId::WaylandNoDisplay, "Wayland: WAYLAND_DISPLAY が設定されていません",
     "Wayland: WAYLAND_DISPLAY is not set"},
    {TTextId::WaylandNoRuntimeDir,
     "Wayland: XDG_RUNTIME_DIR が設定されていないため、ソケット '%s' の場所が分かりません",
     "Wayland: XDG_RUNTIME_DIR is not set, so the socket '%s' cannot be found"},
    {TTextId::WaylandNotConnected, "Wayland: コンポジター '%s' に接続できません: %s",
     "Wayland: cannot connect to the compositor at '%s': %s"},
    {TTextId::WaylandLacks, "Wayland: コンポジター '%s' は %s を提供していません",
     "Wayland: the compositor at '%s' does not offer %s"},
    {TTextId::WaylandNoPane,
     "Wayland にはプレビューを描く枠がありません。プレビューには X ディスプレイ (XWayland, "
     "DISPLAY) が必要です",
     "Wayland has no preview pane to draw in: a preview needs an X display (XWayland, DISPLAY)"},
    {TTextId::WaylandNoDialog,
     "設定ダイアログは X のウィンドウです。X ディスプレイ (XWayland, DISPLAY) が必要です",
     "The settings dialog is an X window: it needs an X display (XWayland, DISPLAY)"},
    {TTextId::WaylandProtocolError, "Wayland プロトコルエラー: %s", "Wayland protocol error: %s"},
    {TTextId::WaylandConnectionLost, "Wayland コンポジターとの接続が切れました",
     "The connection to the Wayland compositor was lost"},
    {TTextId::WaylandNoBackground,
     "Wayland: コンポジター '%s' にはレイヤーシェル (zwlr_layer_shell_v1) "
     "がないため、デスクトップの"
     "背景には描けません",
     "Wayland: the compositor at '%s' has no layer shell (zwlr_layer_shell_v1), so the desktop's "
     "background cannot be drawn on"},
    // Which kind of window the saver covers the outputs with, for the run's measurements.
    {TTextId::WaylandLayerSurfaces,
     "Wayland: 各出力をレイヤーシェルの最前面のサーフェスで覆います (zwlr_layer_shell_v1)",
     "Wayland: each output is covered by an overlay surface of the layer shell "
     "(zwlr_layer_shell_v1)"},
    {TTextId::WaylandFullScreenWindows,
     "Wayland: レイヤーシェルがないため、各出力を全画面のウィンドウで覆います (xdg_toplevel)",
     "Wayland: there is no layer shell, so each output is covered by a full-screen window "
     "(xdg_toplevel)"},
    // The running flag could not be raised: the saver runs, and a second one may start over it.
    {TTextId::RunningFlagNotRaised,
     "実行中の印を立てられません (%s)。もう一つのセーバーが重ねて起動することがあります",
     "The running flag cannot be raised (%s): a second saver may start over this one"},
    {TTextId::GnomeNoIdleTime, "GNOME がアイドル時間を知らせません (org.gnome.Mutter.IdleMonitor)",
     "GNOME does not tell the idle time (org.gnome.Mutter.IdleMonitor)"},
    {TTextId::FileDescription, "Zarmok スクリーン セーバー", "Zarmok screen saver"},
    {TTextId::VersionText, "zarmok 1.04", "zarmok 1.04"},
    {TTextId::HelpText,
     "使い方: zarmok [/s | /c | /p <id> | /a | --wallpaper | --idle 秒数]\n"
     "スクリーン セーバー: 色の移ろう左右対称の虫の群れが、薄れてゆく影を引いて飛び回ります。\n"
     "\n"
     "  /s, -s, 引数なし    全画面のセーバー (キー、クリック、マウス移動で終了)\n"
     "  /c, -c              設定ダイアログ\n"
     "  /p <id>, /p:<id>    ウィンドウ <id> の中のプレビュー (10 進数、または $ と 16 進数)\n"
     "  /a                  ホストのパスワード変更\n"
     "  --wallpaper         デスクトップの背景に群れを描く (SIGTERM で終了)\n"
     "  --idle 秒数         操作のないまま秒数が過ぎるたびに全画面のセーバーを起動する\n"
     "  --help              この説明\n"
     "  --version           バージョン\n"
     "\n"
     "設定ファイル: ${XDG_CONFIG_HOME:-~/.config}/zarmok/zarmok.ini\n"
     "パスワードの有無: ${XDG_CONFIG_HOME:-~/.config}/zarmok/host.ini\n"
     "詳しくは man zarmok",
     "Usage: zarmok [/s | /c | /p <id> | /a | --wallpaper | --idle SECONDS]\n"
     "A screen saver: a swarm of symmetric, colour-shifting bugs with fading trails.\n"
     "\n"
     "  /s, -s, nothing     the saver full-screen (a key, click or mouse movement ends it)\n"
     "  /c, -c              the settings dialog\n"
     "  /p <id>, /p:<id>    the preview inside window <id> (decimal, or $ and hex digits)\n"
     "  /a                  the host's password change\n"
     "  --wallpaper         the swarm on the desktop's background (SIGTERM ends it)\n"
     "  --idle SECONDS      the full-screen saver after every SECONDS without input\n"
     "  --help              this text\n"
     "  --version           the version\n"
     "\n"
     "Settings: ${XDG_CONFIG_HOME:-~/.config}/zarmok/zarmok.ini\n"
     "Password in force: ${XDG_CONFIG_HOME:-~/.config}/zarmok/host.ini\n"
     "More in man zarmok"},
};

static_assert(std::size(kCatalogue) == static_cast<std::size_t>(kTextCount),
              "every text id has one catalogue entry");

constexpr bool CatalogueInIdOrder() {
  for (int i = 0; i < kTextCount; ++i) {
    if (static_cast<int>(kCatalogue[i].id) != i) return false;
  }
  return true;
}
static_assert(CatalogueInIdOrder(), "the catalogue lists the ids in their order");

constexpr std::string_view kPlaceholder = "%s";

bool IsJapaneseLocaleName(std::string_view name) {
  if (!name.starts_with("ja")) return false;
  return name.size() == 2 || name[2] == '_' || name[2] == '.' || name[2] == '@';
}

// C and POSIX, with or without an encoding or modifier (C.UTF-8): the locale of no language.
bool IsCLocaleName(std::string_view name) {
  const std::string_view base = name.substr(0, name.find_first_of(".@"));
  return name.empty() || base == "C" || base == "POSIX";
}

}  // namespace

const char* Text(TTextId id, TLanguage language) {
  const TCatalogueEntry& entry = kCatalogue[static_cast<int>(id)];
  return language == TLanguage::Japanese ? entry.japanese : entry.english;
}

std::string FillPlaceholders(std::string_view pattern, const std::vector<std::string>& arguments) {
  std::string filled;
  auto next = arguments.begin();
  std::size_t from = 0;
  for (std::size_t at = pattern.find(kPlaceholder);
       at != std::string_view::npos && next != arguments.end();
       at = pattern.find(kPlaceholder, from)) {
    filled.append(pattern.substr(from, at - from));
    filled.append(*next++);
    from = at + kPlaceholder.size();
  }
  filled.append(pattern.substr(from));
  return filled;
}

std::string WordText(TTextId id, TLanguage language, const std::vector<std::string>& arguments) {
  return FillPlaceholders(Text(id, language), arguments);
}

int PlaceholderCount(std::string_view text) {
  int count = 0;
  for (std::size_t at = text.find(kPlaceholder); at != std::string_view::npos;
       at = text.find(kPlaceholder, at + kPlaceholder.size())) {
    ++count;
  }
  return count;
}

TLanguage LanguageFromLocale(std::string_view lc_all, std::string_view lc_messages,
                             std::string_view lang, std::string_view language) {
  const std::string_view locale = !lc_all.empty()        ? lc_all
                                  : !lc_messages.empty() ? lc_messages
                                                         : lang;
  std::string_view chosen = locale;
  if (!IsCLocaleName(locale)) {
    const std::string_view first = language.substr(0, language.find(':'));
    if (!first.empty()) chosen = first;
  }
  return IsJapaneseLocaleName(chosen) ? TLanguage::Japanese : TLanguage::English;
}

TLanguage LanguageFromWindowsLanguageId(uint16_t language_id) {
  constexpr uint16_t kPrimaryJapanese = 0x11;  // LANG_JAPANESE
  return (language_id & 0x3FF) == kPrimaryJapanese ? TLanguage::Japanese : TLanguage::English;
}

}  // namespace zarmok
