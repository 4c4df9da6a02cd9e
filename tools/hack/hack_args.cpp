#include "hack_args.h"

#include <cstdint>
#include <cstdio>

namespace zarmok::hack {

namespace {

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

std::string Quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

THackLaunch Refuse(std::string reason) {
  return THackLaunch{{}, std::move(reason)};
}

}  // namespace

std::optional<std::string> PaneHandleOf(std::string_view window_id) {
  int base = 10;
  std::string_view digits = window_id;
  if (digits.starts_with("0x") || digits.starts_with("0X")) {
    base = 16;
    digits.remove_prefix(2);
  }
  if (digits.empty()) return std::nullopt;
  uint64_t value = 0;
  for (const char c : digits) {
    const int digit = DigitValue(c, base);
    if (digit < 0) return std::nullopt;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (value > 0xFFFFFFFFull) return std::nullopt;
  }
  if (value == 0) return std::nullopt;
  char handle[16];
  std::snprintf(handle, sizeof handle, "$%X", static_cast<unsigned>(value));
  return std::string(handle);
}

THackLaunch ChooseLaunch(const std::vector<std::string>& arguments,
                         const std::optional<std::string>& environment_window) {
  std::optional<std::string> named;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "-root" || argument == "--root") continue;
    if (argument == "-window-id" || argument == "--window-id") {
      if (i + 1 == arguments.size()) return Refuse(argument + " needs a window id");
      if (named) return Refuse("more than one window id given");
      named = arguments[++i];
      continue;
    }
    return Refuse("unknown argument " + Quoted(argument));
  }

  const char* source = "-window-id";
  if (!named && environment_window) {
    named = environment_window;
    source = "XSCREENSAVER_WINDOW";
  }
  if (!named) return THackLaunch{{"/s"}, {}};
  const std::optional<std::string> handle = PaneHandleOf(*named);
  if (!handle) {
    return Refuse(std::string(source) + " " + Quoted(*named) +
                  " is not a window id (decimal, or hexadecimal after 0x, not 0)");
  }
  return THackLaunch{{"/p", *handle}, {}};
}

}  // namespace zarmok::hack
