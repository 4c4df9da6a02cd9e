// The running program's own file on Linux.
#pragma once

#include <string>

namespace zarmok {

// The full path of the running program file, as /proc reports it ("" when it cannot be read).
std::string ProgramFilePath();

}  // namespace zarmok
