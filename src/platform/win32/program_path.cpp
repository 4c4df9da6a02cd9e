#include <windows.h>

#include <string>

#include "platform.h"

namespace zarmok {

std::string ProgramFilePath() {
  // A path longer than the classic limit still comes back whole.
  std::string buffer(MAX_PATH, '\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace zarmok
