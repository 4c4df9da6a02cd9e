#include "BugsSet.h"

#include <algorithm>
#include <cmath>
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

constexpr TEndLabel Label(TTextId caption, int32_t left) {
  return {caption, left, kLabelTop};
}

}  // namespace

const TFontRequest kDialogFont = {"ＭＳ Ｐゴシック", 12, false, false, kDialogFontStandIns};

const TScrollBarLayout kScrollBars[kScrollBarCount] = {
    {TScrollBarId::SpeedSB,
     "SpeedSB",
     "GroupBox1",
     TTextId::SpeedGroup,
     {8, 8, kGroupWidth, kGroupHeight},
     kBarRect,
     1,
     15,
     Label(TTextId::FastLabel, 21),
     Label(TTextId::SlowLabel, 204),
     0,
     &TSaverSettings::Speed,
     true},
    {TScrollBarId::BugPtnSizeSB,
     "BugPtnSizeSB",
     "GroupBox2",
     TTextId::ShapeGroup,
     {8, 56, kGroupWidth, kGroupHeight},
     kBarRect,
     5,
     40,
     Label(TTextId::SimpleLabel, 21),
     Label(TTextId::ComplexLabel, 204),
     1,
     &TSaverSettings::BugPtnSize,
     false},
    {TScrollBarId::BugPtnExCycSB,
     "BugPtnExCycSB",
     "GroupBox3",
     TTextId::ShapeChangeGroup,
     {8, 104, kGroupWidth, kGroupHeight},
     kBarRect,
     0,
     100,
     Label(TTextId::FastLabel, 21),
     Label(TTextId::SlowLabel, 204),
     2,
     &TSaverSettings::BugPtnExCyc,
     false},
    {TScrollBarId::MaxBugsSB,
     "MaxBugsSB",
     "GroupBox4",
     TTextId::BugCountGroup,
     {8, 152, kGroupWidth, kGroupHeight},
     kBarRect,
     1,
     20,
     Label(TTextId::FewLabel, 21),
     Label(TTextId::ManyLabel, 204),
     3,
     &TSaverSettings::MaxBugs,
     false},
    {TScrollBarId::BugSizeSB,
     "BugSizeSB",
     "GroupBox5",
     TTextId::SizeGroup,
     {8, 200, kGroupWidth, kGroupHeight},
     kBarRect,
     3,
     30,
     Label(TTextId::SmallLabel, 16),
     Label(TTextId::BigLabel, 208),
     4,
     &TSaverSettings::BugSize,
     false},
    {TScrollBarId::ImageListLenSB,
     "ImageListLenSB",
     "GroupBox6",
     TTextId::TrailGroup,
     {264, 8, kGroupWidth, kGroupHeight},
     kBarRect,
     1,
     30,
     Label(TTextId::SmallLabel, 16),
     Label(TTextId::BigLabel, 208),
     5,
     &TSaverSettings::ImageListLen,
     false},
    {TScrollBarId::SunGSB,
     "SunGSB",
     "GroupBox8",
     TTextId::CentreGravityGroup,
     {264, 56, kGroupWidth, kGroupHeight},
     kBarRect,
     0,
     800,
     Label(TTextId::LowLabel, 21),
     Label(TTextId::HeavyLabel, 204),
     9,
     &TSaverSettings::SunG,
     false},
    {TScrollBarId::BugGSB,
     "BugGSB",
     "GroupBox9",
     TTextId::BugGravityGroup,
     {264, 104, kGroupWidth, kGroupHeight},
     kBarRect,
     0,
     800,
     Label(TTextId::LowLabel, 21),
     Label(TTextId::HeavyLabel, 204),
     10,
     &TSaverSettings::BugG,
     false},
    {TScrollBarId::WallGSB,
     "WallGSB",
     "GroupBox10",
     TTextId::WallGravityGroup,
     {262, 152, kGroupWidth, kGroupHeight},
     kBarRect,
     0,
     50,
     Label(TTextId::LowLabel, 21),
     Label(TTextId::HeavyLabel, 204),
     11,
     &TSaverSettings::WallG,
     false},
};

const TCheckBoxLayout kCheckBoxes[kCheckBoxCount] = {
    {TCheckBoxId::StopOnKeyCbx,
     "StopOnKeyCbx",
     TTextId::StopOnKeyBox,
     {16, 16, 81, 17},
     &TSaverSettings::StopOnKey},
    {TCheckBoxId::StopOnMouseMoveCbx,
     "StopOnMouseMoveCbx",
     TTextId::StopOnMouseMoveBox,
     {120, 16, 81, 17},
     &TSaverSettings::StopOnMouseMove},
    {TCheckBoxId::StopOnMouseClickCbx,
     "StopOnMouseClickCbx",
     TTextId::StopOnMouseClickBox,
     {232, 16, 81, 17},
     &TSaverSettings::StopOnMouseClick},
};

const TGroupBoxLayout kStopGroupBox = {"GroupBox7", TTextId::StopGroup, {8, 248, 329, 41}, 6};

const TButtonLayout kOkBtn = {"OkBtn", TTextId::OkButton, {352, 256, 79, 33}, 7, true, false};
const TButtonLayout kCancelBtn = {"CancelBtn", TTextId::CancelButton, {432, 256, 79, 33}, 8, false,
                                  true};
const TButtonLayout kAboutBtn = {"AboutBtn", TTextId::AboutButton, {440, 216, 49, 17}, 13, false,
                                 false};

const TRadioGroupLayout kBugsTypeRG = {"BugsTypeRG",
                                       TTextId::BugsTypeGroup,
                                       {264, 200, 137, 41},
                                       2,
                                       {TTextId::TypeAItem, TTextId::TypeBItem},
                                       12};

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

namespace {

// A label keeps this far from its group's frame, and a label or a check box this far from the
// bar or the box beside it.
constexpr int32_t kFrameMargin = 4;
constexpr int32_t kTextGap = 2;
// Narrower than its two arrows and its thumb, a bar could not be used.
constexpr int32_t kBarMinimumWidth = 3 * kBarRect.height;

}  // namespace

TScrollBarPlaces PlaceScrollBar(const TScrollBarLayout& layout, int32_t left_text_width,
                                int32_t right_text_width, int32_t text_height) {
  TScrollBarPlaces places{
      layout.bar,
      {layout.left_label.left, layout.left_label.top, left_text_width, text_height},
      {layout.right_label.left, layout.right_label.top, right_text_width, text_height}};
  TRect& bar = places.bar;
  TRect& left = places.left_label;
  TRect& right = places.right_label;
  // The left label moves left up to the frame's margin, then the bar's left end moves right.
  if (left.left + left.width > bar.left - kTextGap) {
    left.left = std::max(kFrameMargin, bar.left - kTextGap - left.width);
    const int32_t bar_left = std::max(bar.left, left.left + left.width + kTextGap);
    bar.width -= bar_left - bar.left;
    bar.left = bar_left;
  }
  // The right label stays off the bar, then the bar's right end moves left for it.
  const int32_t frame_right = layout.group.width - kFrameMargin;
  right.left = std::max(right.left, bar.left + bar.width + kTextGap);
  if (right.left + right.width > frame_right) {
    right.left = std::max(frame_right - right.width, bar.left + kBarMinimumWidth + kTextGap);
    bar.width = std::min(bar.width, right.left - kTextGap - bar.left);
  }
  return places;
}

TCheckBoxPlaces PlaceCheckBoxes(const int32_t (&text_widths)[kCheckBoxCount], int32_t mark_width) {
  TCheckBoxPlaces places{};
  int32_t taken = 0;  // the right end of the box before
  for (int i = 0; i < kCheckBoxCount; ++i) {
    TRect r = kCheckBoxes[i].rect;
    r.width = std::max(r.width, mark_width + text_widths[i]);
    r.left = std::max(r.left, i == 0 ? r.left : taken + kTextGap);
    places.boxes[i] = r;
    taken = r.left + r.width;
  }
  // Past the frame: the boxes move left together, as far as the first one's table place allows
  // spreading them evenly.
  const int32_t frame_right = kStopGroupBox.rect.width - kFrameMargin;
  if (taken > frame_right) {
    int32_t total = 0;
    for (const TRect& r : places.boxes) total += r.width;
    const int32_t first = places.boxes[0].left;
    const int32_t gap = std::max(kTextGap, (frame_right - first - total) / (kCheckBoxCount - 1));
    int32_t left = first;
    for (TRect& r : places.boxes) {
      r.left = left;
      left += r.width + gap;
    }
  }
  return places;
}

int32_t TablePixels(double pixels, double scale) {
  return static_cast<int32_t>(std::ceil(pixels / scale - 1e-9));
}

int32_t ScaleLength(int32_t pixels, double scale) {
  return static_cast<int32_t>(std::floor(pixels * scale + 0.5));
}

TRect ScaleRect(const TRect& r, double scale) {
  return {ScaleLength(r.left, scale), ScaleLength(r.top, scale), ScaleLength(r.width, scale),
          ScaleLength(r.height, scale)};
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
