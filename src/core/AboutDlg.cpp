#include "AboutDlg.h"

namespace zarmok {

namespace {

// Liberation Serif keeps the metrics of the face it stands in for, so the name fits its label.
constexpr const char* kSerifStandIns[] = {"Liberation Serif", nullptr};
constexpr const char* kGothicStandIns[] = {"Yu Gothic UI", "Meiryo UI", "IPAPGothic", "IPAGothic",
                                           nullptr};

}  // namespace

const TFontRequest kProductNameFont = {"Times New Roman", 64, true, true, kSerifStandIns};
const TFontRequest kVersionFont = {"ＭＳ Ｐゴシック", 13, false, false, kGothicStandIns};

const TAboutBoxLayout kAboutBox = {
    TTextId::AboutCaption,
    294,
    201,
    &kDialogFont,
    "Panel1",
    {8, 8, 277, 137},
    {"ProductName", TTextId::ProductName, {8, 2, 257, 73}, TTextAlign::Center, &kProductNameFont},
    {"Version", TTextId::VersionLine, {8, 79, 257, 12}, TTextAlign::Center, &kVersionFont},
    "OKButton",
    TTextId::OkButton,
    {118, 159, 64, 33},
    TModalResult::Ok,
};

TPoint CenteredOrigin(int32_t screen_width, int32_t screen_height, int32_t width, int32_t height) {
  // Halves taken in 64 bits and toward zero, as an integer division of the spare room.
  const int64_t left = (int64_t{screen_width} - width) / 2;
  const int64_t top = (int64_t{screen_height} - height) / 2;
  return {static_cast<int32_t>(left), static_cast<int32_t>(top)};
}

}  // namespace zarmok
