// The running program's own file on Windows.
#pragma once

#include <string>

namespace zarmok::win32 {

// The full long path of the running program file in UTF-8, even when it was started by its
// 8.3 short name ("" when the system cannot tell).
std::string ProgramFilePath();

}  // namespace zarmok::win32
