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
#include "integer_text.h"
#include "pacing.h"
#include "pixel_round.h"
#include "platform.h"
#include "random.h"
#include "raster.h"
#include "session.h"
#include "settings.h"
#include "swarm.h"
// clang-format on

#include <gtest/gtest.h>

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

TEST(Win32Seam, TheApplicationTitleIsOneText) {
  EXPECT_STREQ(kApplicationTitle, "Zarmok");
  EXPECT_EQ(FillPattern("%s に書き込めません", "C:\\z.ini"), "C:\\z.ini に書き込めません");
}

}  // namespace
}  // namespace zarmok
