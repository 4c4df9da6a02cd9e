// The about box TAboutBox: the product name and version in a lowered panel, and an OK button.
// Its content is data so that every front end shows the same box.
#pragma once

#include <cstdint>

#include "BugsSet.h"
#include "platform.h"
#include "texts.h"

namespace zarmok {

enum class TModalResult { NotClosed, Ok, Cancel };

enum class TTextAlign { Left, Center };

struct TLabelLayout {
  const char* name;
  TTextId caption;
  TRect rect;  // in the panel
  TTextAlign align;
  const TFontRequest* font;
};

struct TAboutBoxLayout {
  TTextId caption;
  int32_t client_width;
  int32_t client_height;
  const TFontRequest* font;
  const char* panel_name;
  TRect panel;  // lowered
  TLabelLayout product_name;
  TLabelLayout version;
  const char* ok_name;
  TTextId ok_caption;
  TRect ok;
  TModalResult ok_result;  // the OK button is the default button and holds the focus
};

extern const TFontRequest kProductNameFont;
extern const TFontRequest kVersionFont;
extern const TAboutBoxLayout kAboutBox;

// The top-left corner that centres a window of the given size on a screen of the given size.
TPoint CenteredOrigin(int32_t screen_width, int32_t screen_height, int32_t width, int32_t height);

}  // namespace zarmok
