// Text between the core and the Windows API: the core's texts are UTF-8, the system's W
// functions take UTF-16, which shows Japanese whatever the machine's ANSI code page is.
#pragma once

#include <string>

namespace zarmok::win32 {

std::wstring WideText(const std::string& utf8);
std::string Utf8Text(const std::wstring& wide);

}  // namespace zarmok::win32
