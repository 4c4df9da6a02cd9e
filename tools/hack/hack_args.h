// What zarmok-hack makes of the command line and environment a screen-saver host gives it:
// which window the saver draws into, as the argument the saver's preview mode reads.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarmok::hack {

// The saver's arguments for one start, or the reason the start is refused.
struct THackLaunch {
  std::vector<std::string> saver_arguments;  // empty when refused
  std::string refusal;                       // empty when accepted
};

// A window id as hosts write it: decimal digits, or "0x"/"0X" and hexadecimal digits, with a
// value from 1 to 0xFFFFFFFF. Nothing else: no sign, no blanks, no trailing text. 0 names no
// window. The result is the same id as the saver's pane handle: "$" and hexadecimal digits,
// which the handle reader takes for every 32-bit value (its decimal form stops at 2^31 - 1).
std::optional<std::string> PaneHandleOf(std::string_view window_id);

// The arguments after the program name, and the value of XSCREENSAVER_WINDOW (nullopt when the
// variable is not set). "-window-id ID" (or "--window-id ID") names the window; without it the
// variable does; a given but empty or bad id is refused rather than passed on. "-root" asks for
// the screen itself, which is what the saver does with no window named: its own full-screen
// window ("/s"), since then no host holds the screen.
THackLaunch ChooseLaunch(const std::vector<std::string>& arguments,
                         const std::optional<std::string>& environment_window);

}  // namespace zarmok::hack
