// The settings dialog TBugsPramSet: its controls as data and its four handlers. The handlers
// talk to the controls through IBugsPramSetView, so every front end (FLTK on Linux, a Win32
// dialog) shows the same layout and follows the same rules.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

#include "errors.h"
#include "platform.h"
#include "settings.h"
#include "texts.h"

namespace zarmok {

// A control's place and size in pixels, relative to its parent (the dialog's client area or
// the group box it sits in).
struct TRect {
  int32_t left;
  int32_t top;
  int32_t width;
  int32_t height;
};

// A font as the dialog asks for it, with the installed faces that may stand in for it (in
// order of preference) where the face itself is missing.
struct TFontRequest {
  const char* face;
  int32_t pixels;
  bool bold;
  bool italic;
  const char* const* stand_ins;  // null-terminated
};

// The face a front end uses for `font`: the face itself when installed, else the first
// installed stand-in, else the face's own name (left to the font system's substitution).
const char* ChooseFontFace(const TFontRequest& font,
                           const std::function<bool(const char* face)>& installed);

// ---- The dialog window ----

inline constexpr TTextId kBugsPramSetCaption = TTextId::BugsPramSetCaption;
inline constexpr int32_t kBugsPramSetClientWidth = 519;
inline constexpr int32_t kBugsPramSetClientHeight = 289;
inline constexpr int32_t kBugsPramSetLeft = 200;
inline constexpr int32_t kBugsPramSetTop = 107;
// Every control of the dialog and of the about box writes in this font unless it says otherwise.
extern const TFontRequest kDialogFont;

// ---- The controls ----

// The nine scroll bars, numbered in the order of their settings' keys.
enum class TScrollBarId : int {
  SpeedSB,
  BugPtnSizeSB,
  BugPtnExCycSB,
  MaxBugsSB,
  BugSizeSB,
  ImageListLenSB,
  SunGSB,
  BugGSB,
  WallGSB,
};
inline constexpr int kScrollBarCount = 9;

enum class TCheckBoxId : int {
  StopOnKeyCbx,
  StopOnMouseMoveCbx,
  StopOnMouseClickCbx,
};
inline constexpr int kCheckBoxCount = 3;

// A label at one end of a scroll bar, inside the group box; it is as wide as its text.
struct TEndLabel {
  TTextId caption;
  int32_t left;
  int32_t top;
};

// One horizontal scroll bar in its own group box. Arrow clicks and clicks beside the thumb
// both move it by kScrollStep.
struct TScrollBarLayout {
  TScrollBarId id;
  const char* name;
  const char* group_name;
  TTextId group_caption;
  TRect group;  // in the dialog
  TRect bar;    // in the group box
  int32_t min;
  int32_t max;
  TEndLabel left_label;
  TEndLabel right_label;
  int tab_order;  // among the dialog's direct children
  int32_t TSaverSettings::*setting;
  // The speed bar runs from fast at the left to slow at the right: position = 15 - Speed.
  bool reversed;
};
inline constexpr int32_t kScrollStep = 1;
inline constexpr int32_t kReversedBase = 15;
extern const TScrollBarLayout kScrollBars[kScrollBarCount];

struct TCheckBoxLayout {
  TCheckBoxId id;
  const char* name;
  TTextId caption;
  TRect rect;  // in the stop-condition group box
  bool TSaverSettings::*setting;
};
extern const TCheckBoxLayout kCheckBoxes[kCheckBoxCount];

// The group box holding the three stop-condition check boxes.
struct TGroupBoxLayout {
  const char* name;
  TTextId caption;
  TRect rect;
  int tab_order;
};
extern const TGroupBoxLayout kStopGroupBox;

struct TButtonLayout {
  const char* name;
  TTextId caption;
  TRect rect;
  int tab_order;
  bool is_default;  // Enter presses it
  bool is_cancel;   // Escape and the window's close box act as it
};
extern const TButtonLayout kOkBtn;
extern const TButtonLayout kCancelBtn;
extern const TButtonLayout kAboutBtn;

// The radio group of the drawing style: its checked item's index is BugsType.
struct TRadioGroupLayout {
  const char* name;
  TTextId caption;
  TRect rect;
  int columns;
  TTextId items[2];
  int tab_order;
};
extern const TRadioGroupLayout kBugsTypeRG;

// Where item `index` of a radio group sits, in the dialog: the items share the inside of the
// frame in equal columns, row after row, below the caption.
TRect RadioItemRect(const TRadioGroupLayout& group, int index);

// The dialog's direct children in tab order, so that a front end creates them in that order.
enum class TChildKind { ScrollBarGroup, StopGroup, Button, RadioGroup };
struct TTabStop {
  TChildKind kind;
  int scroll_bar;               // index into kScrollBars for ScrollBarGroup
  const TButtonLayout* button;  // for Button
};
inline constexpr int kTabStopCount = 14;
extern const TTabStop kTabOrder[kTabStopCount];

const TScrollBarLayout& ScrollBarLayout(TScrollBarId id);

// ---- Places that fit the texts ----
//
// The table places each text for the product's Japanese in its own face. Another language or
// face gives other widths, so a front end measures each text in the font it draws it in,
// converts the width to the table's pixels (rounding up) and takes the places from these: the
// table's own wherever the text fits there, else moved just as far as it must be so that no text
// is clipped and none overlaps a bar, a box or its group's frame.

// The bar and its two end labels, in the group box.
struct TScrollBarPlaces {
  TRect bar;
  TRect left_label;
  TRect right_label;
};
TScrollBarPlaces PlaceScrollBar(const TScrollBarLayout& layout, int32_t left_text_width,
                                int32_t right_text_width, int32_t text_height);

// The stop conditions' check boxes in their group box, each as wide as its table rectangle or
// as its box and text (`mark_width` is the box with the gap before the text) if that is wider.
struct TCheckBoxPlaces {
  TRect boxes[kCheckBoxCount];
};
TCheckBoxPlaces PlaceCheckBoxes(const int32_t (&text_widths)[kCheckBoxCount], int32_t mark_width);

// The smallest whole number of table pixels that holds `pixels` device pixels at `scale` (1.0
// for the table's own 96 dots per inch).
int32_t TablePixels(double pixels, double scale);
// A length or a rectangle of the table at `scale`.
int32_t ScaleLength(int32_t pixels, double scale);
TRect ScaleRect(const TRect& r, double scale);

// What a front end makes of each direct child of the dialog. LayOutDialog calls it once per
// child in tab order, since the platforms' focus moves through the children in the order they
// were made.
class IDialogLayoutBuilder {
 public:
  virtual ~IDialogLayoutBuilder() = default;
  // A scroll bar's group box with its two end labels.
  virtual void AddScrollBarGroup(const TScrollBarLayout& layout) = 0;
  // The stop conditions' group box with the three check boxes of kCheckBoxes.
  virtual void AddStopGroup(const TGroupBoxLayout& group) = 0;
  virtual void AddButton(const TButtonLayout& layout) = 0;
  // The radio group's frame and its items (RadioItemRect places them).
  virtual void AddRadioGroup(const TRadioGroupLayout& group) = 0;
};

// Walks the dialog's children in tab order.
void LayOutDialog(IDialogLayoutBuilder& builder);

// ---- Rules between settings and controls ----

// The radio group's item for a stored BugsType: below -1 as -1, above 1 as 1; -1 checks none.
int32_t ItemIndexForBugsType(int32_t bugs_type);
// The bar's position for a stored value (reversed where the bar says so), a value outside the
// bar's range showing at its nearest end.
int32_t PositionForSetting(const TScrollBarLayout& bar, int32_t value);
// The value a bar's position stands for.
int32_t SettingForPosition(const TScrollBarLayout& bar, int32_t position);

// ---- The dialog's view of its controls ----

class IBugsPramSetView {
 public:
  virtual ~IBugsPramSetView() = default;
  // The checked item of BugsTypeRG, -1 when none is checked; -1 unchecks every item.
  virtual int32_t ItemIndex() = 0;
  virtual void SetItemIndex(int32_t index) = 0;
  // A scroll bar's position within the range of its TScrollBarLayout.
  virtual int32_t Position(TScrollBarId bar) = 0;
  virtual void SetPosition(TScrollBarId bar, int32_t position) = 0;
  virtual bool Checked(TCheckBoxId box) = 0;
  virtual void SetChecked(TCheckBoxId box, bool checked) = 0;
  // Closes the dialog, which ends the program when it is the main window.
  virtual void Close() = 0;
  // Shows the about box modally and returns when it has closed.
  virtual void ShowAboutBoxModal() = 0;
};

class TBugsPramSet {
 public:
  TBugsPramSet(IBugsPramSetView& view, IPrivateProfile& profile, std::string ini_path);

  // Loads the settings and puts each into its control, in the order of the keys.
  void FormCreate();
  // Keeps at least one stop condition checked; otherwise saves all 13 keys and closes. A
  // refused write escapes to the application's handler and leaves the dialog open.
  void OkBtnClick();
  void CancelBtnClick();
  void AboutBtnClick();

  // The settings as the controls show them now: what OK saves.
  TSaverSettings SettingsFromControls();

 private:
  IBugsPramSetView& view_;
  IPrivateProfile& profile_;
  std::string ini_path_;
};

}  // namespace zarmok
