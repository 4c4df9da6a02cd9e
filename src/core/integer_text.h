// The integer text that the settings file and the preview handle share.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zarmok {

// Leading spaces, then either "$" and one or more hexadecimal digits whose value fits in 32 bits
// (taken as the bit pattern of a signed integer), or an optional "+" or "-" and one or more
// decimal digits within the signed 32-bit range. Anything else, trailing blanks included, is no
// integer.
std::optional<int32_t> ParseIntegerText(std::string_view text);

}  // namespace zarmok
