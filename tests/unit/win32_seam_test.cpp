// The core's headers as a Windows host sees them: after <windows.h>, with its macros in force
// (min, max, and the A/W names of FormatMessage, CreateWindow, GetMessage and the like).
#include <windows.h>
// clang-format off
#include "AboutDlg.h"
#include "BugsSet.h"
#include "DeskTop.h"
#include "damage.h"
#include "errors.h"
#include "host.h"
#include "idle_watch.h"
#include "integer_text.h"
#include "pacing.h"
#include "pixel_round.h"
#include "platform.h"
#include "random.h"
#include "raster.h"
#include "session.h"
#include "settings.h"
#include "swarm.h"
#include "trail_cache.h"
// clang-format on

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace zarmok {
namespace {

static_assert(sizeof(TWindowHandle) == sizeof(HWND), "a window handle holds an HWND");

TEST(Win32Seam, APreviewHandleKeepsItsThirtyTwoBitsAsAWindowHandle) {
  const TWindowHandle handle = StrToPreviewHandle("$FFFFFFFF");
  EXPECT_EQ(handle, TWindowHandle{0xFFFFFFFFu});
  const HWND window = reinterpret_cast<HWND>(handle);
  EXPECT_EQ(reinterpret_cast<TWindowHandle>(window), handle);
  EXPECT_EQ(SettingsOwner("/c:1234"), TWindowHandle{1234});
  // A handle that came through 32 bits is widened as the system does it.
  EXPECT_EQ(reinterpret_cast<HANDLE>(WidenHandle(0xFFFFFFF0u)), LongToHandle(-16));
  EXPECT_EQ(reinterpret_cast<HWND>(SettingsOwner("/c:$80000000")), LongToHandle(INT32_MIN));
}

// The dialog's Japanese faces on a Windows without the one the dialog asks for: the UI faces
// that every Windows 10 and 11 has, Yu Gothic UI first.
TEST(Win32Seam, TheDialogsFacesFallBackToThoseOfWindows) {
  struct TCase {
    std::vector<std::string> installed;
    std::string chosen;
  };
  const TCase cases[] = {
      {{"ＭＳ Ｐゴシック", "Yu Gothic UI", "Meiryo UI"}, "ＭＳ Ｐゴシック"},
      {{"Meiryo UI", "Yu Gothic UI"}, "Yu Gothic UI"},
      {{"Meiryo UI", "IPAPGothic"}, "Meiryo UI"},
  };
  for (const TFontRequest* font : {&kDialogFont, &kVersionFont}) {
    for (const TCase& c : cases) {
      const auto installed = [&c](const char* face) {
        return std::find(c.installed.begin(), c.installed.end(), face) != c.installed.end();
      };
      EXPECT_EQ(ChooseFontFace(*font, installed), c.chosen) << c.chosen;
    }
  }
}

}  // namespace
}  // namespace zarmok
