#include "win32_dpi.h"

namespace zarmok::win32 {
namespace {

template <typename TFunction>
TFunction UserEntry(const char* name) {
  HMODULE user = GetModuleHandleW(L"user32.dll");
  return reinterpret_cast<TFunction>(
      user != nullptr ? reinterpret_cast<void*>(GetProcAddress(user, name)) : nullptr);
}

}  // namespace

TDpiAwarenessOf::TDpiAwarenessOf(HWND window) {
  using TGetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(HWND);
  const auto get = UserEntry<TGetContext>("GetWindowDpiAwarenessContext");
  set_ = UserEntry<TSetContext>("SetThreadDpiAwarenessContext");
  if (get == nullptr || set_ == nullptr || window == nullptr) return;
  const DPI_AWARENESS_CONTEXT theirs = get(window);
  if (theirs != nullptr) previous_ = set_(theirs);
}

TDpiAwarenessOf::~TDpiAwarenessOf() {
  if (previous_ != nullptr) set_(previous_);
}

}  // namespace zarmok::win32
