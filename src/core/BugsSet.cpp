#include "BugsSet.h"

#include <algorithm>
#include <utility>

namespace zarmok {

namespace {

// Where the face is missing: the Japanese UI faces every Windows 10 and 11 has, then those of
// Linux desktops.
constexpr const char* kDialogFontStandIns[] = {"Yu Gothic UI", "Meiryo UI", "IPAPGothic",
                                               "IPAGothic", nullptr};

// Every bar has the same size and place inside its group box; the labels' lefts follow the
// width of their texts so that each sits a few pixels off its end of the bar.
constexpr TRect kBarRect = {48, 16, 153, 17};
constexpr int32_t kGroupWidth = 249;
constexpr int32_t kGroupHeight = 41;
constexpr int32_t kLabelTop = 19;

constexpr TEndLabel Label(const char* caption, int32_t left) {
  return {caption, left, kLabelTop};
}

}  // namespace

const TFontRequest kDialogFont = {"ＭＳ Ｐゴシック", 12, false, false, kDialogFontStandIns};

const TScrollBarLayout kScrollBars[kScrollBarCount] = {
    {TScrollBarId::SpeedSB,
     "SpeedSB",
     "GroupBox1",
     "Speed",
     {8, 8, kGroupWidth, kGroupHeight},
     kBarRect,
     1,
     15,
     Label("高速", 21),
     Label("低速", 204),
     0,
     &TSaverSettings::Speed,
     true},
    {TScrollBarId::BugPtnSizeSB,
     "BugPtnSizeSB",
     "GroupBox2",
     "構造",
     {8, 56, kGroupWidth, kGroupHeight},
     kBarRect,
     5,
     40,
     Label("単純", 21),
     Label("複雑", 204),
     1,
     &TSaverSettings::BugPtnSize,
     false},
    {TScrollBarId::BugPtnExCycSB,
     "BugPtnExCycSB",
     "GroupBox3",
     "変形周期",
     {8, 104, kGroupWidth, kGroupHeight},
     kBarRect,
     0,
     100,
     Label("高速", 21),
     Label("低速", 204),
     2,
     &TSaverSettings::BugPtnExCyc,
     false},
    {TScrollBarId::MaxBugsSB,
     "MaxBugsSB",
     "GroupBox4",
     "個体数",
     {8, 152, kGroupWidth, kGroupHeight},
     kBarRect,
     1,
     20,
     Label("少数", 21),
     Label("多数", 204),
     3,
     &TSaverSettings::MaxBugs,
     false},
    {TScrollBarId::BugSizeSB,
     "BugSizeSB",
     "GroupBox5",
     "Size",
     {8, 200, kGroupWidth, kGroupHeight},
     kBarRect,
     3,
     30,
     Label("Small", 16),
     Label("Big", 208),
     4,
     &TSaverSettings::BugSize,
     false},
    {TScrollBarId::ImageListLenSB,
     "ImageListLenSB",
     "GroupBox6",
     "影長さ",
     {264, 8, kGroupWidth, kGroupHeight},
     kBarRect,
     1,
     30,
     Label("Small", 16),
     Label("Big", 208),
     5,
     &TSaverSettings::ImageListLen,
     false},
    {TScrollBarId::SunGSB,
     "SunGSB",
     "GroupBox8",
     "特異点-G",
     {264, 56, kGroupWidth, kGroupHeight},
     kBarRect,
     0,
     800,
     Label("Low", 21),
     Label("Heavy", 204),
     9,
     &TSaverSettings::SunG,
     false},
    {TScrollBarId::BugGSB,
     "BugGSB",
     "GroupBox9",
     "Bug-G",
     {264, 104, kGroupWidth, kGroupHeight},
     kBarRect,
     0,
     800,
     Label("Low", 21),
     Label("Heavy", 204),
     10,
     &TSaverSettings::BugG,
     false},
    {TScrollBarId::WallGSB,
     "WallGSB",
     "GroupBox10",
     "Wall-G",
     {262, 152, kGroupWidth, kGroupHeight},
     kBarRect,
     0,
     50,
     Label("Low", 21),
     Label("Heavy", 204),
     11,
     &TSaverSettings::WallG,
     false},
};

const TCheckBoxLayout kCheckBoxes[kCheckBoxCount] = {
    {TCheckBoxId::StopOnKeyCbx,
     "StopOnKeyCbx",
     "キー操作",
     {16, 16, 81, 17},
     &TSaverSettings::StopOnKey},
    {TCheckBoxId::StopOnMouseMoveCbx,
     "StopOnMouseMoveCbx",
     "マウス移動",
     {120, 16, 81, 17},
     &TSaverSettings::StopOnMouseMove},
    {TCheckBoxId::StopOnMouseClickCbx,
     "StopOnMouseClickCbx",
     "マウスボタン",
     {232, 16, 81, 17},
     &TSaverSettings::StopOnMouseClick},
};

const TGroupBoxLayout kStopGroupBox = {"GroupBox7", "終了条件", {8, 248, 329, 41}, 6};

const TButtonLayout kOkBtn = {"OkBtn", "OK", {352, 256, 79, 33}, 7, true, false};
const TButtonLayout kCancelBtn = {"CancelBtn", "Cancel", {432, 256, 79, 33}, 8, false, true};
const TButtonLayout kAboutBtn = {"AboutBtn", "About", {440, 216, 49, 17}, 13, false, false};

const TRadioGroupLayout kBugsTypeRG = {
    "BugsTypeRG", "BugsTypeRG", {264, 200, 137, 41}, 2, {"Type_A", "Type_B"}, 12};

const TTabStop kTabOrder[kTabStopCount] = {
    {TChildKind::ScrollBarGroup, 0, nullptr}, {TChildKind::ScrollBarGroup, 1, nullptr},
    {TChildKind::ScrollBarGroup, 2, nullptr}, {TChildKind::ScrollBarGroup, 3, nullptr},
    {TChildKind::ScrollBarGroup, 4, nullptr}, {TChildKind::ScrollBarGroup, 5, nullptr},
    {TChildKind::StopGroup, -1, nullptr},     {TChildKind::Button, -1, &kOkBtn},
    {TChildKind::Button, -1, &kCancelBtn},    {TChildKind::ScrollBarGroup, 6, nullptr},
    {TChildKind::ScrollBarGroup, 7, nullptr}, {TChildKind::ScrollBarGroup, 8, nullptr},
    {TChildKind::RadioGroup, -1, nullptr},    {TChildKind::Button, -1, &kAboutBtn},
};

const char* ChooseFontFace(const TFontRequest& font,
                           const std::function<bool(const char* face)>& installed) {
  if (installed(font.face)) return font.face;
  for (const char* const* stand_in = font.stand_ins; stand_in && *stand_in; ++stand_in) {
    if (installed(*stand_in)) return *stand_in;
  }
  return font.face;
}

TRect RadioItemRect(const TRadioGroupLayout& group, int index) {
  // The frame's edges and its caption take 8 pixels at each side and 16 at the top; an item is
  // as high as a check box.
  constexpr int32_t kInset = 8;
  constexpr int32_t kCaptionHeight = 16;
  constexpr int32_t kItemHeight = 17;
  const int32_t column_width = (group.rect.width - 2 * kInset) / group.columns;
  const int column = index % group.columns;
  const int row = index / group.columns;
  return {group.rect.left + kInset + column * column_width,
          group.rect.top + kCaptionHeight + row * kItemHeight, column_width, kItemHeight};
}

const TScrollBarLayout& ScrollBarLayout(TScrollBarId id) {
  return kScrollBars[static_cast<int>(id)];
}

void LayOutDialog(IDialogLayoutBuilder& builder) {
  for (const TTabStop& stop : kTabOrder) {
    switch (stop.kind) {
      case TChildKind::ScrollBarGroup:
        builder.AddScrollBarGroup(kScrollBars[stop.scroll_bar]);
        break;
      case TChildKind::StopGroup:
        builder.AddStopGroup(kStopGroupBox);
        break;
      case TChildKind::Button:
        builder.AddButton(*stop.button);
        break;
      case TChildKind::RadioGroup:
        builder.AddRadioGroup(kBugsTypeRG);
        break;
    }
  }
}

int32_t ItemIndexForBugsType(int32_t bugs_type) {
  return std::clamp<int32_t>(bugs_type, -1, 1);
}

int32_t PositionForSetting(const TScrollBarLayout& bar, int32_t value) {
  // Worked in 64 bits: 15 minus a stored value near the 32-bit limit must not overflow before
  // it is brought to the bar's end.
  const int64_t position = bar.reversed ? int64_t{kReversedBase} - value : int64_t{value};
  return static_cast<int32_t>(std::clamp<int64_t>(position, bar.min, bar.max));
}

int32_t SettingForPosition(const TScrollBarLayout& bar, int32_t position) {
  const int32_t held = std::clamp(position, bar.min, bar.max);
  return bar.reversed ? kReversedBase - held : held;
}

TBugsPramSet::TBugsPramSet(IBugsPramSetView& view, IPrivateProfile& profile, std::string ini_path)
    : view_(view), profile_(profile), ini_path_(std::move(ini_path)) {}

void TBugsPramSet::FormCreate() {
  const TSaverSettings settings = LoadSettings(profile_, ini_path_);
  view_.SetItemIndex(ItemIndexForBugsType(settings.BugsType));
  for (const TScrollBarLayout& bar : kScrollBars) {
    view_.SetPosition(bar.id, PositionForSetting(bar, settings.*bar.setting));
  }
  for (const TCheckBoxLayout& box : kCheckBoxes) view_.SetChecked(box.id, settings.*box.setting);
}

TSaverSettings TBugsPramSet::SettingsFromControls() {
  TSaverSettings settings;
  settings.BugsType = view_.ItemIndex();
  for (const TScrollBarLayout& bar : kScrollBars) {
    settings.*bar.setting = SettingForPosition(bar, view_.Position(bar.id));
  }
  for (const TCheckBoxLayout& box : kCheckBoxes) settings.*box.setting = view_.Checked(box.id);
  return settings;
}

void TBugsPramSet::OkBtnClick() {
  const bool any_stop =
      std::any_of(std::begin(kCheckBoxes), std::end(kCheckBoxes),
                  [this](const TCheckBoxLayout& box) { return view_.Checked(box.id); });
  if (!any_stop) {
    // A saver that nothing can stop would lock the desktop: the key box comes back on and the
    // user sees it before anything is saved.
    view_.SetChecked(TCheckBoxId::StopOnKeyCbx, true);
    return;
  }
  SaveSettings(profile_, ini_path_, SettingsFromControls());
  view_.Close();
}

void TBugsPramSet::CancelBtnClick() {
  view_.Close();
}

void TBugsPramSet::AboutBtnClick() {
  view_.ShowAboutBoxModal();
}

}  // namespace zarmok
